#!/bin/sh
# Prints how much test code there is for the product code: non-blank lines of
# tests/ and of the fuzz harnesses (fuzz/*.cpp, *.h) against those of src/,
# components/ and the sandbox's programs (sandbox/**/*.cpp), benchmarks left
# out. Fails when the tests pass 40% of the product code.
#   sh scripts/test-share.sh
set -eu
cd "$(dirname "$0")/.."
count() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | grep -cv '^[[:space:]]*$'; }
tests=$(count tests fuzz)
product=$(count src components sandbox)
share=$((tests * 1000 / product))
printf 'Test share: %s test lines (tests/, fuzz/) for %s product lines (src/, components/, sandbox/): %s.%s%%\n' \
  "$tests" "$product" $((share / 10)) $((share % 10))
[ "$share" -le 400 ] || { echo "Test share: above 40%" >&2; exit 1; }
