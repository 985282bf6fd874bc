#!/usr/bin/env bash
# The soak: pellon.exe's forms poll a live simulated board as fast as they go and print
# resident memory, GDI objects, window objects, kernel handles and heap at the start and
# the end; exit status 1 when any of them grew.
#   tools/soak.sh [POLLS]    default 100000 (a few minutes); CI runs a short one
# Runs in its own 64-bit prefix with the simulated board (build/wineprefix-bench); when
# WINEPREFIX names a running prefix (ctest's fixture), it uses that one instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PELLON_BUILD_DIR:-$root/build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi
if [ -z "${PELLON_BENCH_NO_BUILD:-}" ]; then
  [ -f "$build/build.ninja" ] || bash "$root/tools/build.sh"
  cmake --build "$build" -j "${PELLON_JOBS:-2}" --target pellon_soak pellon_nracpi \
        nrvacpi_drivers wine_keepalive >/dev/null
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
if [ -n "${WINEPREFIX:-}" ]; then
  wine "$build/bin/pellon_soak.exe" "$@"
  exit
fi
prefix=$build/wineprefix-bench
session=$root/tools/wine-session.sh
bash "$session" start "$prefix" "$build/bin/wine_keepalive.exe" win64 \
     "$build/drivers/x64/nrvacpi.sys" 8x4
trap 'bash "$session" stop "$prefix"' EXIT
WINEPREFIX=$prefix wine "$build/bin/pellon_soak.exe" "$@"
