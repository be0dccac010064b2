#!/usr/bin/env bash
# At rest the sound output lets the device sleep: from start-up until the
# first tone and from shortly after the last one, its stream is corked, so a
# sink that suspends when idle does; the first tone after that still arrives
# whole and on time. The stream introduces itself to the mixer by name, icon,
# application id and role, on two channels, front left and front right.
# Usage: idle_test.sh BUILD_DIR pulseaudio|pipewire
set -euo pipefail

build=${1:?usage: idle_test.sh BUILD_DIR pulseaudio|pipewire}
kind=${2:?usage: idle_test.sh BUILD_DIR pulseaudio|pipewire}
probe="$build/tools/audio_probe"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=lib/pulseaudio.sh
source "$here/lib/$kind.sh"

server_require
[ -x "$probe" ] || { echo "FAIL: $probe is missing; build the audio_probe target"; exit 1; }

probe_pid=""
stop_probe() { [ -z "$probe_pid" ] || { kill "$probe_pid" 2>/dev/null; wait "$probe_pid" 2>/dev/null; } || true; }
sandbox_begin
sandbox_on_exit server_stop
sandbox_on_exit stop_probe
server_start
out="$SERVER_DIR/probe.out"


now_ms() { date +%s%3N; }

# Our stream as the server lists it (one block of `pactl list sink-inputs`).
our_stream() {
    pactl list sink-inputs 2>/dev/null |
        awk '/^Sink Input #/ { block = "" } { block = block $0 "\n" } /application.name = "Orvik audio probe"/ { found = 1 }
             /^$/ && found { printf "%s", block; exit } END { if (found) printf "%s", block }'
}

# wait_for WHAT SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds;
# prints the milliseconds it took, fails the test after SECONDS.
wait_for() {
    local what=$1 seconds=$2 start
    shift 2
    start=$(now_ms)
    while ! "$@"; do
        if [ $(($(now_ms) - start)) -gt $((seconds * 1000)) ]; then
            fail "$what: not within $seconds s"
            return 1
        fi
        sleep 0.1
    done
    echo $(($(now_ms) - start))
}
stream_listed() { [ -n "$(our_stream)" ]; }
corked() { our_stream | grep -q 'Corked: yes'; }
suspended() { [ "$(server_sink_state)" = SUSPENDED ]; }
played() { grep -q '^play 1 ' "$out"; }

# Open for 4 s before a 500 ms tone, then open for 9 s more.
# The tone's frames are judged only where the server skipped nothing
# meanwhile (lib/sound_server.sh).
server_mark
"$probe" --capture "$PULSE_CAPTURE" --lead-ms 4000 --ms 500 --freq 440 --hold-ms 9000 >"$out" 2>&1 &
probe_pid=$!

# Start-up: the stream exists (the mixer lists the program at once) and is
# corked, and the sink goes to sleep.
wait_for "the stream at start-up" 3 stream_listed >/dev/null || true
stream=$(our_stream)
echo "$stream" | sed 's/^/  stream: /'
for want in 'application.name = "Orvik audio probe"' 'application.icon_name = "org.orvik.Orvik"' \
            'application.id = "org.orvik.Orvik"' 'media.role = "production"' \
            'Channel Map: front-left,front-right' 'Corked: yes'; do
    grep -qF "$want" <<<"$stream" || fail "start-up: the stream does not show $want"
done
wait_for "the sink suspended at start-up" 3 suspended >/dev/null || true

# The first tone after the sink suspended: whole, and back in time.
wait_for "the first tone" 8 played >/dev/null || true
rested=$(wait_for "the stream corked after the tone" 4 corked || true)
echo "  corked ${rested:-?} ms after the play returned"
[ -n "$rested" ] && [ "$rested" -le 2000 ] || fail "the stream was not corked within 2 s of the tone's end (${rested:-never} ms)"
asleep=$(wait_for "the sink suspended after the tone" 6 suspended || true)
echo "  sink suspended ${asleep:-?} ms after that"

# The server's own processor time while the program sits idle for 3 s (a
# figure to read, not a bound: a 10 ms clock tick is a third of a percent).
ticks() {
    local pid total=0
    for pid in $(server_processes); do
        total=$((total + $(awk '{ print $14 + $15 }' "/proc/$pid/stat")))
    done
    echo "$total"
}
t0=$(ticks)
sleep 3
t1=$(ticks)
echo "  server CPU while idle: $(awk -v d=$((t1 - t0)) -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", d / hz / 3 * 100 }') %"

wait "$probe_pid" || fail "the probe failed"
probe_pid=""
sed 's/^/  probe: /' "$out"
grep -q 'frames_lost=0 ' "$out" || capture_fail "the first tone after the sink slept did not arrive whole"
# A probe that printed no return time is judged below, not a reason to stop.
ret=$(grep -oE '^play 1 return_ms=[0-9.]+' "$out" | sed 's/.*=//' || true)
# A whole 500 ms tone cannot return sooner; a play stuck on a sleeping
# device, or played twice, returns far later.
awk -v r="${ret:-0}" 'BEGIN { exit !(r >= 500 && r <= 900) }' || fail "the first tone returned after ${ret:-?} ms"

unjudged_note
if [ "$failures" -gt 0 ]; then
    echo "idle_test: $failures failure(s)"
    exit 1
fi
echo "idle_test: all passed"
