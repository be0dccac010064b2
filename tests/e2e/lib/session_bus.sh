# The configuration of a private session bus for end-to-end tests, to be
# sourced: like --session's, but with no service folders, so nothing asked
# for on it (a portal, dconf, a sound server) gets started behind a test's
# back.

# session_bus_config SOCKET: prints the configuration of a bus listening on
# the Unix socket SOCKET.
session_bus_config() {
    cat <<EOF2
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=$1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF2
}

# session_bus_start DIR: starts a private session bus listening on DIR/bus,
# its log in DIR/bus.log, points DBUS_SESSION_BUS_ADDRESS at it and waits
# until its socket is there; $SESSION_BUS_PID is its process id.
session_bus_start() {
    local dir=$1 _
    session_bus_config "$dir/bus" >"$dir/bus.conf"
    dbus-daemon --config-file="$dir/bus.conf" --nofork --address="unix:path=$dir/bus" \
        </dev/null >>"$dir/bus.log" 2>&1 &
    SESSION_BUS_PID=$!
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$dir/bus"
    for _ in $(seq 1 100); do
        [ -S "$dir/bus" ] && return 0
        sleep 0.05
    done
}
