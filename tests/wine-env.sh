# Sourced by the Wine wrappers and the scripts: the environment every Wine process of a
# build's tests gets, and which Wine runs them.
#
#   VEXRA_BUILD_DIR    the build folder (default: the current one)
#   VEXRA_WINE_ARCH    win32: the 32-bit loader in a 32-bit prefix (x86 programs only);
#                      win64: the 64-bit loader in a 64-bit prefix (x64 programs, and x86
#                      ones under WOW64 where the kernel can start 32-bit programs).
#                      Default: the build's own architecture (<build>/vexra-arch).
#   VEXRA_WINEPREFIX   the prefix (default: <build>/wineprefix)
#   VEXRA_WINE_LIBDIR  where the loaders are (default: /usr/lib/wine)
#
# /usr/bin/wine and its helpers (wineboot, winepath, wineserver) pick the 32-bit loader
# whenever it is installed, also where the kernel cannot start it. The loader is chosen
# here instead, and the folder of wrappers beside this file comes first on the PATH.
: "${VEXRA_BUILD_DIR:=$(pwd)}"
if [ -z "${VEXRA_WINE_ARCH:-}" ]; then
  case "$(cat "$VEXRA_BUILD_DIR/vexra-arch" 2>/dev/null)" in
    x64) VEXRA_WINE_ARCH=win64 ;;
    *) VEXRA_WINE_ARCH=win32 ;;
  esac
fi
: "${VEXRA_WINE_LIBDIR:=/usr/lib/wine}"
export VEXRA_BUILD_DIR VEXRA_WINE_ARCH VEXRA_WINE_LIBDIR
export WINEPREFIX="${VEXRA_WINEPREFIX:-$VEXRA_BUILD_DIR/wineprefix}"
export WINEARCH="$VEXRA_WINE_ARCH"
if [ "$VEXRA_WINE_ARCH" = win64 ]; then
  export WINELOADER="$VEXRA_WINE_LIBDIR/wine64"
  export WINESERVER="$VEXRA_WINE_LIBDIR/wineserver64"
else
  export WINELOADER="$VEXRA_WINE_LIBDIR/wine"
  export WINESERVER="$VEXRA_WINE_LIBDIR/wineserver32"
fi
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
_vexra_wine_bin="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine-bin"
case ":$PATH:" in
  *":$_vexra_wine_bin:"*) ;;
  *) export PATH="$_vexra_wine_bin:$PATH" ;;
esac
unset _vexra_wine_bin
