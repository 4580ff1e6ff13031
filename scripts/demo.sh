#!/usr/bin/env bash
# Builds Zephyrine and renders the bundled demo song through the plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build
build/bin/zephyrine-render demo/demo.mid -o demo.wav --png demo.png
echo "Rendered $PWD/demo.wav"
echo "Picture  $PWD/demo.png"
