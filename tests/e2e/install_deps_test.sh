#!/usr/bin/env bash
# scripts/install-deps test picks the private test servers' kind by the sound
# server that answers, says what it found, adds no second server beside a
# desktop's, and leaves no server it installed enabled for every login, while
# units a desktop had enabled stay. On CI both kinds come, and user units are
# not its business. Each case runs against the stand-ins of
# lib/package_standins.sh, so nothing is installed and no real server asked.
# Usage: install_deps_test.sh SOURCE_DIR
set -euo pipefail
repo=$(cd "${1:?usage: install_deps_test.sh SOURCE_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib/sandbox.sh"
source "$here/lib/package_standins.sh"
sandbox_begin
standins_begin

pa_units="pulseaudio.service pulseaudio.socket"
pw_units="pipewire.service pipewire.socket pipewire-pulse.service pipewire-pulse.socket wireplumber.service"

# One case a row, fields separated by "|":
#   name | CI | what pactl's server name is (- none answers) | installed before
#   | units enabled before | asked for (+) / not asked for (-) | says | disabled after
cases=(
    "ci|true|-|-|-|+pulseaudio +pipewire-pulse +wireplumber|installing|-"
    "pipewire desktop|-|PulseAudio (on PipeWire 0.3.65)|pipewire pipewire-pulse wireplumber|$pw_units|+pipewire-bin +pulseaudio-utils -pulseaudio|answers is PipeWire|-"
    "pulseaudio desktop|-|pulseaudio|pulseaudio|$pa_units|+pulseaudio-utils -pipewire -pipewire-pulse|answers is PulseAudio|-"
    "build machine|-|-|-|-|+pulseaudio +pulseaudio-utils -pipewire -pipewire-pulse|no sound server answers and none is installed|$pa_units"
    "pipewire installed, not running|-|-|pipewire|pipewire.service pipewire.socket|+pipewire-pulse +wireplumber -pulseaudio|PipeWire is installed|pipewire-pulse.service pipewire-pulse.socket wireplumber.service"
)

failures=0
for row in "${cases[@]}"; do
    IFS='|' read -r name ci answer before enabled want says disabled <<<"$row"
    rm -f "$work"/*.log "$work/pactl-answer"
    [ "$before" = - ] && : >"$work/installed" || printf '%s\n' $before >"$work/installed"
    [ "$enabled" = - ] && : >"$work/enabled" || printf '%s\n' $enabled >"$work/enabled"
    [ "$answer" = - ] || printf '%s' "$answer" >"$work/pactl-answer"
    problems=()
    if [ "$ci" = true ]; then
        CI=true "$repo/scripts/install-deps" test >"$work/out.log" 2>&1 || problems+=("it failed")
    else
        env -u CI "$repo/scripts/install-deps" test >"$work/out.log" 2>&1 || problems+=("it failed")
    fi
    asked=$(standins_asked)
    for w in $want; do
        case $w in
            +*) grep -qxF "${w#+}" <<<"$asked" || problems+=("did not ask for ${w#+}") ;;
            -*) ! grep -qxF "${w#-}" <<<"$asked" || problems+=("asked for ${w#-}") ;;
        esac
    done
    grep -qF "$says" "$work/out.log" || problems+=("did not say '$says'")
    # Units: the ones named are disabled now, every other that was enabled
    # before still is.
    if [ "$disabled" = - ]; then
        ! grep -q 'disable' "$work/systemctl.log" 2>/dev/null || problems+=("disabled units: $(grep disable "$work/systemctl.log")")
    else
        for u in $disabled; do
            ! grep -qxF "$u" "$work/enabled" || problems+=("left $u enabled")
        done
    fi
    [ "$enabled" = - ] || for u in $enabled; do
        grep -qxF "$u" "$work/enabled" || problems+=("disabled $u, which was enabled before")
    done
    if [ "$ci" = true ] && [ -s "$work/systemctl.log" ]; then problems+=("touched user units on CI"); fi
    if [ ${#problems[@]} -gt 0 ]; then
        echo "FAIL: $name: $(printf '%s; ' "${problems[@]}")"
        sed 's/^/  | /' "$work/out.log"
        failures=$((failures + 1))
    else
        echo "ok: $name"
    fi
done

# Building and running ask for no server and no test tool at all (the full
# `make run` path is make_run_test.sh's).
: >"$work/installed" && rm -f "$work"/*.log
env -u CI "$repo/scripts/install-deps" run >"$work/out.log" 2>&1 || { echo "FAIL: install-deps run failed"; failures=$((failures + 1)); }
[ ! -e "$work/pactl.log" ] && [ ! -e "$work/systemctl.log" ] ||
    { echo "FAIL: install-deps run asked the sound server or the user units"; failures=$((failures + 1)); }

# Every purpose's packages exist in the archive under the names given (only
# where apt knows Debian's archive: this machine's own package lists).
if command -v apt-cache >/dev/null && ls /var/lib/apt/lists/ 2>/dev/null | grep -qi debian; then
    names=()
    for purpose in run check test bench fuzz; do
        : >"$work/installed" && rm -f "$work"/*.log
        CI=true "$repo/scripts/install-deps" "$purpose" >/dev/null 2>&1 || true
        mapfile -t -O ${#names[@]} names < <(standins_asked)
    done
    mapfile -t known < <(apt-cache policy "${names[@]}" 2>/dev/null |
        awk '/^[^ ].*:$/ { p = substr($0, 1, length($0) - 1) } /Candidate:/ && $2 != "(none)" { print p }')
    for p in $(printf '%s\n' "${names[@]}" | sort -u); do
        printf '%s\n' "${known[@]}" | grep -qxF "$p" ||
            { echo "FAIL: install-deps names $p, which the archive does not have"; failures=$((failures + 1)); }
    done
fi

[ "$failures" -eq 0 ] || exit 1
echo "PASS"
