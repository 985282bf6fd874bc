#!/usr/bin/env bash
# The phase monitor's trace lines reach the debugger output, read here the way
# Wine shows it (WINEDEBUG=+debugstr on stderr). Runs in the 64-bit prefix.
#   trace-test.sh BIN_DIR
set -u
bin=$1
boardctl() { wine "$bin/boardctl.exe" "$@" >/dev/null || { echo "boardctl $* failed" >&2; exit 1; }; }
restore() {
  local profile
  profile=$(wine reg query 'HKLM\System\CurrentControlSet\Services\NRVACPI' /v Profile 2>/dev/null |
            tr -d '\r' | awk '$1 == "Profile" { print $3 }')
  wine "$bin/boardctl.exe" profile "${profile:-8x4}" >/dev/null
}
trap restore EXIT
fail=0
expect() { # expect TRACE LINE...
  local trace=$1; shift
  for line in "$@"; do
    if ! grep -qF "OutputDebugStringA \"$line\\r\\n\"" <<<"$trace"; then
      echo "missing trace line: $line" >&2
      fail=1
    fi
  done
}

boardctl profile 8x4
boardctl temp 0 40
boardctl temp 1 -3
trace=$(WINEDEBUG=-all,+debugstr wine "$bin/board_trace_probe.exe" 2>&1 >/dev/null)
# Sensor 1 reads 0x83 (-3); sensors 0 and 1 are enabled: total 37, average 18.
expect "$trace" "~~~Pellon Temp:40" "~~~Pellon Temp:131" "~~~Pellon Temp:44" "~~~Pellon Temp:45" \
       "~~~Pellon Total:37 Count:2 Avg:18"
[ "$(grep -c '~~~Pellon Temp:' <<<"$trace")" -eq 8 ] || { echo "expected 8 Temp lines" >&2; fail=1; }

# A failed read writes no Temp line and stays out of the total.
boardctl fail ec 0 on
trace=$(WINEDEBUG=-all,+debugstr wine "$bin/board_trace_probe.exe" 2>&1 >/dev/null)
expect "$trace" "~~~Pellon Temp:131" "~~~Pellon Total:-3 Count:1 Avg:-3"
[ "$(grep -c '~~~Pellon Temp:' <<<"$trace")" -eq 7 ] || { echo "expected 7 Temp lines" >&2; fail=1; }

[ $fail -eq 0 ] && echo "trace lines as expected"
exit $fail
