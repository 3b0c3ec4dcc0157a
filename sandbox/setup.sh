#!/bin/sh
# Lays out the sandbox: a simulated domain controller with the agent installed,
# in a private Wine prefix:
#   setup.sh <folder with the built binaries> <WINEPREFIX>
# The agent folder is C:\Program Files (x86)\ZOVEZO\, named by the agent key in
# the 32-bit registry view; Velkor.exe and the stand-in libraries sit in its
# Nexagent folder, where the agent starts them; the monitoring databases lie
# in Nexagent\Config\Databases, served by the registered database component
# (NexDBInterface.dll). The host is a Windows Server 2012 R2 domain
# controller (version 6.3, the directory service key and database) that
# DeviceList.ini monitors around the clock, with its Windows Time service
# running (the sandbox's stand-in) unless the scenario's scenario.ini says
# "TimeService=absent".
set -eu
BIN="$1"
export WINEPREFIX="$2"
WINE=$(command -v wine 2>/dev/null || echo /usr/lib/wine/wine64)
C="$WINEPREFIX/drive_c"
AGENT="$C/Program Files (x86)/ZOVEZO"
mkdir -p "$AGENT/Nexagent" "$AGENT/Configuration" "$C/windows/NTDS"
for f in Velkor.exe TalLogger.dll NexParser.dll NexDBInterface.dll; do
  if [ -f "$BIN/$f" ]; then cp "$BIN/$f" "$AGENT/Nexagent/"; fi
done

reg() { "$WINE" reg "$@" </dev/null >/dev/null 2>&1; }
reg add 'HKLM\SOFTWARE\ZOVEZO' /v InstallationPath /d 'C:\Program Files (x86)\ZOVEZO\' /f /reg:32
reg add 'HKLM\SOFTWARE\ZOVEZO' /v REGID /d 'DEMO-DC01' /f /reg:32
# Only the 32-bit view's version: Wine itself keeps reporting its own.
reg add 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion' /v CurrentVersion /d '6.3' /f /reg:32
reg add 'HKLM\SYSTEM\CurrentControlSet\Services\NTDS' /f
[ -f "$C/windows/NTDS/ntds.dit" ] || printf 'directory database' > "$C/windows/NTDS/ntds.dit"

# The monitoring databases, with CRLF line ends as the database component
# writes them. Databases already there are kept, so that a second run shows
# what the first one wrote.
DATABASES="$AGENT/Nexagent/Config/Databases"
mkdir -p "$DATABASES"
for f in "$(dirname "$0")"/databases/*.tsv; do
  [ -f "$DATABASES/$(basename "$f")" ] || sed 's/$/\r/' "$f" > "$DATABASES/$(basename "$f")"
done
# The database component, registered where Velkor's width looks for it.
if [ -f "$AGENT/Nexagent/NexDBInterface.dll" ]; then
  sh "$(dirname "$0")/register-component.sh" "$AGENT/Nexagent/NexDBInterface.dll" \
    'C:\Program Files (x86)\ZOVEZO\Nexagent\NexDBInterface.dll'
fi

# Velkor reads the section named as gethostname names this host: under Wine,
# the Linux host name.
printf '[%s]\r\nTYPE=1\r\nLOCALMACHINE=Y\r\nENABLE=1\r\nFROMTIME=0:0:0\r\nTOTIME=23:59:59\r\nDAYSTOMONITOR=0,1,2,3,4,5,6\r\n' \
  "$(hostname)" > "$AGENT/Configuration/DeviceList.ini"

# The fake diagnostic tools beside Velkor.exe, replaying the healthy controller.
if [ -f "$BIN/faketool.exe" ]; then
  sh "$(dirname "$0")/install-tools.sh" "$BIN" "$AGENT/Nexagent" "${VELKOR_SCENARIO:-healthy}"
fi

# The Windows Time service: the stand-in registered as W32Time, started with
# the prefix from now on and started now (the service manager refuses starts
# for a while after the prefix boots, hence the wait).
scenario_setting() {
  sed -n "s/^$1=\([^[:space:]]*\).*/\1/p" "$(dirname "$0")/scenarios/${VELKOR_SCENARIO:-healthy}/scenario.ini" \
    2>/dev/null | head -n 1
}
if [ "$(scenario_setting TimeService)" = absent ]; then
  reg query 'HKLM\SYSTEM\CurrentControlSet\Services\W32Time' && {
    "$WINE" sc stop W32Time </dev/null >/dev/null 2>&1 || true
    "$WINE" sc delete W32Time </dev/null >/dev/null 2>&1 || true
  }
elif [ -f "$BIN/timeservice.exe" ]; then
  mkdir -p "$C/sandbox"
  cmp -s "$BIN/timeservice.exe" "$C/sandbox/timeservice.exe" || {
    "$WINE" sc stop W32Time </dev/null >/dev/null 2>&1 || true
    cp "$BIN/timeservice.exe" "$C/sandbox/timeservice.exe"
  }
  reg query 'HKLM\SYSTEM\CurrentControlSet\Services\W32Time' ||
    "$WINE" sc create W32Time binPath= 'C:\sandbox\timeservice.exe' start= auto </dev/null >/dev/null 2>&1
  for _ in $(seq 120); do
    "$WINE" sc query W32Time </dev/null 2>/dev/null | grep -q RUNNING && break
    "$WINE" sc start W32Time </dev/null >/dev/null 2>&1 || sleep 1
  done
fi
