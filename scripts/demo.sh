#!/bin/sh
# Builds Velkor as shipped (32-bit, with the 32-bit stand-in libraries) and
# runs it once on the bundled sandbox: a simulated agent installation in a
# private 64-bit Wine prefix with 32-bit support (build/demo/wineprefix):
#   sh scripts/demo.sh [scenario]
# The fake diagnostic tools replay the recorded scenario (default healthy;
# the folders of sandbox/scenarios, e.g. dns_failures). The full run tests the
# two monitoring databases; the demo then shows their records, the status
# files the run emitted, the VELKOR section of the agent INI file and the
# ends of the activity log and the daily result logs. Run it again to see a
# second run (which emits no status file when nothing changed); DEMO_FRESH=1
# starts over.
set -eu
cd "$(dirname "$0")/.."
SCENARIO="${1:-healthy}"
[ -d "sandbox/scenarios/$SCENARIO" ] || {
  echo "demo.sh: no scenario '$SCENARIO'; there are: $(ls sandbox/scenarios | tr '\n' ' ')" >&2
  exit 1
}
sh scripts/ensure-deps.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target Velkor TalLogger NexParser NexDBInterface faketool timeservice >/dev/null

DEMO="$PWD/build/demo"
[ "${DEMO_FRESH:-0}" = 1 ] && rm -rf "$DEMO"
VELKOR_WINEPREFIX="$DEMO/wineprefix"; . scripts/wine-prefix.sh
trap wine_stop EXIT

VELKOR_SCENARIO="$SCENARIO" sh sandbox/setup.sh "$PWD/build/windows/bin" "$WINEPREFIX"

AGENT="$WINEPREFIX/drive_c/Program Files (x86)/ZOVEZO"
STARTED="$DEMO/run-started"
touch "$STARTED"
printf '%s\n' "== Running Velkor.exe, $(file -b "$AGENT/Nexagent/Velkor.exe" | cut -d, -f1) (agent folder C:\\Program Files (x86)\\ZOVEZO\\), scenario $SCENARIO"
set +e
(cd "$AGENT/Nexagent" && "$WINE" ./Velkor.exe </dev/null >/dev/null 2>&1)
code=$?
set -e
echo "exit code: $code"
echo
printf '%s\n' "== Test records (Nexagent\\Config\\Databases\\)"
sh sandbox/show-records.sh "$AGENT/Nexagent/Config/Databases"/*.tsv
echo
printf '%s\n' "== Status files this run emitted (DevadEZ\\)"
emitted=$(find "$AGENT/DevadEZ" -type f -newer "$STARTED" 2>/dev/null | sort)
[ -n "$emitted" ] || echo "(none: the stored status did not change)"
echo "$emitted" | while IFS= read -r f; do
  [ -n "$f" ] || continue
  echo "-- $(basename "$f")"
  tr -d '\r' < "$f"
  echo
done
echo
printf '%s\n' "== Agent INI file (Nexagent\\Config\\Velkor.ini)"
tr -d '\r' < "$AGENT/Nexagent/Config/Velkor.ini"
echo
printf '%s\n' "== Activity log, last 25 lines (Nexagent\\ApplicationLog\\Velkor\\velkor.txt)"
tail -n 25 "$AGENT/Nexagent/ApplicationLog/Velkor/velkor.txt" | tr -d '\r'
echo
printf '%s\n' "== Daily result logs, last 8 lines each (Nexagent\\DataDirectory\\)"
find "$AGENT/Nexagent/DataDirectory" -name 'velkor_*.Log' 2>/dev/null | sort | while IFS= read -r f; do
  echo "-- ${f#"$AGENT/"}"
  tail -n 8 "$f" | tr -d '\r'
done

# ---- Quick run ---------------------------------------------------------------
# "Velkor.exe 1" after the full run, on the same sandbox: the activity lines it
# added, the database records it changed (copies of the databases taken just
# before it, compared by sandbox/show-changes.sh) and the output files of the
# last three quick runs, kept under their rotation numbers 1 to 3.
DATABASES="$AGENT/Nexagent/Config/Databases"
LOGFILE="$AGENT/Nexagent/ApplicationLog/Velkor/velkor.txt"
rm -rf "$DEMO/databases-before-quick-run"
cp -r "$DATABASES" "$DEMO/databases-before-quick-run"
logged=$(cat "$LOGFILE" 2>/dev/null | wc -l)
echo
printf '%s\n' "== Quick run: Velkor.exe 1"
set +e
(cd "$AGENT/Nexagent" && "$WINE" ./Velkor.exe 1 </dev/null >/dev/null 2>&1)
code=$?
set -e
echo "exit code: $code"
echo
printf '%s\n' "== Activity lines of the quick run"
tail -n +"$((logged + 1))" "$LOGFILE"
for f in "$DATABASES"/*.tsv; do
  echo
  printf '%s\n' "== Records the quick run changed in $(basename "$f")"
  sh sandbox/show-changes.sh "$DEMO/databases-before-quick-run/$(basename "$f")" "$f"
done
echo
printf '%s\n' "== Quick run output files (Nexagent\\ApplicationLog\\Velkor\\)"
ls "$AGENT/Nexagent/ApplicationLog/Velkor" | grep '^VelkorTemp_.*[0-9]\.txt$' || echo "(none)"
