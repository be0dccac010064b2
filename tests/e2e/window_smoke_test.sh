#!/usr/bin/env bash
# The real program under a private X server: it opens its window at the
# table's size, a click on the 440 cell plays, "Schliessen" saves and ends it.
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
# "Schliessen" saves and ends the program.
xdotool mousemove --window "$wid" 30 10 click 1
x_wait_exit
expected=$(printf '1000\r\n440\r\nHalbt\xf6ne\r\n50\r\n440\r\n' | od -An -tx1)
actual=$(od -An -tx1 "$work/orini")
[ "$expected" = "$actual" ] || { echo "FAIL: settings written as"; od -c "$work/orini"; exit 1; }
echo "PASS"
