# shellcheck shell=bash
# The sandbox every end-to-end test runs in, to be sourced first of all.
# sandbox_begin makes the scratch folder $work and points HOME, the XDG base
# folders and the session bus into it before anything else is started, so no
# helper (a bus, a sound server, Qt's font cache, the accessibility bus's
# settings) reads or writes anything of the user's; the user's session bus is
# out of reach and none is autolaunched.
#
# It owns the EXIT trap: sandbox_on_exit CMD registers a clean-up, run last
# registered first. After them it checks that every process started inside
# the sandbox (each carries ORVIK_TEST_SANDBOX=$work in its environment) has
# ended; any that outlived its test is named, killed and fails the test.
#
# skip REASON says why the test cannot run, on its output and in
# $ORVIK_SKIP_DIR (set by scripts/run-tests, which lists the reasons at the
# end of the run), and exits 77, which CTest counts as skipped.

_SANDBOX_CLEANUPS=()

sandbox_begin() {
    [ -z "${_SANDBOX_DIR:-}" ] || return 0
    work=$(mktemp -d "${TMPDIR:-/tmp}/orvik-e2e.XXXXXX")
    _SANDBOX_DIR=$work
    export ORVIK_TEST_SANDBOX=$work
    export HOME="$work/home"
    export XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
    export XDG_DATA_HOME="$HOME/.local/share" XDG_STATE_HOME="$HOME/.local/state"
    export XDG_RUNTIME_DIR="$work/run"
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    # An address that leads nowhere: set, so that no library autolaunches a
    # bus of its own; a test that wants a bus starts a private one.
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus"
    trap _sandbox_end EXIT
}

sandbox_on_exit() {
    _SANDBOX_CLEANUPS+=("$1")
}

# end_child PID: ends a process this shell started in the background (TERM)
# and reaps it; nothing when PID is empty.
end_child() {
    [ -n "$1" ] || return 0
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# For tests that go on after a failed check: fail says what failed and
# counts it in $failures, which the test reads at its end.
failures=0
pass() { echo "PASS: $*"; }
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

skip() {
    echo "SKIPPED: $*"
    if [ -n "${ORVIK_SKIP_DIR:-}" ] && [ -d "$ORVIK_SKIP_DIR" ]; then
        printf '%s\n' "$*" >"$ORVIK_SKIP_DIR/${ORVIK_TEST_NAME:-$(basename "$0" .sh)}"
    fi
    exit 77
}

# The ids of the live processes, other than this shell, whose environment
# holds VAR=VALUE. Its own helpers run without the mark.
sandbox_marked_processes() {
    local mark=$1 dir pid
    for dir in /proc/[0-9]*; do
        pid=${dir#/proc/}
        [ "$pid" != "$$" ] && [ "$pid" != "$BASHPID" ] || continue
        env -u ORVIK_TEST_SANDBOX -u ORVIK_TEST_RUN grep -qzxF -- "$mark" "$dir/environ" 2>/dev/null || continue
        # A zombie has ended; its parent only has not reaped it yet.
        env -u ORVIK_TEST_SANDBOX -u ORVIK_TEST_RUN grep -q '^State:[[:space:]]*Z' "$dir/status" 2>/dev/null && continue
        echo "$pid"
    done
}

# Names the processes given, one a line: id and command line.
sandbox_describe() {
    local pid
    for pid in "$@"; do
        printf '  %s %s\n' "$pid" "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
    done
}

_sandbox_end() {
    local status=$? i left=() _
    trap - EXIT
    for ((i = ${#_SANDBOX_CLEANUPS[@]} - 1; i >= 0; i--)); do
        ${_SANDBOX_CLEANUPS[$i]} || true
    done
    # What was stopped may take a moment to go; anything still there after
    # a few seconds outlived its test.
    for _ in $(seq 1 60); do
        mapfile -t left < <(sandbox_marked_processes "ORVIK_TEST_SANDBOX=$_SANDBOX_DIR")
        [ ${#left[@]} -gt 0 ] || break
        sleep 0.05
    done
    if [ ${#left[@]} -gt 0 ]; then
        echo "FAIL: processes started by this test outlived it (killed now):"
        sandbox_describe "${left[@]}"
        kill -KILL "${left[@]}" 2>/dev/null || true
        status=1
    fi
    rm -rf "$_SANDBOX_DIR"
    exit "$status"
}
