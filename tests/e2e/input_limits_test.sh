#!/usr/bin/env bash
# The real program under a private X server, with input and settings at their
# limits:
# - "Stop" stops a repeated tone even when tapped (press and release in the
#   same millisecond) right after a cell click that waits behind the tone;
# - a burst of cursor keys during short tones never overflows the stack, and
#   a key held down during tones leaves one tone waiting, not one a repeat;
# - a settings file that is no regular file (a FIFO, an endless device) counts
#   as unreadable: the window opens instead of hanging or eating memory;
# - under a file-size limit "Schliessen" reports the failed write instead of
#   being killed, and the old settings stay as they were.
# Every part runs; each case prints PASS or FAIL, and any FAIL fails the test.
# Usage: input_limits_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?usage: input_limits_test.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source-path=SCRIPTDIR source=lib/x.sh
source "$here/lib/x.sh"

x_begin

# Nothing of the real user is touched, and no sound server is reachable: each
# tone is waited out silently with the same timing and input handling. Without
# shared memory the sound library writes no pool file of its own, so a
# file-size limit below meets the settings file and nothing else.
mkdir -p "$XDG_CONFIG_HOME/pulse"
printf 'enable-shm = no\nenable-memfd = no\nautospawn = no\n' >"$XDG_CONFIG_HOME/pulse/client.conf"
export PULSE_SERVER="unix:$work/no-such-socket"
# No desktop folder: a start without readable settings opens the window
# directly instead of announcing a launcher first.


# A copy of the program in a folder of its own ($dir), since it keeps its
# settings beside itself.
fresh() {
    dir="$work/$1"
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$build/orvik" "$dir/orvik"
}

# Starts $dir/orvik under the given ulimit options (none: no limits).
launch() {
    (
        if [ $# -gt 0 ]; then ulimit "$@"; fi
        exec "$dir/orvik"
    ) >"$dir/out.log" 2>&1 &
    APP_PID=$!
}

# Waits up to $1 seconds for the program to end; sets $ended to its exit
# status, or to "running".
await_end() {
    local i
    ended=running
    for ((i = 0; i < $1 * 10; i++)); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$APP_PID" 2>/dev/null && return 0
    ended=0
    wait "$APP_PID" 2>/dev/null || ended=$?
    APP_PID=
}

# Ends the program if it still runs.
stop_app() {
    [ -n "${APP_PID:-}" ] || return 0
    kill "$APP_PID" 2>/dev/null || true
    await_end 3
    if [ "$ended" = running ]; then
        kill -KILL "$APP_PID" 2>/dev/null || true
        wait "$APP_PID" 2>/dev/null || true
        APP_PID=
    fi
}

# "killed by SIGSEGV" for a status above 128, else "exit status N".
describe_status() {
    if [ "$1" -gt 128 ]; then
        echo "killed by SIG$(kill -l $(($1 - 128)))"
    else
        echo "exit status $1"
    fi
}

# Whether a visible window titled exactly $1 is there. xdotool's search
# ignores case, and the main window "Orvik" and the message boxes, titled
# "orvik", differ in nothing else.
has_window() {
    local id
    for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$1" ] && return 0
    done
    return 1
}

# Waits up to $1 seconds for what a start shows first; sets $shown to
# "window" (the main window), "box" (a message box came first, which stops
# the start until answered), "ended" (with $ended set) or "nothing".
await_start() {
    local i
    for ((i = 0; i < $1 * 10; i++)); do
        if has_window Orvik; then
            shown=window
            return 0
        fi
        if has_window orvik; then
            shown=box
            return 0
        fi
        if ! kill -0 "$APP_PID" 2>/dev/null; then
            await_end 1
            shown=ended
            return 0
        fi
        sleep 0.1
    done
    shown=nothing
}

# ---- "Stop" while a tone repeats ---------------------------------------------
# "Aushalten" ticked, a cell repeating; the steps below arrive while a
# repetition sounds, so all their input waits and is handed on afterwards.
# "Stop" must end the repetitions whatever waits in front of it. What tells is
# the length "Schliessen" saves: "Aushalten" multiplies it by five while
# ticked, so 200 means the repetitions had ended, 1000 that they still ran.
# A tap sends press and release within the same millisecond of the X server's
# clock most of the time, not always; a release that carries its press's
# timestamp is the hard case, so the tap is tried several times.
# Each row: tries | what | xdotool steps (WID stands for the window).
stop_cases=(
    "4|a tap right after a waiting cell click|mousemove --window WID 326 121 mousedown 1 mouseup 1 mousemove --window WID 412 11 mousedown 1 mouseup 1"
    "1|a tap with nothing waiting before it|mousemove --window WID 412 11 mousedown 1 mouseup 1"
    "1|a 20 ms press right after a waiting cell click|mousemove --window WID 326 121 mousedown 1 mouseup 1 mousemove --window WID 412 11 mousedown 1 sleep 0.02 mouseup 1"
)
for row in "${stop_cases[@]}"; do
    IFS='|' read -r tries what steps <<<"$row"
    verdict=
    try=0
    while [ -z "$verdict" ] && ((try++ < tries)); do
        fresh stop
        printf '200\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' >"$dir/orini"
        launch
        if ! wid=$(x_wait_window Orvik); then
            verdict="no window"
            break
        fi
        sleep 0.5
        xdotool mousemove --window "$wid" 316 8 click 1 || true    # "Aushalten": 1000 ms, repeated
        xdotool mousemove --window "$wid" 276 121 click 1 || true  # the repeated tone
        sleep 0.3
        read -ra args <<<"${steps//WID/$wid}"
        xdotool "${args[@]}" || true
        # The waiting input is handed on within two repetitions; then
        # "Schliessen", which waits for the repetition under way at most.
        sleep 3
        xdotool mousemove --window "$wid" 30 10 click 1 || true
        await_end 5
        if [ "$ended" != 0 ]; then
            [ "$ended" = running ] && verdict="\"Schliessen\" did not end the program" ||
                verdict="the program ended with $(describe_status "$ended")"
            stop_app
            break
        fi
        length=$(head -n1 "$dir/orini" | tr -d '\r') || true
        case $length in
        200) ;;
        1000) verdict="\"Stop\" was lost (try $try of $tries): the tone still repeated, \"Aushalten\" still ticked" ;;
        *) verdict="unexpected length $length saved" ;;
        esac
    done
    stop_app
    if [ -n "$verdict" ]; then fail "Stop after $what: $verdict"; else pass "Stop after $what"; fi
done

# ---- Keys faster than tones end -------------------------------------------------
# A burst of distinct presses (down, up, down, up, ... so the cursor stays
# in the filled rows and no press repeats the one before): each is kept and
# plays its 10 ms tone after the one before, nested inside it as a request
# made during a tone is, so the nesting must stay bounded. A small stack
# makes unbounded nesting show within seconds; the bound on closing
# afterwards (the tones take about 15 s here) catches a program that
# stopped handling them.
keys=1000
fresh keys
printf '10\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' >"$dir/orini"
launch -s 2048
if wid=$(x_wait_window Orvik); then
    sleep 0.5
    xdotool mousemove --window "$wid" 276 121 click 1 || true  # puts the focus on the table
    sleep 0.3
    xdotool key --delay 0 --repeat $((keys / 2)) Down Up || true
    xdotool mousemove --window "$wid" 30 10 click 1 || true
    await_end 90
    case $ended in
    0) pass "$keys cursor keys during 10 ms tones" ;;
    running) fail "$keys cursor keys during 10 ms tones: still busy 90 s after the last key" ;;
    *) fail "$keys cursor keys during 10 ms tones: the program was $(describe_status "$ended")" ;;
    esac
else
    fail "$keys cursor keys: no window"
fi
stop_app

# A key held down during 1 s tones: the X server repeats it 25 times a
# second, and the repeats that wait for a tone become one. Once the key is
# up, one more tone at most is left, so "Schliessen" ends the program within
# a few seconds; with every repeat kept, over a minute of tones would be.
fresh held
printf '1000\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' >"$dir/orini"
launch
if wid=$(x_wait_window Orvik); then
    sleep 0.5
    xdotool mousemove --window "$wid" 276 121 click 1 || true
    sleep 1.2
    xdotool keydown Down
    sleep 4
    xdotool keyup Down
    xdotool mousemove --window "$wid" 30 10 click 1 || true
    # Waiting: the tone sounding now and the one press that waited (1 s
    # each), then "Schliessen".
    await_end 6
    case $ended in
    0) pass "a key held down during 1 s tones" ;;
    running) fail "a key held down for 4 s during 1 s tones: still playing 6 s after its release (a tone for every repeat)" ;;
    *) fail "a key held down during 1 s tones: the program was $(describe_status "$ended")" ;;
    esac
else
    fail "a key held down: no window"
fi
stop_app

# ---- Settings files that are no regular file ----------------------------------
# Opening a FIFO waits for a writer that never comes; /dev/zero never ends.
# Either is no settings file, so the start goes on as a first start. The
# memory limit (more than twice what a normal start takes) keeps an endless
# read from growing the machine's memory.
# Each row: what | how orini is made | ulimit options.
odd_settings=(
    "a FIFO|mkfifo orini|"
    "a link to /dev/zero|ln -s /dev/zero orini|-v 1048576"
)
for row in "${odd_settings[@]}"; do
    IFS='|' read -r what make limits <<<"$row"
    fresh odd
    (cd "$dir" && $make)
    # shellcheck disable=SC2086  # the options are separate words on purpose
    launch $limits
    await_start 10
    case $shown in
    window) pass "orini as $what" ;;
    box) fail "orini as $what: a message box instead of the window (the read ran out of memory)" ;;
    ended) fail "orini as $what: the program was $(describe_status "$ended") before its window" ;;
    nothing) fail "orini as $what: no window within 10 s (waiting in $(cat "/proc/$APP_PID/wchan" 2>/dev/null || echo '?'))" ;;
    esac
    stop_app
done

# ---- "Schliessen" under a file-size limit -----------------------------------------
# No file may grow at all; the settings on disk differ from what "Schliessen"
# would write ("523 c2" is saved as "523"), so a write that got through shows.
fresh fsize
printf '2500\r\n523 c2\r\nViertelst\xf6ne\r\n80\r\n442\r\n' >"$dir/orini"
cp "$dir/orini" "$work/orini.before"
launch -f 0
if wid=$(x_wait_window Orvik); then
    sleep 0.5
    xdotool mousemove --window "$wid" 30 10 click 1
    # The error box has the program's name as its title, as every box has.
    for ((i = 0; i < 100; i++)); do
        has_window orvik && break
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    if ! kill -0 "$APP_PID" 2>/dev/null; then
        await_end 1
        fail "Schliessen under a file-size limit: the program was $(describe_status "$ended"), no message"
    elif ! has_window orvik; then
        fail "Schliessen under a file-size limit: no error box within 10 s"
    else
        pass "Schliessen under a file-size limit reports the error"
    fi
    stop_app
    if cmp -s "$work/orini.before" "$dir/orini"; then
        pass "the settings stay intact under a file-size limit"
    else
        fail "the settings changed under a file-size limit"
        od -c "$dir/orini" | head -5
    fi
else
    fail "Schliessen under a file-size limit: no window"
    stop_app
fi

[ "$failures" -eq 0 ] || exit 1
echo "PASS"
