#!/bin/sh
# Prints the records of a monitoring database that differ between two copies
# of it, taken before and after a run: each changed or added record as it is
# now, matched by RecordKey, under the column header; "(no change)" when none.
#   show-changes.sh <before.tsv> <after.tsv>
set -eu
before="$1"
[ -f "$before" ] || before=/dev/null
awk -F '\t' -v first="$before" '
  { sub(/\r$/, "") }
  FILENAME == first { if (FNR > 1) was[$1] = $0; next }
  FNR == 1 { header = $0; next }
  !($1 in was) || was[$1] != $0 {
    if (!shown++) print "Change\t" header
    print (($1 in was) ? "changed" : "added") "\t" $0
  }
  END { if (!shown) print "(no change)" }
' "$before" "$2"
