#!/usr/bin/env bash
# Formats our C++ sources with clang-format and the rules in .clang-format.
#   scripts/format.sh           rewrites every file that differs
#   scripts/format.sh --check   changes nothing; lists the files that differ and fails if any do
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
mapfile -t files < <(git ls-files -- '*.cpp' '*.h')

if [ "${1:-}" = "--check" ]; then
    differing=()
    for f in "${files[@]}"; do
        clang-format --style=file "$f" | cmp -s - "$f" || differing+=("$f")
    done
    if [ ${#differing[@]} -gt 0 ]; then
        printf '%s\n' "${differing[@]}"
        echo "${#differing[@]} files differ from .clang-format: run scripts/format.sh"
        exit 1
    fi
    echo "formatting: all ${#files[@]} files match .clang-format"
else
    clang-format --style=file -i "${files[@]}"
fi
