#!/usr/bin/env bash
# Runs the benchmarks and prints their numbers:
#  - list_file_bench (native, optimized): parse and write a full 64 KiB list;
#  - menu_bench (under Wine, i686 and x86_64 DLLs): Initialize + QueryContextMenu
#    + Release for three lists beside their floor, the first and the next menu
#    with a folder slower to list than the budget, then many create/destroy
#    cycles with GDI, USER, handle and heap counts before and after.
#   tools/bench.sh [LEAK-CYCLES]   (default 10000)
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${1:-10000}
./tools/bootstrap.sh >/dev/null
cmake --preset bench >/dev/null && cmake --build --preset bench >/dev/null
echo "== list file (native)"
build/bench/bench/list_file_bench
for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" --target menu_bench SkipdoorCM >/dev/null
    arch=$([ "$preset" = win64 ] && echo win64 || echo win32)
    dll=$([ "$preset" = win64 ] && echo SkipdoorCM64.dll || echo SkipdoorCM.dll)
    build="$PWD/build/$preset"
    status=0
    tools/wine-env.sh start "$build" "$arch" >/dev/null || status=$?
    if [ "$status" -eq 77 ]; then
        echo "== context menu ($preset): skipped, 32-bit programs do not run here: $(cat "$build/wine-state/way")"
        continue
    fi
    [ "$status" -eq 0 ] || exit "$status"
    echo "== context menu ($preset, under Wine)"
    tools/make-slow-folder.sh "$build/slow-folder"
    tools/wine-run.sh "$build" "$build/bench/menu_bench.exe" "$build/shellext/$dll" "$cycles" "$build/slow-folder" ||
        status=$?
    tools/wine-env.sh stop "$build" >/dev/null
    [ "$status" -eq 0 ] || exit "$status"
done
