#!/bin/sh
# Sourced by the scripts: a private 64-bit Wine prefix ($VELKOR_WINEPREFIX) with
# 32-bit support, created and warmed up with every stdio stream on /dev/null so
# that no Wine helper process holds a pipe of the caller open. `wine_stop` ends
# its wineserver.
export WINEPREFIX="${VELKOR_WINEPREFIX:?set VELKOR_WINEPREFIX to the prefix folder}"
export WINEARCH=win64
export WINEDEBUG=-all
export LANG=C.UTF-8
WINE=$(command -v wine 2>/dev/null || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver 2>/dev/null || echo /usr/lib/wine/wineserver)
wine_stop() {
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}
# A prefix made before 32-bit Wine was installed has no 32-bit system folder
# and cannot run the 32-bit build: it is made afresh.
if [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
  echo "Wine prefix $WINEPREFIX has no 32-bit support: making it afresh" >&2
  wine_stop
  rm -rf "$WINEPREFIX"
fi
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
# Booted (and made first when it is new, as any start of Wine makes it), which
# does nothing when it runs already. Not "wineboot --init": on a running
# prefix, or a new one, that starts a second service manager beside the
# first, and each service call then reaches either of the two.
"$WINE" wineboot </dev/null >/dev/null 2>&1
