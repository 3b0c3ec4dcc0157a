#!/bin/sh
# Fails when an #include runs against the layers. From the top:
#   app > tools > results > report > classify > hostchecks > platform > core
# a folder includes itself and the folders below it, never one above. The
# stand-in components see nothing of Velkor but the interfaces in platform.
set -eu
cd "$(dirname "$0")/.."

order="app tools results report classify hostchecks platform core"

# below <layer>: the layer and every layer under it.
below() {
  echo "$order" | sed "s/.*\<$1\>/$1/"
}

status=0
for file in $(find src components -name '*.h' -o -name '*.cpp' | sort); do
  case "$file" in
    src/*) ok=$(below "$(echo "$file" | cut -d/ -f2)") ;;
    components/*) ok="platform" ;;
    *) continue ;;
  esac
  for target in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"/]*\)\/.*"/\1/p' "$file"); do
    case " $order " in *" $target "*) ;; *) continue ;; esac
    case " $ok " in
      *" $target "*) ;;
      *)
        echo "$file: includes $target/ against the layers ($order)" >&2
        status=1
        ;;
    esac
  done
done
[ "$status" -eq 0 ] && echo "Layers: every include runs downwards ($order)."
exit "$status"
