#!/bin/sh
# Runs clang-tidy (the checks in .clang-tidy, every finding an error) over the
# product code: the translation units of src/, components/ and sandbox/ that
# the native build compiles, as its compile_commands.json lists them, and the
# Windows-only ones as the 32-bit Windows build compiles them (clang parsing
# for the MinGW target with the cross compiler's C++ headers). The tests are
# left out: they run under AddressSanitizer and UBSan on every change, and
# googletest would more than double the time. Two at a time; the findings are
# printed and the script fails when there is one, else it prints one line.
#   sh scripts/tidy.sh
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-deps.sh
cmake --preset native >/dev/null
cmake --preset windows >/dev/null

units() {
  grep -o '"file": "[^"]*"' "build/$1/compile_commands.json" | sed 's/^"file": "//; s/"$//' |
    grep -E "^$PWD/(src|components|sandbox)/" | sort -u
}
native=$(units native)
windows=$(units windows | grep -vxF "$native")
# The MinGW C++ headers, which clang does not find by itself.
GCC=$(dirname "$(i686-w64-mingw32-g++-posix -print-libgcc-file-name)")
set -- --extra-arg=--target=i686-w64-mingw32 --extra-arg=-nostdinc++ \
  --extra-arg=-isystem"$GCC/include/c++" --extra-arg=-isystem"$GCC/include/c++/i686-w64-mingw32" \
  --extra-arg=-isystem"$GCC/include/c++/backward"

LOG=build/tidy.log
start=$(date +%s)
status=0
echo "$native" | xargs -P 2 -n 1 clang-tidy-14 -p build/native --quiet >"$LOG" 2>&1 || status=1
echo "$windows" | xargs -P 2 -n 1 clang-tidy-14 -p build/windows --quiet "$@" >>"$LOG" 2>&1 || status=1
count=$(printf '%s\n%s\n' "$native" "$windows" | wc -l)
if [ "$status" -eq 0 ]; then
  echo "clang-tidy: $count files clean in $(($(date +%s) - start)) s"
else
  grep -v "warnings\? generated\.$" "$LOG" >&2
  echo "clang-tidy: findings above (full output in $LOG)" >&2
  exit 1
fi
