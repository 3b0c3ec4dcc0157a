#!/bin/sh
# Prints the test records of monitoring databases as a table of FunctionID,
# TestName (cut to 46 characters), Status and ErrorCode ("-" when empty), the
# columns found by their names in the header line:
#   show-records.sh <database file>...
set -eu
for db in "$@"; do
  echo "-- $(basename "$db")"
  tr -d '\r' < "$db" | awk -F '\t' '
    function shown(text) { return text == "" ? "-" : text }
    function row(id, name, status, code) {
      printf "%-10s  %-46s  %-6s  %s\n", id, substr(name, 1, 46), shown(status), shown(code)
    }
    NR == 1 {
      for (i = 1; i <= NF; i++) at[$i] = i
      row("FunctionID", "TestName", "Status", "ErrorCode")
      next
    }
    $0 != "" { row($at["FunctionID"], $at["TestName"], $at["Status"], $at["ErrorCode"]); n++ }
    END { printf "(%d records)\n", n }'
done
