#!/usr/bin/env bash
# The real program, clicked under a private X server, really sounds: its
# tones reach a private PulseAudio server's pipe sink sample for sample, at
# the start-up level of 50 %, and unticking "links" silences the left channel.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/x.sh"
source "$here/lib/pulse.sh"
pulse_require

X_CLEANUP=pulse_stop
x_begin
pulse_start

cp "$build/orvik" "$work/orvik"
printf '1000\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' >"$work/orini"
export XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$work/orvik" >"$work/out.log" 2>&1 &
APP_PID=$!
wid=$(x_wait_window Orvik) || { echo "FAIL: no window"; cat "$work/out.log"; exit 1; }
sleep 0.5

xdotool mousemove --window "$wid" 276 67 click 1     # 440 a1
sleep 1.6
xdotool mousemove --window "$wid" 505 31 click 1     # "links" off
sleep 0.3
xdotool mousemove --window "$wid" 326 67 click 1     # 880
sleep 1.6
xdotool mousemove --window "$wid" 30 10 click 1      # "Schliessen"
x_wait_exit
sleep 0.2

if "$build/tools/capture_match" "$PULSE_CAPTURE" --tone 1000 440 32768 32768 --tone 1000 880 0 32768; then
    echo "PASS"
else
    echo "FAIL: the captured sound is not the two tones"
    cat "$work/out.log"
    exit 1
fi
