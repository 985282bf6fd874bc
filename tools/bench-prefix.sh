#!/usr/bin/env bash
# Runs one of the performance programs (pellon_bench, pellon_soak) on the simulated
# board: builds it unless PELLON_BENCH_NO_BUILD is set, and runs it in its own 64-bit
# prefix (wineprefix-bench in the build) so it never disturbs a test run; when WINEPREFIX
# names a running prefix (ctest's fixture), it uses that one instead. The build is the
# x64 one (see tools/arch.sh), or the one PELLON_BUILD_DIR names (ctest's own).
# PELLON_DPI (default 96) sets its own prefix's pixels per inch: 192 measures at 200 %.
#   tools/bench-prefix.sh TARGET [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ -n "${PELLON_BUILD_DIR:-}" ]; then
  build=$PELLON_BUILD_DIR
else
  . "$root/tools/arch.sh"
  [ -n "${DISPLAY:-}" ] || arch_says runs
fi
target=$1
shift
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$target" "$@"
fi
if [ -z "${PELLON_BENCH_NO_BUILD:-}" ]; then
  [ -f "$build/build.ninja" ] || bash "$root/tools/build.sh"
  cmake --build "$build" -j "${PELLON_JOBS:-2}" --target "$target" pellon_nracpi \
        nrvacpi_drivers wine_keepalive >/dev/null
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
if [ -n "${WINEPREFIX:-}" ]; then
  wine "$build/bin/$target.exe" "$@"
  exit
fi
prefix=$build/wineprefix-bench
session=$root/tools/wine-session.sh
bash "$session" start "$prefix" "$build/bin/wine_keepalive.exe" win64 \
     "$build/drivers/x64/nrvacpi.sys" 8x4
trap 'bash "$session" stop "$prefix"' EXIT
WINEPREFIX=$prefix wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
  /d "${PELLON_DPI:-96}" /f >/dev/null 2>&1
WINEPREFIX=$prefix wine "$build/bin/$target.exe" "$@"
