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

# server_capture_reader FIFO FILE: copies what the sink writes into FIFO to
# the end of FILE as it comes, until the sink closes it; to be started in
# the background before the sink opens FIFO. The pipe holds a megabyte (six
# seconds of sound) instead of the kernel's 64 KB (a third of a second):
# PipeWire's pipe sink drops whatever does not fit at once, silently, so a
# reader kept off the CPU a third of a second on a busy machine would cut a
# period out of the capture. It replaces the shell, so $! is its id.
server_capture_reader() {
    exec python3 -c '
import fcntl, os, sys
fd = os.open(sys.argv[1], os.O_RDONLY)  # returns once the sink has opened it
try:
    fcntl.fcntl(fd, 1031, 1 << 20)  # F_SETPIPE_SZ
except OSError as e:
    print("capture reader: the pipe keeps its size:", e, file=sys.stderr)
out = os.open(sys.argv[2], os.O_WRONLY | os.O_APPEND)
while data := os.read(fd, 1 << 16):
    while data:
        data = data[os.write(out, data):]
' "$1" "$2"
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

# When the machine stalls. PipeWire's graph must finish every period before
# the next one starts; when the whole machine stalls (a virtual machine's
# CPU taken away for 60 to 130 ms, as on shared CI runners), it skips
# periods of every stream and of the capture sink alike and says so, and the
# capture then lacks or repeats what the program wrote, whatever the program
# did. A check of the captured sound is judged only where the server skipped
# nothing meanwhile:
#
#   server_mark                      # before playing what is then checked
#   ... play, then compare the capture ...
#   capture_fail "what is wrong"     # a failure, or "NOT JUDGED" when the
#                                    # server skipped periods since the mark
#
# Checks of time (how long a play took, when the program returned) do not
# depend on the capture and always count: use fail for them. $unjudged
# counts the checks left unjudged; unjudged_note says so on the test's last
# line.
unjudged=0
_SERVER_MARK=0
server_mark() {
    _SERVER_MARK=$(server_skipped_periods)
}

# The periods the server's graph has skipped since server_mark.
server_skipped_since_mark() {
    echo $(($(server_skipped_periods) - _SERVER_MARK))
}

# What the test's last line adds when checks were left unjudged: nothing
# when none was.
unjudged_note() {
    [ "$unjudged" -eq 0 ] || echo "$unjudged check(s) of the capture not judged (the machine stalled)"
}

capture_fail() {
    local skipped
    skipped=$(server_skipped_since_mark)
    if [ "$skipped" -gt 0 ]; then
        echo "NOT JUDGED: $* (the server's graph skipped $skipped period(s) while this played: the machine stalled, so the capture cannot tell)"
        unjudged=$((unjudged + 1))
    else
        fail "$@"
    fi
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
