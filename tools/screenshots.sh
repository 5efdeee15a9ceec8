#!/usr/bin/env bash
# Takes screenshots of SkipdoorCM.dll at work under Wine (on Xvfb, or on your
# display when there is one): the add-folder dialog, and real Open dialogs
# before and after a folder command sent them to another folder. The pictures
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
WAYLEAP_SCREENSHOTS="$out" ctest --preset "$preset" -R 'wine\.(setup|cleanup|shellext\.invoke|shellext\.add_dialog)$' >/dev/null
for bmp in "$out"/*.bmp; do
    [ -e "$bmp" ] || { echo "no screenshots were taken" >&2; exit 1; }
    convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
echo "screenshots in $out:"
ls -1 "$out"
