#!/bin/sh
# Builds the fuzz targets (preset "fuzz": clang, libFuzzer, AddressSanitizer
# and UBSan over the portable code) and runs each, one after the other, for the
# given number of seconds (default 180):
#   sh scripts/fuzz.sh [seconds]
# A target's working corpus grows in build/fuzz/corpus/<target>. It starts from
# the files named on the target's line in fuzz/CMakeLists.txt, copied as they
# are and as a tool prints them (CRLF line ends, a host name for @HOST@), and
# from fuzz/corpus/<target>/, which keeps what cannot be copied and every input
# that once failed, so each run replays those first. A failing input is saved
# in build/fuzz/artifacts/<target>/, the target's output in
# build/fuzz/logs/<target>.log, and the script fails.
set -eu
cd "$(dirname "$0")/.."
RUN_SECONDS="${1:-180}"
sh scripts/ensure-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

BUILD=build/fuzz
failed=""
while IFS="|" read -r target globs options; do
  corpus="$BUILD/corpus/$target"
  mkdir -p "$corpus" "$BUILD/artifacts/$target" "$BUILD/logs"
  # shellcheck disable=SC2086
  for glob in $globs; do
    for file in $glob; do
      [ -f "$file" ] || continue
      name=$(echo "$file" | tr '/' '_')
      cp "$file" "$corpus/$name"
      sed 's/@HOST@/DC01/g; s/$/\r/' "$file" >"$corpus/$name.crlf"
    done
  done
  kept="fuzz/corpus/$target"
  [ -d "$kept" ] || kept=""
  log="$BUILD/logs/$target.log"
  # One process a target: the fuzzer uses one core.
  # shellcheck disable=SC2086
  if "$BUILD/bin/$target" -max_total_time="$RUN_SECONDS" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/$target/" $options "$corpus" $kept </dev/null >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    inputs=$(sed -n 's/.*DONE .*corp: \([0-9]*\)\/\([0-9a-zA-Z]*\) .*/\1 inputs (\2)/p' "$log")
    files=$(find "$corpus" ${kept:+"$kept"} -type f | wc -l)
    echo "fuzz $target: ${RUN_SECONDS} s, $runs runs, corpus $inputs from $files files, nothing found"
  else
    echo "fuzz $target: FAILED (input in $BUILD/artifacts/$target/, output in $log)"
    grep -E 'velkor fuzz:|ERROR: |runtime error|SUMMARY|Test unit written' "$log" || tail -20 "$log"
    failed="$failed $target"
  fi
done <"$BUILD/fuzz_targets.txt"
[ -z "$failed" ] || { echo "fuzz: failed:$failed" >&2; exit 1; }
