# shellcheck shell=bash
# What the private sound servers of lib/pulseaudio.sh and lib/pipewire.sh
# share: both talk the Pulse protocol at $PULSE_SERVER, name their pipe sink
# "capture" and copy what it writes to $PULSE_CAPTURE. Sourced by each.

# A server address whose socket does not exist, for
# PULSE_SERVER=$(server_missing) some_command.
server_missing() {
    echo "unix:${SERVER_DIR:-/nonexistent}/no-such-socket"
}

# Bytes captured so far.
server_capture_size() {
    stat -c %s "$PULSE_CAPTURE" 2>/dev/null || echo 0
}

# The capture sink's state as the server reports it: RUNNING, IDLE or
# SUSPENDED (nothing while the server does not answer).
server_sink_state() {
    pactl list sinks short 2>/dev/null | awk '$2 == "capture" { print $NF }'
}

# Removes the server's temporary folder once its processes are gone.
server_remove_dir() {
    if [ -n "$SERVER_DIR" ] && [ -d "$SERVER_DIR" ]; then
        rm -rf "$SERVER_DIR"
    fi
    SERVER_DIR=""
}
