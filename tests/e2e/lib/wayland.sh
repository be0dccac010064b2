# shellcheck shell=bash
# A private headless Wayland compositor (sway) for end-to-end tests, to be
# sourced; the Wayland twin of lib/x.sh:
#
#   source tests/e2e/lib/wayland.sh
#   wayland_require BUILD_DIR  # exits 77 (skipped) when sway, wtype, grim or
#                              # Qt's Wayland platform is not there
#   wayland_begin              # the sandbox, sway, a pointer and a keyboard
#   wayland_pointer move X Y click   # in the output's coordinates
#   wayland_keys -k Down       # wtype's options
#   wayland_tree               # swaymsg -t get_tree, as JSON
#   wayland_screenshot FILE    # a PNG of the whole output
#   wayland_pixel X Y          # "R G B" of the output's pixel there
#
# sway refuses to run as root, and CI runs as root: then it runs as the
# unprivileged user $WAYLAND_USER (nobody), in a folder of the sandbox given
# to that user; the program under test and the helpers stay root and reach
# it through the socket's full path in WAYLAND_DISPLAY. Run by anyone else,
# sway runs as that user. It has no input devices and a single output of
# WAYLAND_WIDTH x WAYLAND_HEIGHT at scale 1, renders in software, runs no
# XWayland, and floats every window, as a desktop does with dialogs.
#
# The headless seat has neither pointer nor keyboard. tests/virtual_pointer
# gives it a pointer and wtype a keyboard, each kept for the whole run (one
# process each, started before the program under test): a device that
# appears only with the first click or key reaches a client that has not
# bound it yet, and that first event is lost.
#
# Everything started here is stopped by its id, also when the test fails;
# should the calling shell be killed outright, so that its trap never runs, a
# watchdog stops sway within a second.

# shellcheck source-path=SCRIPTDIR source=sandbox.sh
source "$(dirname "${BASH_SOURCE[0]}")/sandbox.sh"

WAYLAND_WIDTH=1280
WAYLAND_HEIGHT=800
WAYLAND_USER=nobody
WAYLAND_DIR=""
SWAY_PID=""
_WAYLAND_KEYBOARD_PID=""
_WAYLAND_WATCHDOG_PID=""
_WAYLAND_POINTER_TOOL=""

# Qt's Wayland platform plugin, which qt6-wayland installs.
_wayland_qt_plugin() {
    local dir
    for dir in /usr/lib/*/qt6/plugins/platforms /usr/lib/qt6/plugins/platforms; do
        [ -e "$dir/libqwayland-generic.so" ] && return 0
    done
    return 1
}

wayland_require() {
    local build=${1:?wayland_require BUILD_DIR} tool
    for tool in sway swaymsg wtype grim python3; do
        command -v "$tool" >/dev/null 2>&1 ||
            skip "$tool is not installed; this test needs a headless sway with wtype and grim" \
                "(packages sway, wtype, grim, python3)"
    done
    _wayland_qt_plugin || skip "Qt's Wayland platform (qt6-wayland) is not installed"
    _WAYLAND_POINTER_TOOL="$build/tests/virtual_pointer"
    [ -x "$_WAYLAND_POINTER_TOOL" ] ||
        skip "tests/virtual_pointer was not built: CMake found no wayland-client or wayland-scanner" \
            "(packages libwayland-dev, libwayland-bin)"
    if [ "$(id -u)" = 0 ]; then
        command -v setpriv >/dev/null 2>&1 || skip "setpriv (util-linux) is missing, needed to run sway unprivileged"
        getent passwd "$WAYLAND_USER" >/dev/null || skip "there is no user $WAYLAND_USER to run sway as"
    fi
}

# sway's configuration: the fixed output, no XWayland, floating windows.
_wayland_config() {
    cat <<EOF
xwayland disable
output HEADLESS-1 mode ${WAYLAND_WIDTH}x${WAYLAND_HEIGHT} position 0 0 scale 1
for_window [title=".*"] floating enable
focus_follows_mouse no
EOF
}

# Stops sway once the shell with id $1 is gone.
_wayland_watchdog() {
    while kill -0 "$1" 2>/dev/null; do sleep 1; done
    kill -KILL "$2" 2>/dev/null || true
}

wayland_start() {
    WAYLAND_DIR="$work/wayland"
    mkdir -p "$WAYLAND_DIR"
    _wayland_config >"$WAYLAND_DIR/config"
    local run_as=()
    if [ "$(id -u)" = 0 ]; then
        local uid gid
        uid=$(id -u "$WAYLAND_USER")
        gid=$(id -g "$WAYLAND_USER")
        # The user passes through the sandbox's folder to its own and no
        # further: it can list nothing else of the sandbox.
        chmod 711 "$work"
        chown "$uid:$gid" "$WAYLAND_DIR" "$WAYLAND_DIR/config"
        run_as=(setpriv --reuid "$uid" --regid "$gid" --clear-groups --)
    fi
    chmod 700 "$WAYLAND_DIR"
    # sway's own runtime and home folder are its folder; it renders with
    # pixman, since there is no GPU, and looks for no input devices.
    env -u WAYLAND_DISPLAY -u DISPLAY -u SWAYSOCK \
        HOME="$WAYLAND_DIR" XDG_RUNTIME_DIR="$WAYLAND_DIR" XDG_CONFIG_HOME="$WAYLAND_DIR" \
        WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        "${run_as[@]}" sway --config "$WAYLAND_DIR/config" </dev/null >"$WAYLAND_DIR/sway.log" 2>&1 &
    SWAY_PID=$!
    _wayland_watchdog "$$" "$SWAY_PID" </dev/null >/dev/null 2>&1 &
    _WAYLAND_WATCHDOG_PID=$!
    local _ socket=""
    for _ in $(seq 1 200); do
        if ! kill -0 "$SWAY_PID" 2>/dev/null; then
            echo "FAIL: sway ended right after starting; its log:"
            cat "$WAYLAND_DIR/sway.log"
            exit 1
        fi
        socket=$(find "$WAYLAND_DIR" -maxdepth 1 -name "sway-ipc.*.$SWAY_PID.sock" -type s 2>/dev/null | head -n1)
        if [ -n "$socket" ] && [ -S "$WAYLAND_DIR/wayland-1" ] &&
            SWAYSOCK=$socket swaymsg -t get_outputs >/dev/null 2>&1; then
            break
        fi
        socket=""
        sleep 0.05
    done
    if [ -z "$socket" ]; then
        echo "FAIL: sway did not come up within 10 s; its log:"
        cat "$WAYLAND_DIR/sway.log"
        exit 1
    fi
    export SWAYSOCK=$socket
    export WAYLAND_DISPLAY="$WAYLAND_DIR/wayland-1"
    export QT_QPA_PLATFORM=wayland
    unset DISPLAY
    local size
    size=$(wayland_tree | python3 -c 'import json, sys
out = [n for n in json.load(sys.stdin)["nodes"] if n["type"] == "output" and n["name"] != "__i3"]
print(" ".join("%dx%d" % (o["rect"]["width"], o["rect"]["height"]) for o in out))')
    if [ "$size" != "${WAYLAND_WIDTH}x${WAYLAND_HEIGHT}" ]; then
        echo "FAIL: sway's outputs are \"$size\", not one of ${WAYLAND_WIDTH}x${WAYLAND_HEIGHT}"
        exit 1
    fi
}

# The pointer, as a coprocess that takes a line of steps and answers "ok".
_wayland_pointer_start() {
    coproc WAYLAND_POINTER { exec "$_WAYLAND_POINTER_TOOL" 2>>"$WAYLAND_DIR/pointer.log"; }
    wayland_pointer move 0 0
}

# wayland_pointer STEP...: moves and clicks (see tests/tools/virtual_pointer.c)
# and returns once the compositor has handled it all.
wayland_pointer() {
    local reply=""
    if [ -z "${WAYLAND_POINTER_PID:-}" ] || ! echo "$*" >&"${WAYLAND_POINTER[1]}"; then
        echo "FAIL: the virtual pointer is gone; its log:"
        cat "$WAYLAND_DIR/pointer.log"
        exit 1
    fi
    read -r -t 10 reply <&"${WAYLAND_POINTER[0]}" || true
    if [ "$reply" != ok ]; then
        echo "FAIL: the virtual pointer answered \"$reply\" to \"$*\"; its log:"
        cat "$WAYLAND_DIR/pointer.log"
        exit 1
    fi
}

# wayland_keys OPTION...: wtype's options (-k Down, -M ctrl -k a -m ctrl, or
# text), typed into the window that has the focus.
wayland_keys() {
    wtype "$@"
}

wayland_tree() {
    swaymsg -r -t get_tree
}

# wayland_window TITLE: prints, for the window titled exactly TITLE, what
# sway's tree says of it: its app_id, then x y width height of its rect (the
# frame without the title bar, in output coordinates), of its window_rect
# (the program's surface within that rect), the title bar's height, and
# x y width height of the output it is on. Fails when there is no such
# window.
wayland_window() {
    wayland_tree | python3 -c '
import json, sys
title = sys.argv[1]
def find(node, output):
    if node.get("type") == "output":
        output = node
    if node.get("name") == title and node.get("type") in ("con", "floating_con") and "app_id" in node:
        return node, output
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        hit = find(child, output)
        if hit:
            return hit
    return None
hit = find(json.load(sys.stdin), None)
if not hit:
    sys.exit(1)
w, o = hit
r, s, d, orc = w["rect"], w["window_rect"], w["deco_rect"], o["rect"]
print(w.get("app_id") or "-", r["x"], r["y"], r["width"], r["height"], s["x"], s["y"], s["width"], s["height"],
      d["height"], orc["x"], orc["y"], orc["width"], orc["height"])
' "$1"
}

# wayland_wait_window TITLE: waits up to 20 s for the window titled exactly
# TITLE, and until its place and size hold still for a moment (a window is
# placed, then sized to what it asks); prints what wayland_window prints.
wayland_wait_window() {
    local _ now before=""
    for _ in $(seq 1 100); do
        if now=$(wayland_window "$1"); then
            if [ "$now" = "$before" ]; then
                echo "$now"
                return 0
            fi
            before=$now
        fi
        sleep 0.2
    done
    return 1
}

# wayland_await_end SECONDS: waits that long at most for the program
# $APP_PID to end; sets ENDED to its exit status, or to "running".
wayland_await_end() {
    local i
    ENDED=running
    for ((i = 0; i < $1 * 10; i++)); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$APP_PID" 2>/dev/null && return 0
    ENDED=0
    wait "$APP_PID" 2>/dev/null || ENDED=$?
    APP_PID=
}

# Ends the program $APP_PID if it still runs.
wayland_stop_app() {
    [ -n "${APP_PID:-}" ] || return 0
    kill "$APP_PID" 2>/dev/null || true
    wayland_await_end 3
    if [ "$ENDED" = running ]; then
        kill -KILL "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
        APP_PID=
    fi
}

wayland_screenshot() {
    grim "$1"
}

wayland_pixel() {
    grim -t ppm -g "$1,$2 1x1" - | tail -c 3 | od -An -tu1 | xargs
}

wayland_stop() {
    if [ -n "${WAYLAND_POINTER_PID:-}" ]; then
        local pid=$WAYLAND_POINTER_PID fd=${WAYLAND_POINTER[1]:-}
        # Closing its input ends it; the kill is for one that hangs.
        [ -z "$fd" ] || exec {fd}>&-
        end_child "$pid"
    fi
    end_child "$_WAYLAND_KEYBOARD_PID"
    _WAYLAND_KEYBOARD_PID=""
    if [ -n "$SWAY_PID" ]; then
        kill -TERM "$SWAY_PID" 2>/dev/null || true
        local _
        for _ in $(seq 1 40); do
            kill -0 "$SWAY_PID" 2>/dev/null || break
            sleep 0.05
        done
        kill -KILL "$SWAY_PID" 2>/dev/null || true
        wait "$SWAY_PID" 2>/dev/null || true
        SWAY_PID=""
    fi
    end_child "$_WAYLAND_WATCHDOG_PID"
    _WAYLAND_WATCHDOG_PID=""
}

# The usual start of a test: the sandbox with its scratch folder $work, sway,
# its pointer and keyboard, and a clean-up that ends the program under test
# ($APP_PID), runs the caller's own WAYLAND_CLEANUP command (if any) and
# stops sway.
wayland_begin() {
    sandbox_begin
    sandbox_on_exit _wayland_end
    # Stopped from outside (a runner's time limit, Ctrl+C), the test still
    # cleans up: the EXIT trap runs only once the shell exits by itself.
    trap 'exit 143' TERM
    trap 'exit 130' INT
    wayland_start
    _wayland_pointer_start
    # A keyboard that stays: wtype keeps its device while it sleeps.
    wtype -s 2000000 </dev/null >>"$WAYLAND_DIR/keyboard.log" 2>&1 &
    _WAYLAND_KEYBOARD_PID=$!
}

_wayland_end() {
    end_child "${APP_PID:-}"
    if [ -n "${WAYLAND_CLEANUP:-}" ]; then $WAYLAND_CLEANUP; fi
    wayland_stop
}
