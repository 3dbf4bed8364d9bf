#!/usr/bin/env bash
# With a real tray host on a real X server: the program's tray icon appears, and choosing
# "Close" from its menu ends the program with exit code 0.
# Usage (under xvfb-run): tray_close.sh PATH/TO/Pointora
set -u
program=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/run" && chmod 700 "$work/run"
cp "$program" "$work/bin/Pointora"
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
unset QT_QPA_PLATFORM
export POINTORA_PLATFORM=sim QT_QUICK_BACKEND=software

fail() { echo "FAIL: $*"; exit 1; }

trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
    --height 26 --SetDockType false --transparent false &
sleep 1
"$work/bin/Pointora" -d &
pid=$!

# The icon is embedded into the tray host: a window of the program inside the panel.
icon=""
for _ in $(seq 1 100); do
    icon=$(xwininfo -root -tree | awk '/"panel"/{p=1;next} p && /"Pointora"/{print $1; exit}')
    [ -n "$icon" ] && break
    sleep 0.1
done
[ -n "$icon" ] || fail "no tray icon appeared in the tray host"
x=$(xwininfo -id "$icon" | awk '/Absolute upper-left X/{print $4}')
y=$(xwininfo -id "$icon" | awk '/Absolute upper-left Y/{print $4}')
echo "tray icon $icon at $x,$y"

# Right click opens the menu ("Show", "Close"); choose the second entry.
xdotool mousemove $((x + 8)) $((y + 8)) click 3
sleep 0.7
xdotool key Down Down Return

for _ in $(seq 1 100); do
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
done
kill -0 $pid 2>/dev/null && fail "the program did not end after Close"
wait $pid
code=$?
[ $code -eq 0 ] || fail "exit code $code after Close"
grep -q "No system tray" "$work"/bin/Log/*.txt && fail "the program did not find the tray host"
echo "PASS: tray icon shown, Close ended the program with 0"
