#!/usr/bin/env bash
# Starts the standalone app on a virtual display with no sound card: its
# window comes up with the notice that no audio output is open, closing it
# with its own close button saves its settings, and a settings file that is
# not one (damaged, or some other program's) is kept aside unchanged while
# the app starts from defaults and says so.
#   scripts/standalone-xvfb.sh <zephyrine executable> [picture.png]
# Runs itself under xvfb-run, on a display of its own.
set -euo pipefail
app="$(realpath "${1:?path to the zephyrine executable}")"
picture="${2:-}"

# A virtual display of its own, even under one that the test run set up:
# the checks type and click, and may run side by side.
if [ -z "${ZEPHYRINE_OWN_DISPLAY:-}" ]; then
    export ZEPHYRINE_OWN_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 800x600x24" "$0" "$@"
fi
source "$(dirname "$0")/standalone-common.sh"
# No JACK server of ours, and none found under the default name.
export JACK_DEFAULT_SERVER="zephyrine-none-$$"

# A fresh home, so that no earlier settings are read and none are left behind.
home="$work/home"
mkdir -p "$home"
start_app "$home"
read_geometry 446
echo "window ${WIDTH}x${HEIGHT} at ${X},${Y}"
[ -n "$picture" ] && import -window root "$picture"
amber="$(notice_pixels)"
echo "notice pixels: $amber"
[ "$amber" -gt 5000 ] || { echo "no notice that no audio output is open"; exit 1; }

close_app
settings="$home/.config/Zephyrine.settings"
[ -f "$settings" ] || { echo "no settings file written"; find "$home"; exit 1; }
grep -q 'filterState' "$settings" || { echo "the settings keep no sound:"; cat "$settings"; exit 1; }
echo "settings kept in ${settings#$home/}"

# Some other program's file in its place.
printf '<?xml version="1.0"?>\n<svg xmlns="http://www.w3.org/2000/svg"><rect width="3"/></svg>\n' > "$settings"
cp "$settings" "$work/foreign"
start_app "$home"
alert=""
for _ in $(seq 25); do
    alert="$(xdotool search --name '^Settings could not be read$' 2>/dev/null | head -1 || true)"
    [ -n "$alert" ] && break
    sleep 0.2
done
[ -n "$alert" ] || { echo "no message about the unreadable settings"; exit 1; }
grep -q 'could not read its settings' "$work/app.log" || { echo "nothing said on the terminal"; exit 1; }
kept="$(find "$home/.config" -name 'Zephyrine.settings.unreadable-*' | head -1)"
[ -n "$kept" ] || { echo "the unreadable file was not kept aside"; ls -la "$home/.config"; exit 1; }
cmp -s "$kept" "$work/foreign" || { echo "the kept file differs from the one found"; exit 1; }

# The message's OK button takes Return; then the app quits as usual and
# leaves a readable settings file beside the kept one.
xdotool windowfocus --sync "$alert" key Return 2>/dev/null || xdotool key Return
for _ in $(seq 25); do
    xdotool search --name '^Settings could not be read$' > /dev/null 2>&1 || break
    sleep 0.2
done
close_app
grep -q '<PROPERTIES>' "$settings" && grep -q 'filterState' "$settings" \
    || { echo "no new settings after the unreadable ones:"; cat "$settings"; exit 1; }
cmp -s "$kept" "$work/foreign" || { echo "the kept file changed"; exit 1; }
echo "unreadable settings kept as ${kept#$home/}"
