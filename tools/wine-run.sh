#!/usr/bin/env bash
# Runs a Windows program of a build tree under Wine, in that tree's private
# prefix and display and in the way wine-env.sh start chose for it (see
# tools/wine-lib.sh). ctest uses it as the cross-compiling emulator:
#   wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
# When the program is 32-bit, or WAYLEAP_NEEDS_I686=1 says it starts one, and
# this machine runs none, it says why and exits with 77 (ctest: skipped).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=wine-lib.sh
. "$here/wine-lib.sh"
build=$(cd "${1:?build dir}" && pwd); shift
state="$build/wine-state"
wine_tree_env "$build"
if [ -f "$state/display" ]; then
    DISPLAY=$(cat "$state/display")
    export DISPLAY
fi
arch=$(cat "$state/arch" 2>/dev/null || echo win32)
way_line=$(wine_way_line "$state")
way=${way_line%% *}
if [ "$way" = unavailable ] && { [ "$arch" = win32 ] || [ "${WAYLEAP_NEEDS_I686:-0}" = 1 ]; }; then
    echo "skipped: this needs 32-bit Windows programs, which do not run here: ${way_line#* }"
    exit "$WINE_SKIP"
fi
# WAYLEAP_WINE_DPI=N: the program sees a display of N dots per inch (the
# prefix's LogPixels; 96 is 100 %, 144 is 150 %), read as it starts; the
# prefix is set back to 96 when it ends. Tests that measure sizes lock
# against each other (RESOURCE_LOCK), so none of them starts meanwhile.
if [ -n "${WAYLEAP_WINE_DPI:-}" ]; then
    log_pixels() { wine_exec "$way" "$arch" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
    log_pixels "$WAYLEAP_WINE_DPI"
    status=0
    wine_exec "$way" "$arch" "$@" || status=$?
    log_pixels 96
    exit "$status"
fi
wine_exec "$way" "$arch" "$@"
