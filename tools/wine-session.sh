#!/usr/bin/env bash
# Creates, starts and stops the private Wine prefix the tests run in.
#   wine-session.sh create PREFIX [win32|win64]   make the prefix if it is missing
#   wine-session.sh start  PREFIX KEEPALIVE.EXE [win32|win64 [DRIVER.SYS PROFILE]]
#                                                 boot it with a persistent server and, with a
#                                                 driver, install and start the simulated board
#   wine-session.sh fresh  PREFIX KEEPALIVE.EXE ...  the same as start, from a new prefix
#   wine-session.sh stop   PREFIX                 end its server and every process in it
# All Wine output goes to a log in the prefix: Wine's background processes would
# otherwise inherit ctest's pipes and keep a test "running" after it ended.
set -u
cmd=$1 prefix=$2
export WINEPREFIX=$prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
log=$prefix.log

# A 64-bit prefix needs the 64-bit loader for its own programs (wineboot, sc, reg); the
# test programs run through the wine command on PATH (tools/winebin/wine for the x64 build).
wine_for() {
  if [ "$1" = win64 ]; then
    if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else echo wine64; fi
  else
    echo wine
  fi
}

# A 32-bit prefix needs Wine's 32-bit loader, which a host without IA-32 emulation cannot
# execute: that host runs the x64 build, in 64-bit prefixes (see tools/arch.sh).
check_host() {
  [ "$1" = win32 ] || return 0
  local answer
  answer=$(/usr/lib/wine/wine --version 2>&1) && return 0
  echo "a 32-bit prefix needs Wine's 32-bit loader, and here it fails (${answer%%$'\n'*});" \
    "this host runs the 64-bit build: tools/test.sh" >&2
  return 1
}

create() {
  local arch=${1:-win32}
  check_host "$arch" || return 1
  [ -f "$prefix/system.reg" ] && [ -f "$prefix/.pellon-ready-3" ] && return 0
  rm -rf "$prefix"
  export WINEARCH=$arch
  local wine
  wine=$(wine_for "$arch")
  "$wine" wineboot -i >>"$log" 2>&1 || { echo "wineboot failed, see $log" >&2; return 1; }
  # The forms name Arial, MS Sans Serif and Tahoma; map them all to Liberation Sans
  # so text measures and renders the same on every machine.
  local reg
  reg=$(mktemp --suffix=.reg)
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in "Arial" "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Microsoft Sans Serif"; do
      printf '"%s"="Liberation Sans"\r\n' "$face"
    done
    # No window manager runs under Xvfb: unmanaged windows keep Wine from waiting up
    # to 2 s on every hide for one to answer.
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
  } >"$reg"
  "$wine" regedit /S "$("$wine" winepath -w "$reg" 2>/dev/null | tr -d '\r')" >>"$log" 2>&1
  rm -f "$reg"
  # Liberation Sans has no CJK glyphs: link its faces (the bold one is looked up by its
  # own name) to WenQuanYi Zen Hei, as an East Asian Windows links Arial to its CJK
  # font, so Chinese, Japanese and Korean texts are measured and drawn.
  # A 64-bit prefix keeps the key apart for 32-bit programs: write both views.
  local face view
  for view in 32 64; do
    [ "$arch" = win32 ] && [ $view = 64 ] && continue
    for face in "Liberation Sans" "Liberation Sans Bold"; do
      "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
        /v "$face" /t REG_MULTI_SZ /d 'wqy-zenhei.ttc,WenQuanYi Zen Hei' /reg:$view /f >>"$log" 2>&1
    done
  done
  wineserver -w >>"$log" 2>&1
  touch "$prefix/.pellon-ready-3"
}

# The simulated board: a kernel driver Wine runs in its device host. Its service
# key's "Profile" value is the board the driver starts with. It starts with the
# prefix, so a program run in the prefix by hand finds the board too.
start_driver() {
  local arch=$1 driver=$2 profile=$3 wine service target
  wine=$(wine_for "$arch")
  service='HKLM\System\CurrentControlSet\Services\NRVACPI'
  target=$prefix/drive_c/windows/system32/drivers/nrvacpi.sys
  "$wine" sc stop NRVACPI >>"$log" 2>&1
  # A new file rather than a rewrite: the device host may still map the old one.
  cp "$driver" "$target.new" && mv -f "$target.new" "$target" || return 1
  if ! "$wine" sc query NRVACPI >>"$log" 2>&1; then
    "$wine" sc create NRVACPI type= kernel start= auto \
      binPath= 'C:\windows\system32\drivers\nrvacpi.sys' >>"$log" 2>&1 || return 1
  fi
  "$wine" reg add "$service" /v Start /t REG_DWORD /d 2 /f >>"$log" 2>&1 || return 1
  "$wine" reg add "$service" /v Profile /t REG_SZ /d "$profile" /f >>"$log" 2>&1 || return 1
  "$wine" sc start NRVACPI >>"$log" 2>&1 || { echo "driver did not start, see $log" >&2; return 1; }
}

stop() {
  wineserver -k >>"$log" 2>&1
  wineserver -w >>"$log" 2>&1
  return 0
}

case $cmd in
  create) create "${3:-win32}" ;;
  start)
    keepalive=$3 arch=${4:-win32}
    stop
    create "$arch" || exit 1
    wineserver -p >>"$log" 2>&1
    "$(wine_for "$arch")" wineboot >>"$log" 2>&1
    # A session starts at 96 pixels per inch (100 %), whatever a run cut short left.
    "$(wine_for "$arch")" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >>"$log" 2>&1
    if [ $# -ge 6 ]; then
      start_driver "$arch" "$5" "$6" || exit 1
    fi
    # The desktop process must exist before any test runs (see keepalive.c).
    wine "$keepalive" -ready </dev/null >>"$log" 2>&1 ||
      { echo "the prefix's desktop did not start, see $log" >&2; exit 1; }
    setsid wine "$keepalive" </dev/null >>"$log" 2>&1 &
    exit 0 ;;
  fresh)
    stop
    rm -rf "$prefix" "$log"
    shift 2
    exec bash "$0" start "$prefix" "$@" ;;
  stop) stop ;;
  *) echo "usage: $0 create|start|fresh|stop PREFIX ..." >&2; exit 2 ;;
esac
