#!/usr/bin/env bash
# Scans disks and manages catalogs through quillory-cli, against a database
# root and disk trees in a temporary directory.
# shellcheck source=harness.sh
source "$(dirname "$0")/harness.sh"
export TZ=UTC
root="$work/root"
q() { "$cli" --root "$root" "$@"; }
listing() { find "$1" -mindepth 1 -printf '%f\n' | LC_ALL=C sort | tr '\n' ' '; }
refused() { # NAME MESSAGE COMMAND...: exit 1 with MESSAGE on standard error
    local name=$1 message=$2 err status
    shift 2
    err=$(q "$@" 2>&1 >/dev/null)
    status=$?
    check "$name: exit" 1 "$status"
    check "$name: message" "$message" "$err"
}

mkdir -p "$root" "$work/disk/docs"
printf 'hello' >"$work/disk/docs/a.doc"
touch -d '2003-03-07 10:04:07' "$work/disk/docs/a.doc" "$work/disk/docs"
q create Plain >/dev/null && q create Packed --compressed >/dev/null

# The directory line is the path below the mount point holding the disk.
disk=$(realpath "$work/disk")
mountpoint=$(stat -c %m "$disk")
top="${disk#"${mountpoint%/}"}/"
top=${top//\//\\}
record() { printf '%s\r\n' "$@" -----; }
expected=$(record F a.doc "${top}docs\\" 7/3/2003 10:04:06 5; record D docs "$top" 7/3/2003 10:04:06 0)

out=$(q scan --db Plain --number 7 --name Disk "$work/disk")
check "scan prints the catalog's file name" 'Disk!7.txt' "$out"
check "catalog records" "$expected" "$(cat "$root/Plain/Disk!7.txt")"
cp "$root/Plain/Disk!7.txt" "$work/first"
q scan --db Plain --number 7 --name Disk "$work/disk" >/dev/null
cmp -s "$work/first" "$root/Plain/Disk!7.txt"
check "a rescan writes the same bytes" 0 $?
check "a rescan replaces the catalog" 'Disk!7.txt VLR_STD ' "$(listing "$root/Plain")"

out=$(q scan --db Packed --number 7 --name Disk "$work/disk")
check "compressed scan" 'Disk!7.txt.bz2' "$out"
check "compressed database holds only the .txt.bz2" 'Disk!7.txt.bz2 VLR_ZIP ' "$(listing "$root/Packed")"
bzip2 -dc "$root/Packed/Disk!7.txt.bz2" | cmp -s - "$work/first"
check "compressed catalog unpacks to the plain one" 0 $?

check "--label below a mount point" 'Default!8.txt' "$(q scan --db Plain --number 8 --label "$work/disk")"
mkdir -p "$XDG_CONFIG_HOME/Quillory"
printf '[General]\nInputDir=%s/disk/\nPrintCols=" 30  30  15   4  10  23"\nPrintColsEnabled="1 1 1 1 1 1"\n' \
    "$work" >"$XDG_CONFIG_HOME/Quillory/Quillory.conf"
check "no path scans InputDir, no name is Default" 'Default!10.txt' "$(q scan --db Plain --number 10)"
check "catalogs by number" "$(printf '7\tDisk\n8\tDefault\n10\tDefault')" "$(q catalogs --db Plain)"

number_message='Integer values must be used for disk numbers. Please revise the disk number and retry.'
refused "number not an integer" "$number_message" scan --db Plain --number x "$work/disk"
refused "empty number" "$number_message" scan --db Plain --number '' "$work/disk"
refused "name with !" 'Disk names cannot include the "!" symbol. Please revise the disk name and retry.' \
    scan --db Plain --number 1 --name 'a!b' "$work/disk"
refused "name with /" 'Disk names cannot include "/", "\" or control characters. Please revise the disk name and retry.' \
    scan --db Plain --number 1 --name '../a' "$work/disk"
refused "missing disk" 'Disk not available to scan. Please retry.' \
    scan --db Plain --number 1 "$work/missing"
refused "unknown database" 'There is no database named Nope.' scan --db Nope --number 1 "$work/disk"
check "refused scans wrote nothing" 'Default!10.txt Default!8.txt Disk!7.txt VLR_STD ' "$(listing "$root/Plain")"

refused "rename onto an existing catalog" 'Error renaming catalog.' rename-catalog --db Plain 7 Disk 8 Default
cmp -s "$work/first" "$root/Plain/Disk!7.txt"
check "a refused rename keeps the catalog" 0 $?
refused "rename to a name with !" 'Disk names cannot include the "!" symbol. Please revise the disk name and retry.' \
    rename-catalog --db Plain 7 Disk 9 'a!b'
q rename-catalog --db Plain 7 Disk 9 Nine
check "rename exit" 0 $?
check "renamed catalog" 'Default!10.txt Default!8.txt Nine!9.txt VLR_STD ' "$(listing "$root/Plain")"
q delete-catalog --db Plain 9 Nine
check "delete exit" 0 $?
refused "delete a missing catalog" "There is no catalog $root/Plain/Nine!9.txt." delete-catalog --db Plain 9 Nine
q delete-catalog --db Packed 7 Disk
check "delete in a compressed database" 'VLR_ZIP ' "$(listing "$root/Packed")"

for usage in "scan --db Plain" "scan --db Plain --number 1 --name A --label" "scan --number 1" \
    "scan --db Plain --number 1 a b" "catalogs" "rename-catalog --db Plain 7 Disk 9" \
    "delete-catalog --db Plain 9"; do
    # shellcheck disable=SC2086
    q $usage >/dev/null 2>&1
    check "wrong usage: $usage" 2 $?
done

finish
