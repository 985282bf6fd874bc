#!/usr/bin/env bash
# The real pellon.exe on the simulated board, driven from outside: other processes'
# messages (pellon_probe), the board tool and the registry; what it did is read back
# from its windows, its exit status, the BIOS items and its trace lines.
# Runs in the 64-bit prefix (WINEPREFIX set by the caller) under Xvfb.
#   end-to-end.sh BIN_DIR
set -u -o pipefail
bin=$1
key='HKCU\Software\Norvane\Pellon'
fails=0
log=$(mktemp -d)
trap 'restore; rm -rf "$log"' EXIT

fail() { echo "FAIL: $*" >&2; fails=$((fails + 1)); }
probe() { wine "$bin/pellon_probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
board() { wine "$bin/boardctl.exe" "$@" 2>/dev/null | tr -d '\r'; }
item() { board get "$1" | awk '{ print $NF }'; }
regset() { wine reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
regget() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { print $3 }'; }
regdel() { wine reg delete "$key" /v "$1" /f >/dev/null 2>&1; }
restore() {
  local profile
  profile=$(wine reg query 'HKLM\System\CurrentControlSet\Services\NRVACPI' /v Profile 2>/dev/null |
            tr -d '\r' | awk '$1 == "Profile" { print $3 }')
  board profile "${profile:-8x4}" >/dev/null
  wine reg delete "$key" /f >/dev/null 2>&1
}

# start NAME ARGS...: pellon.exe in the background, its trace lines in $log/NAME.
start() {
  local name=$1; shift
  WINEDEBUG=-all,+debugstr wine "$bin/pellon.exe" "$@" >/dev/null 2>"$log/$name" &
  pid=$!
}
# ended [SECONDS]: the last started program ends within the time, with exit status 0.
ended() {
  local i
  for ((i = 0; i < ${1:-10} * 10; i++)); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      local status=$?
      [ "$status" -eq 0 ] || fail "exit status $status"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
stop() { ended 1 && return; probe send TMainForm Pellon 1024 85 >/dev/null; ended 10 || { kill "$pid"; wait "$pid"; fail "did not end on 1024"; }; }
# window STATE: waits up to 10 s for the main window's "VISIBLE ICONIC X Y W H".
window() {
  local i got
  for ((i = 0; i < 50; i++)); do
    got=$(probe find TMainForm Pellon)
    [ "$got" = "$1" ] && return 0
    sleep 0.2
  done
  fail "main window: expected '$1', got '${got:-none}'"
  return 1
}
temps() { grep -c 'Pellon Temp:' "$log/$1"; }
centred() { echo "1 0 $(((1280 - $1) / 2)) $(((1024 - $2) / 2)) $1 $2"; }

# --- Start-up on the default board: one centred window of the small layout.
board profile 8x4 >/dev/null
regdel Mode
start first
window "$(centred 415 347)"
[ "$(item 0x1103001C)" = 0x00000001 ] || fail "the stored default mode 1 is not written at start"
[ "$(regget Mode)" = 0x1 ] || fail "registry Mode is $(regget Mode), expected 0x1"

# A second instance hands over and quits; no second window opens.
probe send TMainForm Pellon 1025 85 >/dev/null  # minimise, so the handover has something to undo
wine "$bin/pellon.exe" >/dev/null 2>&1; status=$?
[ $status -eq 0 ] || fail "second instance exit status $status"
[ "$(probe count TMainForm Pellon)" = 1 ] || fail "a second main window opened"
window "$(centred 415 347)"
[ "$(probe foreground)" = "TMainForm|Pellon" ] || fail "the handover did not bring the window to the front"

# The commands only act with 85 in the low byte of wParam.
probe post TApplication Pellon 274 0xF060 >/dev/null  # SC_CLOSE to the taskbar entry: hides
window "0 0 $(centred 415 347 | cut -d' ' -f3-)"
probe send TMainForm Pellon 1027 84 >/dev/null
probe send TMainForm Pellon 1026 0x154 >/dev/null
sleep 0.5
window "0 0 $(centred 415 347 | cut -d' ' -f3-)"
probe send TMainForm Pellon 1027 0x155 >/dev/null
window "$(centred 415 347)"
probe post TApplication Pellon 274 0xF060 >/dev/null
window "0 0 $(centred 415 347 | cut -d' ' -f3-)"
probe send TMainForm Pellon 1026 85 >/dev/null
window "$(centred 415 347)"
probe send TMainForm Pellon 1030 85 >/dev/null
[ "$(probe foreground)" = "TMainForm|Pellon" ] || fail "1030 did not set the foreground"

# The broadcast with 85 is swallowed; a suspend changes nothing, a resume writes the
# stored mode again.
probe broadcast WM_NORVANE_BROADCAST_MESSAGE 85 || fail "broadcast not sent"
board item 0x1103001C 7 >/dev/null
probe send TMainForm Pellon 536 4 >/dev/null
[ "$(item 0x1103001C)" = 0x00000007 ] || fail "a suspend wrote the mode"
probe send TMainForm Pellon 536 18 >/dev/null
[ "$(item 0x1103001C)" = 0x00000001 ] || fail "a resume did not write the stored mode"
window "$(centred 415 347)"
probe send TMainForm Pellon 1024 84 >/dev/null
probe send TMainForm Pellon 1024 0x1155 >/dev/null
ended 10 || { fail "1024 with low byte 85 did not end the program"; kill "$pid"; wait "$pid"; }

# --- Larger boards take the medium and the large layout.
for layout in "16x2 680" "24x4 800"; do
  set -- $layout
  board profile "$1" >/dev/null
  start "layout$1"
  window "$(centred "$2" 347)"
  stop
done

# --- Boot start: hidden, one refresh at build and none while hidden, polling once shown.
board profile 8x4 >/dev/null
start boot -b
sleep 1
window "0 0 $(centred 415 347 | cut -d' ' -f3-)"
sleep 4
[ "$(temps boot)" -eq 8 ] || fail "hidden: $(temps boot) temperature reads, expected the 8 of the first refresh"
probe send TMainForm Pellon 1026 85 >/dev/null
window "$(centred 415 347)"
sleep 3.5
[ "$(temps boot)" -ge 16 ] || fail "shown: no poll within 3.5 s ($(temps boot) reads)"
stop

# Start-up switched off (stored 1) ends a boot start at once; any other value does not.
regset RunAtSystemStartup 1
start refused -b
ended 10 || { fail "-b with RunAtSystemStartup 1 did not end"; stop; }
[ "$(probe count TMainForm Pellon)" = 0 ] || fail "a window opened"
regset RunAtSystemStartup 2
start allowed -b
window "0 0 $(centred 415 347 | cut -d' ' -f3-)"
stop
regdel RunAtSystemStartup

# --- Another tuning utility owns the board: the message without -b, silence with it.
board profile 8x4,conflict >/dev/null
start conflict
for ((i = 0; i < 50; i++)); do text=$(probe msgbox Pellon) && break; sleep 0.2; done
expected='Pellon cannot launch when IXTU is enabled.
Please restart your system, set the "Norvane/3rd Party UI Priority" BIOS item to [Norvane Utility], and launch Pellon again.'
[ "$text" = "$expected" ] || fail "conflict message: '$text'"
probe press Pellon || fail "no message box to press"
ended 10 || { fail "did not end after the conflict message"; kill "$pid"; wait "$pid"; }
start conflictboot -b
ended 10 || { fail "-b on a conflict board did not end"; kill "$pid"; wait "$pid"; }
probe msgbox Pellon >/dev/null && fail "a message box showed with -b"

# --- Feature off, boot start: ends at once without a window.
board profile 8x4,off >/dev/null
start offboot -b
ended 10 || { fail "-b with the feature off did not end"; stop; }

[ $fails -eq 0 ] && echo "pellon.exe end to end: all checks passed"
exit $((fails > 0))
