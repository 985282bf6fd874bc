#!/usr/bin/env bash
# The real pellon.exe on the simulated board, driven from outside: other processes'
# messages (pellon_probe), the board tool and the registry; what it did is read back
# from its windows, its exit status, the BIOS items and its trace lines.
# Runs in the 64-bit prefix (WINEPREFIX set by the caller) under Xvfb.
#   end-to-end.sh BIN_DIR
set -u -o pipefail
bin=$1
. "$(dirname "$0")/e2e-lib.sh"
# The pointer starts in the screen's middle, over a bar: its tooltip would hide bars.
xdotool mousemove 0 0

# --- Start-up on the default board: one centred window of the small layout.
board profile 8x4 >/dev/null
regdel Mode
start first
window "$(centred 415 347)"
[ "$(item 0x1103001C)" = 0x00000001 ] || fail "the stored default mode 1 is not written at start"
[ "$(regget Mode)" = 0x1 ] || fail "registry Mode is $(regget Mode), expected 0x1"
read -r _ _ left top _ <<<"$(centred 415 347)"
[ "$(probe owned TMainForm Pellon)" = "TShadowForm 1 0 $left $top $(pngsize tbg_02_shadow.png)" ] ||
  fail "shadow: $(probe owned TMainForm Pellon)"
[ "$(probe foreground)" = "TMainForm|Pellon" ] || fail "the shadow took the activation"

# Bars: the phases of sensor 0 (bars 1-4) and of sensor 1 (bars 5-8) after a change of
# both sensors, within one poll: average 50, deviations +10 and -10.
board temp 0 60 >/dev/null
board temp 1 40 >/dev/null
sleep 3.5
shot
barTop=$((top + 75))
for bar in "0 66 132" "3 165 132" "4 199 59" "7 299 59"; do
  set -- $bar
  got=$(lit $((left + $2 + 9)) $barTop)
  [ "$got" = "$3" ] || fail "bar $(($1 + 1)): lit height $got, expected $3"
done
# The legend reads the average, a bar's tooltip its sensor; the tooltip follows the next
# poll while it is open (average 52, deviations +12 and -12).
valueshows "50 °C" || fail "legend value: expected 50 °C, the screen holds:"$'\n'"$got"
hover $((left + 75)) $((barTop + 170))
settles "Phase 01: 60 °C (+10 °C)" probe hint || fail "bar 1 tooltip: '$got'"
board temp 0 64 >/dev/null
settles "Phase 01: 64 °C (+12 °C)" probe hint || fail "bar 1 tooltip after a poll: '$got'"
hover $((left + 208)) $((barTop + 170))
settles "Phase 05: 40 °C (-12 °C)" probe hint || fail "bar 5 tooltip: '$got'"
xdotool mousemove 0 0
settles "" probe hint || fail "the tooltip stayed after the pointer left: '$got'"
# A disabled sensor's bars stand at the zero level, veiled; sensor 0 is now the average.
board item 0x1103001F 0x02 >/dev/null
sleep 3.5
shot
[ "$(lit $((left + 199 + 9)) $barTop)" = 97 ] || fail "disabled bar 5: lit height $(lit $((left + 208)) $barTop)"
[ "$(lit $((left + 66 + 9)) $barTop)" = 97 ] || fail "bar 1 is not at the zero level"
IFS=, read -r r1 g1 b1 <<<"$(pixel $((left + 75)) $((barTop + 150)))"
IFS=, read -r r5 g5 b5 <<<"$(pixel $((left + 208)) $((barTop + 150)))"
[ $((r5 + g5 + b5)) -lt $(((r1 + g1 + b1) / 2)) ] || fail "disabled bar 5 is not veiled ($r5,$g5,$b5 vs $r1,$g1,$b1)"
# The switched-off sensor leaves the average (sensor 0 alone: 64) and says so.
valueshows "64 °C" || fail "legend value without sensor 1: the screen holds:"$'\n'"$got"
hover $((left + 208)) $((barTop + 170))
settles "Phase 05: sensor off" probe hint || fail "switched-off bar 5 tooltip: '$got'"
xdotool mousemove 0 0
# With no sensor enabled there is no average to show.
board item 0x1103001F 0x00000000 >/dev/null
sleep 3.5
shot
valueshows "" || fail "a value shows with every sensor off (brightest green $got)"
board item 0x1103001F 0x22 >/dev/null

# Mode: a click on a radio button writes the item and the registry, every time; a click
# on the label of the active mode writes nothing. The small window has the performance
# choice above the saving choice, its radio button at top 22 and its label at 23.
savingRadio="$((left + 145)) $((top + 56))"
performanceRadio="$((left + 145)) $((top + 24))"
savingLabel="$((left + 175)) $((top + 53))"
performanceLabel="$((left + 175)) $((top + 25))"
click $savingRadio
settles 0x00000000 item 0x1103001C || fail "saving radio: item $got"
settles 0x0 regget Mode || fail "saving radio: registry Mode $got"
before=$(writes 0x1103001C)
click $savingRadio
settles $((before + 1)) writes 0x1103001C || fail "a click on the active radio button wrote nothing"
before=$(writes 0x1103001C)
click $savingLabel
[ "$(writes 0x1103001C)" = "$before" ] || fail "a click on the active mode's label wrote the item"
click $performanceLabel
settles 0x00000001 item 0x1103001C || fail "performance label: item $got"
settles 0x1 regget Mode || fail "performance label: registry Mode $got"
click $savingLabel
settles 0x00000000 item 0x1103001C || fail "saving label: item $got"
click $performanceRadio
settles 0x00000001 item 0x1103001C || fail "performance radio: item $got"
settles 0x1 regget Mode || fail "performance radio: registry Mode $got"
click $savingRadio
settles 0x00000000 item 0x1103001C || fail "saving radio again: item $got"
sleep 0.3  # and its repaint
shot
savingChecked=$(pixel $savingRadio)
performanceUnchecked=$(pixel $((left + 145)) $((top + 32)))
[ "$savingChecked" != "$performanceUnchecked" ] || fail "the checked radio button looks like the unchecked one"

# Dragging the window by its background moves it, and its shadow follows.
xdotool mousemove $((left + 300)) $((top + 30)) mousedown 1 sleep 0.2 \
  mousemove $((left + 320)) $((top + 40)) sleep 0.2 mousemove $((left + 340)) $((top + 50)) \
  sleep 0.2 mouseup 1
sleep 0.5
read -r _ _ movedLeft movedTop _ <<<"$(probe find TMainForm Pellon)"
[ "$movedLeft $movedTop" = "$((left + 40)) $((top + 20))" ] || fail "drag: window at $movedLeft $movedTop"
[ "$(probe owned TMainForm Pellon | cut -d' ' -f4,5)" = "$movedLeft $movedTop" ] ||
  fail "the shadow did not follow the drag: $(probe owned TMainForm Pellon)"
probe send TMainForm Pellon 1024 85 >/dev/null
ended 10 || fail "1024 did not end the program"

# A restart shows the stored saving mode, and writes it.
start second
window "$(centred 415 347)"
settles 0x00000000 item 0x1103001C || fail "restart: item $got"
shot
[ "$(pixel $savingRadio)" = "$savingChecked" ] || fail "restart: the saving radio button is not checked"

# The close button hides to the tray; polling stops; a click on the tray entry shows it.
click $((left + 376)) $((top + 26))
window "$(hidden 415 347)"
reads=$(temps second)
sleep 3.5
[ "$(temps second)" = "$reads" ] || fail "polling went on while hidden"
tray
click $trayX $trayY
window "$(centred 415 347)"

# The keyboard alone: shown again, the checked choice (saving) has the focus; Tab goes on
# to the close button and round to the performance choice without choosing, Space
# chooses it, Right moves on to the saving choice and chooses it, Esc hides to the tray.
[ "$(probe foreground)" = "TMainForm|Pellon" ] || fail "keyboard: the window is not in front"
before=$(writes 0x1103001C)
xdotool key Tab sleep 0.2 key Tab
sleep 0.5
[ "$(writes 0x1103001C)" = "$before" ] || fail "Tab chose a mode"
xdotool key space
settles 0x00000001 item 0x1103001C || fail "Space: item $got"
settles 0x1 regget Mode || fail "Space: registry Mode $got"
xdotool key Right
settles 0x00000000 item 0x1103001C || fail "Right: item $got"
settles 0x0 regget Mode || fail "Right: registry Mode $got"
[ "$(writes 0x1103001C)" = $((before + 2)) ] || fail "keyboard: $(writes 0x1103001C) writes, expected $((before + 2))"
xdotool key Escape
window "$(hidden 415 347)"
click $trayX $trayY
window "$(centred 415 347)"

# The tray menu: "Run at system startup" starts checked and toggles the stored value
# (kept inverted: 1 is off); "Exit" ends the program.
menu() { click $trayX $trayY 3; click $((trayX + 48)) $((trayY + 10 + 17 * $1)); }
menu 0
[ "$(regget RunAtSystemStartup)" = 0x1 ] || fail "first toggle: RunAtSystemStartup $(regget RunAtSystemStartup)"
menu 0
[ "$(regget RunAtSystemStartup)" = 0x0 ] || fail "second toggle: RunAtSystemStartup $(regget RunAtSystemStartup)"
menu 1
ended 10 || { fail "Exit did not end the program"; stop; }
regset Mode 1
start handover
window "$(centred 415 347)"

# A second instance hands over and quits; no second window opens.
probe send TMainForm Pellon 1025 85 >/dev/null  # minimise, so the handover has something to undo
[ "$(probe find TApplication Pellon | cut -d' ' -f2)" = 1 ] || fail "1025 did not minimise the application"
wine "$bin/pellon.exe" >/dev/null 2>&1; status=$?
[ $status -eq 0 ] || fail "second instance exit status $status"
[ "$(probe count TMainForm Pellon)" = 1 ] || fail "a second main window opened"
window "$(centred 415 347)"
[ "$(probe foreground)" = "TMainForm|Pellon" ] || fail "the handover did not bring the window to the front"

# The commands only act with 85 in the low byte of wParam.
probe post TApplication Pellon 274 0xF060 >/dev/null  # SC_CLOSE to the taskbar entry: hides
window "$(hidden 415 347)"
probe send TMainForm Pellon 1027 84 >/dev/null
probe send TMainForm Pellon 1026 0x154 >/dev/null
sleep 0.5
window "$(hidden 415 347)"
probe send TMainForm Pellon 1027 0x155 >/dev/null
window "$(centred 415 347)"
probe post TApplication Pellon 274 0xF060 >/dev/null
window "$(hidden 415 347)"
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

# --- A board of 16 phases whose sensor 3 cannot be read: the average leaves it out
# (40, 42, 44, 48, 50, 52, 54: 47) and its bars say so.
board profile 16x2 >/dev/null
for sensor in 0 1 2 3 4 5 6 7; do board temp "$sensor" $((40 + 2 * sensor)) >/dev/null; done
board fail ec 3 on >/dev/null
start readings
window "$(centred 680 347)"
read -r _ _ left top _ <<<"$(centred 680 347)"
sleep 1
shot
valueshows "47 °C" || fail "16 phases: legend value, the screen holds:"$'\n'"$got"
hover $((left + 75)) $((top + 245))
settles "Phase 01: 40 °C (-7 °C)" probe hint || fail "16 phases: bar 1 tooltip '$got'"
hover $((left + 341)) $((top + 245))  # bar 9 shows phase 6, of sensor 3
settles "Phase 09: no reading" probe hint || fail "16 phases: bar 9 tooltip '$got'"
xdotool mousemove 0 0
board fail clear >/dev/null
stop
read -r _ _ left top _ <<<"$(centred 415 347)"

# --- Boot start: hidden, one refresh at build and none while hidden, polling once shown.
board profile 8x4 >/dev/null
start boot -b
sleep 1
window "$(hidden 415 347)"
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
window "$(hidden 415 347)"
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

# --- Languages by the system's language: the "Phase" title keeps 28 pixels to the right
# edge in English, 20 in Japanese and 14 in Chinese (plus the 10 it is widened by).
board profile 8x4 >/dev/null
for lang in "en_US.UTF-8 377" "ja_JP.UTF-8 385" "zh_CN.UTF-8 391" "zh_TW.UTF-8 391"; do
  set -- $lang
  LANG=$1 LC_ALL=$1 start "lang-$1"
  window "$(centred 415 347)"
  sleep 0.5
  shot
  box=$(ink $((left + 330)) $((top + 276)) 80 24)
  right=$((${box%%x*} + $(cut -d+ -f2 <<<"$box") + 330))
  [ $((right - $2)) -ge -2 ] && [ $((right - $2)) -le 2 ] || fail "$1: the phase title ends at $right, expected $2"
  stop
done

# --- Feature off: the warning dialog, centred, with its shadow; a second start brings
# it to the front; "Ok", its close button and a close from the taskbar each end it.
board profile 8x4,off >/dev/null
start warning
dialog
[ "$(probe count TMainForm Pellon)" = 1 ] || fail "no hidden main form"
[ "$(probe find TMainForm Pellon | cut -d' ' -f1)" = 0 ] || fail "the main form shows with the feature off"
[ "$(probe owned TWarnForm WarnForm)" = "TWarnShadow 1 0 $dleft $dtop $(pngsize pop_01_shadow.png)" ] ||
  fail "dialog shadow: $(probe owned TWarnForm WarnForm)"
shot
message=$(ink $((dleft + 155)) $((dtop + 52)) 230 80)
[ "${message%%x*}" -gt 150 ] || fail "no message drawn ($message)"
# The title is the language's "Warning", in red bold Arial 12 pixels high.
titleWidth() { convert "$log/shot.png" -crop 230x18+$((dleft + 155))+$((dtop + 18)) +repage \
                 -fx "r > 0.6 && g < 0.4 && b < 0.4" -format "%@" info: | cut -dx -f1; }
expected=$(convert -density 72 -font Liberation-Sans-Bold -pointsize 12 label:Warning -trim -format %w info:)
got=$(titleWidth)
[ $((got - expected)) -ge -3 ] && [ $((got - expected)) -le 3 ] || fail "red title $got wide, \"Warning\" is $expected"
wine "$bin/pellon.exe" >/dev/null 2>&1 || fail "second start during the warning"
[ "$(probe foreground)" = "TWarnForm|WarnForm" ] || fail "the dialog is not in front after a second start"
# Without a controller a resume writes nothing and 1026 brings the dialog up.
before=$(writes 0x1103001C)
probe send TMainForm Pellon 536 18 >/dev/null
[ "$(writes 0x1103001C)" = "$before" ] || fail "a resume with the feature off wrote the mode"
probe send TMainForm Pellon 1026 85 >/dev/null
[ "$(probe foreground)" = "TWarnForm|WarnForm" ] || fail "1026 did not bring the dialog up"
[ "$(probe find TMainForm Pellon | cut -d' ' -f1)" = 0 ] || fail "1026 showed the main form with the feature off"
click $((dleft + 195)) $((dtop + 153))
ended 10 || { fail "Ok did not end the program"; kill "$pid"; wait "$pid"; }
start warning2
dialog
click $((dleft + 376)) $((dtop + 26))
ended 10 || { fail "the close button did not end the program"; kill "$pid"; wait "$pid"; }
# In Japanese the title is "警告", two full-width characters.
LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 start warning-ja
dialog
shot
got=$(titleWidth)
[ "$got" -ge 20 ] && [ "$got" -le 26 ] || fail "Japanese title $got wide, expected two 12-pixel characters"
click $((dleft + 376)) $((dtop + 26))
ended 10 || { fail "the close button did not end the program"; kill "$pid"; wait "$pid"; }
start warning3
dialog
probe post TApplication Pellon 274 0xF060 >/dev/null
ended 10 || { fail "a close from the taskbar did not end the program"; kill "$pid"; wait "$pid"; }
# Enter and Esc answer the dialog as "Ok" does.
for keyName in Return Escape; do
  start "warning-$keyName"
  dialog
  [ "$(probe foreground)" = "TWarnForm|WarnForm" ] || fail "$keyName: the dialog is not in front"
  xdotool key $keyName
  ended 10 || { fail "$keyName did not end the program"; kill "$pid"; wait "$pid"; }
done

# --- A missing picture: the file-open error is shown, then the program ends with 0.
board profile 8x4 >/dev/null
mv "$bin/resource/phase.png" "$log/phase.png"
start missing
for ((i = 0; i < 50; i++)); do text=$(probe msgbox Pellon) && break; sleep 0.2; done
[[ "$text" == "Cannot open file "*'\resource\phase.png.' ]] || fail "missing picture: '$text'"
probe press Pellon || fail "no message box for the missing picture"
ended 10 || { fail "did not end after the missing picture"; kill "$pid"; wait "$pid"; }
mv "$log/phase.png" "$bin/resource/phase.png"

# --- Feature off, boot start: ends at once without a window.
board profile 8x4,off >/dev/null
start offboot -b
ended 10 || { fail "-b with the feature off did not end"; stop; }

[ $fails -eq 0 ] && echo "pellon.exe end to end: all checks passed"
exit $((fails > 0))
