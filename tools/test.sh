#!/usr/bin/env bash
# Installs what is missing, builds both builds and runs every test of the x64 build under
# Wine inside a private X server (tests create real windows); the x86 build's program is
# checked as it ships. Extra arguments go to ctest, e.g. -R png.
#   tools/test.sh [--x86] [CTEST ARGS...]   --x86: then the x86 build's own suite as well,
#                                           on a host that runs 32-bit code
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
x86=no
if [ "${1:-}" = --x86 ]; then
  x86=yes
  shift
fi
bash "$root/tools/install-deps.sh"
PELLON_ARCH=x64
. "$root/tools/arch.sh"
arch_says tests
if [ $x86 = yes ] && [ "$host32" != yes ]; then
  echo "--x86: this host runs no 32-bit code, so Wine cannot run the x86 build's tests" >&2
  exit 2
fi
if [ $x86 = no ] && [ "$host32" = yes ]; then
  echo "pellon: tools/test.sh --x86 also runs the x86 build's own suite here" >&2
fi
if [ $x86 = yes ]; then bash "$root/tools/build.sh" --x86; else bash "$root/tools/build.sh"; fi
suite() {  # suite BUILD [CTEST ARGS...]
  (cd "$1" && shift && xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
     ctest --output-on-failure --timeout 600 "$@")
}
suite "$x64_build" "$@"
if [ $x86 = yes ]; then
  # Debian's own wine command: the 32-bit loader, not this build's x64 one.
  PATH=${PATH#"$root/tools/winebin:"} PELLON_ARCH=x86 suite "$x86_build" "$@"
fi
