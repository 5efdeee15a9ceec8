#!/usr/bin/env bash
# Builds everything and runs every test: installs what is missing (Debian
# packages), then for each configuration - native (core unit tests and fuzz
# run, with sanitizers), win32 and win64 (Windows binaries, tests under Wine) -
# configures, builds and runs ctest. Exits non-zero when anything fails.
#   tools/test.sh [native|win32|win64 ...]   (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."

./tools/bootstrap.sh

presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(native win32 win64)

failed=()
for preset in "${presets[@]}"; do
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2
    echo "=== $preset: tests"
    ctest --preset "$preset" || failed+=("$preset")
done

if [ "${#failed[@]}" -gt 0 ]; then
    echo "=== FAILED: ${failed[*]}"
    exit 1
fi
echo "=== all tests passed (${presets[*]})"
