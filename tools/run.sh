#!/usr/bin/env bash
# Installs what is missing, builds, boots the build's 64-bit Wine prefix with the simulated
# board's driver installed and started, and starts the program there: the x64 build's
# pellon.exe (build-x64/bin; PELLON_ARCH=x86 starts the shipped x86 one from build/bin on
# a host that runs 32-bit code), or the exe named by PELLON_PROGRAM, a name in that bin
# folder or a path. The board starts with PELLON_BOARD_PROFILE (default 8x4) and live
# temperatures. PELLON_DPI (default 96) sets the display's pixels per inch, as the display
# settings' scale does: 120, 144 or 192 for 125, 150 or 200 %. With $DISPLAY set the
# program runs there until closed; without one it runs under Xvfb, saves a screenshot of
# the screen to screenshot.png in the build and ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/arch.sh"
program=${PELLON_PROGRAM:-pellon.exe}
[[ $program == */* ]] || program=$build/bin/$program

# The board's temperatures reach a program only through the inline request layout,
# which a 64-bit Windows gets: a 64-bit prefix for either build.
export WINEPREFIX=$build/wineprefix64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
session=$root/tools/wine-session.sh
keepalive=$build/bin/wine_keepalive.exe
driver=$build/drivers/x64/nrvacpi.sys
profile=${PELLON_BOARD_PROFILE:-8x4}
# Live temperatures drift, so the bars move; a profile may already ask for them.
[[ ,$profile, == *,live,* ]] || profile=$profile,live
export PELLON_BOARD_PROFILE=$profile
dpi=${PELLON_DPI:-96}
[[ $dpi =~ ^[0-9]+$ ]] && [ "$dpi" -ge 48 ] && [ "$dpi" -le 480 ] ||
  { echo "PELLON_DPI: a number of pixels per inch from 48 to 480, not '$dpi'" >&2; exit 2; }
logpixels() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1; }

if [ "${1:-}" != "--screenshot" ]; then
  arch_says starts
  bash "$root/tools/install-deps.sh"
  # The x86 build's product alone has no keepalive program for the prefix: build it all.
  if [ "$PELLON_ARCH" = x86 ]; then bash "$root/tools/build.sh" --x86; else bash "$root/tools/build.sh"; fi
  [ -f "$program" ] || { echo "no such program: $program" >&2; exit 1; }
  bash "$session" create "$WINEPREFIX" win64
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 $((800 * dpi / 96))x$((500 * dpi / 96))x24 -nolisten tcp" "$0" --screenshot
  fi
  # The prefix's server must start on the display the program will use.
  bash "$session" start "$WINEPREFIX" "$keepalive" win64 "$driver" "$profile" || exit 1
  trap 'bash "$session" stop "$WINEPREFIX"' EXIT
  trap 'exit 130' INT TERM
  logpixels
  wine "$program" &
  wait $!  # interruptible, so that Ctrl+C or a TERM still stops the prefix
  exit 0
fi

# Inside Xvfb: boot the prefix on this display, start the program, wait for its window.
bash "$session" start "$WINEPREFIX" "$keepalive" win64 "$driver" "$profile" || exit 1
trap 'bash "$session" stop "$WINEPREFIX"' EXIT
logpixels
wine "$program" >/dev/null 2>&1 &
pid=$!
if ! timeout 60 xdotool search --sync --onlyvisible --name "^Pellon$" >/dev/null; then
  echo "the program showed no window named Pellon within 60 s" >&2
  kill "$pid" 2>/dev/null || true
  exit 1
fi
sleep 2  # let it paint
import -window root "$build/screenshot.png"
echo "screenshot: $build/screenshot.png"
kill "$pid" 2>/dev/null || true
