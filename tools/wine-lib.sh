# Sourced by the Wine scripts (wine-env.sh, wine-run.sh, the demo): how this
# machine runs Wine, and in particular its 32-bit Windows programs. The way is
# decided once per build tree (wine-env.sh start) and kept in its state folder:
#   native       the kernel runs 32-bit programs: Wine's loaders run as they are
#   emulated     it does not: Wine's 32-bit loader runs under qemu-i386, which a
#                private binfmt_misc (a new user and mount namespace, so nothing
#                changes outside) registers for i386 programs; every wine and
#                wineserver call of the tree runs in such a namespace
#   unavailable  neither works: only 64-bit programs run (wine64), and whatever
#                needs a 32-bit one is skipped, saying why
# WAYLEAP_I686=emulated forces the emulated way, WAYLEAP_I686=unavailable the
# last one; unset (or auto) decides by trying.

WINE32_LOADER=/usr/lib/wine/wine
WINE64_LOADER=/usr/lib/wine/wine64
WINESERVER64=/usr/lib/wine/wineserver64
QEMU_I386=${WAYLEAP_QEMU_I386:-/usr/bin/qemu-i386}
# ctest reports a test that exits with this code as skipped (SKIP_RETURN_CODE).
WINE_SKIP=77

# The environment every Wine call of a build tree runs with: its own prefix,
# no Mono or Gecko install prompts, and no menu entries or icons on the host
# for shortcuts that programs (the installer) create in the prefix.
wine_tree_env() { # BUILD_DIR
    export WINEPREFIX="$1/wineprefix"
    export WINEDEBUG=${WAYLEAP_WINEDEBUG:--all}
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# The loader that starts a prefix of this architecture: the 64-bit loader
# refuses a 32-bit prefix, and starts 32-bit programs itself in a 64-bit one.
wine_loader() { # ARCH
    if [ "$1" = win32 ]; then echo "$WINE32_LOADER"; else echo "$WINE64_LOADER"; fi
}

# Whether the kernel runs Wine's 32-bit loader as it is.
wine_native_i386() { timeout 30 "$WINE32_LOADER" --version </dev/null >/dev/null 2>&1; }

# The major version of the emulator, empty when there is none.
wine_qemu_major() { "$QEMU_I386" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p'; }

# i386 ELF executables (ET_EXEC and ET_DYN), as the qemu packages match them.
# Flags: F opens the emulator now, so it is found inside any later mount
# namespace; P keeps argv[0]; C runs set-id programs with their own rights.
wine_i386_binfmt() {
    printf '%s' ':wayleap-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    printf '%s' ':\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf ':%s:FPC' "$QEMU_I386"
}

# Runs "$@" in a new user and mount namespace whose own binfmt_misc sends i386
# programs to qemu-i386. Programs it starts, and theirs, inherit it.
wine_in_namespace() {
    # shellcheck disable=SC2016
    unshare --user --map-root-user --mount -- bash -c '
        mount -t binfmt_misc wayleap-binfmt /proc/sys/fs/binfmt_misc 2>/dev/null \
            || { echo "cannot mount a private binfmt_misc (Linux 6.7 or later needed)" >&2; exit 125; }
        printf "%s" "$1" > /proc/sys/fs/binfmt_misc/register 2>/dev/null \
            || { echo "cannot register qemu-i386 in the private binfmt_misc" >&2; exit 125; }
        shift; exec "$@"' wayleap-i386 "$(wine_i386_binfmt)" "$@"
}

# Tries the emulated way; prints a one-line reason and fails when it cannot work.
wine_try_emulated() {
    local major out
    if [ ! -x "$QEMU_I386" ]; then
        echo "no $QEMU_I386 (Debian package qemu-user 8 or later; tools/bootstrap.sh installs it when the kernel runs no 32-bit programs)"
        return 1
    fi
    major=$(wine_qemu_major)
    if [ -z "$major" ] || [ "$major" -lt 8 ]; then
        echo "$QEMU_I386 is version ${major:-unknown}; Wine needs qemu-user 8 or later (Debian 12: from bookworm-backports)"
        return 1
    fi
    if ! out=$(timeout 10 unshare --user --map-root-user --mount true 2>&1); then
        echo "no user namespaces here (${out:-unshare failed}), so no private binfmt_misc for qemu-i386"
        return 1
    fi
    if ! out=$(wine_in_namespace timeout 60 "$WINE32_LOADER" --version 2>&1 </dev/null); then
        echo "Wine's 32-bit loader does not start under $QEMU_I386: $(echo "$out" | tail -n 1)"
        return 1
    fi
    return 0
}

# Prints "WAY REASON" for this machine (see the top of this file).
wine_decide_way() {
    local reason
    case "${WAYLEAP_I686:-auto}" in
    unavailable)
        echo "unavailable forced by WAYLEAP_I686=unavailable"; return ;;
    emulated)
        if reason=$(wine_try_emulated); then
            echo "emulated forced by WAYLEAP_I686=emulated: Wine's 32-bit loader under $QEMU_I386"
        else
            echo "unavailable WAYLEAP_I686=emulated, but $reason"
        fi
        return ;;
    auto) ;;
    *)
        echo "unavailable WAYLEAP_I686=${WAYLEAP_I686} is not one of auto, emulated, unavailable"; return ;;
    esac
    if [ ! -x "$WINE32_LOADER" ]; then
        echo "unavailable no $WINE32_LOADER (Debian package wine32:i386; tools/bootstrap.sh installs it)"; return
    fi
    if wine_native_i386; then
        echo "native the kernel runs 32-bit programs"; return
    fi
    if reason=$(wine_try_emulated); then
        echo "emulated the kernel runs no 32-bit programs: Wine's 32-bit loader under $QEMU_I386"
    else
        echo "unavailable the kernel runs no 32-bit programs and $reason"
    fi
}

# The "WAY REASON" line of a build tree (decided by wine-env.sh start, or now),
# and its two halves.
wine_way_line() { cat "$1/way" 2>/dev/null || wine_decide_way; } # STATE_DIR
wine_way() { local line; line=$(wine_way_line "$1"); echo "${line%% *}"; }
wine_way_reason() { local line; line=$(wine_way_line "$1"); echo "${line#* }"; }

# Runs a command directly, or in the emulator's namespace in the emulated way.
wine_in_way() { # WAY COMMAND [ARGS...]
    local way=$1; shift
    if [ "$way" = emulated ]; then wine_in_namespace "$@"; else "$@"; fi
}

# Runs a Wine command line (loader arguments, as after "wine") for a prefix of
# the given architecture in the given way. Needs WINEPREFIX in the environment.
wine_exec() { # WAY ARCH PROGRAM [ARGS...]
    local way=$1 arch=$2 status=0; shift 2
    local loader; loader=$(wine_loader "$arch")
    export WINELOADER=$loader WINESERVER=$WINESERVER64
    wine_in_way "$way" "$loader" "$@" || status=$?
    # 126 and 127 are the shell's own: the loader itself could not be started.
    if [ "$status" -eq 126 ] || [ "$status" -eq 127 ]; then
        echo "wine: could not start $(wine_describe "$way" "$arch") (exit $status); tools/bootstrap.sh installs Wine, and removing the tree's wine-state folder decides the way again" >&2
    fi
    return "$status"
}

# Names the loader and the way, for messages.
wine_describe() { # WAY ARCH
    case "$1" in
    emulated) echo "loader $(wine_loader "$2"), 32-bit programs under $QEMU_I386 in a private namespace" ;;
    *) echo "loader $(wine_loader "$2"), $1 way" ;;
    esac
}

# Runs the wine server program (its own options) in the given way.
wineserver_exec() { # WAY [OPTIONS...]
    local way=$1; shift
    wine_in_way "$way" "$WINESERVER64" "$@"
}
