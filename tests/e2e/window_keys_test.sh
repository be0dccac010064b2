#!/usr/bin/env bash
# What the user presses while a tone sounds plays what the user pressed, as
# if each tone had been waited for, heard through a private sound server's
# pipe sink: a double click whose second click falls into the first tone
# plays the cell twice; quick cursor keys walk the column one cell a key;
# a key held down walks it one cell a tone and stops about a tone after its
# release. And while a long tone sounds, the window's thread sleeps: it
# wakes a few times a second at most, not every few milliseconds.
# Usage: window_keys_test.sh BUILD_DIR pulseaudio|pipewire
set -euo pipefail
build=$(cd "${1:?usage: window_keys_test.sh BUILD_DIR pulseaudio|pipewire}" && pwd)
kind=${2:?usage: window_keys_test.sh BUILD_DIR pulseaudio|pipewire}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/x.sh"
# shellcheck source-path=SCRIPTDIR source=lib/pulseaudio.sh
source "$here/lib/$kind.sh"
server_require

X_CLEANUP=server_stop
x_begin
server_start
cp "$build/orvik" "$work/orvik"

# start_program MS: the window on Halbtöne at 440, volume 50, MS per tone.
start_program() {
    printf '%s\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' "$1" >"$work/orini"
    "$work/orvik" >>"$work/out.log" 2>&1 &
    APP_PID=$!
    wid=$(x_wait_window Orvik) || { echo "FAIL: no window"; cat "$work/out.log"; exit 1; }
    sleep 0.5
}
close_program() {
    xdotool mousemove --window "$wid" 30 10 click 1 # "Schliessen"
    x_wait_exit
}
click() { xdotool mousemove --window "$wid" "$1" "$2" click "${@:3}" 1; }
# What the capture holds since it was last emptied, against the tones named
# (MS HZ each, both channels at half level), sample for sample. One stall
# of the machine per tone (silence where the stream ran dry, or frames the
# server skipped) is let through and reported: what is tested here is which
# tones play; the sound tests test that they play unbroken.
heard() {
    local args=() ms=$1
    shift
    for hz in "$@"; do args+=(--tone "$ms" "$hz" 32768 32768); done
    "$build/tools/capture_match" "$PULSE_CAPTURE" --underruns-ok "${args[@]}"
}
# Empties the capture once everything played has arrived. What the capture
# holds is judged only where the server skipped nothing meanwhile
# (lib/sound_server.sh); how often the window's thread wakes always is.
next_round() {
    sleep 0.4
    server_clear_capture
    server_mark
}

# The column of 440 a1 downwards, one semitone a row.
walk=(440 466 494 523 554 587 622 659 698 740 784 831 880)

start_program 300
server_clear_capture
server_mark

# A double click on 440 a1: its second click comes 80 ms into the first tone.
click 276 67 --repeat 2 --delay 80
sleep 1
heard 300 440 440 >"$work/double" || { cat "$work/double"; capture_fail "a double click during a tone does not play the cell twice"; }
next_round

# A click, then Down three times 50 ms apart, all within the click's tone;
# then, after they have played, Down once more.
click 276 67
sleep 0.05
xdotool key --delay 50 Down Down Down
sleep 1.5
xdotool key Down
sleep 0.6
heard 300 440 440 466 494 523 >"$work/quick" || { cat "$work/quick"; capture_fail "quick presses during a tone do not walk the column"; }
next_round

# Down held for two seconds from 440 a1 (the key repeats far faster than
# tones end): every cell of the walk once, in order, as many as there were
# tones, and the walk ends within about a tone of the release.
click 276 67
sleep 0.6
next_round
xdotool keydown Down
sleep 2
xdotool keyup Down
sleep 2
matched=""
for n in $(seq 3 ${#walk[@]}); do
    if heard 300 "${walk[@]:0:n}" >"$work/held.$n"; then
        matched=$n
        break
    fi
done
if [ -z "$matched" ]; then
    cat "$work/held.${#walk[@]}"
    capture_fail "a key held down does not play one cell of the walk a tone"
else
    echo "held Down: ${walk[*]:0:matched}"
    # Six to seven tones fit into the two seconds; one more may have been
    # waiting at the release. Fewer means presses were lost, more that the
    # walk ran on after the key was let go.
    [ "$matched" -ge 4 ] && [ "$matched" -le 9 ] || capture_fail "a key held for 2 s played $matched tones"
fi
close_program

# The window's thread while a 5 s tone sounds and nothing else happens: its
# voluntary context switches count how often it woke. A wait that polls
# every 5 ms wakes about 200 times a second.
start_program 5000
switches() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$APP_PID/task/$APP_PID/status"; }
rest_before=$(switches)
sleep 2
rest_after=$(switches)
click 276 67
sleep 1
tone_before=$(switches)
sleep 3
tone_after=$(switches)
per_second=$(((tone_after - tone_before) / 3))
echo "window thread wakeups: at rest $(((rest_after - rest_before) / 2))/s, during a tone ${per_second}/s"
[ "$per_second" -le 50 ] || fail "the window's thread woke $per_second times a second during a tone"
sleep 1.5
close_program

[ "$failures" -eq 0 ] || exit 1
unjudged_note
echo "PASS"
