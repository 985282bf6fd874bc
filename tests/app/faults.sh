#!/usr/bin/env bash
# What the real pellon.exe does when things go wrong around it: files beside it missing
# or damaged, a board that fails or whose driver goes away, other processes sending it
# anything, resume storms. Every run is checked for its exit status, what the user saw,
# that nothing of it is left behind, and that the stored mode and start-up choice are
# as they were. The program runs from a copy of its folder, which the faults damage.
# Runs in the 64-bit prefix (WINEPREFIX set by the caller) under Xvfb.
#   faults.sh BIN_DIR [MESSAGES]    MESSAGES random messages (default PELLON_FUZZ_MESSAGES
#                                   or 10000); the seed is printed, PELLON_FUZZ_SEED
#                                   replays one. Through ctest:
#   PELLON_FUZZ_MESSAGES=100000 tools/test.sh -R app_faults_test
set -u -o pipefail
bin=$1
messages=${2:-${PELLON_FUZZ_MESSAGES:-10000}}
. "$(dirname "$0")/e2e-lib.sh"
app=$log/app
mkdir -p "$app"
cp -r "$bin"/{pellon.exe,NRACPI.DLL,imgcodec.dll,resource,LangFiles} "$app/"
mutex=1AE941A0-95B1-40f2-96D0-FD4AF22A5163

# The choices a fault must not touch: saving mode, start-up on.
regset Mode 0
regset RunAtSystemStartup 0
stored() { wine reg query "$key" 2>/dev/null | tr -d '\r' | awk '$2 == "REG_DWORD" { printf "%s=%s ", $1, $3 }'; }
kept=$(stored)
# gone WHAT: the last program has ended; no window, no mutex, no changed setting remain.
gone() {
  [ "$(probe count TMainForm Pellon)" = 0 ] || fail "$1: a main window is left"
  # The server closes an ended process's handles a moment after the process is gone.
  settles 0 probe mutex $mutex || fail "$1: the single-instance mutex is still held"
  [ "$(stored)" = "$kept" ] || fail "$1: the stored settings became '$(stored)'"
}
# told WHAT FILE [LEAD]: the message names FILE (and starts with LEAD, by default the
# file-open error's words); once pressed, the program ends with 0.
told() {
  if msgbox Pellon; then
    [[ "$text" == "${3-Cannot open file }"*"\\$2." ]] || fail "$1: message '$text'"
    probe press Pellon >/dev/null
  else
    fail "$1: no message about $2"
  fi
  ended 10 || { fail "$1: still running after the message"; kill "$pid"; wait "$pid"; }
  gone "$1"
}
# silent WHAT: no message box is up.
silent() { ! probe msgbox Pellon >/dev/null || { fail "$1: a message: $(probe msgbox Pellon)"; probe press Pellon; }; }
section() { echo "[${SECONDS}s] $*"; }
dialog() { settles 1 eval "probe find TWarnForm WarnForm | cut -d' ' -f1"; }
hide() { mv "$app/$1" "$log/hidden"; }
unhide() { mv "$log/hidden" "$app/$1"; }

section "missing pictures and codec"
# --- Pictures and the codec. A missing one ends the program with the file-open message,
# whenever it is first needed: at start (the main window's), when the window first shows
# (its shadow), when the dialog shows (the dialog's and its shadow's).
small="close_n close_d close_o radio_button_n radio_button_o radio_button_chack_n radio_button_chack_o
       temp_pic phase big_figure02 line01_s line02_s color_bar01 color_bar_top01 tbg_02_shadow"
medium="big_figure line01 line02 color_bar02 color_bar_top02 tbg_01_shadow"
large="big_figure01 line03 line04 tbg_00_shadow"
warning="warning_pic01 button01_n button01_d button01_o button01_un close_n close_d close_o pop_01_shadow"
for group in "8x4 $small" "16x2 $medium" "24x4 $large" "8x4,off $warning"; do
  set -- $group
  board profile "$1" >/dev/null
  profile=$1
  shift
  for picture in "$@" imgcodec.dll; do
    file=resource/$picture.png
    [ "$picture" = imgcodec.dll ] && file=$picture
    hide "$file"
    start "missing-$picture"
    told "$profile without $file" "${file//\//\\}"
    unhide "$file"
  done
done
# A library without the codec's entries is no codec either.
cp "$app/NRACPI.DLL" "$app/imgcodec.dll"
start unusable-codec
told "unusable codec" "imgcodec.dll is not a usable PNG codec" ""
cp "$bin/imgcodec.dll" "$app/"
# A boot start waits in the tray; its shadow is first needed at the first tray click.
board profile 8x4 >/dev/null
hide resource/tbg_02_shadow.png
start missing-boot -b
window "$(hidden 415 347)"
tray
click $trayX $trayY
told "-b without the shadow, at the tray click" 'resource\tbg_02_shadow.png'
unhide resource/tbg_02_shadow.png
# The codec is given back once the start-up pictures are decoded and loaded again for
# the shadow: gone by the tray click, it ends the program as it would at start.
start codec-gone-later -b
window "$(hidden 415 347)"
sleep 1
hide imgcodec.dll
tray
click $trayX $trayY
told "-b, the codec gone before the tray click" imgcodec.dll
unhide imgcodec.dll

section "damaged pictures"
# A picture the codec rejects stays empty and the program goes on.
for group in "8x4 415 $small" "16x2 680 $medium" "24x4 800 $large" "8x4,off 0 $warning"; do
  set -- $group
  board profile "$1" >/dev/null
  profile=$1 width=$2
  shift 2
  for picture in "$@"; do
    head -c 100 "$bin/resource/$picture.png" >"$app/resource/$picture.png"
  done
  start "damaged-$profile"
  if [ "$width" = 0 ]; then
    dialog || fail "damaged dialog pictures: no dialog"
    probe post TApplication Pellon 274 0xF060 >/dev/null
    ended 10 || { fail "damaged dialog pictures: did not end"; kill "$pid"; wait "$pid"; }
  else
    window "$(centred "$width" 347)"
    silent "$profile with damaged pictures"
    stop
  fi
  gone "$profile with damaged pictures"
  cp "$bin"/resource/*.png "$app/resource/"
done

section "language files"
# --- Language files: the texts fall back, nothing is said, the program runs.
board profile 8x4 >/dev/null
for file in LangFiles LangFiles/NrMultiLang.ini LangFiles/English/English.ini; do
  hide "$file"
  start "lang-${file##*/}"
  window "$(centred 415 347)" || fail "without $file"
  silent "without $file"
  stop
  gone "without $file"
  unhide "$file"
done

section "board faults"
# --- The board fails under the shown window: the bars take their defaults while it
# fails (an unread sensor shows no deviation; an unread mask keeps the last one) and the
# live readings once it works again.
board profile 8x4 >/dev/null
start board
window "$(centred 415 347)"
read -r _ _ left top _ <<<"$(centred 415 347)"
barTop=$((top + 75))
# bars TOPS...: the lit heights of bars 1 and 5 become "TOP1 TOP5" within two polls.
bars() {
  local i got
  for ((i = 0; i < 14; i++)); do
    sleep 0.5
    shot
    got="$(lit $((left + 75)) $barTop) $(lit $((left + 208)) $barTop)"
    [ "$got" = "$*" ] && return 0
  done
  echo "$got"
  return 1
}
board temp 0 60 >/dev/null
board temp 1 40 >/dev/null
live="132 59"
bars $live >/dev/null || fail "live readings: bars $(bars $live)"
for fault in "ec on" "ec 0 on" "read 0x1103001F on" "item 0x1103001F on" "group 0x11 on"; do
  board fail $fault >/dev/null || fail "boardctl fail $fault"
  expected=$live
  case $fault in
    "ec on") expected="97 97" ;;  # no sensor read: no average, no deviation
    "ec 0 on") expected="97 97" ;;  # sensor 1 alone is the average
  esac
  got=$(bars $expected) || fail "fail $fault: bars $got, expected $expected"
  board fail clear >/dev/null
  got=$(bars $live) || fail "after fail $fault: bars $got, expected $live"
done

# The mode is chosen while its item cannot be written: the labels and the registry take
# the choice, the item keeps its value, nothing is said; once writes work it is written.
savingRadio="$((left + 145)) $((top + 56))"
performanceRadio="$((left + 145)) $((top + 24))"
settles 0x00000000 item 0x1103001C || fail "the stored saving mode is not written at start"
board fail write 0x1103001C on >/dev/null
click $performanceRadio
settles 0x1 regget Mode || fail "write failing: registry Mode $got"
[ "$(item 0x1103001C)" = 0x00000000 ] || fail "write failing: the item changed"
silent "a failing mode write"
board fail clear >/dev/null
click $savingRadio
settles 0x00000000 item 0x1103001C || fail "writes back: item $got"
settles 0x0 regget Mode || fail "writes back: registry Mode $got"

# The driver goes away and comes back: the bars stand at their defaults, then read live.
wine sc stop NRVACPI >/dev/null 2>&1
got=$(bars 97 97) || fail "driver stopped: bars $got"
click $performanceRadio
settles 0x1 regget Mode || fail "driver stopped: registry Mode $got"
silent "driver stopped"
wine sc start NRVACPI >/dev/null 2>&1
board temp 0 60 >/dev/null
board temp 1 40 >/dev/null
got=$(bars $live) || fail "driver back: bars $got, expected $live"
before=$(writes 0x1103001C)
click $savingRadio
settles $((before + 1)) writes 0x1103001C || fail "driver back: the mode is not written ($before -> $got writes)"
settles 0x00000000 item 0x1103001C || fail "driver back: item $got"

section "random messages"
# --- Other processes: random messages of every kind. Only the commands with the tag,
# an exact SC_CLOSE and the resumes act; every resume writes the mode; nothing grows.
seed=${PELLON_FUZZ_SEED:-$((RANDOM * 32768 + RANDOM))}
before=$(writes 0x1103001C)
fds=$(ls /proc/$pid/fd | wc -l)
report=$(probe fuzz "$seed" "$messages")
echo "$report"
kill -0 "$pid" 2>/dev/null || fail "the program ended under the messages of seed $seed"
read -r _ _ resumes _ _ _ startKb _ endKb _ _ startWindows _ endWindows <<<"$(tail -1 <<<"$report" | tr -d ',;')"
[ "${startWindows:-}" ] && [ "$startWindows" = "$endWindows" ] || fail "seed $seed: $report"
[ $((${endKb:-0} - ${startKb:-0})) -lt 2048 ] || fail "seed $seed: the working set grew by $((endKb - startKb)) KB"
after=$(writes 0x1103001C)
[ "$after" = $((before + ${resumes:-0})) ] || fail "seed $seed: $before -> $after mode writes for $resumes resumes"
[ "$(ls /proc/$pid/fd | wc -l)" -le $((fds + 2)) ] || fail "seed $seed: open files $fds -> $(ls /proc/$pid/fd | wc -l)"

section "resume storm"
# A resume storm: every resume writes the mode; nothing grows.
probe send TMainForm Pellon 1026 85 >/dev/null
probe repeat TMainForm Pellon 536 18 100 || fail "resume storm: no answer"
read -r startKb startWindows <<<"$(probe memory TMainForm Pellon)"
before=$(writes 0x1103001C)
probe repeat TMainForm Pellon 536 18 1000 || fail "resume storm: no answer"
[ "$(writes 0x1103001C)" = $((before + 1000)) ] || fail "resume storm: $(($(writes 0x1103001C) - before)) writes"
read -r endKb endWindows <<<"$(probe memory TMainForm Pellon)"
[ "$endWindows" = "$startWindows" ] && [ $((endKb - startKb)) -lt 1024 ] ||
  fail "resume storm: working set $startKb -> $endKb KB, windows $startWindows -> $endWindows"
stop
gone "after the messages"

# The next start works.
start next
window "$(centred 415 347)"
stop

[ $fails -eq 0 ] && echo "pellon.exe under faults: all checks passed"
exit $((fails > 0))
