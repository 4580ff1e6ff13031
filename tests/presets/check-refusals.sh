#!/usr/bin/env bash
# The factory list's checker must refuse every kind of broken line, naming
# the line and the fault, and accept the real list.
#   check-refusals.sh <preset-table> <presets/factory.txt>
set -euo pipefail
table="${1:?preset-table}"
factory="${2:?factory.txt}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$table" "$factory" "$work/ok.cpp" || { echo "the factory list is refused"; exit 1; }

default="$(grep '^Default ' "$factory")"
good='Good | Pad | 0.5 0 0.5 0 0.2 0 0 0 0 0.4 0.8 0.02 0.2 0 1 1 0 1 | Fine.'
failures=0
refuse() {   # refuse <message expected> <line>
    printf '%s\n%s\n%s\n' "$default" "$good" "$2" > "$work/bad.txt"
    if out="$("$table" "$work/bad.txt" "$work/bad.cpp" 2>&1)"; then
        echo "accepted: $2"; failures=$((failures + 1))
    elif ! grep -qF "bad.txt:3: error: " <<< "$out" || ! grep -qF "$1" <<< "$out"; then
        echo "for: $2"; echo "expected: $1"; echo "got: $out"; failures=$((failures + 1))
    fi
}
refuse "has 17 values" 'Short | Pad | 0.5 0 0.5 0 0.2 0 0 0 0 0.4 0.8 0.02 0.2 0 1 1 0 | Seventeen.'
refuse "has 19 values" 'Long | Pad | 0.5 0 0.5 0 0.2 0 0 0 0 0.4 0.8 0.02 0.2 0 1 1 0 1 1 | Nineteen.'
refuse "'0,5' is not a number" 'Comma | Pad | 0,5 0 0.5 0 0.2 0 0 0 0 0.4 0.8 0.02 0.2 0 1 1 0 1 | Comma.'
refuse "the name 'good' is taken" 'good | Pad | 0.5 0 0.5 0 0.2 0 0 0 0 0.4 0.8 0.02 0.2 0 1 1 0 1 | Twice.'
refuse "needs four fields" 'Three | Pad | 0.5 0 0.5 0 0.2 0 0 0 0 0.4 0.8 0.02 0.2 0 1 1 0 1'
refuse "Oct must be 0, 0.5 or 1" 'Oct | Pad | 0.5 0 0.7 0 0.2 0 0 0 0 0.4 0.8 0.02 0.2 0 1 1 0 1 | Off the steps.'
refuse "Shape+ must be a shape from 1 to 5" 'Shape | Pad | 0.5 0 0.5 0 0.2 0 0 0 0 0.4 0.8 0.02 0.2 0 6 1 0 1 | No such shape.'
refuse "Amt must lie between 0 and 1" 'Amt | Pad | 0.5 0 0.5 0 0.2 0 0 1.5 0 0.4 0.8 0.02 0.2 0 1 1 0 1 | Too deep.'
refuse "Vol 0 is silent" 'Mute | Pad | 0.5 0 0.5 0 0.2 0 0 0 0 0.4 0.8 0.02 0 0 1 1 0 1 | Silent.'
refuse "bend the wave too far" 'Bent | Pad | 1 1 0.5 0 0.2 0 0 1 0 0.4 0.8 0.02 0.2 0 1 1 0 1 | Singular.'
refuse "holds a quote" 'Quote | Pad | 0.5 0 0.5 0 0.2 0 0 0 0 0.4 0.8 0.02 0.2 0 1 1 0 1 | Say "hi".'

# The first sound must be the engine's own.
printf '%s\n' "$good" > "$work/first.txt"
if "$table" "$work/first.txt" "$work/first.cpp" 2> /dev/null; then echo "accepted a list without Default first"; failures=$((failures + 1)); fi

[ "$failures" -eq 0 ] && echo "every broken line refused"
exit "$failures"
