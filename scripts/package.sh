#!/usr/bin/env bash
# Builds the program and its setup program for one architecture:
#   <build>/installer/VexraSetup-<version>-<arch>.exe   (NSIS, from Debian's nsis package)
#
#   scripts/package.sh [--arch x86|x64] [build-dir]   (defaults as scripts/build.sh)
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
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" --arch "$ARCH" "$BUILD" setup
ls "$BUILD"/installer/VexraSetup-*-"$ARCH".exe
