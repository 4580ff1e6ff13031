#!/usr/bin/env bash
# Checks an LV2 bundle the way hosts see it, through lilv: lv2ls must list
# the plug-in's URI and lv2info must describe it without a warning or error.
#   scripts/check-lv2.sh <bundle folder> <plug-in URI>
set -euo pipefail
bundle="$(cd "${1:?bundle folder}" && pwd)"
uri="${2:?plug-in URI}"

export LV2_PATH="$(dirname "$bundle")"
listed="$(lv2ls 2>&1)"
if ! grep -qxF "$uri" <<< "$listed"; then
    echo "lv2ls does not list $uri:"; echo "$listed"; exit 1
fi

info="$(lv2info "$uri" 2>&1)"
if grep -qiE "error|warning|invalid" <<< "$info"; then
    echo "lv2info complains:"; echo "$info"; exit 1
fi
grep -q "Name:.*Zephyrine" <<< "$info" || { echo "lv2info gives no name:"; echo "$info"; exit 1; }
echo "$uri: listed and described"
