#!/bin/sh
# Runs clang-tidy (the checks in .clang-tidy, every finding an error) over the
# portable code: the translation units of src/ and components/ that the native
# build compiles, as its compile_commands.json lists them. The tests are left
# out: they run under AddressSanitizer and UBSan on every change, and googletest
# would more than double the time. Two at a time; the findings are printed and
# the script fails when there is one, else it prints one line.
#   sh scripts/tidy.sh
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-deps.sh
cmake --preset native >/dev/null

BUILD=build/native
LOG="$BUILD/tidy.log"
files=$(grep -o '"file": "[^"]*"' "$BUILD/compile_commands.json" | sed 's/^"file": "//; s/"$//' |
  grep -E "^$PWD/(src|components)/" | sort -u)
count=$(echo "$files" | wc -l)
start=$(date +%s)
if echo "$files" | xargs -P 2 -n 1 clang-tidy-14 -p "$BUILD" --quiet >"$LOG" 2>&1; then
  echo "clang-tidy: $count files clean in $(($(date +%s) - start)) s"
else
  grep -v "warnings\? generated\.$" "$LOG" >&2
  echo "clang-tidy: findings above (full output in $LOG)" >&2
  exit 1
fi
