#!/bin/sh
# Installs the fake diagnostic tools and the recorded reports into a folder:
#   install-tools.sh <folder with the built binaries> <target folder> [scenario]
# The target is normally the agent's Nexagent folder, where Velkor.exe sits and
# runs: a tool there is found before Wine's own net.exe. The scenario (default
# "healthy") can be switched later by editing ScenarioDir in faketool.ini.
set -eu
BIN="$1"
DEST="$2"
SCENARIO="${3:-healthy}"
HERE=$(cd "$(dirname "$0")" && pwd)
[ -d "$HERE/scenarios/$SCENARIO" ] || { echo "install-tools.sh: no scenario '$SCENARIO'" >&2; exit 1; }
mkdir -p "$DEST"
for tool in net dcdiag netdiag gpotool repadmin netdom; do
  cp "$BIN/faketool.exe" "$DEST/$tool.exe"
done
rm -rf "$DEST/scenarios"
cp -r "$HERE/scenarios" "$DEST/scenarios"
printf '[faketool]\r\nScenarioDir=scenarios\\%s\r\n' "$SCENARIO" > "$DEST/faketool.ini"
