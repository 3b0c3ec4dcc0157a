#!/bin/sh
# Builds everything and runs every test: the portable logic natively under
# AddressSanitizer and UBSan, then the Windows build's unit and end-to-end
# tests under Wine in a private prefix inside the build tree.
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-deps.sh
sh scripts/check-layers.sh

cmake --preset native >/dev/null
cmake --build --preset native -j2
ctest --preset native

cmake --preset windows >/dev/null
cmake --build --preset windows -j2
VELKOR_WINEPREFIX="$PWD/build/windows/wineprefix"; . scripts/wine-prefix.sh
trap wine_stop EXIT
ctest --preset windows
