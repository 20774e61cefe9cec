#!/usr/bin/env bash
# ctest's emulator: runs one Windows test executable under Wine in the build's prefix.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
exec wine "$@"
