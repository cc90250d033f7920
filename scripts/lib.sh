# Shared paths, the sandboxed Wine environment and the X display of the project's scripts.
# Sourced by every script that builds, runs or tests the program.

VELMORA_ROOT=${VELMORA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
VELMORA_CACHE=${VELMORA_CACHE:-$VELMORA_ROOT/.cache}
VELMORA_TOOLCHAIN=$VELMORA_ROOT/cmake/toolchain-i686-mingw32.cmake
VELMORA_TOOLCHAIN_X64=$VELMORA_ROOT/cmake/toolchain-x86_64-mingw32.cmake
# Written into every copy of the template: Wine is only ever started in a prefix that has it.
VELMORA_PREFIX_MARKER=.velmora-sandbox
export VELMORA_ROOT VELMORA_CACHE
# A template the caller names (the scripts' own checks do) wins over the one of the machine.
VELMORA_TEMPLATE_GIVEN=${VELMORA_TEMPLATE:-}

# Points Wine (and everything Wine hands to the host: trash, menus, fonts cache) at a prefix and a
# scratch home of the project's own, so nothing a cleaner does can reach the developer's files.
#   $1 prefix folder, $2 scratch home folder
# The locale is fixed to UTF-8: under a POSIX locale (a login shell without LANG) Wine cannot map
# file names outside ASCII to host names, so the program would see another file system.
velmora_wine_env() {
    export WINEPREFIX=$1 WINEARCH=win64 WINEDEBUG=-all
    if [ "$VELMORA_ARCH" = x64 ]; then
        # Only the 64-bit loader runs here: "wine" is wine64, for the scripts and for Wine itself.
        case ":$PATH:" in *":$VELMORA_ROOT/scripts/wine64:"*) ;; *) export PATH=$VELMORA_ROOT/scripts/wine64:$PATH ;; esac
        export WINELOADER=/usr/lib/wine/wine64
    fi
    export WINEDLLOVERRIDES="winemenubuilder.exe=d;winedbg.exe=d;mscoree=;mshtml="
    export HOME=$2 XDG_DATA_HOME=$2/.local/share XDG_CONFIG_HOME=$2/.config XDG_CACHE_HOME=$2/.cache
    export VELMORA_WINE_HOME=$2
    export LANG=C.UTF-8 LC_ALL=C.UTF-8
    mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
}

# Wine's 32-bit loader (/usr/lib/wine/wine, from wine32:i386) is an i386 Linux program. Some
# 64-bit kernels run no 32-bit user code at all (IA-32 emulation switched off: execve gives
# ENOEXEC); there i386 programs are handed to qemu's user-mode emulator through binfmt_misc.
# Natively running kernels are left alone. Needs root (or sudo) only when it has to register.
VELMORA_I386_PROBE=/usr/lib/wine/wine
velmora_i386_runs() { "$VELMORA_I386_PROBE" --version >/dev/null 2>&1; }
velmora_enable_i386() {
    [ -x "$VELMORA_I386_PROBE" ] || return 0        # wine32 not installed yet: setup installs it
    velmora_i386_runs && return 0
    local as_root=() binfmt=/proc/sys/fs/binfmt_misc
    [ "$(id -u)" = 0 ] || as_root=(sudo)
    echo "lib: this kernel runs no 32-bit programs; running them through qemu-i386" >&2
    if [ ! -x /usr/bin/qemu-i386-static ]; then
        "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -q --no-install-recommends qemu-user-static >/dev/null
    fi
    [ -e "$binfmt/register" ] || "${as_root[@]}" mount -t binfmt_misc binfmt_misc "$binfmt"
    if [ -e "$binfmt/qemu-i386" ]; then
        echo 1 | "${as_root[@]}" tee "$binfmt/qemu-i386" >/dev/null
    else
        # i386 ELF executables and shared objects; F opens the emulator now, so it also serves
        # programs started in other mount namespaces.
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' |
            "${as_root[@]}" tee "$binfmt/register" >/dev/null
    fi
    velmora_i386_runs || { echo "lib: 32-bit programs still do not run; Wine cannot start" >&2; return 1; }
}

# True when i386 programs run through the emulator registered above (only when
# VELMORA_EMULATED_WINE=1 asked for it). Wine works there, but one Wine process takes minutes.
velmora_i386_emulated() {
    [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && head -n 1 /proc/sys/fs/binfmt_misc/qemu-i386 | grep -qx enabled
}

# Which build the Wine tests run in, VELMORA_ARCH:
#   x86  the 32-bit deliverables in Wine's WoW64 prefix: where the kernel runs 32-bit programs,
#        or anywhere when VELMORA_EMULATED_WINE=1 asks for qemu's emulator (very slow);
#   x64  where the kernel runs no 32-bit programs: the 64-bit verification build of the same
#        sources (build-x64 beside the build folder) in a 64-bit prefix, under wine64, natively.
#        The 32-bit deliverables are still built, and their host-side checks run.
# Until Wine is installed the answer is x86; scripts/setup asks again once it is.
# VELMORA_TEMPLATE is the template prefix of that build.
velmora_i386_native() { [ -x "$VELMORA_I386_PROBE" ] && ! velmora_i386_emulated && velmora_i386_runs; }
velmora_select_arch() {
    VELMORA_ARCH=x86
    if [ "${VELMORA_EMULATED_WINE:-0}" != 1 ] && [ -x /usr/lib/wine/wine64 ] && ! velmora_i386_native; then
        VELMORA_ARCH=x64
    fi
    if [ -n "$VELMORA_TEMPLATE_GIVEN" ]; then
        VELMORA_TEMPLATE=$VELMORA_TEMPLATE_GIVEN
    elif [ $VELMORA_ARCH = x64 ]; then
        VELMORA_TEMPLATE=$VELMORA_CACHE/wine/template-x64
    else
        VELMORA_TEMPLATE=$VELMORA_CACHE/wine/template
    fi
    export VELMORA_ARCH
}

# Why Wine must not start in the current environment, or nothing when it may: WINEPREFIX must
# name a copy of the template (it carries the marker), without a drive for the host's root, and
# Wine's home, data and config folders must be the scratch home velmora_wine_env set. Anything
# else would let Wine make or use a prefix whose drives and user folders reach the host's files.
velmora_sandbox_fault() {
    local pfx=${WINEPREFIX:-} home=${VELMORA_WINE_HOME:-}
    if [ -z "$pfx" ]; then
        echo "WINEPREFIX is not set"
    elif [ ! -f "$pfx/$VELMORA_PREFIX_MARKER" ]; then
        echo "WINEPREFIX=$pfx is not a prefix made by the project's scripts"
    elif [ -e "$pfx/dosdevices/z:" ] || [ -L "$pfx/dosdevices/z:" ]; then
        echo "WINEPREFIX=$pfx has a Z: drive"
    elif [ -z "$home" ] || [ "${HOME:-}" != "$home" ] || [ "${XDG_DATA_HOME:-}" != "$home/.local/share" ] ||
         [ "${XDG_CONFIG_HOME:-}" != "$home/.config" ]; then
        echo "HOME and the XDG folders are not the scratch home of the prefix"
    fi
}

# Exits the script with the way to run the tests unless Wine may start here. $1 names the script.
velmora_require_sandbox() {
    local fault
    fault=$(velmora_sandbox_fault)
    [ -z "$fault" ] && return 0
    {
        echo "$1: refusing to start Wine: $fault."
        echo "$1: Wine runs only in a sandboxed copy of the template prefix, never in a default one"
        echo "$1: (its Z: drive and user folders would reach your own files). Run the tests with"
        echo "$1:     scripts/test [ctest arguments]     for example: scripts/test -R Md5"
        echo "$1: and one test program in a prefix of its own with"
        echo "$1:     scripts/wine-exec --own-prefix build build/tests/<program>.exe"
    } >&2
    exit 3
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
    rm -f "$dst/$VELMORA_PREFIX_MARKER"
    echo "a copy of $VELMORA_TEMPLATE" >"$dst/$VELMORA_PREFIX_MARKER"
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

# Starts Xvfb on the first free display at or above $1 (screen $2, default 1280x1024x24, black
# root) and exports DISPLAY; VELMORA_XVFB_PID is its process. Scripts and parallel tests may pick
# the same free number at once: the loser's Xvfb exits, and it tries the next number. Returns 1
# when no display could be started.
velmora_start_xvfb() {
    local display attempt
    display=$(velmora_free_display "${1:-90}")
    VELMORA_XVFB_PID=
    for attempt in 1 2 3 4 5 6 7 8; do
        Xvfb ":$display" -screen 0 "${2:-1280x1024x24}" -br -nolisten tcp >/dev/null 2>&1 &
        VELMORA_XVFB_PID=$!
        for _ in $(seq 100); do
            velmora_xvfb_serves "$display" && break
            kill -0 "$VELMORA_XVFB_PID" 2>/dev/null || break
            sleep 0.05
        done
        if velmora_xvfb_serves "$display"; then
            export DISPLAY=:$display
            return 0
        fi
        kill "$VELMORA_XVFB_PID" 2>/dev/null || true
        wait "$VELMORA_XVFB_PID" 2>/dev/null || true
        VELMORA_XVFB_PID=
        display=$(velmora_free_display $((display + 1)))
    done
    echo "no X display could be started" >&2
    return 1
}

# The Xvfb of VELMORA_XVFB_PID serves display $1: its socket is there and the lock file names it.
velmora_xvfb_serves() {
    kill -0 "$VELMORA_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$1" ] &&
        [ "$(tr -d ' \n' <"/tmp/.X$1-lock" 2>/dev/null)" = "$VELMORA_XVFB_PID" ]
}

# Starts a compositor on $DISPLAY (so translucent windows really blend); VELMORA_XCOMPMGR_PID.
velmora_start_compositor() {
    xcompmgr >/dev/null 2>&1 &
    VELMORA_XCOMPMGR_PID=$!
}

# Stops the compositor and the Xvfb these functions started, if any.
velmora_stop_x() {
    local pid
    for pid in ${VELMORA_XCOMPMGR_PID:-} ${VELMORA_XVFB_PID:-}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    VELMORA_XCOMPMGR_PID= VELMORA_XVFB_PID=
    return 0
}

# Runs ctest in the test folder $1 (further arguments go to ctest), VELMORA_TEST_JOBS at a time.
# Under a full parallel load a Wine test process very rarely crashes on its way out after every
# case passed (seen about once in a few hundred program runs, never alone). The failed cases run
# once more; a real fault fails both times, and the first failure's output stays in the log.
# Every case that passed only the second time is named after the summary, so a flaky test stays
# visible. The status is the last run's.
velmora_ctest_with_rerun() {
    local dir=$1 jobs=${VELMORA_TEST_JOBS:-$(nproc)} rc first second flaky
    shift
    local failed_log=$dir/Testing/Temporary/LastTestsFailed.log
    rm -f "$failed_log"
    ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$jobs" "$@" && return 0 || rc=$?
    [ -f "$failed_log" ] || return $rc
    first=$(sed 's/^[0-9]*://' "$failed_log" | sort)
    echo
    echo "test: running the $(printf '%s\n' "$first" | wc -l) failed case(s) once more"
    ctest --test-dir "$dir" --output-on-failure --rerun-failed -j"$jobs" && rc=0 || rc=$?
    second=
    [ $rc = 0 ] || [ ! -f "$failed_log" ] || second=$(sed 's/^[0-9]*://' "$failed_log" | sort)
    flaky=$(comm -23 <(printf '%s\n' "$first") <(printf '%s\n' "$second"))
    if [ -n "$flaky" ]; then
        echo
        echo "test: passed only on their second run:"
        printf '%s\n' "$flaky" | sed 's/^/    /'
    fi
    return $rc
}

# The folder of the 64-bit verification build that goes with the build folder $1.
velmora_x64_build_dir() { echo "${1%/}-x64"; }

# Configures the build folder $1 (when it is not yet, or its setting differs) and builds it:
#   $2 x86|x64, $3 ON|OFF (register the test programs that run under Wine). $4 names the caller.
# Make's progress lines are filtered out; the status is the build's own.
velmora_build() {
    local dir=$1 arch=$2 wine_tests=$3 who=$4 toolchain=$VELMORA_TOOLCHAIN
    [ "$arch" = x64 ] && toolchain=$VELMORA_TOOLCHAIN_X64
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        echo "$who: configuring $dir"
        cmake -S "$VELMORA_ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
              -DCMAKE_BUILD_TYPE=Release -DVELMORA_WINE_TESTS="$wine_tests" >/dev/null || return 1
    elif ! grep -qx "VELMORA_WINE_TESTS:BOOL=$wine_tests" "$dir/CMakeCache.txt"; then
        cmake -S "$VELMORA_ROOT" -B "$dir" -DVELMORA_WINE_TESTS="$wine_tests" >/dev/null || return 1
    fi
    # The filter never fails, so the pipeline's status is the build's own (pipefail).
    if ! cmake --build "$dir" -j"$(nproc)" -- --no-print-directory | { grep -v -E '^\[ *[0-9]+%\]' || true; }; then
        echo "$who: build of $dir failed" >&2
        return 1
    fi
}

velmora_select_arch
