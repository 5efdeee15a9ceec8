#!/usr/bin/env bash
# Builds everything and runs every test: installs what is missing (Debian
# packages), then for each configuration - native (core unit tests and fuzz
# run, with sanitizers), win32 and win64 (Windows binaries, tests under Wine) -
# configures, builds and runs ctest. Exits non-zero when anything fails.
# How 32-bit Windows programs run here (native, emulated, or not at all, when
# the tests that need them are skipped) is decided per tree and printed after
# its tests; WAYLEAP_I686=emulated|unavailable forces a way (tools/wine-lib.sh).
#   tools/test.sh [native|win32|win64 ...]   (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."

./tools/bootstrap.sh

presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(native win32 win64)

failed=()
ways=()
for preset in "${presets[@]}"; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2
    echo "=== $preset: tests"
    ctest --preset "$preset" || failed+=("$preset")
    if [ -f "build/$preset/wine-state/way" ]; then
        way=$(cat "build/$preset/wine-state/way")
        ways+=("$preset: ${way%% *} (${way#* })")
        echo "=== $preset: 32-bit Windows programs: ${ways[-1]#*: }"
    fi
done

./tools/test-ratio.sh | sed 's/^/=== /'
if [ "${#failed[@]}" -gt 0 ]; then
    echo "=== FAILED: ${failed[*]}"
    exit 1
fi
echo "=== all tests passed (${presets[*]})"
for way in "${ways[@]}"; do
    case "$way" in *": unavailable "*) echo "=== $way: tests that need 32-bit Windows programs were skipped" ;; esac
done
