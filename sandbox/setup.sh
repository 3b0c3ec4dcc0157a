#!/bin/sh
# Lays out the sandbox agent installation in a Wine prefix:
#   setup.sh <folder with the built binaries> <WINEPREFIX>
# The agent folder is C:\Program Files (x86)\ZOVEZO\, named by the agent key in
# the 32-bit registry view; Velkor.exe and the stand-in libraries sit in its
# Nexagent folder, where the agent starts them.
set -eu
BIN="$1"
export WINEPREFIX="$2"
WINE=$(command -v wine 2>/dev/null || echo /usr/lib/wine/wine64)
AGENT="$WINEPREFIX/drive_c/Program Files (x86)/ZOVEZO"
mkdir -p "$AGENT/Nexagent"
for f in Velkor.exe TalLogger.dll NexParser.dll; do
  [ -f "$BIN/$f" ] && cp "$BIN/$f" "$AGENT/Nexagent/"
done
reg_add() { "$WINE" reg add 'HKLM\SOFTWARE\ZOVEZO' /v "$1" /d "$2" /f /reg:32 </dev/null >/dev/null 2>&1; }
reg_add InstallationPath 'C:\Program Files (x86)\ZOVEZO\'
reg_add REGID 'DEMO-DC01'
