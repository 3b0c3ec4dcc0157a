#!/bin/sh
# Builds everything and runs every test: the layout and the layers checked
# first; the portable logic natively under AddressSanitizer and UBSan,
# clang-tidy over the product code, and each fuzz target for a few seconds;
# the 32-bit Windows build (the shipped width) with its unit and end-to-end
# tests under Wine; the 64-bit Windows build with its unit tests; last, the
# share of test code. Both Windows widths share one private prefix in the
# build tree; the Windows tests run one at a time (they share it).
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-deps.sh
sh scripts/format.sh
sh scripts/check-layers.sh

cmake --preset native >/dev/null
cmake --build --preset native -j2
ctest --preset native
sh scripts/tidy.sh
# Every fuzz target a few seconds, replaying its corpus: they stay alive.
sh scripts/fuzz.sh 5

for preset in windows windows64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2
done
VELKOR_WINEPREFIX="$PWD/build/windows/wineprefix"; . scripts/wine-prefix.sh
trap wine_stop EXIT
ctest --preset windows
ctest --preset windows64
sh scripts/test-share.sh
