#!/usr/bin/env bash
# Sets up the machine, builds everything (the setup program too) and runs every test:
#   1. unit, end-to-end and install tests of the Windows build under Wine on a virtual screen;
#   2. the native fuzz targets of the byte parsers, each for a bounded time.
# Exits non-zero when anything fails.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${VEXRA_TEST_BUILD:-$ROOT/build}"
FUZZ_BUILD="${BUILD}-fuzz"

"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" "$BUILD"
"$ROOT/scripts/package.sh" "$BUILD"

status=0
echo "== unit, end-to-end and install tests (Wine + Xvfb)"
xvfb-run -a -s "-screen 0 1280x800x24" \
  ctest --test-dir "$BUILD" --output-on-failure -j1 || status=1

echo "== benchmark smoke run (only shows that scripts/bench.sh produces its table)"
"$ROOT/scripts/bench.sh" --smoke --build "$BUILD" --csv "$BUILD/bench/smoke.csv" || status=1

echo "== fuzz targets (native, libFuzzer + ASan + UBSan)"
CC=clang-14 CXX=clang++-14 cmake -S "$ROOT/tests/fuzz" -B "$FUZZ_BUILD" -G Ninja >/dev/null
cmake --build "$FUZZ_BUILD" -j2
ctest --test-dir "$FUZZ_BUILD" --output-on-failure -j2 || status=1

exit $status
