#!/usr/bin/env bash
# Prepares and tears down the Wine environment of one build tree:
#   wine-env.sh start BUILD_DIR ARCH   decide how Wine runs here (tools/wine-lib.sh),
#                                      create the private prefix once (ARCH win32|win64),
#                                      start Xvfb when there is no DISPLAY, start and
#                                      warm up the wine server
#   wine-env.sh stop BUILD_DIR         stop the wine server and the Xvfb that start started
# A win32 prefix needs 32-bit programs: where they cannot run, start says why
# and exits with 77, which ctest reports as skipped.
# Every background process gets /dev/null for all three streams: ctest waits for
# whatever holds its pipes, and the wine server's children live on after a test.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-lib.sh
. "$here/wine-lib.sh"

cmd=${1:?usage: wine-env.sh start|stop BUILD_DIR [ARCH]}
mkdir -p "${2:?build dir}"
build=$(cd "$2" && pwd)
state="$build/wine-state"
wine_tree_env "$build"
mkdir -p "$state"

say() { echo "wine-env: $*"; }

free_display() {
    local n
    for n in $(seq 90 199); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            echo "$n"; return 0
        fi
    done
    return 1
}

start_display() {
    if [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
        return 0
    fi
    if [ -n "${DISPLAY:-}" ]; then
        echo "$DISPLAY" > "$state/display"
        rm -f "$state/xvfb.pid"
        return 0
    fi
    local n
    n=$(free_display) || { say "no free X display (:90 to :199 are all taken)" >&2; exit 1; }
    setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    echo $! > "$state/xvfb.pid"
    echo ":$n" > "$state/display"
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.05
    done
    say "Xvfb :$n did not start within 5 s (Debian package xvfb)" >&2
    exit 1
}

# Runs a function of wine-lib.sh with its output discarded, bounded in time.
lib_bounded() { # SECONDS FUNCTION [ARGS...]
    local seconds=$1; shift
    timeout "$seconds" bash -c '. "$0"; "$@"' "$here/wine-lib.sh" "$@" </dev/null >/dev/null 2>&1
}

# Runs a Wine program in this tree's way, bounded in time.
wine_bounded() { # SECONDS PROGRAM [ARGS...]
    local seconds=$1 status=0; shift
    lib_bounded "$seconds" wine_exec "$way" "$arch" "$@" || status=$?
    if [ "$status" -eq 124 ]; then
        say "'$1' did not end within $seconds s ($(wine_describe "$way" "$arch"))" >&2
    fi
    return "$status"
}

create_prefix() {
    # prefix-ready names the way the prefix was made in. One made where only
    # 64-bit programs ran lacks its 32-bit half, so it is remade once they run.
    if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$state/prefix-ready" ]; then
        if [ "$(cat "$state/prefix-ready")" != unavailable ] || [ "$way" = unavailable ]; then
            return 0
        fi
    fi
    # Not there, left half-made by an interrupted run, or without its 32-bit
    # half: make it anew.
    lib_bounded 30 wineserver_exec "$way" -k || true
    rm -rf "$WINEPREFIX" "$state/prefix-ready"
    WINEARCH=$arch wine_bounded 240 wineboot -i \
        || { say "could not create the $arch prefix $WINEPREFIX ($(wine_describe "$way" "$arch"))" >&2; exit 1; }
    # Without a window manager, unmanaged windows are destroyed at once instead
    # of waiting for one; GUI tests then take a fraction of a second.
    wine_bounded 60 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    # A crashing program ends at once instead of waiting for Wine's debugger
    # (which can hang, under the emulator in particular); both registry views.
    local aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
    wine_bounded 60 reg add "$aedebug" /v Debugger /t REG_SZ /d false /f
    if [ "$arch" = win64 ]; then
        wine_bounded 60 reg add "$aedebug" /v Debugger /t REG_SZ /d false /f /reg:32
    fi
    lib_bounded 60 wineserver_exec "$way" -w || true
    echo "$way" > "$state/prefix-ready"
}

case "$cmd" in
start)
    arch=${3:?arch win32|win64}
    echo "$arch" > "$state/arch"
    way_line=$(wine_decide_way)
    way=${way_line%% *}
    # A server left by a run of another way serves programs it should not.
    if [ -f "$state/way" ]; then
        old_way=$(wine_way "$state")
        [ "$old_way" = "$way" ] || lib_bounded 30 wineserver_exec "$old_way" -k || true
    fi
    echo "$way_line" > "$state/way"
    say "32-bit Windows programs: $way (${way_line#* })"
    if [ "$way" = unavailable ] && [ "$arch" = win32 ]; then
        say "skipped: an i686 tree needs 32-bit Windows programs"
        exit "$WINE_SKIP"
    fi
    start_display
    export DISPLAY
    DISPLAY=$(cat "$state/display")
    create_prefix
    setsid bash -c '. "$0"; wineserver_exec "$1" -p' "$here/wine-lib.sh" "$way" </dev/null >/dev/null 2>&1 || true
    wine_bounded 60 cmd /c exit \
        || { say "Wine does not start programs in $WINEPREFIX ($(wine_describe "$way" "$arch"))" >&2; exit 1; }
    # The desktop process starts with the first program that asks for the
    # desktop and inherits its streams; started here it holds none of ctest's.
    wine_bounded 60 rundll32 user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
    say "prefix $WINEPREFIX ($arch), display $DISPLAY"
    ;;
stop)
    if [ -f "$state/way" ]; then
        way=$(wine_way "$state")
        if [ "$way" != unavailable ] || [ "$(cat "$state/arch" 2>/dev/null)" != win32 ]; then
            lib_bounded 30 wineserver_exec "$way" -k || true
        fi
    fi
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
    # Scratch folders the tests could not remove while a copy of the DLL
    # inside was still loaded (its listing threads linger a few seconds).
    rm -rf "$build"/wineprefix/drive_c/users/*/Temp/wltest-*
    say "stopped"
    ;;
*)
    echo "usage: wine-env.sh start|stop BUILD_DIR [ARCH]" >&2
    exit 2
    ;;
esac
