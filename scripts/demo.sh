#!/bin/sh
# Builds Velkor as shipped (32-bit, with the 32-bit stand-in libraries) and
# runs it once on the bundled sandbox: a simulated agent installation in a
# private 64-bit Wine prefix with 32-bit support (build/demo/wineprefix). Shows what the
# run left behind: the activity log, the VELKOR section of the agent INI file
# and the status files in DevadEZ. Run it again to see a second run (which
# emits no status file when nothing changed); DEMO_FRESH=1 starts over.
set -eu
cd "$(dirname "$0")/.."
sh scripts/ensure-deps.sh

cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target Velkor TalLogger NexParser NexDBInterface faketool >/dev/null

DEMO="$PWD/build/demo"
[ "${DEMO_FRESH:-0}" = 1 ] && rm -rf "$DEMO"
VELKOR_WINEPREFIX="$DEMO/wineprefix"; . scripts/wine-prefix.sh
trap wine_stop EXIT

sh sandbox/setup.sh "$PWD/build/windows/bin" "$WINEPREFIX"

AGENT="$WINEPREFIX/drive_c/Program Files (x86)/ZOVEZO"
printf '%s\n' "== Running Velkor.exe, $(file -b "$AGENT/Nexagent/Velkor.exe" | cut -d, -f1) (agent folder C:\\Program Files (x86)\\ZOVEZO\\)"
set +e
(cd "$AGENT/Nexagent" && "$WINE" ./Velkor.exe </dev/null >/dev/null 2>&1)
code=$?
set -e
echo "exit code: $code"
echo
printf '%s\n' "== Activity log (Nexagent\\ApplicationLog\\Velkor\\velkor.txt)"
cat "$AGENT/Nexagent/ApplicationLog/Velkor/velkor.txt"
echo
printf '%s\n' "== Agent INI file (Nexagent\\Config\\Velkor.ini)"
tr -d '\r' < "$AGENT/Nexagent/Config/Velkor.ini"
echo
printf '%s\n' "== Status files (DevadEZ\\)"
for f in "$AGENT/DevadEZ"/*; do
  [ -e "$f" ] || { echo "(none)"; break; }
  echo "-- $(basename "$f")"
  tr -d '\r' < "$f"
  echo
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
