# shellcheck shell=bash
# A private PulseAudio server for end-to-end tests, to be sourced. It offers
# the same functions as lib/pipewire.sh, so a test runs against either:
#
#   source tests/e2e/lib/pulseaudio.sh
#   server_require            # exits 77 (skipped) when no PulseAudio server is installed
#   sandbox_begin; sandbox_on_exit server_stop
#   server_start              # server up, PULSE_SERVER points at it
#   ... play something ...
#   server_capture_size       # bytes captured so far
#   server_sink_state         # RUNNING, IDLE or SUSPENDED
#   server_processes          # the ids of the server's processes
#   server_skipped_periods    # always 0: its pipe sink never skips
#
# The server has a session bus of its own: on the user's bus it would take
# the names org.pulseaudio.Server and org.PulseAudio1, and beside a display
# with no bus it would have one autolaunched that outlives the test.
#
# The server's only sink, "capture", is a pipe sink at 44100 Hz, two
# channels, s16le, paced by the system clock, so it consumes sound in real
# time like a sound card. A reader copies everything the sink writes, silence
# included, to $PULSE_CAPTURE. The sink suspends one second after the last
# uncorked stream stops playing, as a desktop's sinks do (after a few
# seconds). Everything lives in one temporary directory, and HOME,
# XDG_CONFIG_HOME, PULSE_RUNTIME_PATH and PULSE_STATE_PATH point into it, so
# nothing of the user's (cookie, settings, running server) is read or
# touched. The server is never autospawned and never daemonizes; only the
# processes started here are stopped, by their own ids.
#
# Also: server_kill (SIGKILL, as if it crashed), server_restart (again, same
# socket and capture file, appending), server_missing (prints a server
# address whose socket does not exist, for PULSE_SERVER=$(server_missing)
# some_command). $SERVER_PID is the server's process id (to stop and
# continue it, say).
#
# Should the calling shell be killed outright, so that its trap never runs,
# a watchdog stops the server and the reader within a second.

# shellcheck source-path=SCRIPTDIR source=sound_server.sh
source "$(dirname "${BASH_SOURCE[0]}")/sound_server.sh"

# shellcheck disable=SC2034 # read by the tests that source this
SERVER_KIND=pulseaudio
# How far apart the program's repetitions of a tone follow each other here
# (about 23 ms: one 1023-frame block of the pipe sink at the program's
# 250 ms target, and the drain's answer): the shorter of two gaps at most
# SERVER_SHORT_GAP_MS, so they follow as closely as the server allows, and
# none over SERVER_LONG_GAP_MS. That one leaves room for one stall of the
# machine, which delays the drain's answer by its length (a gap of 93 ms
# beside a 70 ms stall was seen on a 2-core machine), but not for a play
# that waits out a timeout (300 ms to connect, 500 ms for a drain).
# shellcheck disable=SC2034
SERVER_SHORT_GAP_MS=25
# shellcheck disable=SC2034
SERVER_LONG_GAP_MS=150
SERVER_DIR=""
SERVER_PID=""
_PULSE_READER_PID=""
_PULSE_WATCHDOG_PID=""
_PULSE_BUS_PID=""

server_require() {
    if ! command -v pulseaudio >/dev/null 2>&1 || ! command -v pactl >/dev/null 2>&1 ||
        ! command -v dbus-daemon >/dev/null 2>&1; then
        skip "the PulseAudio server (pulseaudio, pulseaudio-utils) or dbus-daemon is not installed; this test" \
            "needs a private server with a pipe sink and a session bus of its own"
    fi
}

server_start() {
    SERVER_DIR=$(mktemp -d "${TMPDIR:-/tmp}/orvik-pulse.XXXXXX")
    mkdir -p "$SERVER_DIR/home" "$SERVER_DIR/config" "$SERVER_DIR/runtime" "$SERVER_DIR/state"
    export HOME="$SERVER_DIR/home"
    export XDG_CONFIG_HOME="$SERVER_DIR/config"
    export PULSE_RUNTIME_PATH="$SERVER_DIR/runtime"
    export PULSE_STATE_PATH="$SERVER_DIR/state"
    export PULSE_SERVER="unix:$SERVER_DIR/native"
    export PULSE_CAPTURE="$SERVER_DIR/capture.raw"
    unset PULSE_SINK PULSE_COOKIE
    : >"$PULSE_CAPTURE"
    mkfifo "$SERVER_DIR/sink.fifo"
    session_bus_start "$SERVER_DIR"
    _PULSE_BUS_PID=$SESSION_BUS_PID
    server_restart
}

# Stops whatever server and reader ids are in $SERVER_DIR/pids once the shell
# with id $1 is gone.
_pulse_watchdog() {
    while kill -0 "$1" 2>/dev/null; do sleep 1; done
    local server reader bus
    if read -r server reader bus <"$SERVER_DIR/pids"; then
        kill -KILL "$server" "$reader" "$bus" 2>/dev/null || true
    fi
    rm -rf "$SERVER_DIR"
}

server_restart() {
    # The reader first: its open of the FIFO completes when the server opens it.
    server_capture_reader "$SERVER_DIR/sink.fifo" "$PULSE_CAPTURE" &
    _PULSE_READER_PID=$!
    # Run as root this warns "not intended to be run as root" and carries on;
    # --system is not wanted, it would use the system-wide socket and users.
    # At the raised priority a desktop's server runs at (nice -11, where it
    # may): at the ordinary one, beside a busy machine's load, a tone now and
    # then had a gap of 30 to 70 ms where the server ran dry (1 of 20 plays
    # after a restart, against none of 20 at nice -11).
    pulseaudio -n --daemonize=no --system=false --use-pid-file=no --exit-idle-time=-1 \
        --disallow-exit --realtime=no --high-priority=yes --log-target=stderr --log-time=1 \
        --log-level="${ORVIK_SERVER_LOG_LEVEL:-warning}" \
        -L "module-native-protocol-unix socket=$SERVER_DIR/native auth-anonymous=1" \
        -L "module-pipe-sink sink_name=capture file=$SERVER_DIR/sink.fifo rate=44100 channels=2 format=s16le use_system_clock_for_timing=yes" \
        -L "module-suspend-on-idle timeout=1" \
        >>"$SERVER_DIR/server.log" 2>&1 &
    SERVER_PID=$!
    echo "$SERVER_PID $_PULSE_READER_PID $_PULSE_BUS_PID" >"$SERVER_DIR/pids"
    if [ -z "$_PULSE_WATCHDOG_PID" ]; then
        _pulse_watchdog "$$" </dev/null >/dev/null 2>&1 &
        _PULSE_WATCHDOG_PID=$!
    fi
    local _
    for _ in $(seq 1 100); do
        if [ -S "$SERVER_DIR/native" ] && pactl info >/dev/null 2>&1; then
            return 0
        fi
        if ! kill -0 "$SERVER_PID" 2>/dev/null; then break; fi
        sleep 0.05
    done
    echo "server_start: the private PulseAudio server did not come up; its log:" >&2
    cat "$SERVER_DIR/server.log" >&2
    return 1
}

server_kill() {
    if [ -n "$SERVER_PID" ]; then
        kill -KILL "$SERVER_PID" 2>/dev/null || true
        wait "$SERVER_PID" 2>/dev/null || true
        SERVER_PID=""
    fi
    # With the last writer gone the reader sees the end of the FIFO and exits.
    end_child "$_PULSE_READER_PID"
    _PULSE_READER_PID=""
}

server_stop() {
    if [ -n "$SERVER_PID" ]; then
        kill -CONT "$SERVER_PID" 2>/dev/null || true
        kill -TERM "$SERVER_PID" 2>/dev/null || true
        local _
        for _ in $(seq 1 40); do
            kill -0 "$SERVER_PID" 2>/dev/null || break
            sleep 0.05
        done
    fi
    server_kill
    end_child "$_PULSE_WATCHDOG_PID"
    _PULSE_WATCHDOG_PID=""
    end_child "$_PULSE_BUS_PID"
    _PULSE_BUS_PID=""
    server_remove_dir
}

# PulseAudio's pipe sink never skips: after a stall it mixes what the
# streams hold and goes on, so every capture is judged.
server_skipped_periods() {
    echo 0
}

# The ids of the processes that do the server's work (to read their CPU time).
server_processes() {
    echo "$SERVER_PID"
}

