#!/usr/bin/env bash
# Takes screenshots under Wine (on Xvfb, or on your display when there is one):
# SkipdoorCM.dll's add-folder dialog, real Open dialogs before and after a
# folder command sent them to another folder, and Wayleap.exe's three pages
# and its Add and Modify dialogs. The pictures
# are taken by the Wine tests themselves and land as PNG files in
# build/<preset>/screenshots/.
#   tools/screenshots.sh [win32|win64]
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-win32}
./tools/bootstrap.sh >/dev/null
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" >/dev/null
out="$PWD/build/$preset/screenshots"
rm -rf "$out"
mkdir -p "$out"
WAYLEAP_SCREENSHOTS="$out" ctest --preset "$preset" -R 'wine\.(setup|cleanup|shellext\.invoke|shellext\.add_dialog|config\.screens)$' >/dev/null
for bmp in "$out"/*.bmp; do
    [ -e "$bmp" ] || { echo "no screenshots were taken" >&2; exit 1; }
    convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
echo "screenshots in $out:"
ls -1 "$out"
