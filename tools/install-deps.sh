#!/usr/bin/env bash
# Installs every Debian package a fresh machine needs to build, run and test Pellon.
# Idempotent: when everything is present it only checks and returns. A host that runs no
# 32-bit code (see tools/arch.sh) gets no i386 architecture and no 32-bit Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/arch.sh"

PACKAGES=(
  cmake ninja-build
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  mingw-w64-tools
  googletest libstb-dev clang libclang-rt-14-dev
  wine wine64
  xvfb xauth xdotool imagemagick fonts-liberation fonts-wqy-zenhei
  nsis
)
# "install-deps.sh art" also installs what tools/make-art.sh renders the artwork with;
# the build and the tests use the rendered files and need none of it.
if [ "${1:-}" = art ]; then
  PACKAGES+=(librsvg2-bin icoutils)
fi
[ "$host32" = yes ] && PACKAGES+=(wine32:i386)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
if [ "$host32" = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
# A mirror caught mid-sync fails one index ("File has unexpected size"); retry, then go
# on with the indexes that did arrive and let the install say what is really missing.
updated=no
for try in 1 2 3; do
  if $SUDO apt-get update -q; then updated=yes; break; fi
  [ "$try" -lt 3 ] && sleep 10
done
[ $updated = yes ] || echo "install-deps: apt-get update failed 3 times; installing from the indexes there are" >&2
install=($SUDO apt-get install -y -q --no-install-recommends)
if ! "${install[@]}" "${missing[@]}"; then
  # A security index out of step with the release's leaves versions that cannot be
  # installed together; take every package from the release's own pool instead.
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || exit 1
  echo "install-deps: installing from the $codename pool" >&2
  "${install[@]}" -t "$codename" "${missing[@]}"
fi
