#!/bin/sh
# Runs one Windows program under Wine in the prefix named by VELKOR_WINEPREFIX
# (default: wineprefix inside the current build tree). Used as the CMake
# cross-compiling emulator; the prefix must have been warmed up beforehand.
: "${WINEPREFIX:=${VELKOR_WINEPREFIX:-$PWD/wineprefix}}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export LANG=C.UTF-8
WINE_BIN=$(command -v wine 2>/dev/null || echo /usr/lib/wine/wine64)
exec "$WINE_BIN" "$@"
