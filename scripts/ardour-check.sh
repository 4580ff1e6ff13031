#!/usr/bin/env bash
# Zephyrine in Ardour 7 without a screen or a sound card: ardour7-lua runs a
# session on Ardour's Dummy backend with the built LV2 and VST3 plug-ins,
# plays, saves, and opens the session again. The VST3 plug-in gets two
# parameters changed through Ardour; the LV2 plug-in's saved state is
# replaced by one with values out of every range. Both must come back, and
# the LV2 state must be saved back unchanged. Both preset menus list every
# factory sound, and a second LV2 instance takes one, whose state the saved
# session must then hold.
#   scripts/ardour-check.sh [build folder]      needs Debian's ardour and python3
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(realpath "${1:-$here/../build}")"
products="$build/framework/formats/zephyrine_formats_artefacts/Release"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" LV2_PATH="$products/LV2" VST3_PATH="$work/vst3" ZEPHYRINE_FACTORY="$here/../presets/factory.txt"
mkdir -p "$HOME" "$VST3_PATH"
ln -s "$products/VST3/Zephyrine.vst3" "$VST3_PATH/"

# Ardour finds VST3 plug-ins through its scanner's cache.
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner -q "$VST3_PATH/Zephyrine.vst3"

session="$work/session"
run() { ardour7-lua "$here/ardour/$1" "$session" 2>&1 | grep -vE '^$|MIDI buffer|midi-audition|pool trash'; }

run create.lua
# The newest state of the LV2 track's plug-in, the first one made (the
# preset track's has a later number).
latest_state() {
    local first
    first="$(ls -d "$session"/plugins/*/ | sort -V | head -1)"
    ls -d "$first"state* | sort -V | tail -1
}
unusual='<t_SETTINGS 0="1.70000005" 1="-0.25" 2="0.300000012" 3="0" 4="0.5" 5="0.25" 6="0.125" 7="2" 8="0.00999999978" 9="0.600000024" 10="0.200000003" 11="0.100000001" 12="0.150000006" 13="0.899999976" 14="0.400000006" 15="3.5" 16="0.699999988" 17="7"/>'
python3 "$here/ardour/lv2state.py" write "$(latest_state)/state.ttl" "$unusual"

# The preset track saved Glass Pad's state block.
preset_state="$(ls -d "$(ls -d "$session"/plugins/*/ | sort -V | tail -1)"state* | sort -V | tail -1)"
glass="$(tail -c +9 "$build/presets/files/vc2/Glass_Pad.vc2" | tr -d '\0')"
if [ "$(python3 "$here/ardour/lv2state.py" read "$preset_state/state.ttl")" != "$glass" ]; then
    echo "the LV2 preset did not reach the saved state"; exit 1
fi
echo "LV2 preset Glass Pad applied and saved"

run reload.lua
restored="$(python3 "$here/ardour/lv2state.py" read "$(latest_state)/state.ttl")"
if [ "$restored" != "$unusual" ]; then
    echo "the LV2 state came back changed:"; echo "  saved:    $unusual"; echo "  restored: $restored"; exit 1
fi
echo "LV2 state restored and saved back unchanged"
