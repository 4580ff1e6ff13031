#!/usr/bin/env bash
# Installs the Debian packages Zephyrine needs to build, test and render.
# Quick when they are already there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config ninja-build ccache
    clang libclang-rt-14-dev clang-format
    juce-modules-source fst-dev
    libx11-dev libxtst-dev libxrandr-dev libxinerama-dev libxcursor-dev libxext-dev
    libfreetype-dev libfontconfig1-dev fonts-dejavu-core
    libflac-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool imagemagick libxtst-dev
    locales
    libasound2-dev libjack-jackd2-dev jackd2 lilv-utils
    amsynth dpf-plugins-vst dpf-plugins-lv2
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" > /dev/null
fi

# A locale with a decimal comma, so that the tests can check that number
# texts do not follow the host's locale.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    echo "Generating the de_DE.UTF-8 locale"
    localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
