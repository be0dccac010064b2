#!/usr/bin/env bash
# The sound output against a private PulseAudio server whose pipe sink is
# captured: every frame arrives sample for sample, levels scale each channel,
# repetitions follow closely, a play lasts as long as its tone, and without a
# server (none, killed, hung) a play keeps the tone's time silently.
# Usage: sound_test.sh BUILD_DIR
set -euo pipefail

build=${1:?usage: sound_test.sh BUILD_DIR}
probe="$build/tools/audio_probe"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source-path=SCRIPTDIR source=lib/pulse.sh
source "$here/lib/pulse.sh"

pulse_require
[ -x "$probe" ] || { echo "FAIL: $probe is missing; build the audio_probe target"; exit 1; }

trap pulse_stop EXIT
pulse_start

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# value KEY FILE [LINE-PREFIX]: the number after "KEY=" on every matching line.
value() {
    grep -E "^${3:-}" "$2" | grep -oE "(^| )$1=-?[0-9.]+" | sed 's/.*=//'
}

# check NAME FILE KEY LOW HIGH [LINE-PREFIX]: every value of KEY within [LOW, HIGH].
check() {
    local name=$1 file=$2 key=$3 low=$4 high=$5 prefix=${6:-}
    local values
    values=$(value "$key" "$file" "$prefix" || true)
    if [ -z "$values" ]; then
        fail "$name: no $key in the probe's output"
        return
    fi
    local v
    for v in $values; do
        if ! awk -v v="$v" -v lo="$low" -v hi="$high" 'BEGIN { exit !(v >= lo && v <= hi) }'; then
            fail "$name: $key=$v, expected $low..$high"
        fi
    done
}

# run_probe NAME ARGS...: runs the probe against the capture; output in $out/NAME.
out="$PULSE_DIR/results"
mkdir -p "$out"
run_probe() {
    local name=$1
    shift
    if ! "$probe" --capture "$PULSE_CAPTURE" "$@" >"$out/$name" 2>"$out/$name.err"; then
        fail "$name: the probe failed"
    fi
    sed "s/^/  $name: /" "$out/$name"
}

# A 1 s tone at full level, the first tone after start-up: the image's 44100
# frames, unchanged, nothing before or after, and play returns once it is heard.
run_probe full --ms 1000 --freq 440
check full "$out/full" frames_lost 0 0 tone
check full "$out/full" frames 44100 44100 tone
check full "$out/full" extra_frames 0 0 summary
check full "$out/full" return_ms 1000 1030 play

# Three repetitions of a sustained tone: each whole, little silence between.
run_probe repeat --ms 1000 --freq 440 --plays 3
check repeat "$out/repeat" frames_lost 0 0 tone
check repeat "$out/repeat" extra_frames 0 0 summary
check repeat "$out/repeat" gap_ms 0 20 gap
check repeat "$out/repeat" return_ms 1000 1030 play
[ "$(grep -c '^gap ' "$out/repeat")" -eq 2 ] || fail "repeat: expected two gaps"

# Half level on both channels: every sample scaled by 32768/65535, rounded.
run_probe half --ms 1000 --freq 440 --level 32768 32768
check half "$out/half" frames_lost 0 0 tone
check half "$out/half" extra_frames 0 0 summary

# Left channel off: left silent, right the image unchanged. A short tone of
# a different pitch, so the short-image path (below the prebuffer) is covered.
run_probe right --ms 20 --freq 1000 --level 0 65535
check right "$out/right" frames_lost 0 0 tone
check right "$out/right" frames 882 882 tone
check right "$out/right" extra_frames 0 0 summary

# An image that is not in Orvik's format plays nothing and returns at once.
run_probe spoiled --ms 500 --spoil
check spoiled "$out/spoiled" return_ms 0 10 play
grep -q '^tone 1 found=no' "$out/spoiled" || fail "spoiled: a refused image reached the sink"
check spoiled "$out/spoiled" extra_frames 0 0 summary

# Cancelled a third into the tone: returns promptly, and the next play
# after the flush arrives whole.
run_probe cancel --ms 1000 --plays 2 --cancel-after 300 --check-last 1
check cancel "$out/cancel" return_ms 300 330 'play 1 '
check cancel "$out/cancel" return_ms 1000 1030 'play 2 '
check cancel "$out/cancel" frames_lost 0 0 tone
check cancel "$out/cancel" extra_frames 0 0 summary

# No server reachable: each play lasts its tone's length and says nothing.
PULSE_SERVER=$(pulse_missing_server) "$probe" --ms 1000 --plays 2 >"$out/none" 2>"$out/none.err" ||
    fail "none: the probe failed"
sed 's/^/  none: /' "$out/none"
check none "$out/none" return_ms 950 1050 play
[ ! -s "$out/none.err" ] || fail "none: something was reported: $(cat "$out/none.err")"

# The server killed during the first tone and started again before the
# second: the first keeps its length silently, the second sounds whole.
"$probe" --capture "$PULSE_CAPTURE" --ms 1000 --plays 2 --pause-ms 1500 --check-last 1 \
    >"$out/killed" 2>"$out/killed.err" &
pid=$!
sleep 0.4
pulse_kill_server
sleep 1.0
pulse_start_server
wait "$pid" || fail "killed: the probe failed"
sed 's/^/  killed: /' "$out/killed"
check killed "$out/killed" return_ms 950 1050 'play 1 '
check killed "$out/killed" return_ms 1000 1060 'play 2 '
check killed "$out/killed" frames_lost 0 0 tone
check killed "$out/killed" extra_frames 0 0 summary
[ ! -s "$out/killed.err" ] || fail "killed: something was reported: $(cat "$out/killed.err")"

# The server hung (stopped) mid-tone: the play gives up a bounded time after
# the tone's end, the next one keeps its length silently (its connection
# attempt times out), and once the server runs again the tone sounds.
"$probe" --capture "$PULSE_CAPTURE" --ms 1000 --plays 3 --pause-ms 500 --check-last 1 \
    >"$out/hung" 2>"$out/hung.err" &
pid=$!
sleep 0.4
kill -STOP "$PULSE_SERVER_PID"
sleep 2.5
kill -CONT "$PULSE_SERVER_PID"
wait "$pid" || fail "hung: the probe failed"
sed 's/^/  hung: /' "$out/hung"
check hung "$out/hung" return_ms 1000 1600 'play 1 '
check hung "$out/hung" return_ms 950 1050 'play 2 '
check hung "$out/hung" return_ms 1000 1060 'play 3 '
check hung "$out/hung" frames_lost 0 0 tone
check hung "$out/hung" extra_frames 0 0 summary

if [ "$failures" -gt 0 ]; then
    echo "sound_test: $failures failure(s)"
    exit 1
fi
echo "sound_test: all passed"
