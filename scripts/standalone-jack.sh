#!/usr/bin/env bash
# Plays the standalone app through JACK's dummy backend, with no sound card:
# starts a private JACK server, the app (on a virtual display when none is
# set), a JACK MIDI sequencer looping one note into the app's MIDI port, and
# records the app's two outputs. Fails unless the recording is silent before
# the notes and sounding with them.
#   scripts/standalone-jack.sh <zephyrine executable> [recording.wav]
# Needs jackd2 (jackd, jack_midiseq, jack_rec) and xvfb.
set -euo pipefail
app="$(realpath "${1:?path to the zephyrine executable}")"
recording="${2:-}"

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a "$0" "$@"
fi

work="$(mktemp -d)"
pids=()
cleanup() {
    # The newest first: the server goes last.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# A server of our own name, so that nothing else on the machine is touched;
# always the same one, so that runs cut short leave no pile of stale entries
# in JACK's registry of servers.
export JACK_DEFAULT_SERVER="zephyrine-check"
jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 > "$work/jackd.log" 2>&1 &
pids+=($!)
jack_wait --wait --timeout 10 > /dev/null || { cat "$work/jackd.log"; exit 1; }

# A fresh home: with no settings and no sound card the app picks JACK.
HOME="$work" "$app" > "$work/app.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do
    jack_lsp 2>/dev/null | grep -q '^Zephyrine MIDI:in$' && jack_lsp 2>/dev/null | grep -q '^Zephyrine:out_2$' && break
    sleep 0.2
done
jack_lsp | grep -q '^Zephyrine:out_2$' || { echo "the app offers no JACK ports:"; jack_lsp; cat "$work/app.log"; exit 1; }

level() {   # the peak of a 16-bit recording, 0 to 32768
    od -An -t d2 -j 44 -w2 -v "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}

jack_rec -f "$work/before.wav" -d 1 Zephyrine:out_1 Zephyrine:out_2 > /dev/null 2>&1

# Middle C for a quarter second in every half second.
jack_midiseq sequencer 24000 0 60 12000 > /dev/null 2>&1 &
pids+=($!)
for _ in $(seq 25); do jack_lsp | grep -q '^sequencer:out$' && break; sleep 0.2; done
jack_connect sequencer:out "Zephyrine MIDI:in"
jack_rec -f "$work/playing.wav" -d 2 Zephyrine:out_1 Zephyrine:out_2 > /dev/null 2>&1

before="$(level "$work/before.wav")"
playing="$(level "$work/playing.wav")"
[ -n "$recording" ] && cp "$work/playing.wav" "$recording"
echo "peak before the notes: $before, with them: $playing (of 32768)"
[ "$before" -eq 0 ] || { echo "sound before any note"; exit 1; }
[ "$playing" -gt 1000 ] || { echo "no sound from the notes"; exit 1; }
