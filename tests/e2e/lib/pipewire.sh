# shellcheck shell=bash
# A private PipeWire server for end-to-end tests, to be sourced. It offers
# the same functions as lib/pulseaudio.sh, so a test runs against either:
#
#   source tests/e2e/lib/pipewire.sh
#   server_require            # exits 77 (skipped) when PipeWire is not installed
#   sandbox_begin; sandbox_on_exit server_stop
#   server_start [RATE]       # server up, PULSE_SERVER points at it
#   ... play something ...
#   server_capture_size       # bytes captured so far
#   server_sink_state         # RUNNING, IDLE or SUSPENDED
#   server_processes          # the ids of the server's processes
#   server_skipped_periods    # periods the graph skipped (lib/sound_server.sh)
#
# Four processes make the server: a private D-Bus session bus (wireplumber
# gives up without one), pipewire with a dummy driver as the graph's clock,
# wireplumber to link streams to the default sink (without it a stream
# plays into nothing, silently), and pipewire-pulse, which serves the Pulse
# protocol the program speaks. RATE is the graph's clock rate: 44100 by
# default, so nothing is resampled; 48000 is what users' servers run at,
# and then our 44100 Hz stream is resampled on its way in and back out.
#
# The only sink, "capture", is a pipe sink at 44100 Hz, two channels, s16le,
# whatever RATE is. It lives in pipewire itself, not in pipewire-pulse, so
# it stays when pipewire-pulse is killed and restarted. A reader copies all
# it writes to $PULSE_CAPTURE. Unlike PulseAudio's pipe sink it writes only
# while a stream is linked to it and running (uncorked, with or without
# data); while nothing plays it writes nothing at all. It suspends one
# second after the last stream stops or is corked.
#
# Everything lives in one temporary directory: HOME, XDG_CONFIG_HOME,
# XDG_STATE_HOME, XDG_RUNTIME_DIR, PIPEWIRE_RUNTIME_DIR and
# PULSE_RUNTIME_PATH point into it, so neither a user's running server nor
# their settings are read or touched. Only the processes started here are
# stopped, by their own ids.
#
# Also: server_kill (SIGKILL to pipewire-pulse, as if it crashed),
# server_restart (pipewire-pulse again, same socket, the capture sink still
# the default and still appending to the same file), server_missing (prints
# a server address whose socket does not exist, for
# PULSE_SERVER=$(server_missing) some_command). $SERVER_PID is
# pipewire-pulse's process id (to stop and continue it, say).
#
# Should the calling shell be killed outright, so that its trap never runs,
# a watchdog stops every process started here within a second or two.

# shellcheck source-path=SCRIPTDIR source=sound_server.sh
source "$(dirname "${BASH_SOURCE[0]}")/sound_server.sh"

# shellcheck disable=SC2034 # read by the tests that source this
SERVER_KIND=pipewire
# How far apart the program's repetitions of a tone follow each other here:
# about three periods of the graph, 68 ms at the 1024 frames the output asks
# for, and room for one stall of the machine above that (see lib/pulseaudio.sh
# for what the two bounds mean).
# shellcheck disable=SC2034
SERVER_SHORT_GAP_MS=80
# shellcheck disable=SC2034
SERVER_LONG_GAP_MS=200
SERVER_DIR=""
SERVER_PID=""
_PIPEWIRE_BUS_PID=""
_PIPEWIRE_DAEMON_PID=""
_PIPEWIRE_SESSION_PID=""
_PIPEWIRE_READER_PID=""
_PIPEWIRE_WATCHDOG_PID=""

server_require() {
    local missing=() tool
    for tool in pipewire pipewire-pulse wireplumber dbus-daemon pactl; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            [ "$tool" != pactl ] || tool="pactl (pulseaudio-utils)"
            missing+=("$tool")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        local list
        list=$(printf '%s, ' "${missing[@]}")
        skip "not installed: ${list%, }. This test plays into a private PipeWire server" \
            "(pipewire, wireplumber to link streams, pipewire-pulse to serve the Pulse protocol," \
            "dbus-daemon for wireplumber's session bus, pactl to talk to it) whose pipe sink it captures"
    fi
}

server_start() {
    local rate=${1:-44100}
    case $rate in
        '' | *[!0-9]*)
            echo "server_start: the clock rate must be a number of Hz, not '$rate'" >&2
            return 2
            ;;
    esac
    if [ -n "$SERVER_DIR" ]; then
        echo "server_start: a server is already running in $SERVER_DIR" >&2
        return 1
    fi
    SERVER_DIR=$(mktemp -d "${TMPDIR:-/tmp}/orvik-pipewire.XXXXXX")
    local dir=$SERVER_DIR
    mkdir -p "$dir/home" "$dir/config/pipewire/pipewire.conf.d" \
        "$dir/config/wireplumber/main.lua.d" "$dir/config/wireplumber/bluetooth.lua.d" \
        "$dir/state" "$dir/runtime/pulse"
    chmod 700 "$dir/runtime"
    export HOME="$dir/home"
    export XDG_CONFIG_HOME="$dir/config"
    export XDG_STATE_HOME="$dir/state"
    export XDG_RUNTIME_DIR="$dir/runtime"
    export PIPEWIRE_RUNTIME_DIR="$dir/runtime"
    export PULSE_RUNTIME_PATH="$dir/runtime/pulse"
    export PULSE_SERVER="unix:$dir/runtime/pulse/native"
    export PULSE_CAPTURE="$dir/capture.raw"
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus"
    # Any of these would send pw-* tools elsewhere or have the daemons read
    # someone else's configuration.
    unset PULSE_SINK PULSE_COOKIE PIPEWIRE_REMOTE PIPEWIRE_CONFIG_DIR PIPEWIRE_CONFIG_NAME \
        PIPEWIRE_CONFIG_PREFIX WIREPLUMBER_CONFIG_DIR
    : >"$PULSE_CAPTURE"
    mkfifo "$dir/sink.fifo"

    # The graph runs at the given rate only. The sink's suspend timeout is
    # one second (a desktop's is a few) so a test sees it go to sleep soon.
    cat >"$dir/config/pipewire/pipewire.conf.d/50-orvik-test.conf" <<EOF
context.properties = {
    default.clock.rate = $rate
    default.clock.allowed-rates = [ $rate ]
}
context.modules = [
    { name = libpipewire-module-pipe-tunnel
        args = {
            tunnel.mode = sink
            pipe.filename = "$dir/sink.fifo"
            node.name = capture
            node.description = "Orvik test capture"
            audio.format = S16LE
            audio.rate = 44100
            audio.channels = 2
            audio.position = [ FL FR ]
            stream.props = {
                session.suspend-timeout-seconds = 1
            }
        }
    }
]
EOF
    # No sound cards, cameras or Bluetooth: the pipe sink is the only device.
    # Named to sort after the packaged 50-*-config.lua, which switch them on,
    # and before 90-enable-all.lua, which acts on the switches.
    cat >"$dir/config/wireplumber/main.lua.d/60-orvik-test.lua" <<'EOF'
alsa_monitor.enabled = false
v4l2_monitor.enabled = false
libcamera_monitor.enabled = false
EOF
    cat >"$dir/config/wireplumber/bluetooth.lua.d/60-orvik-test.lua" <<'EOF'
bluez_monitor.enabled = false
EOF
    # wireplumber's session bus.
    session_bus_config "$dir/bus" >"$dir/bus.conf"

    # The reader first: its open of the FIFO completes when pipewire opens it.
    server_capture_reader "$dir/sink.fifo" "$PULSE_CAPTURE" </dev/null 2>>"$dir/reader.log" &
    _PIPEWIRE_READER_PID=$!
    _pipewire_spawn bus.log dbus-daemon --config-file="$dir/bus.conf" --nofork \
        --address="unix:path=$dir/bus"
    _PIPEWIRE_BUS_PID=$!
    _pipewire_save_pids
    if [ -z "$_PIPEWIRE_WATCHDOG_PID" ]; then
        local owner=$BASHPID
        _pipewire_watchdog "$owner" "$dir" </dev/null >/dev/null 2>&1 &
        _PIPEWIRE_WATCHDOG_PID=$!
    fi
    _pipewire_await "the D-Bus session bus" test -S "$dir/bus" || return 1

    _pipewire_spawn pipewire.log pipewire
    _PIPEWIRE_DAEMON_PID=$!
    _pipewire_save_pids
    _pipewire_await "pipewire" test -S "$dir/runtime/pipewire-0" || return 1

    _pipewire_spawn wireplumber.log wireplumber
    _PIPEWIRE_SESSION_PID=$!
    _pipewire_save_pids

    _pipewire_start_pulse || return 1
    # Chosen once, kept by wireplumber (not by pipewire-pulse), so it holds
    # across server_restart.
    if ! pactl set-default-sink capture >>"$dir/pactl.log" 2>&1; then
        _pipewire_report "could not make the capture sink the default"
        return 1
    fi
    _pipewire_await "the capture sink as the default" _pipewire_sink_ready || return 1
}

server_restart() {
    if [ -z "$SERVER_DIR" ]; then
        echo "server_restart: no server was started" >&2
        return 1
    fi
    server_kill
    _pipewire_start_pulse
}

server_kill() {
    if [ -n "$SERVER_PID" ]; then
        if _pipewire_ours "$SERVER_PID" "$SERVER_DIR"; then
            kill -KILL "$SERVER_PID" 2>/dev/null || true
        fi
        wait "$SERVER_PID" 2>/dev/null || true
        SERVER_PID=""
        _pipewire_save_pids
    fi
}

server_stop() {
    # pipewire-pulse before what it depends on, the reader after the sink's
    # last write, the bus last.
    _pipewire_end "$SERVER_PID"
    SERVER_PID=""
    _pipewire_end "$_PIPEWIRE_SESSION_PID"
    _PIPEWIRE_SESSION_PID=""
    _pipewire_end "$_PIPEWIRE_DAEMON_PID"
    _PIPEWIRE_DAEMON_PID=""
    _pipewire_end "$_PIPEWIRE_READER_PID"
    _PIPEWIRE_READER_PID=""
    _pipewire_end "$_PIPEWIRE_BUS_PID"
    _PIPEWIRE_BUS_PID=""
    _pipewire_end "$_PIPEWIRE_WATCHDOG_PID"
    _PIPEWIRE_WATCHDOG_PID=""
    server_remove_dir
}

# The ids of the processes that do the server's work (to read their CPU
# time): the graph runs in pipewire, the Pulse protocol in pipewire-pulse.
server_processes() {
    echo "$_PIPEWIRE_DAEMON_PID $SERVER_PID $_PIPEWIRE_SESSION_PID"
}


# How many periods the graph has skipped since the server started. pipewire
# logs each in one of two ways (see _pipewire_spawn for the log levels): a
# cycle that had not finished when the next one was due ("graph not
# finished", followed by "client too slow" for each node still running, or
# by nothing when the node it waited for was one just joining the graph),
# and cycles a node slept through when the machine stalled between two of
# its wakeups ("(capture-33) client missed 2 wakeups"), which cost that node
# one period each. The capture sink's node lives in pipewire, the stream's
# in pipewire-pulse, and each process logs its own. Either way the capture
# may have lost a period.
server_skipped_periods() {
    cat "$SERVER_DIR/pipewire.log" "$SERVER_DIR/pipewire-pulse.log" 2>/dev/null |
        awk '/graph not finished/ { n++ }
             match($0, /missed [0-9]+ wakeups/) { n += substr($0, RSTART + 7, RLENGTH - 15) }
             END { print n + 0 }'
}

# ---- internal ----

# _pipewire_spawn LOG COMMAND...: starts COMMAND in the background, its
# output appended to LOG in $SERVER_DIR; $! is its id. Without a display
# pipewire cannot load its X11 bell module, which would otherwise play the
# program's beeps into the capture when a test runs under Xvfb. The graph's
# reports of periods it skipped are logged whatever the level, for
# server_skipped_periods: pipewire's node topic at debug level, a few hundred
# lines per stream started or stopped and otherwise only when a cycle goes
# wrong.
_pipewire_spawn() {
    local log=$SERVER_DIR/$1
    shift
    local level
    case ${ORVIK_SERVER_LOG_LEVEL:-warning} in
        debug) level=4 ;;
        info) level=3,pw.node:4 ;;
        *) level=2,pw.node:4 ;;
    esac
    env -u DISPLAY -u WAYLAND_DISPLAY PIPEWIRE_DEBUG="$level" "$@" </dev/null >>"$log" 2>&1 &
}

# Starts pipewire-pulse and waits until it serves with the capture sink as
# the default. It removes the socket a killed one left behind by itself.
_pipewire_start_pulse() {
    _pipewire_spawn pipewire-pulse.log pipewire-pulse
    SERVER_PID=$!
    _pipewire_save_pids
    _pipewire_await "pipewire-pulse" _pipewire_sink_ready
}

# True once the Pulse service answers with the capture sink as its default
# and, where pw-metadata is installed to tell, wireplumber has chosen it too
# (which shows wireplumber is up and will link streams).
_pipewire_sink_ready() {
    pactl info 2>/dev/null | grep -qx 'Default Sink: capture' || return 1
    [ -n "$(server_sink_state)" ] || return 1
    if command -v pw-metadata >/dev/null 2>&1; then
        timeout 2 pw-metadata -n default 0 default.audio.sink 2>/dev/null |
            grep -q '"name":"capture"' || return 1
    fi
}

# _pipewire_await WHAT COMMAND...: waits up to 10 s (CI machines are slow)
# for COMMAND to succeed, giving up early if a process started here has
# exited. On failure it says so with all logs.
_pipewire_await() {
    local what=$1 deadline=$((SECONDS + 10)) name pid
    shift
    while [ "$SECONDS" -le "$deadline" ]; do
        if "$@"; then
            return 0
        fi
        for name in dbus-daemon pipewire wireplumber pipewire-pulse; do
            case $name in
                dbus-daemon) pid=$_PIPEWIRE_BUS_PID ;;
                pipewire) pid=$_PIPEWIRE_DAEMON_PID ;;
                wireplumber) pid=$_PIPEWIRE_SESSION_PID ;;
                pipewire-pulse) pid=$SERVER_PID ;;
            esac
            if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
                _pipewire_report "waiting for $what, $name (process $pid) exited"
                return 1
            fi
        done
        sleep 0.05
    done
    _pipewire_report "$what did not come up within 10 s"
    return 1
}

_pipewire_report() {
    echo "server_start: the private PipeWire server did not come up: $1. Its logs:" >&2
    local log
    for log in "$SERVER_DIR"/*.log; do
        [ -s "$log" ] || continue
        echo "--- ${log##*/}" >&2
        cat "$log" >&2
    done
}

_pipewire_save_pids() {
    [ -n "$SERVER_DIR" ] && [ -d "$SERVER_DIR" ] || return 0
    echo "$SERVER_PID $_PIPEWIRE_SESSION_PID $_PIPEWIRE_DAEMON_PID $_PIPEWIRE_READER_PID $_PIPEWIRE_BUS_PID" \
        >"$SERVER_DIR/pids"
}

# _pipewire_end PID: TERM (after CONT, for a server a test has stopped),
# then KILL if it lingers.
_pipewire_end() {
    local pid=$1 _
    [ -n "$pid" ] || return 0
    if _pipewire_ours "$pid" "$SERVER_DIR"; then
        kill -CONT "$pid" 2>/dev/null || true
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 1 40); do
            _pipewire_ours "$pid" "$SERVER_DIR" || break
            sleep 0.05
        done
        if _pipewire_ours "$pid" "$SERVER_DIR"; then
            kill -KILL "$pid" 2>/dev/null || true
        fi
    fi
    wait "$pid" 2>/dev/null || true
}

# _pipewire_ours PID DIR: whether PID is still running as one of the
# processes started for DIR, either a child of this shell or one with DIR's
# runtime directory in its environment (the watchdog's case: by then they
# have lost their parent). An id that has ended and been handed to some
# other process is never signalled.
_pipewire_ours() {
    local pid=$1 dir=$2 stat state ppid
    [ -n "$pid" ] && [ -n "$dir" ] || return 1
    { read -r stat <"/proc/$pid/stat"; } 2>/dev/null || return 1
    read -r state ppid _ <<<"${stat##*) }"
    [ "$state" != Z ] || return 1
    [ "$ppid" != "$BASHPID" ] || return 0
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$dir/runtime"
}

# _pipewire_watchdog SHELL DIR: once the shell with id SHELL is gone, kills
# the processes whose ids are in DIR/pids and removes DIR. Its one-second
# naps are its own children, ended with it, so server_stop leaves none.
_pipewire_watchdog() {
    local shell=$1 dir=$2 nap=""
    trap '[ -z "$nap" ] || kill "$nap" 2>/dev/null; exit 0' TERM
    while kill -0 "$shell" 2>/dev/null; do
        sleep 1 &
        nap=$!
        wait "$nap" || true
    done
    local pids="" pid
    read -r pids <"$dir/pids" || true
    for pid in $pids; do
        if _pipewire_ours "$pid" "$dir"; then
            kill -KILL "$pid" 2>/dev/null || true
        fi
    done
    rm -rf "$dir"
}
