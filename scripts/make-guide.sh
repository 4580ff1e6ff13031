#!/usr/bin/env bash
# Makes the pictures and sound examples of docs/guide.md from the factory
# sound list and the renderer, and rewrites the guide's generated parts (the
# gallery and the measurements) between their marker lines. Run it after a
# change to presets/factory.txt; it leaves docs/guide/ complete or exits.
# Usage: scripts/make-guide.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
nice cmake --build "$build" --target zephyrine-render zephyrine-presets > /dev/null

render="$build/bin/zephyrine-render"
presets="$build/bin/zephyrine-presets"
out=docs/guide
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/controls" "$out/sounds"
rm -f "$out"/controls/* "$out"/sounds/*

# One control at a few values, one note (or chord) each, on a base sound.
# sweep NAME FILE BASE "EXTRA --set ARGS" VALUE...
sweep() {
    local control=$1 file=$2 base=$3 extra=$4 chord=""
    shift 4
    [[ $control == Arp || $control == Oct ]] || chord=--chord
    "$presets" sweep-song "$work/$file.mid" "$control" "$@" $chord
    local sets=()
    for s in $extra; do sets+=(--set "$s"); done
    "$render" "$work/$file.mid" -o "$work/$file.wav" --png "$work/$file.png" --preset "$base" \
        ${sets[@]+"${sets[@]}"} --tail-max 1 -q
    "$presets" shrink "$work/$file.png" "$out/controls/$file.jpg" 640
}

sweep Disp       disp       "Toy Organ"       "Wave1=Saw1 Wave2=Saw1"        0.1 0.5 0.9
sweep Rand       rand       "Toy Organ"       "Wave1=Saw1 Wave2=Saw1"        0 0.5 1
sweep Oct        oct        "Toy Organ"       ""                             0 0.5 1
sweep Osc.A      osc-a      "Slow Sweep Lead" "Osc.S=0 Osc.D=0.4"            0 0.2 0.6
sweep Osc.D      osc-d      "Slow Sweep Lead" "Osc.A=0 Osc.S=0"              0.05 0.2 0.6
sweep Osc.S      osc-s      "Slow Sweep Lead" "Osc.A=0 Osc.D=0.1"            0 0.5 1
sweep Osc.R      osc-r      "Slow Sweep Lead" "Osc.A=0 Osc.S=1 Amp.R=0.4"    0 0.1 0.4
sweep Amt        amt        "Slow Sweep Lead" ""                             0 0.5 1
sweep Amp.A      amp-a      "Toy Organ"       ""                             0 0.1 0.4
sweep Amp.D      amp-d      "Toy Organ"       "Amp.S=0"                      0.05 0.2 0.5
sweep Amp.S      amp-s      "Toy Organ"       "Amp.D=0.1"                    0 0.5 1
sweep Amp.R      amp-r      "Toy Organ"       ""                             0 0.1 0.3
sweep Vol        vol        "Toy Organ"       ""                             0.05 0.14 0.3
sweep Arp        arp        "Toy Organ"       ""                             0 0.5 1
sweep Wave1      wave1      "Toy Organ"       "Wave2=Sin"                    Sin Saw1 Saw2 Tri Sqr
sweep Wave2      wave2      "Toy Organ"       "Wave1=Sin"                    Sin Saw1 Saw2 Tri Sqr
sweep Crush      crush      "Toy Organ"       "Vol=0.1"                      0 1
sweep Filter     filter     "Bright Saw Lead" ""                             0 1

# The gallery: every factory sound playing the same little song.
"$presets" gallery-song "$work/gallery.mid"
gallery="$work/gallery.md"
{
    echo "| Sound | Kind | What you hear | Picture | Listen |"
    echo "|---|---|---|---|---|"
} > "$gallery"
while IFS=$'\t' read -r name category stem description; do
    "$render" "$work/gallery.mid" -o "$out/sounds/$stem.flac" --bits 16 -r 22050 --tail-max 1.5 \
        --png "$work/$stem.png" --preset "$name" -q
    "$presets" shrink "$work/$stem.png" "$out/sounds/$stem.jpg" 400
    echo "| **$name** | $category | $description | [![$name](guide/sounds/$stem.jpg)](guide/sounds/$stem.jpg) | [$stem.flac](guide/sounds/$stem.flac) |" >> "$gallery"
done < <("$presets" list)

# The measurements, as the measuring script prints them.
measured="$work/measured.md"
{
    echo '```'
    "$presets" measure
    echo '```'
} > "$measured"

# Replaces the lines between "<!-- NAME start -->" and "<!-- NAME end -->".
splice() {
    local name=$1 file=$2 guide=docs/guide.md
    awk -v start="<!-- $name start -->" -v end="<!-- $name end -->" -v file="$file" '
        $0 == start { print; while ((getline line < file) > 0) print line; skipping = 1; next }
        $0 == end { skipping = 0 }
        ! skipping { print }' "$guide" > "$work/guide.md"
    mv "$work/guide.md" "$guide"
}
splice gallery "$gallery"
splice measurements "$measured"

du -sh "$out/sounds" "$out/controls"
