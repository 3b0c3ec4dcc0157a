#!/bin/sh
# Checks that every C++ file is laid out as .clang-format says; with --fix,
# lays them out so.
#   sh scripts/format.sh [--fix]
set -eu
cd "$(dirname "$0")/.."
mkdir -p build
files=$(find src components tests bench fuzz sandbox -name '*.cpp' -o -name '*.h' | sort)
if [ "${1:-}" = --fix ]; then
  echo "$files" | xargs clang-format-14 -i
elif echo "$files" | xargs clang-format-14 --dry-run --Werror 2>build/format.log; then
  echo "clang-format: $(echo "$files" | wc -l) files laid out as .clang-format says"
else
  grep "error:" build/format.log | cut -d: -f1 | sort -u | sed 's/$/: not laid out as .clang-format says/' >&2
  echo "clang-format: sh scripts/format.sh --fix lays them out (details in build/format.log)" >&2
  exit 1
fi
