# Sourced by the Wine wrappers: the environment every Wine process of the tests gets.
: "${VEXRA_BUILD_DIR:=$(pwd)}"
export WINEPREFIX="${VEXRA_WINEPREFIX:-$VEXRA_BUILD_DIR/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
