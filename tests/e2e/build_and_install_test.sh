#!/usr/bin/env bash
# The program built and installed as a packager and as a user would:
#   1. a build with BUILD_TESTING off, where GoogleTest and Google Benchmark
#      cannot be found, and without -Werror;
#   2. CMake's install of that build into a staging folder (DESTDIR), whose
#      menu entry and metainfo must pass desktop-file-validate and
#      appstreamcli;
#   3. scripts/install-user and scripts/uninstall-user against throw-away home
#      folders. Every step compares a listing of the whole sandbox (type, path
#      and checksum of each file) with what it should be, so a stray, missing
#      or changed file anywhere shows.
# Usage: build_and_install_test.sh SOURCE_DIR
set -euo pipefail

repo=$(cd "${1:?usage: build_and_install_test.sh SOURCE_DIR}" && pwd)
install="$repo/scripts/install-user"
uninstall="$repo/scripts/uninstall-user"
id=org.orvik.Orvik

for tool in sha256sum realpath find sort cmake desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is not installed (scripts/install-deps test installs it)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sb="$work/sandbox"          # everything the install scripts may see or touch
log="$work/out.log"
mkdir -p "$sb"

fail() { echo "FAIL: $*"; [ -f "$log" ] && sed 's/^/  | /' "$log"; exit 1; }

# ---- 1. The program alone, as a packager builds it ----------------------------
build="$work/build"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$log" 2>&1 ||
    fail "the configure without tests failed"
cmake --build "$build" -j"$(nproc)" --target orvik orvik_menu_entry >>"$log" 2>&1 ||
    { tail -50 "$log"; fail "the program did not build without tests"; }
[ -x "$build/orvik" ] || fail "no program in $build"
! grep -q -- '-Werror' "$build/compile_commands.json" || fail "a plain build treats warnings as errors"
echo "ok: the program builds with BUILD_TESTING off and no GoogleTest or Google Benchmark"

# Validators of the menu entry and the metainfo, hints and pedantic notes
# aside (the application id has capitals, as is usual).
validate() {
    local entry=$1 metainfo=$2
    desktop-file-validate "$entry" >"$work/validate.log" 2>&1 ||
        { cat "$work/validate.log"; fail "desktop-file-validate rejects $entry"; }
    if grep -v 'hint:' "$work/validate.log" | grep -q .; then
        cat "$work/validate.log"; fail "desktop-file-validate warns about $entry"
    fi
    appstreamcli validate --no-net --explain "$metainfo" >"$work/validate.log" 2>&1 ||
        { cat "$work/validate.log"; fail "appstreamcli rejects $metainfo"; }
}

# ---- 2. CMake's install, staged as a package is built ---------------------------
stage="$work/stage"
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$log" 2>&1 || fail "cmake --install failed"
want="l usr/bin/orvik -> ../opt/orvik/orvik
f usr/opt/orvik/orvik
f usr/share/applications/$id.desktop
f usr/share/icons/hicolor/scalable/apps/$id.svg
f usr/share/metainfo/$id.metainfo.xml"
got=$(cd "$stage" && find . ! -type d | sort | while IFS= read -r p; do
    if [ -L "$p" ]; then echo "l ${p#./} -> $(readlink "$p")"; else echo "f ${p#./}"; fi
done)
[ "$got" = "$want" ] || fail "the staged install holds:"$'\n'"$got"
cmp -s "$build/orvik" "$stage/usr/opt/orvik/orvik" || fail "the installed program is not the build's"
grep -qxF "Exec=/usr/opt/orvik/orvik" "$stage/usr/share/applications/$id.desktop" ||
    fail "the staged menu entry does not run /usr/opt/orvik/orvik"
validate "$stage/usr/share/applications/$id.desktop" "$stage/usr/share/metainfo/$id.metainfo.xml"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$stage/usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo does not launch $id.desktop"
echo "ok: the staged install and its validators"

# ---- 3. The user install ---------------------------------------------------------
# One line per file or folder below the sandbox, path last.
snapshot() {
    (cd "$sb" && find . -mindepth 1 -print0 | sort -z | while IFS= read -r -d '' p; do
        if [ -L "$p" ]; then echo "l - ${p#./}"
        elif [ -f "$p" ]; then echo "f $(sha256sum <"$p" | cut -c1-64) ${p#./}"
        else echo "d - ${p#./}"
        fi
    done) | sort
}
# The listing must be the earlier one plus exactly the given folders and
# files, named relative to the current home.
expect_snapshot() {
    local before=$1 what=$2 h=${HOME_DIR#"$sb"/}; shift 2
    local want
    want=$( { printf '%s\n' "$before"; for p in "${@/#/$h/}"; do
        if [ -L "$sb/$p" ]; then echo "l - $p"
        elif [ -f "$sb/$p" ]; then echo "f $(sha256sum <"$sb/$p" | cut -c1-64) $p"
        else echo "d - $p"
        fi
    done; } | sort)
    local got
    got=$(snapshot)
    if [ "$got" != "$want" ]; then
        echo "FAIL: $what: the sandbox differs (< missing, > unexpected)"
        diff <(printf '%s\n' "$want") <(printf '%s\n' "$got") | grep '^[<>]' | sed 's/^/  /'
        sed 's/^/  | /' "$log"
        exit 1
    fi
}

# Runs a script as the sandbox user: HOME, and XDG_DATA_HOME / PROGRAM_DIR only
# when the caller sets them in XDG / PFX.
as_user() {
    local envs=(HOME="$HOME_DIR")
    [ -n "${XDG:-}" ] && envs+=(XDG_DATA_HOME="$XDG")
    [ -n "${PFX:-}" ] && envs+=(PROGRAM_DIR="$PFX")
    env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u PROGRAM_DIR -u SUDO_USER "${envs[@]}" "$@" >"$log" 2>&1
}
ok() { as_user "$@" || fail "$(basename "$1") ${*:2} failed"; }
says() { grep -qF -- "$1" "$log" || fail "the output does not say: $1"; }

# The argument of a one-argument Exec value, undoing the freedesktop
# desktop-entry format's string escapes, then its quoting, then "%%".
exec_argument() {
    local LC_ALL=C v=$1 s="" a="" i c
    for ((i = 0; i < ${#v}; i++)); do
        c=${v:i:1}
        if [ "$c" = '\' ]; then
            i=$((i + 1)); c=${v:i:1}
            case $c in s) c=' ' ;; n) c=$'\n' ;; t) c=$'\t' ;; r) c=$'\r' ;; \\) ;; *) return 1 ;; esac
        fi
        s+=$c
    done
    if [ "${s:0:1}" = '"' ]; then
        for ((i = 1; i < ${#s}; i++)); do
            c=${s:i:1}
            if [ "$c" = '\' ]; then
                i=$((i + 1)); c=${s:i:1}
                [[ '"`$\' == *"$c"* ]] || return 1
            elif [ "$c" = '"' ]; then
                [ $((i + 1)) -eq ${#s} ] || return 1   # one argument only
                break
            fi
            a+=$c
        done
        [ "$c" = '"' ] || return 1
    else
        [[ $s != *[' "'\''\><~|&;$*?#()`']* ]] || return 1
        a=$s
    fi
    local out=""
    for ((i = 0; i < ${#a}; i++)); do
        c=${a:i:1}
        if [ "$c" = % ]; then
            i=$((i + 1)); [ "${a:i:1}" = % ] || return 1   # no field codes
        fi
        out+=$c
    done
    printf '%s' "$out"
}

# An install for the program EXE with its data under DATA: the program is the
# build's, the entry and metainfo pass the validators, the entry's Exec starts
# the program and the link on the PATH leads to it.
check_install() {
    local exe=$1 data=$2 entry="$2/applications/$id.desktop"
    cmp -s "$build/orvik" "$exe" && [ -x "$exe" ] || fail "$exe is not the build's program"
    [ -f "$entry" ] || fail "no menu entry $entry"
    validate "$entry" "$data/metainfo/$id.metainfo.xml"
    cmp -s "$repo/data/$id.svg" "$data/icons/hicolor/scalable/apps/$id.svg" || fail "the icon is not data/$id.svg"
    cmp -s "$build/data/$id.metainfo.xml" "$data/metainfo/$id.metainfo.xml" || fail "the metainfo is not the build's"
    grep -qxF "Icon=$id" "$entry" || fail "$entry does not show the icon $id"
    local value program
    value=$(grep '^Exec=' "$entry"); value=${value#Exec=}
    program=$(exec_argument "$value") || fail "cannot read the Exec value: $value"
    [ "$program" = "$exe" ] || fail "Exec names '$program', not the installed '$exe'"
    [ "$(realpath -- "$HOME_DIR/.local/bin/orvik")" = "$(realpath -- "$exe")" ] ||
        fail "$HOME_DIR/.local/bin/orvik does not lead to $exe"
}

# A settings file a developer's test run left beside the built program must
# not travel into the install; the user's own settings must survive.
printf '500\r\n\r\nHalbt\xf6ne\r\n80\r\n440\r\n' >"$build/orini"
settings="$work/settings"
printf '1000\r\n440\r\nHalbt\xf6ne\r\n50\r\n443\r\n' >"$settings"

# ---- 3a. Default program folder, XDG_DATA_HOME set -----------------------------
HOME_DIR="$sb/home1" XDG="$sb/home1/xdg data" PFX=
apps="$XDG/applications" iconsdir="$XDG/icons/hicolor/scalable/apps"
mkdir -p "$apps" "$iconsdir" "$HOME_DIR/.local/share"
printf '[Desktop Entry]\nType=Application\nName=Other\nExec=other\n' >"$apps/other.desktop"
printf '<svg xmlns="http://www.w3.org/2000/svg"/>\n' >"$iconsdir/other.svg"
# A desktop cache the user already has is refreshed, never newly made.
update-desktop-database "$apps"
prog="$HOME_DIR/.local/opt/orvik"
s0=$(snapshot)

ok "$install" "$build"
check_install "$prog/orvik" "$XDG"
expect_snapshot "$s0" "first install" .local/opt .local/opt/orvik .local/opt/orvik/orvik \
    .local/opt/orvik/.installed-files .local/bin .local/bin/orvik "xdg data/applications/$id.desktop" \
    "xdg data/icons/hicolor/scalable/apps/$id.svg" "xdg data/metainfo" "xdg data/metainfo/$id.metainfo.xml"

# The user's settings survive a reinstall.
cp "$settings" "$prog/orini"
ok "$install" "$build"
says "kept your settings: $prog/orini"
cmp -s "$settings" "$prog/orini" || fail "the reinstall changed orini"
check_install "$prog/orvik" "$XDG"

# Uninstall takes away the install and leaves orini, in its folder, and the
# user's other entries and icons.
ok "$uninstall"
says "$prog/orini"
expect_snapshot "$s0" "uninstall" .local/opt .local/opt/orvik .local/opt/orvik/orini
cmp -s "$settings" "$prog/orini" || fail "uninstall changed orini"

# Installed again over the kept settings, then purged: the settings and the
# program folder go too. The folders above it were made by the first install,
# whose list the plain uninstall has taken away, so they stay.
ok "$install" "$build"
says "kept your settings: $prog/orini"
ok "$uninstall" --purge
expect_snapshot "$s0" "purge after reinstall" .local/opt

# ---- 3b. XDG_DATA_HOME unset, a program folder with awkward characters ---------
HOME_DIR="$sb/home2" XDG=
data="$HOME_DIR/.local/share" apps="$HOME_DIR/.local/share/applications"
icon="$data/icons/hicolor/scalable/apps/$id.svg"
mkdir -p "$apps"
printf '[Desktop Entry]\nType=Application\nName=Other\nExec=other\n' >"$apps/other.desktop"
odd="$HOME_DIR/Töne & Co/\$HOME 100% 'a' \`b\` #1 (x)/orvik"
s0=$(snapshot)

# A fresh install purged leaves the sandbox as it was, folder for folder.
PFX=$odd ok "$install" "$build"
check_install "$odd/orvik" "$data"
cp "$settings" "$odd/orini"
PFX=$odd ok "$uninstall" --purge
expect_snapshot "$s0" "install and purge"

# Reinstalled with another data folder: the menu entry, icon and metainfo
# move along, and a purge still leaves nothing behind.
PFX=$odd ok "$install" "$build"
PFX=$odd XDG="$HOME_DIR/elsewhere" ok "$install" "$build"
says "removed the earlier install's $apps/$id.desktop"
check_install "$odd/orvik" "$HOME_DIR/elsewhere"
[ ! -e "$apps/$id.desktop" ] && [ ! -e "$icon" ] && [ ! -e "$data/metainfo/$id.metainfo.xml" ] ||
    fail "the earlier menu entry, icon or metainfo stayed"
PFX=$odd ok "$uninstall" --purge
expect_snapshot "$s0" "install, move the data folder, purge"

# Two installs share the one menu entry and link: removing the first leaves
# what the second wrote; purging the second leaves files of the user's in its
# folder.
second="$HOME_DIR/apps/orvik"
PFX=$odd ok "$install" "$build"
PFX=$odd ok "$install" "$build" "$second"
says "replaced the menu entry"
check_install "$second/orvik" "$data"
PFX=$odd ok "$uninstall"
[ ! -e "$odd" ] || fail "the first install's folder $odd is still there"
check_install "$second/orvik" "$data"
cp "$settings" "$second/orini"
echo "the user's own" >"$second/kalvano"
ok "$uninstall" --purge "$second"
[ ! -e "$second/orini" ] || fail "--purge left orini"
[ -f "$second/kalvano" ] || fail "--purge removed a file it had not installed"
[ ! -e "$apps/$id.desktop" ] && [ ! -e "$icon" ] && [ ! -L "$HOME_DIR/.local/bin/orvik" ] ||
    fail "--purge left the menu entry, the icon or the link"
grep -qx 'Name=Other' "$apps/other.desktop" || fail "the other menu entry was touched"

# ---- 3c. Every install replaces what it installs, whatever the time stamps -----
# CMake takes a file whose installed copy is within a second of its own time
# stamp as up to date. Two installs a moment apart, and installed files
# changed behind the install's back with their time stamps kept, must still
# end with exactly what the last install put in place, and its list must say
# so.
HOME_DIR="$sb/home4" XDG='' PFX=''
data="$HOME_DIR/.local/share"
one="$HOME_DIR/one/orvik" two="$HOME_DIR/two/orvik"
# Every file the list names is there with the checksum the list gives.
check_list() {
    local list=$1/.installed-files kind sum path
    while read -r kind sum path; do
        [ "$kind" = file ] || continue
        [ -f "$path" ] && [ "$(sha256sum <"$path" | cut -c1-64)" = "$sum" ] ||
            fail "$list records $path with a checksum it does not have"
    done <"$list"
}
# Spoils a file in place and puts its time stamp back.
spoil() {
    local stamp
    stamp=$(stat -c %y "$1")
    echo "spoiled" >>"$1"
    touch -d "$stamp" "$1"
}
ok "$install" "$build" "$one"
for f in "$one/orvik" "$data/applications/$id.desktop" "$data/icons/hicolor/scalable/apps/$id.svg" \
    "$data/metainfo/$id.metainfo.xml"; do
    spoil "$f"
done
ok "$install" "$build" "$one"
check_install "$one/orvik" "$data"
check_list "$one"
# Back to back, the second a different program folder: the entry and the link
# are the second install's.
ok "$install" "$build" "$two"
check_install "$two/orvik" "$data"
check_list "$two"
ok "$install" "$build" "$one"
ok "$install" "$build" "$two"
check_install "$two/orvik" "$data"
check_list "$two"
ok "$uninstall" "$one"
check_install "$two/orvik" "$data"
ok "$uninstall" --purge "$two"
[ ! -e "$data/applications/$id.desktop" ] || fail "the last uninstall left the menu entry"
echo "ok: every install replaces what it installs"

# ---- 3d. What the scripts refuse -----------------------------------------------
HOME_DIR="$sb/home3" XDG='' PFX=''
prog="$HOME_DIR/.local/opt/orvik"
mkdir -p "$HOME_DIR/Dokumente" && echo "Brief" >"$HOME_DIR/Dokumente/brief.txt"
mkdir -p "$HOME_DIR/.local/bin"
s0=$(snapshot)
refused() {   # refused WHAT SAYS SCRIPT ARGS...: fails, says why, changes nothing
    local what=$1 why=$2; shift 2
    if as_user "$@"; then fail "$what was accepted"; fi
    says "$why"
    expect_snapshot "$s0" "$what"
}
refused "an install without a build" "no CMake build in $sb/no-build" "$install" "$sb/no-build"
refused "the home folder as program folder" "give Orvik a folder of its own" "$install" "$build" "$HOME_DIR"
refused "a folder of other files as program folder" "give Orvik a folder of its own" \
    "$install" "$build" "$HOME_DIR/Dokumente"
refused 'a program folder with a double quote' "choose another" "$install" "$build" "$HOME_DIR/say \"hi\"/orvik"
refused "a program folder that is not UTF-8" "No menu entry can name the program" \
    "$install" "$build" "$HOME_DIR/Halbt"$'\xf6'"ne"
echo "#!/bin/sh" >"$HOME_DIR/.local/bin/orvik"
s0=$(snapshot)
refused "an install over a program of the user's" "exists and is not a link" "$install" "$build"
rm "$HOME_DIR/.local/bin/orvik"
mkdir -p "$HOME_DIR/.local/share/applications/$id.desktop"
s0=$(snapshot)
refused "an install over a folder in the menu entry's place" "exists and is not a file" "$install" "$build"
rmdir "$HOME_DIR/.local/share/applications/$id.desktop"
s0=$(snapshot)
refused "an uninstall without an install" "no Orvik install" "$uninstall"

# A list naming a file no install writes is refused as a whole, even when the
# file's checksum matches.
ok "$install" "$build"
echo "precious" >"$HOME_DIR/precious.txt"
echo "file $(sha256sum <"$HOME_DIR/precious.txt" | cut -c1-64) $HOME_DIR/precious.txt" >>"$prog/.installed-files"
if as_user "$uninstall" --purge; then fail "uninstall-user accepted a foreign file in its list"; fi
[ -f "$HOME_DIR/precious.txt" ] && [ -f "$prog/orvik" ] || fail "a refused list still removed files"
sed -i '$d' "$prog/.installed-files"

# A menu entry the user has edited since is theirs: it stays, and so does the
# icon it shows.
echo "Keywords=Ton;" >>"$HOME_DIR/.local/share/applications/$id.desktop"
ok "$uninstall"
says "kept $HOME_DIR/.local/share/applications/$id.desktop: it has changed"
[ ! -e "$prog" ] || fail "the program folder outlived its files"
[ -f "$HOME_DIR/.local/share/applications/$id.desktop" ] || fail "the edited entry was removed"
[ -f "$HOME_DIR/.local/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "the edited entry lost its icon"

# ---- 3e. The launcher the program puts on the desktop -------------------------
# The installed program's first start (no settings yet) writes the launcher;
# it is started on the offscreen platform as the sandbox user, and ended by
# its id once the launcher is there (its message about it would wait for a
# click). Nothing else of the start may land in the home folder.
first_start() {
    local exe=$1 launcher=$2 pid _
    env -u XDG_DATA_HOME -u PROGRAM_DIR HOME="$HOME_DIR" XDG_CONFIG_HOME="$HOME_DIR/.config" \
        XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
        PULSE_SERVER="unix:$work/no-such-socket" DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" \
        "$exe" >"$work/first-start.log" 2>&1 &
    pid=$!
    for _ in $(seq 1 200); do
        [ ! -s "$launcher" ] || break
        sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -s "$launcher" ] || { cat "$work/first-start.log"; fail "the first start of $exe made no launcher $launcher"; }
    grep -qxF "Exec=$exe" "$launcher" || fail "the launcher does not run $exe: $(cat "$launcher")"
}
mkdir -p "$work/run" && chmod 700 "$work/run"
HOME_DIR="$sb/home5" XDG='' PFX=''
prog="$HOME_DIR/.local/opt/orvik" second="$HOME_DIR/zwei/orvik"
mkdir -p "$HOME_DIR/Desktop" "$HOME_DIR/.config"
s0=$(snapshot)
ok "$install" "$build"
first_start "$prog/orvik" "$HOME_DIR/Desktop/ORVIK.desktop"
ok "$uninstall"
says "removed the desktop launcher $HOME_DIR/Desktop/ORVIK.desktop"
expect_snapshot "$s0" "install, first start, uninstall"

# The desktop folder user-dirs.dirs names, where the program puts it; each
# row: what happens to the launcher after the first start, and whether the
# uninstall of the default install takes it away.
desk="$HOME_DIR/Schreibtisch"
mkdir -p "$desk"
echo 'XDG_DESKTOP_DIR="$HOME/Schreibtisch/"' >"$HOME_DIR/.config/user-dirs.dirs"
for row in "as written|-|removed" "edited by the user|edit|kept" "another install's|other|kept"; do
    IFS='|' read -r what change fate <<<"$row"
    ok "$install" "$build"
    if [ "$change" = other ]; then
        ok "$install" "$build" "$second"
        first_start "$second/orvik" "$desk/ORVIK.desktop"
    else
        first_start "$prog/orvik" "$desk/ORVIK.desktop"
    fi
    [ "$change" != edit ] || echo "Comment=mine" >>"$desk/ORVIK.desktop"
    kept=$(cat "$desk/ORVIK.desktop")
    ok "$uninstall"
    if [ "$fate" = removed ]; then
        [ ! -e "$desk/ORVIK.desktop" ] || fail "a launcher $what: uninstall left it"
        [ ! -e "$HOME_DIR/Desktop/ORVIK.desktop" ] || fail "a launcher $what: made in the wrong folder"
    else
        says "kept $desk/ORVIK.desktop"
        [ "$(cat "$desk/ORVIK.desktop")" = "$kept" ] || fail "a launcher $what: uninstall changed it"
        rm "$desk/ORVIK.desktop"
    fi
    [ "$change" != other ] || ok "$uninstall" "$second"
done
echo "ok: the launcher a first start made goes with its install, and no other"

# A purge after a plain uninstall takes away the settings that one kept.
ok "$install" "$build"
cp "$settings" "$prog/orini"
ok "$uninstall"
says "PURGE=1"
ok "$uninstall" --purge
says "Removed your settings $prog/orini"
[ ! -e "$prog" ] || fail "a purge after a plain uninstall left $prog"
if as_user "$uninstall"; then fail "an uninstall with nothing installed succeeded"; fi
echo "ok: a purge after a plain uninstall"

echo "PASS"
