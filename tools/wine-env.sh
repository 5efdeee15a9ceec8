#!/usr/bin/env bash
# Prepares and tears down the Wine environment of one build tree:
#   wine-env.sh start BUILD_DIR ARCH   create the private prefix once (ARCH win32|win64),
#                                      start Xvfb when there is no DISPLAY, start and
#                                      warm up the wine server
#   wine-env.sh stop BUILD_DIR         stop the wine server and the Xvfb that start started
# Every background process gets /dev/null for all three streams: ctest waits for
# whatever holds its pipes, and the wine server's children live on after a test.
set -euo pipefail

cmd=${1:?usage: wine-env.sh start|stop BUILD_DIR [ARCH]}
build=$(cd "${2:?build dir}" && pwd)
state="$build/wine-state"
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko install prompts; no menu entries or icons on the host for
# shortcuts that programs (the installer) create in the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$state"

quiet() { "$@" </dev/null >/dev/null 2>&1; }

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
    n=$(free_display) || { echo "wine-env: no free X display" >&2; exit 1; }
    setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    echo $! > "$state/xvfb.pid"
    echo ":$n" > "$state/display"
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.05
    done
    echo "wine-env: Xvfb :$n did not start" >&2
    exit 1
}

create_prefix() {
    local arch=$1
    [ -f "$WINEPREFIX/system.reg" ] && [ -f "$state/prefix-ready" ] && return 0
    rm -rf "$WINEPREFIX"
    WINEARCH=$arch quiet wineboot -i
    # Without a window manager, unmanaged windows are destroyed at once instead
    # of waiting for one; GUI tests then take a fraction of a second.
    quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f
    quiet wineserver -w
    touch "$state/prefix-ready"
}

case "$cmd" in
start)
    arch=${3:?arch win32|win64}
    start_display
    export DISPLAY
    DISPLAY=$(cat "$state/display")
    create_prefix "$arch"
    setsid wineserver -p </dev/null >/dev/null 2>&1 || true
    quiet wine cmd /c exit
    echo "wine-env: prefix $WINEPREFIX ($arch), display $DISPLAY"
    ;;
stop)
    quiet wineserver -k || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
    echo "wine-env: stopped"
    ;;
*)
    echo "usage: wine-env.sh start|stop BUILD_DIR [ARCH]" >&2
    exit 2
    ;;
esac
