#!/bin/sh
# The cost of a full run: Velkor.exe on the sandbox with fake tools that each
# take a fixed time, in two cases:
#   large  10 monitoring databases of 10 000 records each
#   small  1 monitoring database of 20 records
# For each run it prints the run's time, the time spent in the tools, Velkor's
# own time (the rest of the run) and Velkor's peak working set, then the
# medians of each case and whether they meet the goals: Velkor's own time at
# most 10% of the tools' time on the large case, and a peak working set on the
# large case at most 1.5 times that of the small case.
#
#   sh bench/full-run.sh             (RUNS=5 for five runs of each case; default 3)
#   CASES=large sh bench/full-run.sh  one case only
#   TOOL_MS=500 sh bench/full-run.sh  another fixed time for the tools (default 2000)
#
# Builds what it needs with the windows preset (the shipped 32-bit build) and
# lays out the sandbox in its own Wine prefix under build/bench/full-run/. The
# databases are generated there, once: the records of the sandbox's
# DirectoryHealth.tsv that carry a function ID of the tables or a closing ID
# (155 tests), repeated device after device, each with the status of an
# earlier run.
#
# How each figure is measured:
# - The run's time and the peak working set: bench/measure_run.exe starts
#   Velkor.exe in its folder and waits for it; the time runs from before
#   CreateProcess to the end of the wait, on the system clock; the peak is
#   PeakWorkingSetSize of GetProcessMemoryInfo on Velkor's process, read
#   every 5 ms while it runs (Wine has no counters for a process that ended).
# - The tools' time: every fake tool appends to a mark file the time its
#   process was created (GetProcessTimes) and the time its work is done, on
#   the same clock. The tools' time is the sum of these spans: what running
#   the tools costs, their start included, whoever runs them. The bench
#   checks that every span lies within the run and lasts at least the fixed
#   time, and prints the number of tool runs.
# - Velkor's own time: the run's time less the tools' time.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
runs=${RUNS:-3}
cases=${CASES:-small large}
tool_ms=${TOOL_MS:-2000}
sh scripts/ensure-deps.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target Velkor TalLogger NexParser NexDBInterface faketool measure_run >/dev/null
bin="$root/build/windows/bin"
work="$root/build/bench/full-run"
mkdir -p "$work"

# generate <records> <file>: a database of that many records, with CRLF line ends.
generate() {
  awk -F '\t' -v OFS='\t' -v want="$1" '
    NR == 1 { sub(/\r$/, ""); print $0 "\r"; next }
    { sub(/\r$/, "") }
    $7 ~ /^[13][0-9][0-9][0-9]$/ { test[n++] = $0 }
    END {
      for (key = 1; key <= want; key++) {
        split(test[(key - 1) % n], f, "\t")
        printf "%d\t%s\t%s\t%s\t%d\t%s\t%s\t0\t0\t2026-01-05 03:00:00\r\n",
          key, f[2], f[3], f[4], 1 + int((key - 1) / n), f[6], f[7]
      }
    }' sandbox/databases/DirectoryHealth.tsv >"$2"
}
# databases <case> <count> <records>: the case's databases, generated once.
databases() {
  dir="$work/databases-$1"
  if [ "$(cat "$dir/made" 2>/dev/null)" != "$2 $3" ]; then
    rm -rf "$dir"
    mkdir -p "$dir"
    i=1
    while [ $i -le "$2" ]; do
      generate "$3" "$dir/Monitor$(printf %02d $i).tsv"
      i=$((i + 1))
    done
    echo "$2 $3" >"$dir/made"
  fi
}
databases large 10 10000
databases small 1 20

VELKOR_WINEPREFIX="$work/wineprefix"
. scripts/wine-prefix.sh
trap wine_stop EXIT
sh sandbox/setup.sh "$bin" "$WINEPREFIX"
agent="$WINEPREFIX/drive_c/Program Files (x86)/ZOVEZO"
nexagent="$agent/Nexagent"
marks="$nexagent/tool-marks.txt"
{
  printf '[faketool]\r\nScenarioDir=scenarios\\healthy\r\nMarkFile=tool-marks.txt\r\n'
  for tool in net dcdiag netdiag gpotool repadmin netdom; do printf '[%s]\r\nSleepMs=%s\r\n' "$tool" "$tool_ms"; done
} >"$nexagent/faketool.ini"

# run_case <case>: one full run on a fresh copy of the case's databases, with
# no activity log, result logs, status files or run status left from before.
run_case() {
  rm -rf "$nexagent/Config/Databases" "$nexagent/DataDirectory" "$agent/DevadEZ"
  rm -f "$nexagent/Config/Velkor.ini" "$nexagent/ApplicationLog/Velkor/velkor.txt" "$marks"
  mkdir -p "$nexagent/Config/Databases"
  cp "$work/databases-$1"/*.tsv "$nexagent/Config/Databases/"
  load=$(cut -d' ' -f1 /proc/loadavg)
  "$WINE" "$bin/measure_run.exe" 'C:\Program Files (x86)\ZOVEZO\Nexagent\Velkor.exe' </dev/null |
    tr -d '\r' >"$work/run.txt"
  field() { sed -n "s/^$1 //p" "$work/run.txt"; }
  [ "$(field exit_code)" = 1 ] || { echo "Velkor.exe ended with $(field exit_code)" >&2; exit 1; }
  [ "$(tail -n 1 "$nexagent/ApplicationLog/Velkor/velkor.txt" | cut -f5)" = "Program exited Sucessfully." ] ||
    { echo "the run did not reach its end" >&2; exit 1; }
  # Every record written: each function ID of these databases selects a slot.
  for db in "$nexagent/Config/Databases"/*.tsv; do
    left=$(tr -d '\r' <"$db" | awk -F '\t' 'NR > 1 && $10 == "2026-01-05 03:00:00"' | wc -l)
    [ "$left" -eq 0 ] || { echo "$(basename "$db"): $left records not written" >&2; exit 1; }
  done
  tr -d '\r' <"$marks" | awk -v from="$(field start_ticks)" -v to="$(field end_ticks)" -v ms="$tool_ms" '
    { if ($2 < from || $3 > to || ($3 - $2) * 1000 < ms * $4) bad++; sum += ($3 - $2) / $4; n++ }
    END { if (bad) exit 1; printf "%d %.3f\n", n, sum }' >"$work/tools.txt" ||
    { echo "a tool mark lies outside the run or is shorter than $tool_ms ms" >&2; exit 1; }
  read -r tool_runs tools_s <"$work/tools.txt"
  total_s=$(field seconds)
  own_s=$(echo "$total_s $tools_s" | awk '{ printf "%.3f", $1 - $2 }')
  percent=$(echo "$own_s $tools_s" | awk '{ printf "%.1f", ($2 > 0) ? 100 * $1 / $2 : 0 }')
  peak=$(field peak_working_set_kib)
  printf '%-5s  %3d  %8s  %5d  %8s  %8s  %6s  %8s  %4s\n' "$1" "$run" "$total_s" "$tool_runs" "$tools_s" \
    "$own_s" "$percent" "$peak" "$load"
  echo "$1 $total_s $tools_s $own_s $percent $peak $tool_runs" >>"$work/results.txt"
}

echo "Tools take $tool_ms ms each; $runs runs of each case: $cases"
echo "case   run   total_s  tools  tools_s   velkor_s  velkor%  peak_kib  load"
rm -f "$work/results.txt"
run=1
while [ "$run" -le "$runs" ]; do
  for c in $cases; do run_case "$c"; done
  run=$((run + 1))
done

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
column() { awk -v c="$1" -v k="$2" '$1 == c { print $k }' "$work/results.txt" | median; }
echo "medians:"
for c in $cases; do
  printf '  %-5s  total %s s, tools %s s (%s runs of %s ms), Velkor %s s = %s%% of the tools, peak %s KiB\n' \
    "$c" "$(column "$c" 2)" "$(column "$c" 3)" "$(column "$c" 7)" "$tool_ms" "$(column "$c" 4)" \
    "$(column "$c" 5)" "$(column "$c" 6)"
done
case " $cases " in
  *" large "*" small "* | *" small "*" large "* | *" large small "* | *" small large "*)
    awk -v own="$(column large 5)" -v big="$(column large 6)" -v small="$(column small 6)" 'BEGIN {
      printf "goal, Velkor at most 10%% of the tools: %s%% (%s)\n", own, own <= 10 ? "met" : "missed"
      printf "goal, large peak at most 1.5 times the small: %.2f times (%s)\n", big / small,
        big <= 1.5 * small ? "met" : "missed"
    }'
    ;;
esac
