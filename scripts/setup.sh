#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian's packages only.
# Safe to run again: when every package is present it changes nothing and asks no server.
#
# Both toolchains (x86 and x64) and both Wine loaders are installed on every machine:
# cross-compiling needs no emulation, and which loader can run is found out by the test
# script, not here (a kernel without 32-bit emulation installs wine32 but cannot start it).
set -euo pipefail

PACKAGES=(
  cmake make ninja-build
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  googletest
  clang-14 libclang-rt-14-dev
  wine wine64 wine32:i386
  xvfb xauth x11-utils
  python3 python3-pil fonts-dejavu-core fonts-dejavu-extra
  nsis
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive

# A mirror in the middle of a sync serves some indexes with the wrong size; apt then keeps
# the rest. That is reported, not fatal: the install below says whether it was enough.
if ! $SUDO apt-get update -qq; then
  echo "setup.sh: some package indexes could not be downloaded (mirror sync?); going on with the others" >&2
fi

install() {
  $SUDO apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}"
}
if install; then
  exit 0
fi

# When one suite's index is missing for one architecture (seen: the security suite's i386
# list), the amd64 libraries wait for versions whose i386 twins apt cannot see, and the
# install does not resolve. The release's own suite as target installs a consistent set.
codename="$(. /etc/os-release; echo "${VERSION_CODENAME:-}")"
if [ -n "$codename" ]; then
  echo "setup.sh: the install did not resolve; trying again with the suite '$codename' as target" >&2
  if install -t "$codename"; then
    exit 0
  fi
fi

still_missing=()
for p in "${missing[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || still_missing+=("$p")
done
echo "setup.sh: could not install: ${still_missing[*]}" >&2
exit 1
