#!/usr/bin/env bash
# Sets up the machine, builds everything for both architectures (the setups too) and runs
# every test that this machine can run:
#   1. for each of x86 and x64 whose Wine can run here: the unit, end-to-end and install
#      tests under Wine on a virtual screen, in a prefix of that architecture, and the
#      benchmark's smoke run;
#   2. where both can run: the x86 program's end-to-end and install tests once more in a
#      64-bit prefix (WOW64, where most users of the x86 program are);
#   3. the native fuzz targets of the byte parsers, each for a bounded time.
# An architecture that cannot run is named with the reason, never passed over in silence.
# Exits non-zero when anything fails, when no architecture could run, or when one named in
# VEXRA_REQUIRE_ARCHS (for example "x86 x64") did not run.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
source "$ROOT/scripts/archs.sh"
BUILD_ROOT="${VEXRA_TEST_BUILD:-$ROOT/build}"
FUZZ_BUILD="$BUILD_ROOT/fuzz"

"$ROOT/scripts/setup.sh"

# Cross-compiling needs no emulation: both programs and both setups are built everywhere.
for arch in $VEXRA_ARCHS; do
  echo "== building $arch"
  "$ROOT/scripts/build.sh" --arch "$arch" "$BUILD_ROOT/$arch"
  "$ROOT/scripts/build.sh" --arch "$arch" "$BUILD_ROOT/$arch" setup
done

status=0
declare -A outcome
runnable=()
for arch in $VEXRA_ARCHS; do
  if vexra_arch_runs "$arch"; then
    runnable+=("$arch")
  else
    outcome[$arch]="not run: $VEXRA_ARCH_REASON"
    echo "== $arch tests not run: $VEXRA_ARCH_REASON"
  fi
done

is_runnable() {  # ARCH
  printf '%s\n' "${runnable[@]}" | grep -qx "$1"
}

# Runs ctest of one build under a virtual screen; extra arguments go to ctest.
run_ctest() {  # BUILD [ctest arguments...]
  local build="$1"
  shift
  xvfb-run -a -s "-screen 0 1280x800x24" \
    ctest --test-dir "$build" --output-on-failure -j1 "$@"
}

for arch in "${runnable[@]}"; do
  build="$BUILD_ROOT/$arch"
  failed=()
  echo "== $arch: unit, end-to-end and install tests (Wine + Xvfb, $( [ "$arch" = x64 ] && echo 64 || echo 32 )-bit prefix)"
  run_ctest "$build" || failed+=("unit/e2e/install")
  echo "== $arch: benchmark smoke run (only shows that scripts/bench.sh produces its table)"
  "$ROOT/scripts/bench.sh" --arch "$arch" --smoke --build "$build" --csv "$build/bench/smoke.csv" \
    || failed+=("bench smoke")
  if [ ${#failed[@]} -eq 0 ]; then
    outcome[$arch]="passed: unit, end-to-end, install, bench smoke"
  else
    outcome[$arch]="FAILED: ${failed[*]}"
    status=1
  fi
done

# The x86 program as most of its users run it: on 64-bit Windows, under WOW64. Only where
# both loaders run, since the 64-bit loader hands 32-bit programs to the 32-bit one.
if is_runnable x86 && is_runnable x64; then
  echo "== x86 under WOW64: end-to-end and install tests in a 64-bit prefix"
  if VEXRA_WINE_ARCH=win64 VEXRA_WINEPREFIX="$BUILD_ROOT/x86/wineprefix-wow64" \
     run_ctest "$BUILD_ROOT/x86" -R '^(wine_prefix|e2e_tests|install_setup_built|install_tests)$'; then
    outcome[x86]+="; under WOW64 (64-bit prefix): end-to-end, install passed"
  else
    outcome[x86]+="; under WOW64 (64-bit prefix): FAILED"
    status=1
  fi
elif is_runnable x86; then
  outcome[x86]+="; under WOW64 not run: the 64-bit loader cannot run here"
fi

echo "== fuzz targets (native, libFuzzer + ASan + UBSan)"
fuzz="passed"
CC=clang-14 CXX=clang++-14 cmake -S "$ROOT/tests/fuzz" -B "$FUZZ_BUILD" -G Ninja >/dev/null
cmake --build "$FUZZ_BUILD" -j2
ctest --test-dir "$FUZZ_BUILD" --output-on-failure -j2 || { fuzz="FAILED"; status=1; }

echo "== summary"
for arch in $VEXRA_ARCHS; do
  echo "== $arch: ${outcome[$arch]}"
done
echo "== fuzz (native): $fuzz"

if [ ${#runnable[@]} -eq 0 ]; then
  echo "== no architecture could run on this machine: nothing was tested under Wine" >&2
  status=1
fi
for arch in ${VEXRA_REQUIRE_ARCHS:-}; do
  if ! is_runnable "$arch"; then
    echo "== VEXRA_REQUIRE_ARCHS names $arch, which could not run here" >&2
    status=1
  fi
done
exit $status
