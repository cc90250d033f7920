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
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=;mshtml="
    export HOME=$2 XDG_DATA_HOME=$2/.local/share XDG_CONFIG_HOME=$2/.config XDG_CACHE_HOME=$2/.cache
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
}

# Copies the template prefix to $1 (a real copy: Wine writes its registry files in place, so hard
# links would write through to the template) and maps drive T: to the build folder $2.
velmora_copy_prefix() {
    local dst=$1 build=$2
    rm -rf "$dst"
    mkdir -p "$(dirname "$dst")"
    cp -a "$VELMORA_TEMPLATE" "$dst"
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
