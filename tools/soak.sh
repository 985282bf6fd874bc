#!/usr/bin/env bash
# The soak: pellon.exe's forms poll a live simulated board as fast as they go and print
# resident memory, GDI objects, window objects, kernel handles and heap at the start and
# the end; exit status 1 when any of them grew.
#   tools/soak.sh [POLLS]    default 100000 (a few minutes); CI runs a short one
exec bash "$(dirname "$0")/bench-prefix.sh" pellon_soak "$@"
