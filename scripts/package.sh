#!/usr/bin/env bash
# Builds the program and its setup program:
#   <build>/installer/VexraSetup-<version>.exe   (NSIS, from Debian's nsis package)
# Usage: scripts/package.sh [build-dir]   (default: build)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" "$BUILD" setup
ls "$BUILD"/installer/VexraSetup-*.exe
