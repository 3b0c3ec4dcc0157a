#!/bin/sh
# Registers (or with /u unregisters) an in-process COM server in the Wine
# prefix $WINEPREFIX, in the registry view of the DLL's own width, as
# regsvr32 does on Windows:
#   register-component.sh <DLL file> <its Windows path> [/u]
# A 32-bit DLL is registered by SysWOW64's regsvr32 in a 64-bit prefix (the
# 32-bit view, where 32-bit clients look), a 64-bit DLL by System32's.
set -eu
DLL="$1"
WINPATH="$2"
shift 2
# The PE machine type: two bytes after "PE\0\0", whose offset is stored at 0x3C.
pe=$(od -An -tu4 -j60 -N4 "$DLL" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$DLL" | tr -d ' ')
REGSVR32='C:\windows\system32\regsvr32.exe'
if [ "$machine" = 014c ] && [ -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  REGSVR32='C:\windows\syswow64\regsvr32.exe'
fi
WINE=$(command -v wine 2>/dev/null || echo /usr/lib/wine/wine64)
"$WINE" "$REGSVR32" /s "$@" "$WINPATH" </dev/null >/dev/null 2>&1
