# shellcheck shell=bash
# Stand-ins for the tools scripts/install-deps asks, for tests of what it
# asks for. Source after sandbox.sh and sandbox_begin; standins_begin puts
# into $work/bin, first on PATH:
#   dpkg-query  answers from $work/installed (one package a line): a package
#               listed there is installed, any other is not;
#   apt-get     records each call in $work/apt.log ("install" lines name the
#               packages) and marks what it installs as installed, enabling
#               the user units Debian enables with a sound server's package;
#   sudo        records its call in $work/sudo.log and runs the command;
#   systemctl   only --global is-enabled / disable, against $work/enabled,
#               each call recorded in $work/systemctl.log;
#   pactl       never reaches a real server: with $work/pactl-answer present
#               `pactl info` names the server written there, else no server
#               answers. Each call is recorded in $work/pactl.log.

standins_begin() {
    local bin=$work/bin
    mkdir -p "$bin"
    : >"$work/installed"
    : >"$work/enabled"
    cat >"$bin/dpkg-query" <<EOF
#!/bin/bash
pkg=\${!#}
if grep -qxF -- "\$pkg" "$work/installed"; then printf 'install ok installed'; exit 0; fi
echo "dpkg-query: no packages found matching \$pkg" >&2
exit 1
EOF
    cat >"$bin/apt-get" <<EOF
#!/bin/bash
echo "\$*" >>"$work/apt.log"
[ "\$1" = install ] || exit 0
for p in "\$@"; do
    case \$p in install | -*) continue ;; esac
    echo "\$p" >>"$work/installed"
    case \$p in
        pulseaudio) printf '%s\n' pulseaudio.service pulseaudio.socket >>"$work/enabled" ;;
        pipewire) printf '%s\n' pipewire.service pipewire.socket >>"$work/enabled" ;;
        pipewire-pulse) printf '%s\n' pipewire-pulse.service pipewire-pulse.socket >>"$work/enabled" ;;
        wireplumber) echo wireplumber.service >>"$work/enabled" ;;
    esac
done
EOF
    cat >"$bin/sudo" <<EOF
#!/bin/bash
echo "\$*" >>"$work/sudo.log"
exec "\$@"
EOF
    cat >"$bin/systemctl" <<EOF
#!/bin/bash
echo "\$*" >>"$work/systemctl.log"
[ "\$1" = --global ] || { echo "systemctl stand-in: only --global" >&2; exit 2; }
case \$2 in
    is-enabled) if grep -qxF -- "\$3" "$work/enabled"; then echo enabled; else echo disabled; exit 1; fi ;;
    disable) shift 2; for u in "\$@"; do grep -vxF -- "\$u" "$work/enabled" >"$work/enabled.new" || true
             mv "$work/enabled.new" "$work/enabled"; done ;;
    *) echo "systemctl stand-in: \$2 not known" >&2; exit 2 ;;
esac
EOF
    cat >"$bin/pactl" <<EOF
#!/bin/bash
echo "\$*" >>"$work/pactl.log"
if [ "\$1" = info ] && [ -f "$work/pactl-answer" ]; then echo "Server Name: \$(cat "$work/pactl-answer")"; exit 0; fi
echo "Connection failure: Connection refused" >&2
exit 1
EOF
    chmod +x "$bin"/*
    export PATH="$bin:$PATH"
}

# The packages apt-get was asked to install, one a line.
standins_asked() {
    [ -f "$work/apt.log" ] || return 0
    sed -n 's/^install //p' "$work/apt.log" | tr ' ' '\n' | grep -v '^-' | grep . || true
}
