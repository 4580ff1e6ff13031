#!/usr/bin/env bash
# MIDI learn in the standalone app, through JACK's dummy backend on a virtual
# display: a right-click on the Vol slider and its menu's "Learn", then a
# controller message from a JACK MIDI client; that controller then turns the
# volume down to silence and up again. The link survives a restart, lives in
# the app's settings only (a settings file with the same sound but without
# the link leaves the controller without effect) and can be forgotten.
#   scripts/standalone-midi-learn.sh <zephyrine executable> <jack_send_controller>
set -euo pipefail
app="$(realpath "${1:?path to the zephyrine executable}")"
send="$(realpath "${2:?path to jack_send_controller}")"

# A virtual display of its own, even under one that the test run set up:
# the checks type and click, and may run side by side.
if [ -z "${ZEPHYRINE_OWN_DISPLAY:-}" ]; then
    export ZEPHYRINE_OWN_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi
source "$(dirname "$0")/standalone-common.sh"
controller=74
home="$work/home"
mkdir -p "$home"
settings="$home/.config/Zephyrine.settings"

start_jack
jack_midiseq sequencer 24000 0 60 12000 > /dev/null 2>&1 &   # middle C, a quarter second in every half
pids+=($!)

# run_app: starts the app with the sequencer playing into it.
run_app() {
    start_app "$home"
    wait_for_jack_ports
    read_geometry 404
    for _ in $(seq 25); do jack_lsp | grep -q '^sequencer:out$' && break; sleep 0.2; done
    jack_connect sequencer:out "Zephyrine MIDI:in"
}

# send_value <value>: sends it on the controller, three times over, since a
# message in the very cycle a connection is made can be lost (a controller
# value means the same however often it comes).
send_value() {
    "$send" "Zephyrine MIDI:in" "$controller" "$1" "$1" "$1" || { echo "could not send the controller"; exit 1; }
}

# loudness <value>: sends the value on the controller and sets peak to the
# peak of a take.
loudness() {
    send_value "$1"
    sleep 0.4   # the app takes controller values 30 times a second
    record "$work/take.wav" 1.2
    peak="$(level "$work/take.wav")"
}

# expect_control <what>: the controller turns the sound off and on.
expect_control() {
    local off on
    loudness 0
    off="$peak"
    loudness 12
    on="$peak"
    echo "$1: peak with the controller at 0: $off, at 12: $on (of 32768)"
    [ "$off" -lt 30 ] || { echo "$1: the controller does not turn the volume down"; exit 1; }
    [ "$on" -gt 300 ] || { echo "$1: the controller does not turn the volume up"; exit 1; }
}

run_app
vol_x=$((X + 1 + content_margin + 360 + 48))
vol_y=$((content_top + editor_top + 136 + 8))

# Before any learn the controller does nothing.
loudness 0
[ "$peak" -gt 300 ] || { echo "no sound, or the controller acts before any learn ($peak)"; exit 1; }

xdotool mousemove "$vol_x" "$vol_y" click 3
sleep 1
xdotool key Down Return   # the menu's first item: "Learn MIDI controller for Vol"
sleep 0.5
send_value 12
sleep 0.4
expect_control "learned"
close_app
grep -q "name=\"midiLearn\" val=\"$controller=12\"" "$settings" || { echo "the link is not in the settings:"; cat "$settings"; exit 1; }

run_app
expect_control "after a restart"
close_app
cp "$settings" "$work/linked.settings"

# The same sound without the link: the controller does nothing.
grep -v 'name="midiLearn"' "$work/linked.settings" > "$settings"
run_app
loudness 0
echo "without the link in the settings, the controller at 0 leaves a peak of $peak"
[ "$peak" -gt 300 ] || { echo "the link came back from the sound's state"; exit 1; }

# Learn again, then forget with the menu's last item ("Forget all MIDI controllers").
xdotool mousemove "$vol_x" "$vol_y" click 3
sleep 1
xdotool key Down Return
sleep 0.5
send_value 12
sleep 0.4
xdotool mousemove "$vol_x" "$vol_y" click 3
sleep 1
xdotool key Up Return
sleep 0.5
loudness 0
[ "$peak" -gt 300 ] || { echo "the controller still acts after it was forgotten"; exit 1; }
close_app
grep -q 'name="midiLearn" val=""' "$settings" || { echo "the link was not forgotten:"; cat "$settings"; exit 1; }
echo "learned, kept, and forgotten"
