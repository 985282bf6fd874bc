#!/usr/bin/env bash
# Builds the PNG codec natively as a libFuzzer target (address and undefined-behaviour
# sanitizers) into build-fuzz/ and fuzzes it for the given seconds (default 60; 0 for no
# time limit), starting from the seed files in platform/imgcodec/fuzz/corpus. Finds go to
# build-fuzz/. Further arguments go to libFuzzer after the defaults and override them:
#   tools/fuzz-imgcodec.sh 0 -runs=10000000     ten million inputs, however long it takes
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift $(($# > 0 ? 1 : 0))
out=${PELLON_FUZZ_DIR:-$root/build-fuzz}
src=$root/platform/imgcodec
mkdir -p "$out/corpus"

# Every undefined-behaviour check is fatal except the one stb_image trips harmlessly
# (see fuzz/ubsan.supp), which is reported only outside the suppressed header.
clang++ -std=c++17 -g -O1 -fno-omit-frame-pointer \
        -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -fsanitize-recover=nonnull-attribute \
        -I"$root" -isystem /usr/include/stb \
        "$src/imgcodec.cpp" "$src/fuzz/fuzz_imgcodec.cpp" -o "$out/fuzz_imgcodec"

# New inputs go to build-fuzz/corpus; the committed seeds stay as they are. Inputs run
# to 64 KiB, room for real skin pictures; whatever they hold, the codec's pixel limit and
# its cap on stb's buffers keep any one allocation near 128 MiB, half the malloc limit.
export UBSAN_OPTIONS="suppressions=$src/fuzz/ubsan.supp:halt_on_error=1:print_stacktrace=1"
"$out/fuzz_imgcodec" "$out/corpus" "$src/fuzz/corpus" \
    -dict="$src/fuzz/png.dict" -max_len=65536 -max_total_time="$seconds" \
    -rss_limit_mb=2048 -malloc_limit_mb=256 \
    -artifact_prefix="$out/" -print_final_stats=1 "$@"
