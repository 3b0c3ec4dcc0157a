#!/bin/sh
# Sourced by the scripts: a private Wine prefix ($VELKOR_WINEPREFIX), created and warmed up with
# every stdio stream on /dev/null so that no Wine helper process holds a pipe
# of the caller open. `wine_stop` ends its wineserver.
export WINEPREFIX="${VELKOR_WINEPREFIX:?set VELKOR_WINEPREFIX to the prefix folder}"
export WINEDEBUG=-all
export LANG=C.UTF-8
WINE=$(command -v wine 2>/dev/null || echo /usr/lib/wine/wine64)
WINESERVER=$(command -v wineserver 2>/dev/null || echo /usr/lib/wine/wineserver)
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
"$WINE" wineboot --init </dev/null >/dev/null 2>&1
wine_stop() {
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}
