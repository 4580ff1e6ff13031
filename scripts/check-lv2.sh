#!/usr/bin/env bash
# Checks an LV2 bundle the way hosts see it, through lilv: lv2ls must list
# the plug-in's URI and lv2info must describe it without a warning or error,
# list every factory sound as a preset, and its version must be a release one.
#   scripts/check-lv2.sh <bundle folder> <plug-in URI> [presets/factory.txt]
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
if [ -n "${3:-}" ]; then
    # The presets as lv2info prints them: one indented label a line after "Presets:".
    presets="$(awk '/^\tPresets:/ { on = 1; next } on && /^\t  / { sub(/^\t +/, ""); print; next } { on = 0 }' <<< "$info")"
    count=0
    while IFS= read -r name; do
        count=$((count + 1))
        grep -qxF "$name" <<< "$presets" || { echo "lv2info lists no preset '$name'; it lists:"; echo "$presets"; exit 1; }
    done < <(grep -v '^#' "$3" | grep '|' | cut -d'|' -f1 | sed 's/ *$//')
    echo "$uri: all $count factory sounds listed as presets"
fi

# LV2 counts a minor version of 0, or an odd one, as a development release,
# which hosts may flag.
minor="$(sed -n 's/.*lv2:minorVersion \([0-9][0-9]*\).*/\1/p' "$bundle"/*.ttl | head -n 1)"
if [ -z "$minor" ] || [ "$minor" -eq 0 ] || [ $((minor % 2)) -eq 1 ]; then
    echo "lv2:minorVersion ${minor:-missing}: not a release version"; exit 1
fi
echo "$uri: listed and described, version minor $minor"
