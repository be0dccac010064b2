#!/usr/bin/env bash
# The real program on native Wayland (Qt's wayland platform) under a private
# headless sway, as users of KDE, GNOME and wlroots desktops run it:
# - the window maps with the app_id org.orvik.Orvik, which desktops match to
#   the menu entry and its icon;
# - a click on "440 a1" reaches the private sound server sample for sample,
#   a click during that tone plays after it, whole, and a walk with the
#   cursor keys plays the cells it reaches, the keys pressed during a tone
#   after it;
# - "Frequenz zu hoch" is a box that belongs to the main window (it asks for
#   xdg_toplevel.set_parent), so the compositor keeps it above the window,
#   and it takes Return;
# - started in the tallest mode, "Dezimal  1/20", the window and its title
#   bar fit inside the output: a Wayland window cannot move itself to the
#   top of the screen, so its height alone must leave it on screen.
# Every part runs; each case prints PASS or FAIL, and any FAIL fails the test.
# Usage: wayland_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: wayland_test.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=lib/wayland.sh
source "$here/lib/wayland.sh"
# shellcheck source-path=SCRIPTDIR source=lib/pulseaudio.sh
source "$here/lib/pulseaudio.sh"
wayland_require "$build"
server_require

WAYLAND_CLEANUP=server_stop
wayland_begin
server_start


# Starts a fresh copy of the program (it keeps its settings beside itself)
# with the settings file given; extra environment in the arguments after it.
launch() {
    local settings=$1
    shift
    rm -rf "$work/prog"
    mkdir -p "$work/prog"
    cp "$build/orvik" "$work/prog/orvik"
    # shellcheck disable=SC2059 # the settings are a printf format on purpose
    printf "$settings" >"$work/prog/orini"
    env "$@" "$work/prog/orvik" >"$work/prog/out.log" 2>&1 &
    APP_PID=$!
}

# Waits for the window titled $1 and sets what wayland_window tells of it:
# app_id, the rect, the surface's offset in it, the title bar's height, the
# output; and left/top, where the program's surface starts on the output.
# Fails when no such window appears.
find_window() {
    local info
    info=$(wayland_wait_window "$1") || return 1
    read -r app_id rect_x rect_y rect_w rect_h surface_x surface_y surface_w surface_h deco_h \
        output_x output_y output_w output_h <<<"$info"
    left=$((rect_x + surface_x))
    top=$((rect_y + surface_y))
}

# click X Y ...: clicks at these points of the program's surface, in one go.
click() {
    local steps=()
    while [ $# -ge 2 ]; do
        steps+=(move $((left + $1)) $((top + $2)) click)
        shift 2
    done
    wayland_pointer "${steps[@]}"
}

# "Schliessen", then the end of the program, which has nothing to report.
close_app() {
    click 30 10
    wayland_await_end 10
    case $ENDED in
    0) return 0 ;;
    running) fail "$1: \"Schliessen\" did not end the program within 10 s" ;;
    *) fail "$1: the program ended with status $ENDED" ;;
    esac
    wayland_stop_app
    return 1
}

# ---- Sound, clicked and keyed ---------------------------------------------------
# Half-second tones at the start-up level of 50 %. Each step waits for what
# shows that the one before has been taken, not for a time that a busy
# machine may overrun: the click on 880 goes out once the stream of "440 a1"
# plays, so it arrives during that tone; each cursor key once the current
# cell has moved, so no key waits behind a tone. A key plays the current cell
# and moves on: from 880 Down, Down, Up play 880, 932, 988.

# Waits up to 10 s for the program's stream to play (uncorked).
await_playing() {
    local _ streams
    for _ in $(seq 1 100); do
        streams=$(pactl list sink-inputs 2>/dev/null) || true
        grep -q 'Corked: no' <<<"$streams" && return 0
        sleep 0.05
    done
    return 1
}

# Waits up to 20 s until the current cell of the table is the one at X Y of
# the program's surface: drawn dark, as Qt's highlight is on the white table.
await_current() {
    local _ r g b
    for _ in $(seq 1 100); do
        read -r r g b <<<"$(wayland_pixel $((left + $1)) $((top + $2)))"
        [ $((r + g + b)) -lt 400 ] && return 0
        sleep 0.2
    done
    return 1
}

# Column 6 of the table is the octave of 880; its cells are 18 px apart.
cell_x=346
row_y() { echo $((67 + 18 * $1)); }

launch '500\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n'
if find_window Orvik; then
    if [ "$app_id" = org.orvik.Orvik ]; then
        pass "the window's app_id is org.orvik.Orvik"
    else
        fail "the window's app_id is \"$app_id\", not org.orvik.Orvik"
    fi
    walk=ok
    click 276 67 # "440 a1"
    await_playing || walk="no stream played after the click on 440 a1"
    click 326 67 # 880, during 440
    # The walk: each row is the key, the row it is pressed on and the row it
    # leaves the cursor on.
    for step in "Down 0 1" "Down 1 2" "Up 2 1"; do
        [ "$walk" = ok ] || break
        read -r key from to <<<"$step"
        if ! await_current $cell_x "$(row_y "$from")"; then
            walk="the cursor never reached row $from of the 880 column"
            break
        fi
        wayland_keys -k "$key"
    done
    if [ "$walk" = ok ] && ! await_current $cell_x "$(row_y "$to")"; then
        walk="the cursor did not reach row $to after the last key"
    fi
    [ "$walk" = ok ] || fail "clicks and keys: $walk"
    if close_app "clicks and keys" && [ "$walk" = ok ]; then
        sleep 0.2
        # A stretch of silence where the stream ran dry (a stall of the
        # machine) is let through and reported: the X11 sound tests check
        # that tones play unbroken; this one, which tones the window plays.
        if "$build/tools/capture_match" "$PULSE_CAPTURE" --underruns-ok --tone 500 440 32768 32768 --tone 500 880 32768 32768 \
            --tone 500 880 32768 32768 --tone 500 932 32768 32768 --tone 500 988 32768 32768 >"$work/match"; then
            pass "a click on 440 a1, a click during it and a key walk play whole, in order, sample for sample (stalls apart)"
        else
            fail "the captured sound is not 440 and 880 clicked, then 880, 932, 988 keyed; what was found:"
            sed 's/^/  /' "$work/match"
        fi
    fi
else
    fail "no window titled Orvik within 20 s; the program's output:"
    sed 's/^/  /' "$work/prog/out.log"
fi
wayland_stop_app

# ---- A message box and its parent -----------------------------------------------
# An entry above the limit, confirmed with Return, is answered with
# "Frequenz zu hoch". What the program asks of the compositor is in its
# WAYLAND_DEBUG log: every box's toplevel must name the main window's as its
# parent.
toplevel_parents() {
    python3 - "$1" <<'EOF'
import re, sys
# Each toplevel from its creation on: its last title and parent. Ids are
# reused once an object is gone, so a new get_toplevel starts afresh.
alive, lives = {}, []
for line in open(sys.argv[1], errors="replace"):
    if "-> " not in line:
        continue
    m = re.search(r"get_toplevel\(new id xdg_toplevel@(\d+)\)", line)
    if m:
        alive[m.group(1)] = {"id": m.group(1), "title": None, "parent": "none"}
        lives.append(alive[m.group(1)])
        continue
    m = re.search(r"-> xdg_toplevel@(\d+)\.(set_title|set_parent)\((.*)\)\s*$", line)
    if m and m.group(1) in alive:
        key = "title" if m.group(2) == "set_title" else "parent"
        alive[m.group(1)][key] = m.group(3).strip('"') if key == "title" else m.group(3)
main = [t for t in lives if t["title"] == "Orvik"]
for t in lives:
    if t["title"] == "orvik":
        want = "xdg_toplevel@" + main[0]["id"] if main else "(no main window)"
        print("ok" if t["parent"] == want else "bad",
              "xdg_toplevel@%s (\"orvik\") parent %s, main window xdg_toplevel@%s" %
              (t["id"], t["parent"], main[0]["id"] if main else "?"))
EOF
}

launch '200\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' WAYLAND_DEBUG=1
if find_window Orvik; then
    click 290 10  # the frequency field
    wayland_keys 30000 -k Return
    if wayland_wait_window orvik >/dev/null; then
        verdicts=$(toplevel_parents "$work/prog/out.log")
        if [ -z "$verdicts" ]; then
            fail "\"Frequenz zu hoch\": its window is on screen, but the program's Wayland log shows no toplevel titled \"orvik\""
        elif grep -q '^bad' <<<"$verdicts"; then
            sent=$(grep -o 'xdg_toplevel@[0-9]*\.set_parent([^)]*)' "$work/prog/out.log" | sort -u | xargs) || true
            fail "\"Frequenz zu hoch\" has no parent on Wayland: $(sed -n 's/^bad //p' <<<"$verdicts" | head -n1)" \
                "(set_parent requests sent: ${sent:-none})"
        else
            pass "\"Frequenz zu hoch\" is transient for the main window ($(sed -n 's/^ok //p' <<<"$verdicts" | head -n1))"
        fi
        wayland_keys -k Return
        gone=0
        for _ in $(seq 1 50); do
            if ! wayland_window orvik >/dev/null; then
                gone=1
                break
            fi
            sleep 0.1
        done
        if [ "$gone" = 1 ]; then
            pass "Return closes \"Frequenz zu hoch\""
        else
            fail "\"Frequenz zu hoch\" is still open 5 s after Return"
        fi
        close_app "after \"Frequenz zu hoch\"" || true
    else
        fail "no \"Frequenz zu hoch\" box within 20 s of 30000 and Return in the frequency field"
    fi
else
    fail "message box: no window titled Orvik within 20 s"
fi
wayland_stop_app

# ---- The tallest mode inside the output -------------------------------------------
# 200 rows: far more than the output holds, so the window must stop short of
# its bottom edge, and with sway's title bar above its surface that bar must
# not leave the output's top either.
launch '200\r\n\r\nDezimal  1/20\r\n50\r\n440\r\n'
if find_window Orvik; then
    frame_top=$((rect_y - deco_h))
    frame_bottom=$((rect_y + rect_h))
    seen="the window spans x $rect_x..$((rect_x + rect_w)), y $frame_top..$frame_bottom with its $deco_h px title bar"
    seen+=" (rect ${rect_w}x${rect_h} at $rect_x,$rect_y; surface ${surface_w}x${surface_h}),"
    seen+=" the output ${output_w}x${output_h} at $output_x,$output_y"
    if ((frame_top >= output_y && frame_bottom <= output_y + output_h &&
        rect_x >= output_x && rect_x + rect_w <= output_x + output_w)); then
        pass "\"Dezimal  1/20\" fits the output: $seen"
    else
        fail "\"Dezimal  1/20\" does not fit the output: $seen"
        if [ -n "${ORVIK_KEEP_LOGS:-}" ] && command -v grim >/dev/null; then
            mkdir -p "$ORVIK_KEEP_LOGS/${ORVIK_TEST_NAME:-wayland}"
            wayland_screenshot "$ORVIK_KEEP_LOGS/${ORVIK_TEST_NAME:-wayland}/tall-mode.png" || true
        fi
    fi
    close_app "\"Dezimal  1/20\"" || true
else
    fail "\"Dezimal  1/20\": no window titled Orvik within 20 s"
fi
wayland_stop_app

[ "$failures" -eq 0 ] || exit 1
echo "PASS"
