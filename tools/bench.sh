#!/usr/bin/env bash
# Builds and runs the performance figures: each subject timed side by side with its
# baseline in one process, one line per figure (medians, ratio, goal, noise).
#   tools/bench.sh [--smoke]    --smoke: a few short rounds (CI checks that it runs)
# Runs in its own 64-bit prefix with the simulated board (build/wineprefix-bench), so it
# never disturbs a test run; when WINEPREFIX names a running prefix (ctest's fixture),
# it uses that one instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PELLON_BUILD_DIR:-$root/build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi
if [ -z "${PELLON_BENCH_NO_BUILD:-}" ]; then
  [ -f "$build/build.ninja" ] || bash "$root/tools/build.sh"
  cmake --build "$build" -j "${PELLON_JOBS:-2}" --target pellon_bench pellon_nracpi \
        nrvacpi_drivers wine_keepalive >/dev/null
fi
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
if [ -n "${WINEPREFIX:-}" ]; then
  wine "$build/bin/pellon_bench.exe" "$@"
  exit
fi
prefix=$build/wineprefix-bench
session=$root/tools/wine-session.sh
bash "$session" start "$prefix" "$build/bin/wine_keepalive.exe" win64 \
     "$build/drivers/x64/nrvacpi.sys" 8x4
trap 'bash "$session" stop "$prefix"' EXIT
WINEPREFIX=$prefix wine "$build/bin/pellon_bench.exe" "$@"
