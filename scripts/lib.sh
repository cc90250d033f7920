# Shared paths and the sandboxed Wine environment of the project's scripts.
# Sourced by scripts/setup, scripts/run, scripts/test and scripts/wine-exec.

VELMORA_ROOT=${VELMORA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
VELMORA_CACHE=${VELMORA_CACHE:-$VELMORA_ROOT/.cache}
VELMORA_TEMPLATE=${VELMORA_TEMPLATE:-$VELMORA_CACHE/wine/template}
VELMORA_TOOLCHAIN=$VELMORA_ROOT/cmake/toolchain-i686-mingw32.cmake
export VELMORA_ROOT VELMORA_CACHE VELMORA_TEMPLATE

# Points Wine (and everything Wine hands to the host: trash, menus, fonts cache) at a prefix and a
# scratch home of the project's own, so nothing a cleaner does can reach the developer's files.
#   $1 prefix folder, $2 scratch home folder
velmora_wine_env() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;winedbg.exe=d;mscoree=;mshtml="
    export HOME=$2 XDG_DATA_HOME=$2/.local/share XDG_CONFIG_HOME=$2/.config XDG_CACHE_HOME=$2/.cache
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
}

# Copies the template prefix to $1 and maps drive T: to the build folder $2.
# Wine writes its registry files (and much else) in place, so a hard-linked copy would write
# through to the template: every file is copied for real, except the builtin program files
# (.dll, .exe, ...) under C:\windows and the program folders, which Wine only reads. Those are
# 1.2 of the 1.3 GB, so a copy takes a fraction of a second instead of seconds. A program that
# deletes or replaces one only unlinks the copy's link; nothing in the project writes into one.
velmora_copy_prefix() {
    local dst=$1 build=$2
    rm -rf "$dst"
    mkdir -p "$(dirname "$dst")"
    cp -al "$VELMORA_TEMPLATE" "$dst"
    (cd "$VELMORA_TEMPLATE" &&
        find . \( -type f -o -type l \) ! \( \( -path './drive_c/windows/*' -o -path './drive_c/Program Files*' \) \
             \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.drv' -o -iname '*.sys' -o -iname '*.ocx' \
                -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.ax' -o -iname '*.tlb' -o -iname '*.vxd' \
                -o -iname '*.dll16' -o -iname '*.exe16' -o -iname '*.drv16' -o -iname '*.mod16' \) \) -print0 |
        xargs -0 -r cp -a --parents --remove-destination -t "$dst")
    ln -sfn "$build" "$dst/dosdevices/t:"
}

# Removes a prefix made by velmora_copy_prefix, after its wineserver is gone.
velmora_remove_prefix() {
    local pfx=$1
    [ -d "$pfx" ] || return 0
    WINEPREFIX=$pfx wineserver -k >/dev/null 2>&1 || true
    rm -rf "$pfx"
}

# Finds a free X display number at or above $1.
velmora_free_display() {
    local n=${1:-90}
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    echo "$n"
}
