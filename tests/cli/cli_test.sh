#!/usr/bin/env bash
# Runs quillory-cli as a script would, against settings in a temporary home.
# shellcheck source=harness.sh
source "$(dirname "$0")/harness.sh"
home=$work

out=$("$cli" --version); check "version" "quillory-cli 1.0" "$out"
out=$("$cli" --help); check "help exits 0" 0 $?
case "$out" in *"settings"*) check "help lists settings" 1 1 ;; *) check "help lists settings" x "$out" ;; esac
"$cli" >/dev/null 2>&1; check "no command is wrong usage" 2 $?
"$cli" frobnicate >/dev/null 2>&1; check "unknown command is wrong usage" 2 $?
"$cli" --root >/dev/null 2>&1; check "--root without a directory" 2 $?
"$cli" settings extra >/dev/null 2>&1; check "settings takes no arguments" 2 $?

out=$("$cli" settings)
check "settings without a file" "$(printf 'InputDir\t\nDatabaseDir\t\nPrintCols\t0 0 0 0 0 0\nPrintColsEnabled\t0 0 0 0 0 0')" "$out"

mkdir -p "$XDG_CONFIG_HOME/Quillory"
conf="$XDG_CONFIG_HOME/Quillory/Quillory.conf"
printf '[General]\nInputDir=/media/cdrom/\nDatabaseDir=/data/\nFirstTime=True\nPrintCols="  5  40 120   4  10  20"\nPrintColsEnabled="1 0 1 1 0 1 "\n' > "$conf"
out=$("$cli" --root /elsewhere settings)
check "settings from a file" "$(printf 'InputDir\t/media/cdrom/\nDatabaseDir\t/data/\nPrintCols\t5 40 120 4 10 20\nPrintColsEnabled\t1 0 1 1 0 1')" "$out"
grep -q 'FirstTime=True' "$conf"; check "the command line never applies the first-run rule" 0 $?

printf '[General]\nPrintCols="  5  4x"\n' > "$conf"
err=$("$cli" settings 2>&1 >/dev/null); status=$?
check "malformed settings exit 1" 1 $status
check "malformed settings message" "' 4x' is not a valid integer value." "$err"

# Databases, against a root of their own.
root="$home/root"
mkdir -p "$root/Unmarked" "$root/.hidden"
printf 'Quillory v1.0\r\n' > "$root/.hidden/VLR_STD"
# The order of the list comes from the locale; "alpha" before "Beta" shows it is used.
db() { LC_ALL=en_US.UTF-8 "$cli" --root "$root" "$@"; }
names() { LC_ALL=C ls -A "$1" | tr '\n' ' ' | sed 's/ $//'; }
out=$(db databases); check "an empty root lists nothing" "" "$out"
db create Beta; check "create a plain database" 0 $?
db create alpha --compressed; check "create a compressed database" 0 $?
check "plain marker" "$(printf 'Quillory v1.0\r\n')" "$(cat "$root/Beta/VLR_STD")"
check "compressed marker" "VLR_ZIP" "$(names "$root/alpha")"
out=$(db databases)
check "databases in locale order" "$(printf 'alpha\tY\nBeta\tN')" "$out"
err=$(db create Beta --compressed 2>&1); status=$?
check "create an existing name exits 1" 1 $status
check "create an existing name says so" "A database named Beta exists already." "$err"
check "the existing database is unchanged" "VLR_STD" "$(names "$root/Beta")"
for name in "../outside" "a/b" ".."; do
    err=$(db create "$name" 2>&1); status=$?
    check "create '$name' exits 1" 1 $status
    case "$err" in "Database names cannot include"*) ;; *) check "create '$name' message" "" "$err" ;; esac
done
check "bad names create nothing" ".hidden Beta Unmarked alpha" "$(names "$root")"
[ ! -e "$home/outside" ]; check "nothing is made beside the root" 0 $?

head -c 300000 /dev/urandom | od -An -tx1 > "$home/catalog"
cp "$home/catalog" "$root/Beta/Disk!007.txt"
: > "$root/Beta/Empty!1.txt"
db compress Beta; check "compress exits 0" 0 $?
check "compressed names" "Disk!007.txt.bz2 Empty!1.txt.bz2 VLR_ZIP" "$(names "$root/Beta")"
if command -v bzip2 >/dev/null; then
    bzip2 -dc "$root/Beta/Disk!007.txt.bz2" | cmp -s - "$home/catalog"; check "bzip2 reads a converted catalog" 0 $?
fi
db decompress Beta; check "decompress exits 0" 0 $?
cmp -s "$root/Beta/Disk!007.txt" "$home/catalog"; check "round trip keeps the bytes" 0 $?
check "decompressed names" "Disk!007.txt Empty!1.txt VLR_STD" "$(names "$root/Beta")"

printf 'BZh1 damaged' > "$root/alpha/Bad!1.txt.bz2"
err=$(db decompress alpha 2>&1); status=$?
check "a damaged catalog exits 1" 1 $status
check "a damaged catalog names the error" "BZ_DATA_ERROR." "$err"
check "a failed conversion keeps the database" "Bad!1.txt.bz2 VLR_ZIP" "$(names "$root/alpha")"

db rename-db Beta Beta2; check "rename-db exits 0" 0 $?
err=$(db rename-db Beta2 alpha 2>&1); status=$?
check "rename onto an existing name exits 1" 1 $status
check "rename onto an existing name message" "Error renaming database." "$err"
out=$(db databases); check "after renaming" "$(printf 'alpha\tY\nBeta2\tN')" "$out"
touch "$root/alpha/.keep"
db delete-db alpha; check "delete-db exits 0" 0 $?
check "a hidden file keeps the directory" ".keep" "$(names "$root/alpha")"
db delete-db Beta2; [ ! -e "$root/Beta2" ]; check "delete-db removes the directory" 0 $?
out=$(db databases); check "nothing left" "" "$out"

for args in "compress Missing" "decompress Missing" "delete-db Missing" "rename-db Missing New"; do
    err=$(db $args 2>&1); status=$?
    check "'$args' exits 1" 1 $status
    check "'$args' message" "There is no database named Missing." "$err"
done
for args in "databases x" "create" "create a --zip" "create a --compressed x" "rename-db a" \
    "rename-db a b c" "delete-db" "delete-db a b" "compress" "decompress a b"; do
    db $args >/dev/null 2>&1; check "'$args' is wrong usage" 2 $?
done

finish
