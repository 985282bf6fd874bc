#!/usr/bin/env bash
# Creates, starts and stops the private Wine prefix the tests run in.
#   wine-session.sh create PREFIX [win32|win64]   make the prefix if it is missing
#   wine-session.sh start  PREFIX KEEPALIVE.EXE   boot it with a persistent server
#   wine-session.sh stop   PREFIX                 end its server and every process in it
# All Wine output goes to a log in the prefix: Wine's background processes would
# otherwise inherit ctest's pipes and keep a test "running" after it ended.
set -u
cmd=$1 prefix=$2
export WINEPREFIX=$prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
log=$prefix.log

create() {
  local arch=${1:-win32}
  [ -f "$prefix/system.reg" ] && [ -f "$prefix/.pellon-ready" ] && return 0
  rm -rf "$prefix"
  export WINEARCH=$arch
  wineboot -i >>"$log" 2>&1 || { echo "wineboot failed, see $log" >&2; return 1; }
  # The forms name Arial, MS Sans Serif and Tahoma; map them all to Liberation Sans
  # so text measures and renders the same on every machine.
  local reg
  reg=$(mktemp --suffix=.reg)
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in "Arial" "MS Sans Serif" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Microsoft Sans Serif"; do
      printf '"%s"="Liberation Sans"\r\n' "$face"
    done
  } >"$reg"
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" >>"$log" 2>&1
  rm -f "$reg"
  wineserver -w >>"$log" 2>&1
  touch "$prefix/.pellon-ready"
}

stop() {
  wineserver -k >>"$log" 2>&1
  wineserver -w >>"$log" 2>&1
  return 0
}

case $cmd in
  create) create "${3:-win32}" ;;
  start)
    keepalive=$3
    stop
    create "${4:-win32}" || exit 1
    wineserver -p >>"$log" 2>&1
    wineboot >>"$log" 2>&1
    setsid wine "$keepalive" </dev/null >>"$log" 2>&1 &
    exit 0 ;;
  stop) stop ;;
  *) echo "usage: $0 create|start|stop PREFIX ..." >&2; exit 2 ;;
esac
