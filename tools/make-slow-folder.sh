#!/usr/bin/env bash
# Makes a folder whose listing takes far longer than a menu's budget for
# sub-folder listings: two sub-folders, "alpha" and "beta", among many empty
# files. Made once; a folder that is already complete is left as it is.
#   tools/make-slow-folder.sh DIR [FILES]   (default 80000)
set -euo pipefail
dir=$1
files=${2:-80000}
mark="$dir/.complete-$files"
[ -e "$mark" ] && exit 0
rm -rf "$dir"
mkdir -p "$dir/alpha" "$dir/beta"
# Made from this side: Wine creates files in a large folder one lookup of the
# whole folder at a time, which would take minutes.
(cd "$dir" && seq -f "file %06g.txt" 1 "$files" | xargs -d '\n' touch)
touch "$mark"
