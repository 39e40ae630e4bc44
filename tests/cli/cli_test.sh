#!/usr/bin/env bash
# Runs quillory-cli as a script would, against settings in a temporary home.
set -uo pipefail
cli=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_CONFIG_HOME="$home/config"
passed=0
failed=0

check() { # NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        printf 'FAIL %s\n--- expected\n%s\n--- actual\n%s\n' "$1" "$2" "$3"
    fi
}

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

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
