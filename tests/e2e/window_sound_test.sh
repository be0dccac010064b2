#!/usr/bin/env bash
# The real program, clicked under a private X server, really sounds: its
# tones reach a private sound server's pipe sink sample for sample, at
# the start-up level of 50 %; a click during a tone plays after it, whole;
# "Aushalten" repeats a tone with short gaps until "Stop" (pressed during a
# repetition) ends it after that repetition; unticking "links" silences the
# left channel. Before the first tone the mixer lists the program by name
# and icon with its stream corked.
# Usage: window_sound_test.sh BUILD_DIR pulseaudio|pipewire
set -euo pipefail
build=$(cd "${1:?usage: window_sound_test.sh BUILD_DIR pulseaudio|pipewire}" && pwd)
kind=${2:?usage: window_sound_test.sh BUILD_DIR pulseaudio|pipewire}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/x.sh"
# shellcheck source-path=SCRIPTDIR source=lib/pulseaudio.sh
source "$here/lib/$kind.sh"
server_require

X_CLEANUP=server_stop
x_begin
server_start

cp "$build/orvik" "$work/orvik"
printf '200\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' >"$work/orini"
export XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$work/orvik" >"$work/out.log" 2>&1 &
APP_PID=$!
wid=$(x_wait_window Orvik) || { echo "FAIL: no window"; cat "$work/out.log"; exit 1; }
sleep 0.5

# Before any tone: the program is in the mixer under its own name and icon,
# resting.
stream=$(pactl list sink-inputs)
for want in 'application.name = "Orvik"' 'application.icon_name = "org.orvik.Orvik"' 'Corked: yes'; do
    grep -qF "$want" <<<"$stream" || { echo "$stream"; echo "FAIL: before the first tone the stream does not show $want"; exit 1; }
done

click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; }
# The capture is judged only where the server skipped nothing meanwhile
# (lib/sound_server.sh).
server_mark
click 276 67        # 440 a1, 200 ms
sleep 0.05
click 326 67        # 880, clicked while 440 sounds
sleep 0.8
click 316 8         # "Aushalten": 1000 ms, repeated
click 276 121       # 523 c2
sleep 2.5
click 412 11        # "Stop", during the third repetition
sleep 1.2
click 505 31        # "links" off
click 326 67        # 880, right only
sleep 0.6
click 30 10         # "Schliessen"
x_wait_exit
sleep 0.2

result="$work/match"
matched=yes
"$build/tools/capture_match" "$PULSE_CAPTURE" --tone 200 440 32768 32768 --tone 200 880 32768 32768 \
    --tone 1000 523 32768 32768 --tone 1000 523 32768 32768 --tone 1000 523 32768 32768 \
    --tone 200 880 0 32768 >"$result" || matched=no
cat "$result"
if [ "$matched" = no ]; then
    capture_fail "the captured sound is not the tones clicked"
else
    # The repetitions of the sustained tone follow each other as closely as
    # the server allows, not as far apart as a stream started anew.
    gaps=$(awk -v most="$SERVER_LONG_GAP_MS" '/^tone [45] / { split($6, g, "="); if (g[2] > most) print g[2] }' "$result")
    [ -z "$gaps" ] || capture_fail "repetition gaps of" $gaps "ms"
fi
[ "$failures" -eq 0 ] || exit 1
unjudged_note
echo "PASS"
