#!/usr/bin/env bash
# Builds the simulated board's request handling natively as a libFuzzer target (address
# and undefined-behaviour sanitizers) into build-fuzz/driver/ and fuzzes it, starting
# from the seeds in platform/acpidriver/fuzz/corpus. Finds go to build-fuzz/driver/.
#   tools/fuzz-driver.sh [SECONDS] [LIBFUZZER OPTIONS...]
#     SECONDS defaults to 60; options go to the fuzzer as they are, e.g.
#     tools/fuzz-driver.sh 0 -runs=10000000     (0: no time limit)
#   PELLON_FUZZ_RUNS=N does the same as -runs=N.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
out=${PELLON_FUZZ_DIR:-$root/build-fuzz}/driver
src=$root/platform/acpidriver
mkdir -p "$out/corpus"

# C99 as the driver is built; every undefined-behaviour check is fatal.
clang -std=c99 -g -O1 -fno-omit-frame-pointer -Wall -Wextra \
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
      -I"$root" "$src/BoardModel.c" "$src/fuzz/fuzz_board.c" -o "$out/fuzz_board"

extra=()
[ -n "${PELLON_FUZZ_RUNS:-}" ] && extra+=(-runs="$PELLON_FUZZ_RUNS")
# New inputs go to build-fuzz/driver/corpus; the committed seeds stay as they are.
# An input is at most 32 requests: seconds per input would be a hang, even on a busy host.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
"$out/fuzz_board" "$out/corpus" "$src/fuzz/corpus" \
    -dict="$src/fuzz/board.dict" -max_len=2048 -max_total_time="$seconds" -timeout=5 \
    -rss_limit_mb=2048 -malloc_limit_mb=64 \
    -artifact_prefix="$out/" -print_final_stats=1 "${extra[@]}" "$@"
