#!/usr/bin/env bash
# Sets up the machine, builds VEXRA-by-Teskor.exe and starts it under Wine.
# Uses the current X display; without one it starts a virtual one (Xvfb).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" "$ROOT/build" vexra

export VEXRA_BUILD_DIR="$ROOT/build"
export VEXRA_WINEPREFIX="$ROOT/build/wineprefix-run"
source "$ROOT/tests/wine-env.sh"
if [ ! -f "$WINEPREFIX/.vexra-ready" ]; then
  echo "Preparing a Wine prefix in $WINEPREFIX (once, about half a minute)..."
fi
"$ROOT/scripts/wine-prefix-init.sh"
EXE="$ROOT/build/VEXRA-by-Teskor.exe"
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: starting the program on a virtual screen (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x800x24" wine "$EXE"
fi
exec wine "$EXE"
