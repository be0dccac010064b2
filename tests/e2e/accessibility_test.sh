#!/usr/bin/env bash
# The real program as a screen reader meets it: under a private X server,
# with a private session bus and accessibility bus (at-spi-bus-launcher and
# the registry, as a desktop runs them for Orca), accessibility_check.py
# reads the tree through AT-SPI and checks every control's name and role, the
# press actions of "Info" and "Kalvano", the focus the table's cells get as
# the cursor moves, and the page "Info" shows.
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/x.sh"
source "$here/lib/session_bus.sh"

# Debian's own Python, where python3-pyatspi is installed (a python3 earlier
# on the PATH may be another one).
python=/usr/bin/python3
launcher=/usr/libexec/at-spi-bus-launcher
registry=/usr/libexec/at-spi2-registryd
if [ ! -x "$launcher" ] || [ ! -x "$registry" ] || ! command -v dbus-daemon dbus-send >/dev/null ||
    ! "$python" -c 'import pyatspi' 2>/dev/null; then
    skip "the accessibility bus (at-spi2-core), pyatspi (python3-pyatspi, gir1.2-atspi-2.0)" \
        "or dbus-daemon / dbus-send is not installed (make test installs them)"
fi

BUS_PID='' LAUNCHER_PID='' A11Y_BUS_PID='' REGISTRY_PID=''
a11y_stop() {
    local pid
    for pid in "$REGISTRY_PID" "$A11Y_BUS_PID" "$LAUNCHER_PID" "$BUS_PID"; do
        [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    done
    for pid in "$REGISTRY_PID" "$A11Y_BUS_PID" "$LAUNCHER_PID" "$BUS_PID"; do
        [ -z "$pid" ] || wait "$pid" 2>/dev/null || true
    done
}
X_CLEANUP=a11y_stop
x_begin

# A session bus of our own.
session_bus_start "$work"
BUS_PID=$SESSION_BUS_PID
ask_bus() { dbus-send --session --print-reply --dest="$1" "$2" "$3" >/dev/null 2>&1; }
for _ in $(seq 1 100); do ask_bus org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus.GetId && break; sleep 0.05; done

# The accessibility bus, and the registry on it, started here rather than by
# activation so that each one's process id is known.
"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
LAUNCHER_PID=$!
for _ in $(seq 1 100); do ask_bus org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress && break; sleep 0.05; done
ask_bus org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress || { echo "FAIL: the accessibility bus did not start"; cat "$work/launcher.log"; exit 1; }
A11Y_BUS_PID=$(pgrep -P "$LAUNCHER_PID" dbus-daemon | head -n1 || true)
"$registry" >"$work/registry.log" 2>&1 &
REGISTRY_PID=$!

# The program in a folder of its own with settings beside it (100 ms tones,
# so moving through the table is quick); no sound server reachable.
cp "$build/orvik" "$work/orvik"
printf '100\r\n\r\nHalbt\xf6ne\r\n50\r\n440\r\n' >"$work/orini"
export PULSE_SERVER="unix:$work/no-such-socket"
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$work/orvik" >"$work/out.log" 2>&1 &
APP_PID=$!
x_wait_window Orvik >/dev/null || { echo "FAIL: no window titled Orvik"; cat "$work/out.log"; exit 1; }

if ! "$python" "$here/accessibility_check.py"; then
    echo "program output:"; sed 's/^/  | /' "$work/out.log"
    exit 1
fi
kill -0 "$APP_PID" 2>/dev/null || { echo "FAIL: the program ended"; cat "$work/out.log"; exit 1; }
echo "PASS"
