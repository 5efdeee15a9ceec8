#!/usr/bin/env bash
# Runs a Windows program of a build tree under Wine, in that tree's private
# prefix and display (prepared by wine-env.sh start). ctest uses it as the
# cross-compiling emulator: wine-run.sh BUILD_DIR PROGRAM.exe [ARGS...]
set -euo pipefail
build=${1:?build dir}; shift
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=${WAYLEAP_WINEDEBUG:--all}
# No Mono or Gecko install prompts; no menu entries or icons on the host for
# shortcuts that programs (the installer) create in the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ -f "$build/wine-state/display" ]; then
    DISPLAY=$(cat "$build/wine-state/display")
    export DISPLAY
fi
exec wine "$@"
