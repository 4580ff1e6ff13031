#!/usr/bin/env bash
# Starts the standalone app on a virtual display with no sound card, checks
# that its window comes up, saves a picture of the screen, closes the window
# with its own close button and checks that the app saved its settings.
#   scripts/standalone-xvfb.sh <zephyrine executable> [picture.png]
# Runs itself under xvfb-run when no display is set.
set -euo pipefail
app="$(realpath "${1:?path to the zephyrine executable}")"
picture="${2:-}"

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 700x320x24" "$0" "$@"
fi

# A fresh home, so that no earlier settings are read and none are left behind.
home="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$home"' EXIT
HOME="$home" "$app" > "$home/log" 2>&1 &
pid=$!

window=""
for _ in $(seq 50); do
    window="$(xdotool search --name '^Zephyrine$' 2>/dev/null | head -1 || true)"
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || { echo "the app quit:"; cat "$home/log"; exit 1; }
    sleep 0.2
done
[ -n "$window" ] || { echo "no window appeared"; exit 1; }
sleep 1   # let it paint

eval "$(xdotool getwindowgeometry --shell "$window")"
echo "window ${WIDTH}x${HEIGHT} at ${X},${Y}"
[ -n "$picture" ] && import -window root "$picture"

# The close button is drawn by the app at the right end of its title bar.
xdotool mousemove $((X + WIDTH - 16)) $((Y + 12)) click 1
for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
if kill -0 "$pid" 2>/dev/null; then echo "the app did not quit on its close button"; exit 1; fi
wait "$pid" || { echo "the app quit with an error:"; cat "$home/log"; exit 1; }

settings="$(find "$home" -name 'Zephyrine.settings' | head -1)"
[ -n "$settings" ] || { echo "no settings file written"; find "$home"; exit 1; }
grep -q 'filterState' "$settings" || { echo "the settings keep no sound:"; cat "$settings"; exit 1; }
echo "settings kept in ${settings#$home/}"
