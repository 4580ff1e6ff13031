#!/usr/bin/env bash
# Measures the factory sounds: the integrated loudness of a C-major chord
# held for a second (EBU R128 gating, K-weighted), its peak, and how far each
# sound lies from its nearest neighbour. Exits 1 when a sound is out of
# line (too loud or quiet against the rest, clipping, silent, or a
# near-duplicate). Usage: scripts/measure-presets.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
nice cmake --build "$build" --target zephyrine-presets > /dev/null
exec "$build/bin/zephyrine-presets" measure
