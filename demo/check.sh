#!/usr/bin/env bash
# The demo as a test, in a build tree's own Wine prefix: installs Wayleap into
# C:\WayleapDemo, runs the i686 and the x86_64 demo drivers on the sample list
# (each through its own DLL), checks that every picture and menu tree is there
# and that both DLLs built the same menus, then uninstalls with /REMOVEDATA and
# checks that nothing is left.
#   demo/check.sh WINE_BUILD_DIR SETUP.exe DRIVER32.exe DRIVER64.exe OUT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?wine build dir}; setup=${2:?installer}; driver32=${3:?i686 driver}; driver64=${4:?x86_64 driver}
out=${5:?output folder}
# shellcheck source=../tools/wine-lib.sh
. "$here/../tools/wine-lib.sh"
if [ "$(wine_way "$build/wine-state")" = unavailable ]; then
    echo "skipped: the installer and the i686 driver are 32-bit programs, which do not run here: $(wine_way_reason "$build/wine-state")"
    exit "$WINE_SKIP"
fi
install_dir='C:\WayleapDemo'
installed="$build/wineprefix/drive_c/WayleapDemo"
failed=0
fail() { echo "FAILED: $*"; failed=1; }

uninstall() {
    [ -f "$installed/uninstall.exe" ] || return 0
    "$here/../tools/wine-run.sh" "$build" "$install_dir\\uninstall.exe" /S /REMOVEDATA </dev/null >/dev/null 2>&1 || true
    # The uninstaller runs from a copy of itself and returns at once.
    for _ in $(seq 150); do
        [ -e "$installed" ] || return 0
        sleep 0.2
    done
    return 1
}
trap uninstall EXIT

expected=(config-1-general.png config-2-folders.png config-3-about.png
          menu-submenu-style.txt menu-submenu-style.png menu-direct-style.txt menu-direct-style.png
          open-dialog-1-before.png open-dialog-2-menu.png open-dialog-3-after.png
          save-dialog-1-before.png save-dialog-2-menu.png save-dialog-3-after.png demo.log)
for arch in i686 x86_64; do
    driver=$driver32
    [ "$arch" = x86_64 ] && driver=$driver64
    echo "=== $arch driver"
    "$here/show.sh" "$build" "$setup" "$driver" "$here/sample/FolderList.dat" "$out/$arch" "$install_dir" \
        || fail "the $arch demo driver reported a failure"
    for file in "${expected[@]}"; do
        [ -s "$out/$arch/$file" ] || fail "$arch: $file is missing or empty"
    done
done
for style in submenu direct; do
    cmp -s "$out/i686/menu-$style-style.txt" "$out/x86_64/menu-$style-style.txt" \
        || fail "the two DLLs built different $style-style menus"
done
grep -q 'WLList0' "$out/i686/menu-submenu-style.txt" || fail "no folder commands in the menu tree"
# The sample's "%USERPROFILE%" entry shows the profile folder it leads to here.
grep -qi 'help "C:\\users\\' "$out/i686/menu-submenu-style.txt" || fail "the %USERPROFILE% entry is not shown expanded"

trap - EXIT
uninstall || fail "the uninstaller left $installed behind"
[ "$failed" -eq 0 ] && echo "demo check passed"
exit "$failed"
