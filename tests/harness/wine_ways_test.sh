#!/usr/bin/env bash
# How the Wine harness decides the way 32-bit Windows programs run, under the
# faults a machine can have: each case must give "unavailable" with a one-line
# reason naming what is missing, within seconds, and a 32-bit tree's programs
# must then be skipped (exit 77), never run or failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
tools="$here/../../tools"
trap '"$tools/wine-env.sh" stop "$work/tree" >/dev/null 2>&1; rm -rf "$work"' EXIT
failed=0

# decide EXPECTED-WORDS... -- ENV...: the way line must hold every word.
decide() {
    local expected=() line
    while [ "$1" != -- ]; do expected+=("$1"); shift; done; shift
    line=$(env "$@" timeout 120 bash -c '. "$0"; wine_decide_way' "$tools/wine-lib.sh")
    for word in "${expected[@]}"; do
        case "$line" in *"$word"*) ;; *) echo "FAILED ($*): '$line' lacks '$word'"; failed=1 ;; esac
    done
    [ "$(printf '%s\n' "$line" | wc -l)" -eq 1 ] || { echo "FAILED ($*): more than one line: $line"; failed=1; }
    echo "$* -> $line"
}

printf '#!/bin/sh\necho "qemu-i386 version 7.2.0"\n' > "$work/qemu7"
printf '#!/bin/sh\necho "qemu-i386 version 10.0.2"; [ "$1" = --version ] || exit 1\n' > "$work/broken"
chmod +x "$work/qemu7" "$work/broken"

decide "unavailable" "no $work/none" "qemu-user" -- WAYLEAP_I686=emulated WAYLEAP_QEMU_I386="$work/none"
decide "unavailable" "version 7" "8 or later" -- WAYLEAP_I686=emulated WAYLEAP_QEMU_I386="$work/qemu7"
decide "unavailable" "does not start under $work/broken" -- WAYLEAP_I686=emulated WAYLEAP_QEMU_I386="$work/broken"
# A machine (here: a namespace) that allows no further user namespaces. The
# emulator is a stand-in of a good version, so that the check gets that far
# also on machines that run 32-bit programs and have no qemu-user installed.
if unshare --user --map-root-user true 2>/dev/null; then
    line=$(unshare --user --map-root-user bash -c 'echo 0 > /proc/sys/user/max_user_namespaces &&
        WAYLEAP_QEMU_I386="$1" && . "$0"; WAYLEAP_I686=emulated wine_decide_way' "$tools/wine-lib.sh" "$work/broken")
    case "$line" in "unavailable "*"user namespaces"*) echo "no user namespaces -> $line" ;;
    *) echo "FAILED (no user namespaces): $line"; failed=1 ;; esac
fi

# A 32-bit tree where 32-bit programs cannot run: skipped with the reason.
mkdir -p "$work/tree/wine-state"
echo win32 > "$work/tree/wine-state/arch"
echo "unavailable forced by WAYLEAP_I686=unavailable" > "$work/tree/wine-state/way"
out=$("$tools/wine-run.sh" "$work/tree" program.exe); status=$?
[ "$status" -eq 77 ] && [ "$out" = "skipped: this needs 32-bit Windows programs, which do not run here: forced by WAYLEAP_I686=unavailable" ] \
    || { echo "FAILED: wine-run.sh said '$out' with status $status"; failed=1; }
out=$(WAYLEAP_I686=unavailable "$tools/wine-env.sh" start "$work/tree" win32); status=$?
[ "$status" -eq 77 ] && [ ! -e "$work/tree/wineprefix" ] \
    || { echo "FAILED: wine-env.sh start said '$out' with status $status"; failed=1; }
exit "$failed"
