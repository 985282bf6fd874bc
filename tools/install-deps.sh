#!/usr/bin/env bash
# Installs every Debian package a fresh machine needs to build, run and test Pellon.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

PACKAGES=(
  cmake ninja-build
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  mingw-w64-tools
  googletest libstb-dev clang libclang-rt-14-dev
  wine wine32:i386 wine64
  xvfb xauth xdotool imagemagick fonts-liberation fonts-wqy-zenhei
  nsis
)
# "install-deps.sh art" also installs what tools/make-art.sh renders the artwork with;
# the build and the tests use the rendered files and need none of it.
if [ "${1:-}" = art ]; then
  PACKAGES+=(librsvg2-bin icoutils)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
