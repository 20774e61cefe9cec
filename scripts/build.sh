#!/usr/bin/env bash
# Configures and builds the Windows program (and its tests) with the mingw-w64 cross
# toolchain of one architecture.
#
#   scripts/build.sh [--arch x86|x64] [build-dir [target...]]
#
# Default architecture: the one scripts/run.sh would run here (x64 where it can run);
# default folder: build/<arch>. Building needs no emulation: both architectures build on
# every machine.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/archs.sh"
ARCH=""
if [ "${1:-}" = "--arch" ]; then
  ARCH="$2"
  shift 2
fi
[ -n "$ARCH" ] || ARCH="$(vexra_default_arch)"
vexra_check_arch "$ARCH"
BUILD="${1:-$ROOT/build/$ARCH}"
shift || true
cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/$(vexra_toolchain_file "$ARCH")" >/dev/null
built="$(cat "$BUILD/vexra-arch")"
if [ "$built" != "$ARCH" ]; then
  echo "build.sh: $BUILD holds an $built build; give another folder for $ARCH" >&2
  exit 2
fi
if [ $# -gt 0 ]; then
  cmake --build "$BUILD" -j2 --target "$@"
else
  cmake --build "$BUILD" -j2
fi
