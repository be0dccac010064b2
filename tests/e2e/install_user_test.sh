#!/usr/bin/env bash
# The user install end to end: scripts/install-user and scripts/uninstall-user
# run against a fake build and a throw-away home folder. Every step compares a
# listing of the whole sandbox (type, path and checksum of each file) with what
# it should be, so a stray, missing or changed file anywhere shows.
# $1 (the build folder) is not needed: the program is a stand-in script.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
install="$repo/scripts/install-user"
uninstall="$repo/scripts/uninstall-user"

for tool in sha256sum iconv realpath find sort comm; do
    command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
for f in "$install" "$uninstall" "$repo/data/orvik.svg" "$repo/data/orvik.desktop.in"; do
    [ -e "$f" ] || { echo "SKIP: $f is missing"; exit 77; }
done
if command -v desktop-file-validate >/dev/null 2>&1; then
    validate=1
else
    validate=0
    echo "note: desktop-file-validate not installed; checking the entry's keys only"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sb="$work/sandbox"          # everything the scripts may see or touch
log="$work/out.log"
mkdir -p "$sb"

fail() { echo "FAIL: $*"; [ -f "$log" ] && sed 's/^/  | /' "$log"; exit 1; }

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
        if [ -f "$sb/$p" ]; then echo "f $(sha256sum <"$sb/$p" | cut -c1-64) $p"; else echo "d - $p"; fi
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

# Runs a script as the sandbox user: HOME, and XDG_DATA_HOME / PREFIX only
# when the caller sets them in XDG / PFX.
as_user() {
    local envs=(HOME="$HOME_DIR")
    [ -n "${XDG:-}" ] && envs+=(XDG_DATA_HOME="$XDG")
    [ -n "${PFX:-}" ] && envs+=(PREFIX="$PFX")
    env -u XDG_DATA_HOME -u PREFIX -u SUDO_USER "${envs[@]}" "$@" >"$log" 2>&1
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

# The menu entry: valid, the keys asked for, and an Exec that starts the
# installed program.
check_entry() {
    local entry=$1 exe=$2 version=$3
    [ -f "$entry" ] || fail "no menu entry $entry"
    if [ "$validate" = 1 ]; then
        desktop-file-validate "$entry" >"$work/validate.log" 2>&1 \
            || { cat "$work/validate.log"; fail "desktop-file-validate rejects $entry"; }
        if grep -v 'hint:' "$work/validate.log" | grep -q .; then
            cat "$work/validate.log"; fail "desktop-file-validate warns about $entry"
        fi
    fi
    [ "$(head -n1 "$entry")" = "[Desktop Entry]" ] || fail "$entry does not start with [Desktop Entry]"
    local key want
    while IFS='|' read -r key want; do
        [ "$(grep -c "^$key=" "$entry")" = 1 ] || fail "$entry has not exactly one $key"
        [ -z "$want" ] || grep -qxF "$key=$want" "$entry" || fail "$entry: $key is not $want"
    done <<'EOF'
Type|Application
Name|Orvik
GenericName|Tongenerator
Comment|
Exec|
Icon|orvik
Terminal|false
Categories|AudioVideo;Audio;Education;
EOF
    grep -q '^Comment=..........' "$entry" || fail "$entry has no real Comment"
    local value program
    value=$(grep '^Exec=' "$entry"); value=${value#Exec=}
    program=$(exec_argument "$value") || fail "cannot read the Exec value: $value"
    [ "$program" = "$exe" ] || fail "Exec names '$program', not the installed '$exe'"
    [ -f "$program" ] && [ -x "$program" ] || fail "Exec's $program is not an executable file"
    [ "$("$program")" = "fake orvik $version" ] || fail "Exec's program does not run as the build's"
}

# Two stand-in builds: the executable, and a settings file a developer's test
# run left beside it, which must not travel into the install.
for v in 1 2; do
    mkdir -p "$sb/build$v"
    printf '#!/bin/sh\necho "fake orvik %s"\n' "$v" >"$sb/build$v/orvik"
    chmod 755 "$sb/build$v/orvik"
    printf '500\r\n\r\nHalbt\xf6ne\r\n80\r\n440\r\n' >"$sb/build$v/orini"
done
build="$sb/build1"
settings="$work/settings"    # what the user's orini holds
printf '1000\r\n440\r\nHalbt\xf6ne\r\n50\r\n443\r\n' >"$settings"

# ---- 1. Default program folder, XDG_DATA_HOME set ------------------------------
HOME_DIR="$sb/home1" XDG="$sb/home1/xdg data" PFX=
apps="$XDG/applications" iconsdir="$XDG/icons/hicolor/scalable/apps"
mkdir -p "$apps" "$iconsdir" "$HOME_DIR/.local/share"
printf '[Desktop Entry]\nType=Application\nName=Other\nExec=other\n' >"$apps/other.desktop"
printf '<svg xmlns="http://www.w3.org/2000/svg"/>\n' >"$iconsdir/other.svg"
# A desktop cache the user already has is refreshed, never newly made.
if command -v update-desktop-database >/dev/null 2>&1; then update-desktop-database "$apps"; fi
prog="$HOME_DIR/.local/opt/orvik"
s0=$(snapshot)

ok "$install" "$build"
cmp -s "$build/orvik" "$prog/orvik" || fail "the installed program is not the build's"
[ -x "$prog/orvik" ] || fail "the installed program is not executable"
cmp -s "$repo/data/orvik.svg" "$iconsdir/orvik.svg" || fail "the icon is not data/orvik.svg"
check_entry "$apps/orvik.desktop" "$prog/orvik" 1
expect_snapshot "$s0" "first install" .local/opt .local/opt/orvik .local/opt/orvik/orvik \
    .local/opt/orvik/.installed-files "xdg data/applications/orvik.desktop" \
    "xdg data/icons/hicolor/scalable/apps/orvik.svg"

# The user's settings survive a reinstall of a newer build.
cp "$settings" "$prog/orini"
build="$sb/build2"
ok "$install" "$build"
says "kept your settings: $prog/orini"
cmp -s "$settings" "$prog/orini" || fail "the reinstall changed orini"
check_entry "$apps/orvik.desktop" "$prog/orvik" 2

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

# ---- 2. XDG_DATA_HOME unset, a program folder with awkward characters ----------
HOME_DIR="$sb/home2" XDG=
apps="$HOME_DIR/.local/share/applications" icon="$HOME_DIR/.local/share/icons/hicolor/scalable/apps/orvik.svg"
mkdir -p "$apps"
printf '[Desktop Entry]\nType=Application\nName=Other\nExec=other\n' >"$apps/other.desktop"
odd="$HOME_DIR/Töne & Co/\$HOME 100% \"a\\b\" (x)/orvik"
s0=$(snapshot)

# A fresh install purged leaves the sandbox as it was, folder for folder.
PFX=$odd ok "$install" "$build"
check_entry "$apps/orvik.desktop" "$odd/orvik" 2
cp "$settings" "$odd/orini"
PFX=$odd ok "$uninstall" --purge
expect_snapshot "$s0" "install and purge"

# Reinstalled with another data folder: the menu entry and icon move along,
# and a purge still leaves nothing behind.
PFX=$odd ok "$install" "$build"
PFX=$odd XDG="$HOME_DIR/elsewhere" ok "$install" "$build"
says "removed the earlier install's $apps/orvik.desktop"
check_entry "$HOME_DIR/elsewhere/applications/orvik.desktop" "$odd/orvik" 2
[ ! -e "$apps/orvik.desktop" ] && [ ! -e "$icon" ] || fail "the earlier menu entry or icon stayed"
PFX=$odd ok "$uninstall" --purge
expect_snapshot "$s0" "install, move the data folder, purge"

# Two installs share the one menu entry: removing the first leaves the entry
# and icon that the second wrote; purging the second leaves files of the
# user's in its folder.
second="$HOME_DIR/apps/orvik"
PFX=$odd ok "$install" "$build"
PFX=$odd ok "$install" "$build" "$second"
says "replacing the menu entry"
check_entry "$apps/orvik.desktop" "$second/orvik" 2
PFX=$odd ok "$uninstall"
[ ! -e "$odd" ] || fail "the first install's folder $odd is still there"
check_entry "$apps/orvik.desktop" "$second/orvik" 2
[ -f "$icon" ] || fail "the second install's icon went with the first"
cp "$settings" "$second/orini"
echo "the user's own" >"$second/kalvano"
ok "$uninstall" --purge "$second"
[ ! -e "$second/orini" ] || fail "--purge left orini"
[ -f "$second/kalvano" ] || fail "--purge removed a file it had not installed"
[ ! -e "$apps/orvik.desktop" ] && [ ! -e "$icon" ] || fail "--purge left the menu entry or the icon"
grep -qx 'Name=Other' "$apps/other.desktop" || fail "the other menu entry was touched"

# ---- 3. What the scripts refuse ------------------------------------------------
HOME_DIR="$sb/home3" XDG='' PFX=''
prog="$HOME_DIR/.local/opt/orvik"
mkdir -p "$HOME_DIR"
s0=$(snapshot)
# No build: nothing is made.
if as_user "$install" "$sb/no-build"; then fail "install-user accepted a missing build"; fi
says "no executable $sb/no-build/orvik"
expect_snapshot "$s0" "install without a build"
# A program folder that is not Orvik's own: the home folder itself, or one
# that holds other things.
mkdir -p "$HOME_DIR/Dokumente" && echo "Brief" >"$HOME_DIR/Dokumente/brief.txt"
s0=$(snapshot)
for target in "$HOME_DIR" "$HOME_DIR/Dokumente"; do
    if PFX=$target as_user "$install" "$build"; then fail "install-user accepted the program folder $target"; fi
    says "give Orvik a folder of its own"
done
expect_snapshot "$s0" "refused program folders"
# Nothing installed: nothing to do, and it says so.
if as_user "$uninstall"; then fail "uninstall-user succeeded without an install"; fi
says "no Orvik install"

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
echo "Keywords=Ton;" >>"$HOME_DIR/.local/share/applications/orvik.desktop"
ok "$uninstall"
says "kept $HOME_DIR/.local/share/applications/orvik.desktop: it has changed"
[ ! -e "$prog" ] || fail "the program folder outlived its files"
[ -f "$HOME_DIR/.local/share/applications/orvik.desktop" ] || fail "the edited entry was removed"
[ -f "$HOME_DIR/.local/share/icons/hicolor/scalable/apps/orvik.svg" ] || fail "the edited entry lost its icon"

echo "PASS"
