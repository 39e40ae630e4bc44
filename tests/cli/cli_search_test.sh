#!/usr/bin/env bash
# Searches and lists catalogs through quillory-cli, against catalogs scanned
# from disk trees in a temporary directory.
# shellcheck source=harness.sh
source "$(dirname "$0")/harness.sh"
export TZ=UTC
root="$work/root"
q() { LC_ALL=en_US.UTF-8 "$cli" --root "$root" "$@"; }
# The names of a CSV listing, one a line.
names() { cut -d, -f1 | tr '\n' ' ' | sed 's/ $//'; }
found() { q find --db Plain "$@" | names; }
refused() { # NAME STATUS MESSAGE COMMAND...
    local name=$1 status=$2 message=$3 err
    shift 3
    err=$(q "$@" 2>&1 >/dev/null)
    check "$name: exit" "$status" $?
    [ -n "$message" ] && check "$name: message" "$message" "$err"
}

file() { # PATH SIZE TIME
    mkdir -p "$(dirname "$1")"
    head -c "$2" /dev/zero >"$1"
    touch -d "$3" "$1"
}
file "$work/one/docs/readme.txt" 1024 '2003-03-05 10:04:00'
file "$work/one/photos/Photo.jpg" 10 '2003-03-15 08:00:00'
file "$work/one/MYPHOTOS" 9 '2003-12-15 23:59:58'
touch -d '2003-03-01 12:00:00' "$work/one/docs" "$work/one/photos"
file "$work/two/big.iso" 100000 '2004-02-15 12:00:00'
file "$work/two/alpha.txt" 5 '2003-03-01 00:00:00'
file "$work/two/Beta.txt" 7 '2003-03-01 23:59:58'
file "$work/two/gamma.txt" 6 '2003-03-02 00:00:00'

mkdir -p "$root"
q create Plain >/dev/null && q create Packed --compressed >/dev/null
for db in Plain Packed; do
    q scan --db $db --number 3 --name Holiday "$work/one" >/dev/null
    q scan --db $db --number 12 --name Backup "$work/two" >/dev/null
done

# The directory lines name the trees below their mount point.
below() {
    local path mountpoint top
    path=$(realpath "$1")
    mountpoint=$(stat -c %m "$path")
    top="${path#"${mountpoint%/}"}/"
    printf '%s' "${top//\//\\}"
}
one=$(below "$work/one")
two=$(below "$work/two")
row() { printf '%s, %s, %s, %s, %s, %s,%s\r\n' "$@"; }
expected=$(
    row alpha.txt "$two" Backup 12 5 '1/3/2003       ' 00:00:00
    row Beta.txt "$two" Backup 12 7 '1/3/2003       ' 23:59:58
    row big.iso "$two" Backup 12 100000 '15/2/2004     ' 12:00:00
    row docs "$one" Holiday 3 0 '1/3/2003       ' 12:00:00
    row gamma.txt "$two" Backup 12 6 '2/3/2003       ' 00:00:00
    row MYPHOTOS "$one" Holiday 3 9 '15/12/2003    ' 23:59:58
    row Photo.jpg "${one}photos\\" Holiday 3 10 '15/3/2003     ' 08:00:00
    row photos "$one" Holiday 3 0 '1/3/2003       ' 12:00:00
    row readme.txt "${one}docs\\" Holiday 3 1024 '5/3/2003       ' 10:04:00
)
out=$(q find --db Plain)
check "find lists every record by name" "$expected" "$out"
check "a compressed database gives the same lines" "$expected" "$(q find --db Packed)"
check "and keeps only its catalogs" 'Backup!12.txt.bz2 Holiday!3.txt.bz2 VLR_ZIP' \
    "$(LC_ALL=C ls -A "$root/Packed" | tr '\n' ' ' | sed 's/ $//')"

q find --db Plain >"$work/stdout"
check "every line ends in CR LF" "9 9" "$(wc -l <"$work/stdout") $(grep -c $'\r$' "$work/stdout")"
q find --db Plain --output "$work/out.csv"
check "--output exits 0" 0 $?
cmp -s "$work/stdout" "$work/out.csv"
check "--output writes what standard output shows" 0 $?
printf 'old text that is longer than anything found\n%.0s' {1..500} >"$work/out.csv"
q find --db Plain --text alpha --output "$work/out.csv"
check "--output replaces the file" "$(q find --db Plain --text alpha)" "$(cat "$work/out.csv")"
refused "--output to a full disk" 1 "No space left on device." find --db Plain --output /dev/full

check "--text in names" "MYPHOTOS Photo.jpg photos" "$(found --text photo)"
check "--text is taken literally" "" "$(found --text 'photo*')"
check "--in dir" "Photo.jpg" "$(found --text PHOTOS --in dir)"
check "--in both needs both" "Photo.jpg" "$(found --text photo --in both)"
check "--in both, name only" "" "$(found --text docs --in both)"
check "--disk-name" "alpha.txt Beta.txt big.iso gamma.txt" "$(found --disk-name aCk)"
check "an empty --disk-name tests nothing" 9 "$(q find --db Plain --disk-name '' | wc -l)"
check "--disk-number" "docs MYPHOTOS Photo.jpg photos readme.txt" "$(found --disk-number 3)"
check "--disk-number -1 tests nothing" 9 "$(q find --db Plain --disk-number -1 | wc -l)"
refused "--disk-number 12a" 1 \
    "Integer values must be used for disk numbers. Please revise the disk number and retry." \
    find --db Plain --disk-number 12a

check "--from and --to take whole days" "alpha.txt Beta.txt docs photos" \
    "$(found --from 1/3/2003 --to 1/3/2003)"
check "both bounds are inclusive" "Beta.txt gamma.txt" \
    "$(found --from '1/3/2003 23:59:58' --to '2/3/2003 00:00:00')"
check "--from alone" "big.iso MYPHOTOS" "$(found --from 15/12/2003)"
check "--to alone" "alpha.txt" "$(found --to '1/3/2003 11:59:59')"
refused "a bad --from" 1 "'x' is not a valid integer value." find --db Plain --from 1/x/2003

out=$(found --sort size --reverse)
check "--sort size --reverse" "big.iso readme.txt Photo.jpg MYPHOTOS Beta.txt gamma.txt alpha.txt" \
    "${out% * *}"
out=$(found --sort size)
check "--sort size" "alpha.txt gamma.txt Beta.txt MYPHOTOS Photo.jpg readme.txt big.iso" \
    "${out#* * }"
out=$(found --sort date)
check "--sort date orders by time" "Beta.txt gamma.txt readme.txt Photo.jpg MYPHOTOS big.iso" \
    "${out#* * * }"
check "--reverse alone reverses the names" \
    "readme.txt photos Photo.jpg MYPHOTOS gamma.txt docs big.iso Beta.txt alpha.txt" \
    "$(found --reverse)"

# Listing one disk gives exactly what searching that disk does.
check "list --number" "$(q find --db Plain --disk-number 3)" "$(q list --db Plain --number 3)"
check "list --number --name" "$(q find --db Packed --disk-number 12)" \
    "$(q list --db Packed --number 012 --name Backup)"
q list --db Plain --number 3 --output "$work/list.csv"
check "list --output" "$(q list --db Plain --number 3)" "$(cat "$work/list.csv")"
refused "an unknown number" 1 "No catalog carries the disk number 99." list --db Plain --number 99
refused "a number that is no integer" 1 \
    "Integer values must be used for disk numbers. Please revise the disk number and retry." \
    list --db Plain --number 3x
q scan --db Plain --number 3 --name Other "$work/two" >/dev/null
refused "a number two disks carry" 1 \
    "Several catalogs carry the disk number 3: name the disk with --name." list --db Plain --number 3
check "--name picks one of them" "$(q find --db Plain --disk-name Other)" \
    "$(q list --db Plain --number 3 --name Other)"
refused "an unknown database" 1 "There is no database named Missing." find --db Missing

for args in "find" "find --db Plain extra" "find --db Plain --in elsewhere" \
    "find --db Plain --sort weight" "find --db Plain --text" "list --db Plain" "list --number 3" \
    "list --db Plain --number 3 extra"; do
    refused "'$args' is wrong usage" 2 "" $args
done

finish
