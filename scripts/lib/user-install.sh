# Shared by scripts/install-user and scripts/uninstall-user: where a user
# install lives and the list of what it made. Sourced, not run.
#
# The list, .installed-files in the program folder, has one line per thing:
#   file SHA256 PATH   a file, taken away only while it is as installed
#   link - PATH        the link that puts the program on the PATH
#   dir - PATH         a folder the install created, taken away once empty
#   launcher SHA256 ORVIK.desktop
#                      the launcher the installed program puts into the
#                      desktop folder at its first start, with the checksum
#                      of the text it writes; taken away while it has it
# CMake's own install_manifest.txt names the files only and stays in the
# build folder, which the user may delete; this list lives with the install.

die() { echo "$script: $*" >&2; exit 1; }

# Under sudo the files would belong to root and land in whichever home sudo
# left in place; a user install touches the user's own folders only.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ]; then
    die "run this as yourself, without sudo: a user install touches only your own folders"
fi
[[ ${HOME:-} == /* ]] || die "HOME is not set to an absolute path"
home=$(realpath -m -s -- "$HOME")
# The program folder: the argument, else PROGRAM_DIR, else the default.
program_dir() { realpath -m -s -- "${1:-${PROGRAM_DIR:-$home/.local/opt/orvik}}"; }

app_id=org.orvik.Orvik
launcher_name=ORVIK.desktop
sum_of() { sha256sum <"$1" | cut -d' ' -f1; }

# Whether PATH may stand in a list for the install whose program is EXE: the
# files and the link an install writes, under today's names and the names
# earlier versions used.
installs_write() {
    local kind=$1 path=$2 exe=$3
    case $kind:$path in
        "file:$exe" | file:*/applications/"$app_id".desktop | file:*/applications/orvik.desktop \
            | file:*/icons/hicolor/scalable/apps/"$app_id".svg | file:*/icons/hicolor/scalable/apps/orvik.svg \
            | file:*/metainfo/"$app_id".metainfo.xml | link:*/bin/orvik) return 0 ;;
    esac
    return 1
}

# Reads the list at $1 into the arrays kinds, sums and paths, checking every
# line first: a line that is not one an install writes means the list is not
# ours, and nothing is done.
read_list() {
    local list=$1 exe=$2 line kind rest sum path
    kinds=() sums=() paths=()
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in '' | '#'*) continue ;; esac
        kind=${line%% *} rest=${line#* }
        sum=${rest%% *} path=${rest#* }
        if [ "$kind" = launcher ]; then
            [[ $sum =~ ^[0-9a-f]{64}$ && $path == "$launcher_name" ]]
        else
            [[ $path == /* && /$path/ != */../* && /$path/ != */./* && $path != / ]] || false
        fi || die "$list has an unexpected line, nothing done: $line"
        case $kind in
            file) [[ $sum =~ ^[0-9a-f]{64}$ ]] && installs_write file "$path" "$exe" ;;
            link) [ "$sum" = - ] && installs_write link "$path" "$exe" ;;
            dir) [ "$sum" = - ] ;;
            launcher) ;;
            *) false ;;
        esac || die "$list has an unexpected line, nothing done: $line"
        kinds+=("$kind") sums+=("$sum") paths+=("$path")
    done <"$list"
}

# Whether the listed thing is still as the install left it: a file with its
# checksum, a link that leads to the install's program.
as_installed() {
    local kind=$1 sum=$2 path=$3 exe=$4
    case $kind in
        file) [ -f "$path" ] && [ ! -L "$path" ] && [ "$(sum_of "$path")" = "$sum" ] ;;
        link) [ -L "$path" ] && [ "$(realpath -m -- "$path")" = "$(realpath -m -- "$exe")" ] ;;
        *) return 1 ;;
    esac
}

# The desktop folder, found as the program finds it (Qt's rules): the
# XDG_DESKTOP_DIR line of user-dirs.dirs, else ~/Desktop. Fails where the
# program puts no launcher: no such folder, or the home folder itself.
desktop_folder() {
    local config=${XDG_CONFIG_HOME:-} line value dir=''
    [[ $config == /* ]] || config="$home/.config"
    if [ -f "$config/user-dirs.dirs" ]; then
        while IFS= read -r line || [ -n "$line" ]; do
            [[ $line == XDG_DESKTOP_DIR=* ]] || continue
            value=${line#XDG_DESKTOP_DIR=}
            if [ ${#value} -gt 2 ] && [[ $value == \"*\" ]]; then value=${value:1:${#value}-2}; fi
            [[ $value != '$HOME'* ]] || value=$home${value:5}
            [ ${#value} -le 1 ] || value=${value%/}
            dir=$value
        done <"$config/user-dirs.dirs"
    fi
    [ -n "$dir" ] || dir="$home/Desktop"
    [[ $dir == /* ]] && [ -d "$dir" ] && [ "$(realpath -m -- "$dir")" != "$(realpath -m -- "$home")" ] || return 1
    printf '%s\n' "$dir"
}

# Refreshes the desktop's caches where the user already has them: without a
# cache the desktop reads the folders directly, and a new cache would be a
# file no uninstall could call its own. A tool that fails changes nothing
# that matters here.
refresh_caches() {
    local apps=$1 hicolor=$2
    if [ -f "$apps/mimeinfo.cache" ] && command -v update-desktop-database >/dev/null 2>&1; then
        update-desktop-database -q "$apps" >/dev/null 2>&1 || echo "  (update-desktop-database failed; ignored)"
    fi
    if [ -f "$hicolor/icon-theme.cache" ] && command -v gtk-update-icon-cache >/dev/null 2>&1; then
        gtk-update-icon-cache -q "$hicolor" >/dev/null 2>&1 || echo "  (gtk-update-icon-cache failed; ignored)"
    fi
}
