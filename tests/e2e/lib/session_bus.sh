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
