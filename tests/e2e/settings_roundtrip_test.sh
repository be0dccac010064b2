#!/usr/bin/env bash
# The real program keeps its settings beside itself: a first start announces
# the launcher it put on the desktop; a start with a settings file shows its
# values, and "Schliessen" writes them back.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/x.sh"

x_begin

mkdir -p "$work/prog" "$HOME/Desktop"
cp "$build/orvik" "$work/prog/orvik"
export PULSE_SERVER="unix:$work/no-such-socket"

# First start: no settings file. The message box comes before the window.
"$work/prog/orvik" >"$work/out1.log" 2>&1 &
APP_PID=$!
box=$(x_wait_window orvik) || { echo "FAIL: no launcher message"; cat "$work/out1.log"; exit 1; }
[ -f "$HOME/Desktop/ORVIK.desktop" ] || { echo "FAIL: no launcher on the desktop"; exit 1; }
grep -qx "Exec=$work/prog/orvik" "$HOME/Desktop/ORVIK.desktop" || { echo "FAIL: launcher Exec"; cat "$HOME/Desktop/ORVIK.desktop"; exit 1; }
[ -x "$HOME/Desktop/ORVIK.desktop" ] || { echo "FAIL: launcher not executable"; exit 1; }
xdotool windowfocus --sync "$box" key Return
wid=$(x_wait_window Orvik) || { echo "FAIL: no window after the message"; exit 1; }
# The close box would not save; close through "Schliessen" instead.
xdotool mousemove --window "$wid" 30 10 click 1
x_wait_exit
printf '1000\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' | cmp - "$work/prog/orini" || { echo "FAIL: first save"; exit 1; }

# A start with settings of our own: quarter tones make the window taller.
printf '2500\r\n523 c2\r\nViertelst\xf6ne\r\n80\r\n442\r\n' >"$work/prog/orini"
rm "$HOME/Desktop/ORVIK.desktop"
"$work/prog/orvik" >"$work/out2.log" 2>&1 &
APP_PID=$!
wid=$(x_wait_window Orvik) || { echo "FAIL: no window"; cat "$work/out2.log"; exit 1; }
size=$(x_client_size "$wid")
[ "$size" = "600 570" ] || { echo "FAIL: client size $size, expected 600 570"; exit 1; }
[ ! -e "$HOME/Desktop/ORVIK.desktop" ] || { echo "FAIL: launcher made again although settings exist"; exit 1; }
xdotool mousemove --window "$wid" 30 10 click 1
x_wait_exit
printf '2500\r\n523\r\nViertelst\xf6ne\r\n80\r\n442\r\n' | cmp - "$work/prog/orini" || { echo "FAIL: saved"; od -c "$work/prog/orini"; exit 1; }
echo "PASS"
