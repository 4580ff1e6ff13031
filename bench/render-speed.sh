#!/usr/bin/env bash
# Render speed of the demo song, as a multiple of real time, through Zephyrine
# and, on the same MIDI file in the same run, through amsynth's VST 2 plug-in.
#   bench/render-speed.sh [BUILD_FOLDER]      (default: build)
# RUNS=N sets the renders per instrument (default 7); the median is reported.
# The figure is the renderer's own: the block loop with the encoding of the
# sound as it streams to the file, without loading the plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
runs="${RUNS:-7}"
renderer="$build/bin/zephyrine-render"
song=demo/demo.mid
[ -x "$renderer" ] || { echo "no $renderer: build the target zephyrine-render first" >&2; exit 1; }

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure() {
    local name="$1" plugin="$2" speeds=() summary=""
    for _ in $(seq "$runs"); do
        # amsynth wants a settings folder in HOME; give it a throwaway one.
        summary="$(HOME="$scratch" "$renderer" "$song" -o "$scratch/out.wav" --plugin "$plugin" --tail-max 2 2>/dev/null)"
        speeds+=("$(sed -n 's/.* \([0-9.]*\)x real time.*/\1/p' <<< "$summary")")
    done
    local seconds
    seconds="$(sed -n 's/^Rendered \([0-9.]*\) s .*/\1/p' <<< "$summary")"
    printf '%-12s %8s s of audio   median %8sx real time   (min %s, max %s, %d runs)\n' "$name" "$seconds" \
        "$(printf '%s\n' "${speeds[@]}" | median)" \
        "$(printf '%s\n' "${speeds[@]}" | sort -g | head -1)" \
        "$(printf '%s\n' "${speeds[@]}" | sort -g | tail -1)" "$runs"
}

echo "Render speed of $song at 44100 Hz, block size 512, on $(nproc) cores ($(uname -m)):"
zephyrine="$build/vst/Zephyrine.so"
if [ -f "$zephyrine" ]; then measure Zephyrine "$zephyrine"; else echo "Zephyrine    not built ($zephyrine)"; fi
amsynth=/usr/lib/vst/amsynth_vst.so
if [ -f "$amsynth" ]; then measure amsynth "$amsynth"; else echo "amsynth      not installed ($amsynth)"; fi
