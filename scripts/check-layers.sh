#!/bin/sh
# Fails when an #include runs against the layers: app on top; hostchecks,
# tools, classify, results and report below it; core and platform at the
# bottom, where platform includes only platform and core, and core only core.
# The stand-in components see nothing of Velkor but the interfaces in platform.
set -eu
cd "$(dirname "$0")/.."

# allowed <folder>: the top-level include folders a file in <folder> may name.
allowed() {
  case "$1" in
    src/app) echo "app hostchecks tools classify results report core platform" ;;
    src/hostchecks | src/tools | src/classify | src/results | src/report)
      echo "hostchecks tools classify results report core platform" ;;
    src/platform) echo "platform core" ;;
    src/core) echo "core" ;;
    components/*) echo "platform" ;;
  esac
}

layers="app hostchecks tools classify results report core platform"
status=0
for file in $(find src components -name '*.h' -o -name '*.cpp' | sort); do
  dir=$(dirname "$file")
  case "$dir" in
    src/*) owner=$(echo "$dir" | cut -d/ -f1-2) ;;
    components/*) owner=$(echo "$dir" | cut -d/ -f1-2) ;;
  esac
  ok=$(allowed "$owner")
  for target in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"/]*\)\/.*"/\1/p' "$file"); do
    case " $layers " in *" $target "*) ;; *) continue ;; esac
    case " $ok " in
      *" $target "*) ;;
      *)
        echo "$file: includes $target/ against the layers" >&2
        status=1
        ;;
    esac
  done
done
[ "$status" -eq 0 ] && echo "Layers: every include runs downwards."
exit "$status"
