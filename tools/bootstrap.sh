#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent: packages already present are not reinstalled, and apt is only
# updated when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build make pkg-config
  g++ clang libclang-rt-14-dev llvm
  googletest
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine32:i386 wine64 libwine-dev
  xvfb xauth x11-utils imagemagick locales
  nsis
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ] || [ "${need_update:-0}" = 1 ]; then
  echo "bootstrap: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# The code-page 932 tests run Wine under a Japanese locale; Wine names files
# through that locale's character set, so it must really exist.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  $SUDO sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi

# Wine's 32-bit loader needs a kernel that runs 32-bit programs. Where it runs
# none (or WAYLEAP_I686=emulated asks for it), tools/wine-lib.sh runs that
# loader under qemu-i386, which must be qemu-user 8 or later: Debian 12's own
# 7.2 takes about a minute per process start, so there it comes from
# bookworm-backports (the one source this script may add; backports packages
# are only ever installed when asked for by name, as here).
# shellcheck source=wine-lib.sh
. "$(dirname "$0")/wine-lib.sh"
needs_emulator() {
  case "${WAYLEAP_I686:-auto}" in
  emulated) return 0 ;;
  unavailable) return 1 ;;
  esac
  ! wine_native_i386
}
have_emulator() { local major; major=$(wine_qemu_major || true); [ -n "$major" ] && [ "$major" -ge 8 ]; }
if needs_emulator && ! have_emulator; then
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  export DEBIAN_FRONTEND=noninteractive
  candidate=$(apt-cache policy qemu-user 2>/dev/null | sed -n 's/^ *Candidate: *\([0-9]*:\)\{0,1\}\([0-9]*\)\..*/\2/p')
  target=()
  if [ -z "$candidate" ] || [ "$candidate" -lt 8 ]; then
    if [ -n "$codename" ] && ! apt-cache policy 2>/dev/null | grep -q " $codename-backports/"; then
      echo "bootstrap: adding Debian's $codename-backports to apt's sources (/etc/apt/sources.list.d/wayleap-backports.sources) for qemu-user"
      printf 'Types: deb\nURIs: http://deb.debian.org/debian\nSuites: %s-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' "$codename" \
        | $SUDO tee /etc/apt/sources.list.d/wayleap-backports.sources >/dev/null
      $SUDO apt-get update -qq
    fi
    target=(-t "$codename-backports")
  fi
  echo "bootstrap: 32-bit programs need an emulator here: installing qemu-user ${target[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${target[@]}" qemu-user >/dev/null \
    || echo "bootstrap: could not install qemu-user 8 or later; the i686 Wine tests will be skipped"
fi
echo "bootstrap: all packages present"
