# Starts a private X server (Xvfb) for an end-to-end test and stops it again.
# Source this file, then call x_begin (the sandbox, the server, the clean-up).

# shellcheck source-path=SCRIPTDIR source=sandbox.sh
source "$(dirname "${BASH_SOURCE[0]}")/sandbox.sh"

x_start() {
    if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
        skip "Xvfb or xdotool is not installed (scripts/install-deps test installs them)"
    fi
    local fdfile
    fdfile=$(mktemp)
    # -noreset: without it the server resets whenever its last client leaves
    # (the readiness check below, say), refusing connections meanwhile.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fdfile" 2>/dev/null &
    X_PID=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$fdfile" ] && break
        sleep 0.05
    done
    if [ ! -s "$fdfile" ]; then
        echo "FAIL: Xvfb did not start"
        exit 1
    fi
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
    export QT_QPA_PLATFORM=xcb
    # Make sure this server, and no other, answers on that display before a
    # program is started on it.
    for i in $(seq 1 100); do
        if ! kill -0 "$X_PID" 2>/dev/null; then
            echo "FAIL: Xvfb ended right after starting"
            exit 1
        fi
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.05
    done
    echo "FAIL: Xvfb on $DISPLAY does not answer"
    exit 1
}

x_stop() {
    [ -n "${X_PID:-}" ] && kill "$X_PID" 2>/dev/null && wait "$X_PID" 2>/dev/null
    X_PID=
}

# Waits until a visible window with exactly this name exists; prints its id.
x_wait_window() {
    local name=$1 i id
    for i in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# Prints "width height" of a window's client area.
x_client_size() {
    xwininfo -id "$1" | awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w, h}'
}

# The usual start of a test: the sandbox with its scratch folder $work, the X
# server, and a clean-up that ends the program under test ($APP_PID), runs
# the caller's own X_CLEANUP command (if any) and stops the X server.
x_begin() {
    sandbox_begin
    sandbox_on_exit _x_end
    x_start
}

_x_end() {
    end_child "${APP_PID:-}"
    if [ -n "${X_CLEANUP:-}" ]; then $X_CLEANUP; fi
    x_stop
}

# Waits up to 5 s for the program $APP_PID to end; fails unless it ended by
# itself with status 0.
x_wait_exit() {
    local i status=0
    for i in $(seq 1 50); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$APP_PID" 2>/dev/null; then
        echo "FAIL: the program is still running"
        exit 1
    fi
    wait "$APP_PID" || status=$?
    APP_PID=
    if [ "$status" != 0 ]; then
        echo "FAIL: the program ended with status $status"
        exit 1
    fi
}
