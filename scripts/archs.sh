# Sourced by the scripts: the two architectures the program is built for, and whether this
# machine can run each under Wine.
#
# x86 runs under the 32-bit loader, which starts only where the kernel runs 32-bit
# programs; some machines have that emulation turned off at boot, and nothing but trying
# to start a 32-bit program tells. x64 runs under the 64-bit loader.

VEXRA_ARCHS="x86 x64"
: "${VEXRA_WINE_LIBDIR:=/usr/lib/wine}"

vexra_toolchain_file() {  # ARCH
  case "$1" in
    x86) echo "cmake/mingw-w64-i686.cmake" ;;
    x64) echo "cmake/mingw-w64-x86_64.cmake" ;;
    *) echo "unknown architecture '$1' (x86 or x64)" >&2; return 2 ;;
  esac
}

vexra_check_arch() {  # ARCH
  case "$1" in
    x86|x64) return 0 ;;
    *) echo "unknown architecture '$1' (x86 or x64)" >&2; return 2 ;;
  esac
}

# Whether the Wine loader for ARCH starts here. When it does not, VEXRA_ARCH_REASON says
# why, in words for the person reading the test output.
vexra_arch_runs() {  # ARCH
  local loader package output status
  case "$1" in
    x86) loader="$VEXRA_WINE_LIBDIR/wine"; package="wine32:i386" ;;
    x64) loader="$VEXRA_WINE_LIBDIR/wine64"; package="wine64" ;;
    *) VEXRA_ARCH_REASON="unknown architecture '$1'"; return 1 ;;
  esac
  VEXRA_ARCH_REASON=""
  if [ ! -e "$loader" ]; then
    VEXRA_ARCH_REASON="$loader is missing (package $package is not installed; scripts/setup.sh installs it)"
    return 1
  fi
  status=0
  output="$("$loader" --version 2>&1)" || status=$?
  if [ "$status" -eq 0 ]; then
    return 0
  fi
  if [ "$status" -eq 126 ] || printf '%s' "$output" | grep -qi "exec format error"; then
    VEXRA_ARCH_REASON="this machine's kernel cannot start 32-bit programs ($loader: Exec format error), so 32-bit Wine cannot run here"
  else
    VEXRA_ARCH_REASON="$loader --version failed with exit code $status: $(printf '%s' "$output" | head -n 1)"
  fi
  return 1
}

# The architecture to run when none is asked for: x64 where it runs (the program most
# Windows machines get), else x86; x64 when neither runs, so the failure names it.
vexra_default_arch() {
  if vexra_arch_runs x64; then
    echo x64
  elif vexra_arch_runs x86; then
    echo x86
  else
    echo x64
  fi
}
