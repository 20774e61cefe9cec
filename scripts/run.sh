#!/usr/bin/env bash
# Sets up the machine, builds VEXRA-by-Teskor.exe and starts it under Wine.
#
#   scripts/run.sh [--arch x86|x64]
#
# Default: x64 where 64-bit Wine runs, else x86 (the program for 32-bit Windows, which
# needs a kernel that can start 32-bit programs). Uses the current X display; without one
# it starts a virtual one (Xvfb).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/archs.sh"
ARCH=""
if [ "${1:-}" = "--arch" ]; then
  ARCH="$2"
  shift 2
fi
"$ROOT/scripts/setup.sh"
[ -n "$ARCH" ] || ARCH="$(vexra_default_arch)"
vexra_check_arch "$ARCH"
if ! vexra_arch_runs "$ARCH"; then
  echo "run.sh: the $ARCH program cannot run here: $VEXRA_ARCH_REASON" >&2
  exit 1
fi
BUILD="$ROOT/build/$ARCH"
"$ROOT/scripts/build.sh" --arch "$ARCH" "$BUILD" vexra

export VEXRA_BUILD_DIR="$BUILD"
export VEXRA_WINEPREFIX="$BUILD/wineprefix-run"
source "$ROOT/tests/wine-env.sh"
if [ ! -f "$WINEPREFIX/.vexra-ready" ]; then
  echo "Preparing a Wine prefix in $WINEPREFIX (once, about half a minute)..."
fi
"$ROOT/scripts/wine-prefix-init.sh"
EXE="$BUILD/VEXRA-by-Teskor.exe"
echo "Starting the $ARCH program: $EXE"
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: starting the program on a virtual screen (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x800x24" wine "$EXE"
fi
exec wine "$EXE"
