# Shared by the standalone-*.sh checks: a private JACK server, starting and
# stopping the app, finding its window and places in it, measuring
# recordings. Sourced, not run.

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

# The window's content, as AppWindowContent lays it out: a 10-pixel margin,
# the preset bar row (32) and a gap (6) above the editor, and 404 pixels in
# all when no notice shows (446 with it).
content_margin=10
editor_top=48
keyboard_height=84

# A server of our own name, so that nothing else on the machine is touched;
# one name for each check (they may run side by side), always the same, so
# that runs cut short leave no pile of stale entries in JACK's registry of
# servers.
start_jack() {
    export JACK_DEFAULT_SERVER="zephyrine-$(basename "$0" .sh)"
    jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 > "$work/jackd.log" 2>&1 &
    pids+=($!)
    jack_wait --wait --timeout 10 > /dev/null || { cat "$work/jackd.log"; exit 1; }
}

# start_app <home>: the app with that home; sets app_pid and window.
start_app() {
    HOME="$1" "$app" >> "$work/app.log" 2>&1 &
    app_pid=$!
    pids+=("$app_pid")
    window=""
    for _ in $(seq 100); do
        window="$(xdotool search --name '^Zephyrine$' 2>/dev/null | head -1 || true)"
        [ -n "$window" ] && break
        kill -0 "$app_pid" 2>/dev/null || { echo "the app quit:"; cat "$work/app.log"; exit 1; }
        sleep 0.2
    done
    [ -n "$window" ] || { echo "no window appeared"; cat "$work/app.log"; exit 1; }
    sleep 1   # let it paint
    read_geometry
}

# Sets X, Y, WIDTH, HEIGHT of the window and content_top, the screen row
# where its content starts (below the title bar, above a one-pixel border).
read_geometry() {
    eval "$(xdotool getwindowgeometry --shell "$window")"
    content_top=$((Y + HEIGHT - 1 - ${1:-404}))
}

wait_for_jack_ports() {
    for _ in $(seq 100); do
        jack_lsp 2>/dev/null | grep -q '^Zephyrine MIDI:in$' && jack_lsp 2>/dev/null | grep -q '^Zephyrine:out_2$' && return 0
        sleep 0.2
    done
    echo "the app offers no JACK ports:"; jack_lsp; cat "$work/app.log"; exit 1
}

# close_app: with its own close button, at the right end of its title bar;
# fails unless it quits cleanly.
close_app() {
    xdotool mousemove $((X + WIDTH - 16)) $((Y + 12)) click 1
    for _ in $(seq 50); do
        kill -0 "$app_pid" 2>/dev/null || break
        sleep 0.2
    done
    if kill -0 "$app_pid" 2>/dev/null; then echo "the app did not quit on its close button"; exit 1; fi
    wait "$app_pid" || { echo "the app quit with an error:"; cat "$work/app.log"; exit 1; }
}

# The peak of a 16-bit recording, 0 to 32768.
level() {
    od -An -t d2 -j 44 -w2 -v "$1" | awk '{ v = $1 < 0 ? -$1 : $1; if (v > m) m = v } END { print m + 0 }'
}

# record <file> <seconds>: the app's two outputs.
record() {
    jack_rec -f "$1" -d "$2" Zephyrine:out_1 Zephyrine:out_2 > /dev/null 2>&1
}

# How many pixels of the window show the colour of the no-output notice.
notice_pixels() {
    import -window "$window" -depth 8 rgb:- 2>/dev/null | od -An -tu1 -w3 -v | awk '$1 == 210 && $2 == 153 && $3 == 34 { n++ } END { print n + 0 }'
}
