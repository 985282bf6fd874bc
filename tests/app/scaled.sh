#!/usr/bin/env bash
# The real pellon.exe on a display of 144 and 192 pixels per inch (150 % and 200 %), set
# as the user's display settings set it (LogPixels) and put back to 96 at the end. The
# window, its shadow and the dialog come in the scale's pixels and centred; the bars,
# the legend and real clicks land where the scaled layout puts them; the bars are the
# artwork's own pixels, not a stretched picture.
# Runs in the 64-bit prefix (WINEPREFIX set by the caller) under Xvfb.
#   scaled.sh BIN_DIR
set -u -o pipefail
bin=$1
. "$(dirname "$0")/e2e-lib.sh"
logPixels() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }
trap 'logPixels 96; restore; rm -rf "$log"' EXIT
xdotool mousemove 0 0

# row FILE X Y W: the RGB bytes of W pixels of a row of a picture, as hex.
row() { convert "$1" -crop "$4x1+$2+$3" +repage -alpha off -depth 8 rgb:- | od -An -tx1 | tr -d ' \n'; }

for setting in "144 150" "192 200"; do
  read -r dpi pct <<<"$setting"
  logPixels "$dpi"
  # A 96-DPI figure in this scale's pixels, halves away from zero.
  sc() { echo $((($1 * pct + ($1 < 0 ? -50 : 50)) / 100)); }
  art=$app/resource/$pct

  board profile 8x4 >/dev/null
  board temp 0 60 >/dev/null
  board temp 1 40 >/dev/null
  regdel Mode
  start "small$pct"
  width=$(sc 415) height=$(sc 347)
  window "$(centred "$width" "$height")" || { stop; continue; }
  read -r _ _ left top _ <<<"$(centred "$width" "$height")"
  [ "$(probe owned TMainForm Pellon)" = "TShadowForm 1 0 $left $top $(pngsize "$pct/tbg_02_shadow.png")" ] ||
    fail "$pct %: shadow $(probe owned TMainForm Pellon)"
  sleep 3.5
  shot
  # Bars 1 and 5 (+10 and -10 from the average) lit to the 96-DPI heights, scaled.
  barTop=$((top + $(sc 75)))
  read -r barWidth barHeight <<<"$(pngsize "$pct/color_bar01.png")"
  for bar in "1 66 132" "5 199 59"; do
    read -r n x lit <<<"$bar"
    got=$(lit $((left + $(sc "$x") + $(sc 9))) "$barTop" "$barHeight")
    [ "$got" = "$(sc "$lit")" ] || fail "$pct %: bar $n lit $got, expected $(sc "$lit")"
  done
  # Rows of bar 1's lit part are the picture's rows, column for column: nothing between
  # the artwork and the screen interpolates.
  for y in 20 90; do
    y=$((barHeight - $(sc "$y")))
    [ "$(row "$log/shot.png" $((left + $(sc 66))) $((barTop + y)) "$barWidth")" = \
      "$(row "$art/color_bar01.png" 0 "$y" "$barWidth")" ] || fail "$pct %: bar 1 row $y is not the picture's"
  done
  # The legend's value ends at the right of its box, as wide as its scaled font draws it.
  want=$(probe textmask "MS Sans Serif" "$(sc -11)" 700 "50 °C" | head -1 | tr -d '\n' | wc -c)
  from=$(($(sc 208) - want - $(sc 8)))
  box=$(ink $((left + from)) $((top + $(sc 293))) $((want + $(sc 8) + 2)) $(sc 17))
  boxWidth=${box%%x*} boxRight=$(($(cut -d+ -f2 <<<"$box") + ${box%%x*} + from))
  [ $((boxWidth - want)) -ge -1 ] && [ $((boxWidth - want)) -le 1 ] &&
    [ $((boxRight - $(sc 208))) -ge -2 ] && [ $((boxRight - $(sc 208))) -le 0 ] ||
    fail "$pct %: legend value ink $box, expected $want wide ending at $(sc 208)"
  # Real clicks: the saving choice's button, then the performance choice's label.
  click $((left + $(sc 143))) $((top + $(sc 54)))
  settles 0x00000000 item 0x1103001C || fail "$pct %: a click on the saving choice wrote $got"
  click $((left + $(sc 180))) $((top + $(sc 29)))
  settles 0x00000001 item 0x1103001C || fail "$pct %: a click on the performance label wrote $got"
  [ "$(regget Mode)" = 0x1 ] || fail "$pct %: registry Mode $(regget Mode)"
  xdotool mousemove 0 0
  stop

  # The dialog and its shadow, in the scale's pixels and centred.
  board profile 8x4,off >/dev/null
  start "warning$pct"
  dialog "$(sc 414)" "$(sc 192)"
  [ "$(probe owned TWarnForm WarnForm)" = "TWarnShadow 1 0 $dleft $dtop $(pngsize "$pct/pop_01_shadow.png")" ] ||
    fail "$pct %: dialog shadow $(probe owned TWarnForm WarnForm)"
  click $((dleft + $(sc 207))) $((dtop + $(sc 154)))  # its "Ok" button
  ended 10 || { fail "$pct %: a click on Ok did not end the dialog"; kill "$pid"; wait "$pid"; }
done
logPixels 96
[ "$fails" -eq 0 ] && echo "scaled: all checks passed"
exit $((fails > 0))
