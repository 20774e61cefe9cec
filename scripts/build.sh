#!/usr/bin/env bash
# Configures and builds the Windows program (and its tests) with the mingw-w64 cross
# toolchain. Usage: scripts/build.sh [build-dir [target...]]   (default: build, everything)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
cmake -S "$ROOT" -B "$BUILD" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-i686.cmake" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build "$BUILD" -j2 --target "$@"
else
  cmake --build "$BUILD" -j2
fi
