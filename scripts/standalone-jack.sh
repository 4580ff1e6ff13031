#!/usr/bin/env bash
# Plays the standalone app through JACK's dummy backend, with no sound card:
# a private JACK server, the app on a virtual display, and recordings of its
# two outputs while a note comes from the computer's keyboard (xdotool key
# presses), from a click on the on-screen keyboard and from a JACK MIDI
# sequencer. Fails unless each is silent before and sounding with the note.
#   scripts/standalone-jack.sh <zephyrine executable> [recording.wav [screenshot.png]]
# Needs jackd2 (jackd, jack_midiseq, jack_rec), xvfb, xdotool and imagemagick.
set -euo pipefail
app="$(realpath "${1:?path to the zephyrine executable}")"
recording="${2:-}"
screenshot="${3:-}"

# A virtual display of its own, even under one that the test run set up:
# the checks type and click, and may run side by side.
if [ -z "${ZEPHYRINE_OWN_DISPLAY:-}" ]; then
    export ZEPHYRINE_OWN_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi
source "$(dirname "$0")/standalone-common.sh"

start_jack
# A fresh home: with no settings and no sound card the app picks JACK.
mkdir -p "$work/home"
start_app "$work/home"
wait_for_jack_ports
read_geometry 404
[ "$(notice_pixels)" -lt 100 ] || { echo "the no-output notice shows while JACK plays"; exit 1; }

# expect_note <name> <start> <stop>: a take before the note, then one while
# it is held (from just after <start> until <stop>).
expect_note() {
    record "$work/before.wav" 1
    "$2"
    sleep 0.1
    record "$work/$1.wav" 1
    "$3"
    local before playing
    before="$(level "$work/before.wav")"
    playing="$(level "$work/$1.wav")"
    echo "$1: peak before the note $before, with it $playing (of 32768)"
    [ "$before" -lt 30 ] || { echo "sound before any note"; exit 1; }
    # Crush (on by default) quantises the output to steps of 1024.
    [ "$playing" -gt 500 ] || { echo "no sound from the note"; exit 1; }
    sleep 1.5   # the release dies away
}

key_down() {
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool keydown z
}
key_up() { xdotool keyup z; }
# A white key, low on the on-screen keyboard, a third of the way along.
mouse_down() {
    xdotool mousemove $((X + 1 + content_margin + 170)) $((Y + HEIGHT - 1 - content_margin - 12)) mousedown 1
}
mouse_up() { xdotool mouseup 1; }
# Middle C for a quarter second in every half second.
sequencer_on() {
    jack_midiseq sequencer 24000 0 60 12000 > /dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do jack_lsp | grep -q '^sequencer:out$' && break; sleep 0.2; done
    jack_connect sequencer:out "Zephyrine MIDI:in"
}
sequencer_off() { jack_disconnect sequencer:out "Zephyrine MIDI:in"; }

expect_note computer-keys key_down key_up
expect_note on-screen-keyboard mouse_down mouse_up
expect_note jack-midi sequencer_on sequencer_off
[ -n "$recording" ] && cp "$work/jack-midi.wav" "$recording"

if [ -n "$screenshot" ]; then
    # A chord held from the computer's keys, the pointer on the Vol slider.
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool mousemove $((X + 1 + content_margin + 360 + 30)) $((content_top + editor_top + 136 + 8))
    xdotool keydown z keydown c keydown b
    sleep 0.6
    import -window "$window" "$screenshot"
    xdotool keyup z keyup c keyup b
fi
close_app
