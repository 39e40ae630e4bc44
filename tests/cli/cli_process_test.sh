#!/usr/bin/env bash
# What only the program itself shows: its exit statuses, its version, a
# standard output that cannot be written, and progress on a real terminal.
# Everything else about the command line is tested in cli_tests.
set -uo pipefail
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
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
q() { "$cli" --root "$work/root" "$@"; }

check "version" "quillory-cli 1.0" "$("$cli" --version)"
"$cli" --help >/dev/null; check "help exits 0" 0 $?
"$cli" >/dev/null 2>&1; check "no command exits 2" 2 $?
"$cli" find --db >/dev/null 2>&1; check "wrong usage exits 2" 2 $?

mkdir -p "$work/root" "$work/disk"
printf 'hello' >"$work/disk/a.txt"
q create Plain; check "create exits 0" 0 $?
err=$(q create Plain 2>&1); check "a failure exits 1" 1 $?
check "with its message" "A database named Plain exists already." "$err"

# A write to standard output that fails fails the command.
for args in "--help" "--version" "scan --db Plain --number 1 $work/disk" "databases" \
    "catalogs --db Plain" "settings" "find --db Plain" "list --db Plain --number 1" \
    "find --db Plain --count" "find --db Plain --format json" "list --db Plain --number 1 --format ndjson"; do
    # shellcheck disable=SC2086
    err=$(q $args 2>&1 >/dev/full)
    check "'$args' >/dev/full exits 1" 1 $?
    check "'$args' >/dev/full says so" "Cannot write standard output: No space left on device." "$err"
done

# Matches written as found, from many catalogs at once, fail with the first
# write's reason, which later writes no longer hold in errno.
q create Many
python3 -c 'import sys
for c in range(40):
    with open(f"{sys.argv[1]}/Many/D{c}!{c}.txt", "w", newline="") as f:
        f.write("F\r\nname\r\n\\\r\n5/3/2003\r\n10:04:00\r\n1\r\n-----\r\n" * (9000 - 8000 * (c % 2)))' "$work/root"
err=$(q find --db Many --format ndjson --no-index 2>&1 >/dev/full)
check "ndjson as found >/dev/full" "Cannot write standard output: No space left on device." "$err"

# On a terminal, progress shows on standard error and its line is cleared.
if command -v script >/dev/null; then
    shown=$(script -qec "$cli --root $work/root find --db Plain 2>&1 >/dev/null" /dev/null)
    check "progress on a terminal" $'\r\e[K0 of 1 catalogs read, 0 matches\r\e[K' "$shown"
    check "none elsewhere" "" "$(q find --db Plain 2>&1 >/dev/null)"
fi

# Things named like catalogs that are not regular files are no catalogs: no
# command lists, reads or waits on them, in either form of database.
odd() { # KIND PATH: makes it, or says why it cannot
    case $1 in
    pipe) mkfifo "$2" ;;
    socket) python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])' "$2" ;;
    directory) mkdir "$2" ;;
    device) mknod "$2" c 1 3 2>/dev/null ;;
    link) ln -s nowhere "$2" ;;
    esac
}
q create Packed --compressed >/dev/null
q scan --db Packed --number 1 "$work/disk" >/dev/null
for db in Plain Packed; do
    extension=.txt
    [ "$db" == Packed ] && extension=.txt.bz2
    for kind in pipe socket directory device link; do
        if ! odd "$kind" "$work/root/$db/Odd!2$extension"; then
            echo "SKIP a $kind named like a catalog: this machine cannot make one"
            continue
        fi
        for args in "index" "catalogs" "find" "find --no-index" "list --number 1"; do
            # shellcheck disable=SC2086
            out=$(timeout 20 "$cli" --root "$work/root" $args --db $db 2>&1 | tr -d '\r')
            check "$db: '$args' beside a $kind" 0 "$?"
            case $args in
            catalogs) check "$db: catalogs beside a $kind" $'1\tDefault' "$out" ;;
            index) check "$db: index beside a $kind" "" "$out" ;;
            *) check "$db: '$args' beside a $kind" "a.txt, Default, 1, 5" "$(cut -d, -f1,3-5 <<<"$out")" ;;
            esac
        done
        rm -rf "$work/root/$db/Odd!2$extension"
    done
done

# A catalog too large or too odd for a search index part has none, named on
# standard error, and is read whole; no command over it needs much memory.
# AddressSanitizer's shadow memory alone takes more address space.
# (grep -q would close the pipe early, and pipefail take ldd's SIGPIPE for "no".)
if [[ $(ldd "$cli") == *libasan* ]]; then
    echo "SKIP catalogs too large for the index under a memory bound: built with AddressSanitizer"
elif command -v prlimit >/dev/null && command -v bzip2 >/dev/null; then
    export XDG_CACHE_HOME="$work/cache"
    limit=(prlimit --as=$((256 << 20)))
    q create Odd --compressed >/dev/null
    # yes ends each record with its last LF.
    record=$'F\r\nsame name.txt\r\n\\dir\\\r\n1/2/2003\r\n10:00:00\r\n5\r\n-----\r'
    yes "$record" | head -n $((350000 * 7)) | bzip2 -1 >"$work/piece.bz2"
    for _ in $(seq 16); do cat "$work/piece.bz2"; done >"$work/root/Odd/Bomb!1.txt.bz2"
    err=$("${limit[@]}" "$cli" --root "$work/root" index --db Odd 2>&1)
    check "index over a bomb exits 1" 1 $?
    check "and names it" "Bomb!1.txt.bz2: too large or too odd for the search index; searches read it whole.
1 of 1 catalogs have no search index part." "$err"
    rows=$("${limit[@]}" "$cli" --root "$work/root" find --db Odd --text needle 2>/dev/null)
    check "a search over it reads it whole" "0 " "$? $rows"
    deep=$(printf 'a\\%.0s' $(seq 60000))
    printf 'F\r\ndeepest\r\n\\%s\r\n1/2/2003\r\n10:00:00\r\n5\r\n-----\r\n' "$deep" \
        >"$work/root/Plain/Deep!2.txt"
    err=$("${limit[@]}" "$cli" --root "$work/root" index --db Plain 2>&1 | head -1)
    check "a directory of 60 000 levels has no part" \
        "Deep!2.txt: too large or too odd for the search index; searches read it whole." "$err"
    rows=$("${limit[@]}" "$cli" --root "$work/root" find --db Plain --text deepest 2>/dev/null | wc -l)
    check "and is read whole" 1 "$rows"
else
    echo "SKIP catalogs too large for the index: prlimit or bzip2 missing"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
