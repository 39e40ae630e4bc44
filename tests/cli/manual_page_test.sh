#!/usr/bin/env bash
# The manual page keeps in step with the command line: every verb the program
# lists has its own section, which names every option of that verb.
set -uo pipefail
cli=$1
page=$2
failed=0
checked=0
export XDG_CONFIG_HOME=/nonexistent

# The page's text with roff's escaped hyphens as plain ones.
text=$(sed 's/\\-/-/g' "$page")
section() { # VERB: from the verb's heading to the next heading
    awk -v verb="$1" '
        /^\.S[HS]/ { inside = ($1 == ".SS" && ($2 == verb || $2 == "\"" verb)) }
        inside' <<<"$text"
}

verbs=$("$cli" --help | awk '/^Commands:/ { on = 1; next } on && /^  [a-z]/ { print $1 }')
[ -n "$verbs" ] || { echo "FAIL no verbs in quillory-cli --help"; exit 1; }
for option in --root --help --version; do
    checked=$((checked + 1))
    grep -q -- "^\.[BI]*R* *$option" <<<"$text" || { echo "FAIL $page lacks $option"; failed=$((failed + 1)); }
done
for verb in $verbs; do
    body=$(section "$verb")
    checked=$((checked + 1))
    if [ -z "$body" ]; then
        echo "FAIL $page has no section for '$verb'"
        failed=$((failed + 1))
        continue
    fi
    for option in $("$cli" "$verb" --help | grep -o -- '--[a-z][a-z-]*' | grep -vx -- --root); do
        checked=$((checked + 1))
        grep -q -- "$option\b" <<<"$body" ||
            { echo "FAIL $page: '$verb' lacks $option"; failed=$((failed + 1)); }
    done
done
echo "$((checked - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
