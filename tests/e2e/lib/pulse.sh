# shellcheck shell=bash
# A private PulseAudio server for end-to-end tests, to be sourced.
#
#   source tests/e2e/lib/pulse.sh
#   pulse_require             # exits 77 (skipped) when no PulseAudio server is installed
#   trap pulse_stop EXIT
#   pulse_start               # server up, PULSE_SERVER points at it
#   ... play something ...
#   pulse_capture_size        # bytes captured so far
#
# The server's only sink is a pipe sink at 44100 Hz, two channels, s16le,
# paced by the system clock, so it consumes sound in real time like a sound
# card. A reader copies everything the sink writes, silence included, to
# $PULSE_CAPTURE. Everything lives in one temporary directory, and HOME,
# XDG_CONFIG_HOME, PULSE_RUNTIME_PATH and PULSE_STATE_PATH point into it, so
# nothing of the user's (cookie, settings, running server) is read or
# touched. The server is never autospawned and never daemonizes; only the
# processes started here are stopped, by their own ids.
#
# Also: pulse_kill_server (SIGKILL, as if it crashed), pulse_start_server
# (again, same socket and capture file, appending), pulse_missing_server
# (prints a server address whose socket does not exist, for
# PULSE_SERVER=$(pulse_missing_server) some_command). $PULSE_SERVER_PID is
# the server's process id (to stop and continue it, say).
#
# Should the calling shell be killed outright, so that its trap never runs,
# a watchdog stops the server and the reader within a second.

PULSE_DIR=""
PULSE_SERVER_PID=""
PULSE_READER_PID=""
PULSE_WATCHDOG_PID=""

pulse_require() {
    if ! command -v pulseaudio >/dev/null 2>&1; then
        echo "SKIP: the PulseAudio server (pulseaudio) is not installed; this test needs a private one" \
             "with a pipe sink (a desktop running PipeWire's Pulse service does not get it installed)."
        exit 77
    fi
}

pulse_start() {
    PULSE_DIR=$(mktemp -d "${TMPDIR:-/tmp}/orvik-pulse.XXXXXX")
    mkdir -p "$PULSE_DIR/home" "$PULSE_DIR/config" "$PULSE_DIR/runtime" "$PULSE_DIR/state"
    export HOME="$PULSE_DIR/home"
    export XDG_CONFIG_HOME="$PULSE_DIR/config"
    export PULSE_RUNTIME_PATH="$PULSE_DIR/runtime"
    export PULSE_STATE_PATH="$PULSE_DIR/state"
    export PULSE_SERVER="unix:$PULSE_DIR/native"
    export PULSE_CAPTURE="$PULSE_DIR/capture.raw"
    unset PULSE_SINK PULSE_COOKIE
    : >"$PULSE_CAPTURE"
    mkfifo "$PULSE_DIR/sink.fifo"
    pulse_start_server
}

# Stops whatever server and reader ids are in $PULSE_DIR/pids once the shell
# with id $1 is gone.
_pulse_watchdog() {
    while kill -0 "$1" 2>/dev/null; do sleep 1; done
    local server reader
    if read -r server reader <"$PULSE_DIR/pids"; then
        kill -KILL "$server" "$reader" 2>/dev/null || true
    fi
    rm -rf "$PULSE_DIR"
}

pulse_start_server() {
    # The reader first: its open of the FIFO completes when the server opens it.
    cat "$PULSE_DIR/sink.fifo" >>"$PULSE_CAPTURE" &
    PULSE_READER_PID=$!
    # Run as root this warns "not intended to be run as root" and carries on;
    # --system is not wanted, it would use the system-wide socket and users.
    pulseaudio -n --daemonize=no --system=false --use-pid-file=no --exit-idle-time=-1 \
        --disallow-exit --realtime=no --high-priority=no --log-target=stderr --log-level=warning \
        -L "module-native-protocol-unix socket=$PULSE_DIR/native auth-anonymous=1" \
        -L "module-pipe-sink sink_name=capture file=$PULSE_DIR/sink.fifo rate=44100 channels=2 format=s16le use_system_clock_for_timing=yes" \
        >>"$PULSE_DIR/server.log" 2>&1 &
    PULSE_SERVER_PID=$!
    echo "$PULSE_SERVER_PID $PULSE_READER_PID" >"$PULSE_DIR/pids"
    if [ -z "$PULSE_WATCHDOG_PID" ]; then
        _pulse_watchdog "$$" </dev/null >/dev/null 2>&1 &
        PULSE_WATCHDOG_PID=$!
    fi
    local _
    for _ in $(seq 1 100); do
        if [ -S "$PULSE_DIR/native" ] && [ "$(pulse_capture_size)" -gt 0 ]; then
            return 0
        fi
        if ! kill -0 "$PULSE_SERVER_PID" 2>/dev/null; then break; fi
        sleep 0.05
    done
    echo "pulse_start: the private PulseAudio server did not come up; its log:" >&2
    cat "$PULSE_DIR/server.log" >&2
    return 1
}

pulse_kill_server() {
    if [ -n "$PULSE_SERVER_PID" ]; then
        kill -KILL "$PULSE_SERVER_PID" 2>/dev/null || true
        wait "$PULSE_SERVER_PID" 2>/dev/null || true
        PULSE_SERVER_PID=""
    fi
    # With the last writer gone the reader sees the end of the FIFO and exits.
    if [ -n "$PULSE_READER_PID" ]; then
        kill "$PULSE_READER_PID" 2>/dev/null || true
        wait "$PULSE_READER_PID" 2>/dev/null || true
        PULSE_READER_PID=""
    fi
}

pulse_stop() {
    if [ -n "$PULSE_SERVER_PID" ]; then
        kill -TERM "$PULSE_SERVER_PID" 2>/dev/null || true
        local _
        for _ in $(seq 1 40); do
            kill -0 "$PULSE_SERVER_PID" 2>/dev/null || break
            sleep 0.05
        done
    fi
    pulse_kill_server
    if [ -n "$PULSE_WATCHDOG_PID" ]; then
        kill "$PULSE_WATCHDOG_PID" 2>/dev/null || true
        wait "$PULSE_WATCHDOG_PID" 2>/dev/null || true
        PULSE_WATCHDOG_PID=""
    fi
    if [ -n "$PULSE_DIR" ] && [ -d "$PULSE_DIR" ]; then
        rm -rf "$PULSE_DIR"
    fi
    PULSE_DIR=""
}

pulse_missing_server() {
    echo "unix:${PULSE_DIR:-/nonexistent}/no-such-socket"
}

pulse_capture_size() {
    stat -c %s "$PULSE_CAPTURE" 2>/dev/null || echo 0
}
