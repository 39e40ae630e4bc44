# The shared part of the command-line tests, sourced by each: a temporary
# directory $work (removed at the end) holding the settings, the counters and
# check, and finish for the closing line.
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

finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
