#!/usr/bin/env bash
# Installs Wayleap with its installer into a running Wine prefix (see
# tools/wine-env.sh), makes the sample folder tree C:\WayleapSample there and
# runs the demo driver, which leaves pictures and menu trees in OUT; the
# pictures are turned into PNG files. Exits with the driver's status.
#   demo/show.sh WINE_BUILD_DIR SETUP.exe DRIVER.exe FolderList.dat OUT [INSTALL_DIR]
# INSTALL_DIR (no spaces: Wine re-quotes arguments with spaces) overrides the
# installer's default directory. Where only 64-bit programs run, SETUP is
# SkipdoorCM64.dll instead: it is copied to C:\Wayleap and registered by hand
# for the user
# (the installer and Wayleap.exe are 32-bit programs), and the driver switches
# the menu on itself.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?wine build dir}; setup=${2:?installer}; driver=${3:?demo driver}
list=${4:?FolderList.dat}; out=${5:?output folder}; install_dir=${6:-}
run() { "$here/../tools/wine-run.sh" "$build" "$@"; }

sample="$build/wineprefix/drive_c/WayleapSample"
rm -rf "$sample"
grep -v '^#' "$here/sample/folders.txt" | while IFS= read -r folder; do
    if [ -n "$folder" ]; then mkdir -p "$sample/$folder"; fi
done

driver_args=()
if [ "${setup##*.}" = dll ]; then
    dll=$(basename "$setup")
    echo "== installing by hand for this user: $dll into C:\\Wayleap, regsvr32 /s /n /i:user"
    mkdir -p "$build/wineprefix/drive_c/Wayleap"
    cp "$setup" "$build/wineprefix/drive_c/Wayleap/"
    run regsvr32 /s /n /i:user "C:\\Wayleap\\$dll" </dev/null >/dev/null 2>&1 || { echo "regsvr32 $dll failed"; exit 1; }
    driver_args=(--without-wayleap-exe)
else
    echo "== installing for this user, without administrator rights: $(basename "$setup") /S${install_dir:+ /D=$install_dir}"
    run "$setup" /S ${install_dir:+"/D=$install_dir"} </dev/null >/dev/null 2>&1
fi

echo "== Wayleap at work"
rm -rf "$out"
mkdir -p "$out"
cp "$list" "$out/FolderList.dat"
status=0
run "$driver" "$out" "$list" 'C:\WayleapSample' "${driver_args[@]}" </dev/null 2>&1 | tr -d '\r' | tee "$out/demo.log" || status=$?
for bmp in "$out"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
exit "$status"
