#!/usr/bin/env bash
# Builds and runs the performance figures: each subject timed side by side with its
# baseline in one process, one line per figure (medians, ratio, goal, noise).
#   tools/bench.sh [--smoke]    --smoke: a few short rounds (CI checks that it runs)
exec bash "$(dirname "$0")/bench-prefix.sh" pellon_bench "$@"
