#!/usr/bin/env bash
# Configures and builds the two builds of the same sources (see tools/arch.sh):
#   build/      x86: the program as it ships, with its DLLs, tools, both drivers and the
#               setup program; with --x86 everything else too (its tests need a host
#               that runs 32-bit code)
#   build-x64/  x64: everything, tests and benchmarks included; what runs under Wine
#   tools/build.sh [--x86]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/arch.sh"
x86_targets=(--target pellon_product)
if [ "${1:-}" = --x86 ]; then
  x86_targets=()
fi

configure() {  # configure DIR TOOLCHAIN [CMAKE ARGS...]
  local dir=$1 toolchain=$2
  shift 2
  [ -f "$dir/build.ninja" ] && return 0
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=Release "$@"
}

configure "$x86_build" toolchain-i686-mingw.cmake
cmake --build "$x86_build" -j "${PELLON_JOBS:-2}" "${x86_targets[@]}"
configure "$x64_build" toolchain-x86_64-mingw.cmake -DPELLON_X86_BUILD_DIR="$x86_build"
cmake --build "$x64_build" -j "${PELLON_JOBS:-2}"
