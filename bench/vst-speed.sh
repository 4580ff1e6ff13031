#!/usr/bin/env bash
# Render speed through the VST 2 interface, as a multiple of real time, for
# Zephyrine (Crush off) and, in the same run, amsynth's VST 2 plug-in.
#   bench/vst-speed.sh [BUILD_FOLDER]      (default: build)
# RUNS=N sets the runs per case (default 3); the median is reported.
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build}"
runs="${RUNS:-3}"
bench="$build/bin/vst_bench"
[ -x "$bench" ] || { echo "no $bench: build the targets vst_bench and zephyrine_vst first" >&2; exit 1; }

scratch="$(mktemp -d)"
mkdir -p "$scratch/.local/share"
trap 'rm -rf "$scratch"' EXIT

echo "On $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -1), $(nproc) cores:"
echo "== Zephyrine ($build/vst/Zephyrine.so, Crush off)"
"$bench" "$build/vst/Zephyrine.so" --crush-off --runs "$runs"
amsynth=/usr/lib/vst/amsynth_vst.so
if [ -f "$amsynth" ]; then
    echo "== amsynth ($amsynth, its default sound)"
    # amsynth wants a settings folder in HOME; give it a throwaway one.
    HOME="$scratch" "$bench" "$amsynth" --runs "$runs"
else
    echo "amsynth not installed ($amsynth)"
fi
