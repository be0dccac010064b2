# shellcheck shell=bash
# What the private sound servers of lib/pulseaudio.sh and lib/pipewire.sh
# share: both talk the Pulse protocol at $PULSE_SERVER, name their pipe sink
# "capture" and copy what it writes to $PULSE_CAPTURE. Sourced by each.

# shellcheck source-path=SCRIPTDIR source=sandbox.sh
source "$(dirname "${BASH_SOURCE[0]}")/sandbox.sh"
# shellcheck source-path=SCRIPTDIR source=session_bus.sh
source "$(dirname "${BASH_SOURCE[0]}")/session_bus.sh"

# A server address whose socket does not exist, for
# PULSE_SERVER=$(server_missing) some_command.
server_missing() {
    echo "unix:${SERVER_DIR:-/nonexistent}/no-such-socket"
}

# Bytes captured so far.
server_capture_size() {
    stat -c %s "$PULSE_CAPTURE" 2>/dev/null || echo 0
}

# Starts the capture afresh (its reader appends, so it goes on writing at
# the new end); call it only while nothing of interest is on its way.
server_clear_capture() {
    : >"$PULSE_CAPTURE"
}

# The capture sink's state as the server reports it: RUNNING, IDLE or
# SUSPENDED (nothing while the server does not answer).
server_sink_state() {
    pactl list sinks short 2>/dev/null | awk '$2 == "capture" { print $NF }'
}

# Removes the server's temporary folder once its processes are gone. With
# ORVIK_KEEP_LOGS set (scripts/stress-sound sets it), the server's logs, the
# measurements and the capture are first copied into a folder of that one
# named after the test.
server_remove_dir() {
    if [ -n "$SERVER_DIR" ] && [ -d "$SERVER_DIR" ] && [ -n "${ORVIK_KEEP_LOGS:-}" ]; then
        local keep
        keep="$ORVIK_KEEP_LOGS/${ORVIK_TEST_NAME:-$(basename "$0" .sh)}"
        mkdir -p "$keep"
        cp -r "$SERVER_DIR"/*.log "$SERVER_DIR"/capture.raw "$SERVER_DIR"/results "$keep"/ 2>/dev/null || true
    fi
    if [ -n "$SERVER_DIR" ] && [ -d "$SERVER_DIR" ]; then
        rm -rf "$SERVER_DIR"
    fi
    SERVER_DIR=""
}
