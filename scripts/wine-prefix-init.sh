#!/usr/bin/env bash
# Boots the Wine prefix named by $WINEPREFIX once and gives it what the program's look
# needs. The window's fonts ask for Rockwell, which Linux machines do not have; Wine's
# own fallback is much wider and wraps the texts, so a condensed slab-like serif stands in.
set -euo pipefail
if [ ! -f "$WINEPREFIX/.vexra-ready" ]; then
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Rockwell /t REG_SZ \
    /d 'DejaVu Serif Condensed' /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vexra-ready"
fi
