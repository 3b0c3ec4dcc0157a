#!/bin/sh
# Fails unless `file` reports every binary given as a 32-bit Windows PE
# (PE32, not PE32+).
status=0
for binary in "$@"; do
  kind=$(file -b "$binary")
  case "$kind" in
    "PE32 executable"*) echo "$(basename "$binary"): $kind" ;;
    *)
      echo "$(basename "$binary"): not PE32: $kind" >&2
      status=1
      ;;
  esac
done
[ "$#" -gt 0 ] || { echo "no binaries given" >&2; status=1; }
exit "$status"
