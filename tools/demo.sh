#!/usr/bin/env bash
# The main job, for now: builds the Windows binaries (i686 and x86_64) and
# shows what there is - each program and library with its size and the DLLs
# it imports (system DLLs only: the MinGW runtime is linked in statically).
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/bootstrap.sh >/dev/null
for preset in win32 win64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2 >/dev/null
    echo "== build/$preset"
    while IFS= read -r -d '' f; do
        imports=$(objdump -p "$f" 2>/dev/null | awk '/DLL Name:/ {printf "%s ", $3}')
        printf '  %-48s %8s bytes  imports: %s\n' "${f#build/$preset/}" "$(stat -c %s "$f")" "$imports"
    done < <(find "build/$preset" \( -name wineprefix -o -name CMakeFiles -o -name googletest \) -prune -o \( -name '*.exe' -o -name '*.dll' \) -print0 | sort -z)
done
echo
echo "SkipdoorCM.dll and Wayleap.exe are not built yet; the binaries above are the"
echo "data layer's Wine test programs. Run tools/test.sh to build and run every test."
