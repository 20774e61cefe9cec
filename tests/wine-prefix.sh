#!/usr/bin/env bash
# Prepares the Wine prefix that every test of this build uses: booted once, kept
# under the build folder (never the user's ~/.wine), and set up so that hiding an
# active window does not stall without a window manager.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
source "$HERE/wine-env.sh"
"$HERE/../scripts/wine-prefix-init.sh"
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# The tests expect Windows 7 SP1, Wine's default. The end-to-end tests that pin another
# Windows put these values back themselves; this undoes a run that died in between.
wine reg import "$(winepath -w "$HERE/windows7-version.reg")" >/dev/null 2>&1
# Every run starts from a clean program key.
wine reg delete 'HKCU\Software\VexraUi' /f >/dev/null 2>&1 || true
wineserver -w
