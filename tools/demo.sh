#!/usr/bin/env bash
# The main job: builds Wayleap, installs it with its own installer into a fresh
# private Wine prefix (64-bit, so both DLLs are registered) and shows it at
# work on a sample folder tree, leaving the evidence in one output folder:
#   config-1-general.png, config-2-folders.png, config-3-about.png
#       Wayleap.exe's three pages; the menu is switched on from the General page
#   menu-submenu-style.txt, menu-direct-style.txt
#       the context menu of a right-click on a folder background, as a tree
#       (text, command offset, state, help text, verb)
#   menu-submenu-style.png, menu-direct-style.png
#       the same menus open on screen (TrackPopupMenu), a sub-folder popup open
#   open-dialog-1-before.png, open-dialog-2-menu.png, open-dialog-3-after.png
#       a real Open dialog, the menu open over it, and the dialog after the
#       folder command sent it to that folder (its file name given back)
#   save-dialog-1-before.png, save-dialog-2-menu.png, save-dialog-3-after.png
#       a real Save dialog (the item dialog) with a typed file name, the menu
#       open over it, and the dialog moved to the folder with the name kept
#   config-*-144dpi.png, menu-*-style-144dpi.png
#       the same pages and menus at 150 % scale (144 dpi), beside those at 100 %
#   demo.log
#       everything the demo printed
# Windows show on Xvfb, or on your display when DISPLAY is set.
#
#   tools/demo.sh [--list FolderList.dat] [--out DIR]
#     --list  use this FolderList.dat instead of the sample (demo/sample/)
#     --out   output folder (default build/demo/output)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

list="$root/demo/sample/FolderList.dat"
out="$root/build/demo/output"
while [ $# -gt 0 ]; do
    case "$1" in
    --list) list=$(realpath "${2:?--list needs a file}"); shift 2 ;;
    --out) mkdir -p "${2:?--out needs a folder}"; out=$(realpath "$2"); shift 2 ;;
    -h|--help) sed -n '2,23p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "demo.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
    esac
done
[ -f "$list" ] || { echo "demo.sh: no such file: $list" >&2; exit 2; }

./tools/bootstrap.sh >/dev/null

echo "== building (i686: Wayleap.exe, SkipdoorCM.dll, the demo driver; x86_64: SkipdoorCM64.dll, the installer, the demo driver)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j2 --target SkipdoorCM Wayleap wayleap_demo >/dev/null
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j2 --target installer wayleap_demo >/dev/null
setup="$root/build/win64/packaging/WayleapSetup-0.6.0.1.exe"
driver="$root/build/win32/demo/wayleap_demo.exe"

demo="$root/build/demo"
echo "== a fresh Wine prefix in $demo/wineprefix"
tools/wine-env.sh stop "$demo" >/dev/null 2>&1 || true
rm -rf "$demo/wineprefix" "$demo/wine-state"
mkdir -p "$demo"
trap 'tools/wine-env.sh stop "$demo" >/dev/null 2>&1 || true' EXIT
tools/wine-env.sh start "$demo" win64
# shellcheck source=wine-lib.sh
. tools/wine-lib.sh
if [ "$(wine_way "$demo/wine-state")" = unavailable ]; then
    echo "== only the x86_64 parts: 32-bit programs (the installer, Wayleap.exe, SkipdoorCM.dll) do not run here: $(wine_way_reason "$demo/wine-state")"
    setup="$root/build/win64/shellext/SkipdoorCM64.dll"
    driver="$root/build/win64/demo/wayleap_demo.exe"
fi

status=0
demo/show.sh "$demo" "$setup" "$driver" "$list" "$out" || status=$?

# The same pages and menus at 150 % scale, beside the ones at 100 %: the
# driver runs again with the prefix at 144 dpi, and its pictures join the
# others as *-144dpi.png.
echo "== the same at 150 % scale (144 dpi)"
high="$demo/output-144dpi"
rm -rf "$high"
mkdir -p "$high"
extra=()
[ "${setup##*.}" = dll ] && extra=(--without-wayleap-exe)
WAYLEAP_WINE_DPI=144 tools/wine-run.sh "$demo" "$driver" "$high" "$list" 'C:\WayleapSample' "${extra[@]}" \
    </dev/null 2>&1 | tr -d '\r' > "$high/demo.log" || status=$?
for bmp in "$high"/config-*.bmp "$high"/menu-*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "$out/$(basename "${bmp%.bmp}")-144dpi.png"
done

echo
echo "Output folder: $out"
ls -1 "$out" | sed 's/^/  /'
exit "$status"
