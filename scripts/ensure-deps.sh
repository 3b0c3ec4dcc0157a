#!/bin/sh
# Installs the Debian 12 packages Velkor's build and tests need, when missing:
# both MinGW-w64 cross compilers and a 64-bit Wine that also runs 32-bit
# programs (wine32 comes from the i386 architecture, added when absent).
set -eu
PACKAGES="cmake ninja-build g++ file googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64 wine32:i386 libexpat1-dev clang-14 libclang-rt-14-dev clang-tidy-14 clang-format-14"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages:$missing (run as root to install them)" >&2
  exit 1
fi
echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing >/dev/null
