#!/usr/bin/env bash
# The real program under a private X server: it opens its window at the
# table's size, a click on the 440 cell plays, a message box belongs to the
# window, "Schliessen" saves and ends it.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/x.sh"

x_begin

# The program in a folder of its own, with settings beside it so the first
# start does not stop at the launcher message; no sound server reachable.
cp "$build/orvik" "$work/orvik"
printf '1000\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' >"$work/orini"
export PULSE_SERVER="unix:$work/no-such-socket"
"$work/orvik" >"$work/out.log" 2>&1 &
APP_PID=$!

wid=$(x_wait_window Orvik) || { echo "FAIL: no window titled Orvik"; cat "$work/out.log"; exit 1; }
size=$(x_client_size "$wid")
[ "$size" = "600 354" ] || { echo "FAIL: client size is $size, expected 600 354"; exit 1; }
echo "window $wid, client size $size"

# The 440 cell: column 5, row 0 of the grid below the 57-pixel panel.
xdotool mousemove --window "$wid" 276 67 click 1
sleep 0.3
artifacts="$build/test-artifacts"
mkdir -p "$artifacts"
import -window "$wid" "$artifacts/window.png"
echo "screenshot: $artifacts/window.png"
sleep 1.2   # the 1 s tone is waited out silently

kill -0 "$APP_PID" 2>/dev/null || { echo "FAIL: the program ended"; cat "$work/out.log"; exit 1; }

# "Frequenz zu hoch" belongs to the window (WM_TRANSIENT_FOR), so a click on
# the window cannot bury it, and it stands in the middle of the screen.
xdotool mousemove --window "$wid" 290 10 click 1
xdotool type 30000
xdotool key Return
# The box's title is the program's file name; xdotool's names ignore case,
# so the window's own "Orvik" matches too.
box=""
for _ in $(seq 1 50); do
    box=$(xdotool search --onlyvisible --name '^orvik$' 2>/dev/null | grep -vx "$wid" | head -n1) || true
    [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || { echo "FAIL: no \"Frequenz zu hoch\" box"; exit 1; }
owner=$(xprop -id "$box" WM_TRANSIENT_FOR | sed -n 's/.*window id # //p')
[ -n "$owner" ] && [ $((owner)) -eq "$wid" ] ||
    { echo "FAIL: the box is not transient for the window $wid ($(xprop -id "$box" WM_TRANSIENT_FOR))"; exit 1; }
read -r bx by bw bh < <(xwininfo -id "$box" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print x, y, w, h}')
cx=$((bx + bw / 2)) cy=$((by + bh / 2))
[ $((cx - 640)) -le 2 ] && [ $((640 - cx)) -le 2 ] && [ $((cy - 512)) -le 2 ] && [ $((512 - cy)) -le 2 ] ||
    { echo "FAIL: the box's centre is at $cx,$cy, not the screen's 640,512"; exit 1; }
echo "box $box transient for $owner, centred at $cx,$cy"
xdotool key Return
sleep 0.3
! xdotool search --onlyvisible --name '^orvik$' 2>/dev/null | grep -qvx "$wid" || { echo "FAIL: Return did not close the box"; exit 1; }

# "Schliessen" saves and ends the program.
xdotool mousemove --window "$wid" 30 10 click 1
x_wait_exit
expected=$(printf '1000\r\n440\r\nHalbt\xf6ne\r\n50\r\n440\r\n' | od -An -tx1)
actual=$(od -An -tx1 "$work/orini")
[ "$expected" = "$actual" ] || { echo "FAIL: settings written as"; od -c "$work/orini"; exit 1; }

# At 144 dpi (a scale of 1.5) the 200-row mode still ends at the screen's
# bottom edge: its logical height, rounded, must not come to one device
# pixel more than the screen has.
printf '1000\r\n\r\nDezimal  1/20\r\n50\r\n440\r\n' >"$work/orini"
QT_SCALE_FACTOR=1.5 "$work/orvik" >"$work/out.log" 2>&1 &
APP_PID=$!
wid=$(x_wait_window Orvik) || { echo "FAIL: no window at scale 1.5"; cat "$work/out.log"; exit 1; }
sleep 0.5
read -r top height < <(xwininfo -id "$wid" | awk '/Absolute upper-left Y/ {y=$NF} /^  Height:/ {h=$2} END {print y, h}')
[ $((top + height)) -le 1024 ] || { echo "FAIL: at scale 1.5 the tall window spans y $top..$((top + height)) on a 1024 px screen"; exit 1; }
echo "at scale 1.5 the tall window spans y $top..$((top + height)) of 1024"
kill "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
APP_PID=
echo "PASS"
