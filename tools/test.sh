#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test under Wine inside a private
# X server (tests create real windows). Extra arguments go to ctest, e.g. -R png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PELLON_BUILD_DIR:-$root/build}
bash "$root/tools/install-deps.sh"
bash "$root/tools/build.sh"
cd "$build"
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  ctest --output-on-failure --timeout 600 "$@"
