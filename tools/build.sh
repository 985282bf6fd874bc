#!/usr/bin/env bash
# Configures and builds everything (program, DLLs, driver, tools, tests) into build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PELLON_BUILD_DIR:-$root/build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
        -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j "${PELLON_JOBS:-2}"
