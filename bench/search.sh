#!/bin/sh
# Phrase search against grep: a 1 GiB dcdiag report (the healthy recorded
# report with CR LF line ends, repeated), searched for the 13 dcdiag keywords
# through NexParser.dll's arr_nexparsefile under Wine and by
# `grep -F -i -c` with the same phrases. Prints both times, their ratio and
# the peak working set of the process that loaded the library.
#
#   sh bench/search.sh            (RUNS=5 for more runs; default 3)
#   LIBRARY=/path/to/NexParser.dll sh bench/search.sh    another build of the library
#
# Builds what it needs with the windows preset; the report goes to
# build/bench/ (about 1 GiB, made once). Both searches read the report from
# the page cache: it is read once before the first run.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
runs=${RUNS:-3}
sh scripts/ensure-deps.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target search_bench >/dev/null
bench="$root/build/windows/bin/search_bench.exe"

# The report: whole copies of the healthy report, "@HOST@" named as the
# sandbox's tools name it, up to at least 1 GiB.
mkdir -p build/bench
one=build/bench/dcdiag-one.txt
report=build/bench/dcdiag-1gib.txt
sed 's/\r$//; s/@HOST@/DC01/g; s/$/\r/' sandbox/scenarios/healthy/dcdiag.txt >"$one"
copies_per_block=256
one_size=$(wc -c <"$one")
blocks=$(((1073741824 + one_size * copies_per_block - 1) / (one_size * copies_per_block)))
expected=$((blocks * copies_per_block * one_size))
if [ ! -f "$report" ] || [ "$(wc -c <"$report")" -ne "$expected" ]; then
  echo "Making the report ($expected bytes)..."
  i=0
  while [ $i -lt $copies_per_block ]; do cat "$one"; i=$((i + 1)); done >build/bench/dcdiag-block.txt
  i=0
  while [ $i -lt "$blocks" ]; do cat build/bench/dcdiag-block.txt; i=$((i + 1)); done >"$report"
  rm -f build/bench/dcdiag-block.txt
fi
cat "$report" >/dev/null

VELKOR_WINEPREFIX="$root/build/windows/wineprefix"
. scripts/wine-prefix.sh
trap wine_stop EXIT
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
library=$(windows_path "$(realpath "${LIBRARY:-$root/build/windows/bin/NexParser.dll}")")

# grep's phrases: the part of each keyword before any "*", one a line.
"$WINE" "$bench" --phrases | tr -d '\r' >build/bench/phrases.txt

now() { date +%s.%N; }
elapsed() { echo "$1 $2" | awk '{ printf "%.3f", $2 - $1 }'; }
field() { sed -n "s/^$1 //p" build/bench/library.txt | tr -d '\r'; }

echo "Report: $report, $expected bytes, $(wc -l <build/bench/phrases.txt) phrases"
echo "run  grep_s  library_s  ratio  library_process_s  peak_working_set_kib"
grep_times=""
library_times=""
peak=0
i=1
while [ "$i" -le "$runs" ]; do
  start=$(now)
  count=$(LC_ALL=C grep -F -i -c -f build/bench/phrases.txt "$report" || true)
  grep_s=$(elapsed "$start" "$(now)")
  start=$(now)
  "$WINE" "$bench" "$(windows_path "$root/$report")" "$library" >build/bench/library.txt
  process_s=$(elapsed "$start" "$(now)")
  library_s=$(field seconds)
  run_peak=$(field peak_kib)
  [ "$run_peak" -gt "$peak" ] && peak=$run_peak
  hits=$(field hits)
  # Same results: no line for grep must mean no phrase for the library.
  case "$count:$hits" in
    0:*1*) echo "results differ: grep counts $count lines, the library's hits are $hits" >&2; exit 1 ;;
    0:*) ;;
    *:*1*) ;;
    *) echo "results differ: grep counts $count lines, the library's hits are $hits" >&2; exit 1 ;;
  esac
  printf '%3d  %6s  %9s  %5s  %17s  %20s\n' "$i" "$grep_s" "$library_s" \
    "$(echo "$library_s $grep_s" | awk '{ printf "%.2f", $1 / $2 }')" "$process_s" "$run_peak"
  grep_times="$grep_times $grep_s"
  library_times="$library_times $library_s"
  i=$((i + 1))
done

median() { echo "$@" | tr ' ' '\n' | sed '/^$/d' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
"$WINE" "$bench" "$(windows_path "$root/$one")" "$library" >build/bench/library.txt
small_peak=$(field peak_kib)
start_peak=$(field start_peak_kib)
grep_median=$(median $grep_times)
library_median=$(median $library_times)
echo "median: grep $grep_median s, library $library_median s, ratio" \
  "$(echo "$library_median $grep_median" | awk '{ printf "%.2f", $1 / $2 }') (grep found $count lines, the library $hits)"
echo "peak working set: $peak KiB on the 1 GiB report, $small_peak KiB on one report copy" \
  "($start_peak KiB before the library was loaded)"
