#!/usr/bin/env bash
# Composes docs/art-sheet.png (every picture over what it is drawn on) and
# docs/art-mockup-*.png (the three main layouts and the dialog) from the rendered
# files, placed where the program places them. Called by make-art.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
res=$root/resource appres=$root/app/res docs=$root/docs
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
desk='#5d6872' panel='#15191c'
font=Liberation-Sans bold=Liberation-Sans-Bold
out() { convert "$1" -depth 8 -define png:exclude-chunks=date,time -strip "$2"; }

# text IMAGE X Y FONT SIZE COLOUR TEXT [GLOW]: draws TEXT with its top-left at (X, Y),
# over a blurred copy in GLOW when one is given (the glowing mode labels).
text() {
  local img=$1 x=$2 y=$3 f=$4 size=$5 colour=$6 t=$7 glow=${8:-}
  if [ -n "$glow" ]; then
    convert -background none -fill "$glow" -font "$f" -pointsize "$size" label:"$t" \
            -bordercolor none -border 4 -channel A -blur 0x2 -level 0,60% +channel "$tmp/g.png"
    convert "$img" "$tmp/g.png" -geometry +$((x - 4))+$((y - 4)) -composite "$img"
  fi
  convert "$img" -gravity NorthWest -font "$f" -pointsize "$size" -fill "$colour" \
          -annotate +"$x"+"$y" "$t" "$img"
}

place() { convert "$1" "$2" -geometry +"$3"+"$4" -composite "$1"; }
# legendvalue IMAGE FONT TEXT: the average's value, right-aligned at the end of the
# legend's box, in the colour of the average line.
legendvalue() {
  local vw
  vw=$(convert -font "$2" -pointsize 11 label:"$3" -format %w info:)
  text "$1" $((208 - vw)) 295 "$2" 11 '#28ffd5' "$3"
}

# lit HEIGHT DEVIATION: the bar scale of a 184-pixel bar.
lit() {
  local v=$1 h=184
  if   [ "$v" -gt 50 ]; then echo $h
  elif [ "$v" -ge 13 ]; then echo $((h + (v - 50) * (h - 134) / 38))
  elif [ "$v" -ge 3 ]; then echo $((122 + v))
  elif [ "$v" -eq 2 ]; then echo 124
  elif [ "$v" -eq 1 ]; then echo 110
  elif [ "$v" -eq 0 ]; then echo 97
  elif [ "$v" -eq -1 ]; then echo 82
  elif [ "$v" -eq -2 ]; then echo 67
  elif [ "$v" -ge -12 ]; then echo $((69 + v))
  elif [ "$v" -ge -50 ]; then echo $(((v + 50) * 57 / 38))
  else echo 0
  fi
}

# bar OUT N DEVIATION ENABLED: one composed phase bar, as the bar control renders it.
bar() {
  local outf=$1 n=$2 v=$3 on=$4 h g cap caph bw
  h=$(lit "$v")
  [ "$on" = 1 ] || h=97
  caph=$(identify -format %h "$res/color_bar_top$n.png")
  bw=$(identify -format %w "$res/color_bar$n.png")
  [ "$h" -lt "$caph" ] && h=$caph
  g=$((184 - h))
  cp "$res/color_bar$n.png" "$outf"
  [ "$on" = 1 ] || convert "$outf" \( +clone -fill black -colorize 100 -channel A -evaluate set 70.6% +channel \) \
                           -compose src-atop -composite "$outf"
  [ "$h" -gt "$caph" ] && place "$outf" "$res/color_bar_top$n.png" 0 $g
  if [ $g -gt 0 ]; then
    convert "$outf" -region ${bw}x$g+0+0 -alpha transparent +region "$outf"
  fi
}

# main NAME WIDTH LAST-BAR BARS BAR-FILES LINE1 LINE2 FIGURE SHADOW: a main layout.
main() {
  local name=$1 w=$2 last=$3 count=$4 n=$5 line1=$6 line2=$7 figure=$8 sh=$9 win
  win=$tmp/win.png
  convert "$appres/${name}Bk.bmp" -alpha set "$win"
  place "$win" "$res/$line1.png" 55 162
  place "$win" "$res/$line2.png" 57 135
  place "$win" "$res/$line2.png" 55 192
  place "$win" "$res/$figure.png" 53 68
  place "$win" "$res/temp_pic.png" 26 66
  place "$win" "$res/phase.png" $((w - 78 > 342 ? w - 78 : 342)) 250
  place "$win" "$res/close_n.png" $((w - 52)) 15
  local pr=$((w - 523)) pl=$((w - 499)) pt=46 plt=47
  if [ "$w" -eq 415 ]; then pr=135 pl=161 pt=22 plt=23; fi
  place "$win" "$res/radio_button_chack_n.png" $pr $pt
  place "$win" "$res/radio_button_n.png" $((w - 280)) 46
  text "$win" $pl $plt $bold 11 '#77ffff' 'Performance Mode' '#2760b9'
  text "$win" $((w - 254)) 47 $bold 11 '#335c5c' 'Power Saving Mode' '#263d3d'
  text "$win" 21 156 $bold 11 '#28ffd5' 'AVG.'
  text "$win" 21 295 $bold 11 '#28ffd5' 'AVG:'
  text "$win" 56 295 $font 11 '#cfcfcf' 'Average temperature'
  legendvalue "$win" $bold '47 °C'
  local tw
  tw=$(convert -font $font -pointsize 11 label:Phase -format %w info:)
  text "$win" $((w - tw - 10 - 28)) 280 $font 11 '#cfcfcf' 'Phase'
  local deviations=(0 1 2 -1 3 6 -2 0 9 16 -4 1 0 -1 2 -3 5 -8 1 0 -2 3 60 -60)
  local i v on
  for ((i = 0; i < count; i++)); do
    v=${deviations[$i]} on=1
    [ "$i" -eq 3 ] && on=0
    bar "$tmp/bar.png" "$n" "$v" $on
    local x=$(((last - 66) * i / (count - 1) + 66))
    place "$win" "$tmp/bar.png" $x 75
    text "$win" $((x + 4)) 269 $font 11 '#cfcdcd' "$(printf %02d $((i + 1)))"
  done
  convert "$win" -fill none -opaque '#FF00FF' "$win"
  convert -size $((w + 60))x407 xc:"$desk" "$win" -geometry +30+30 -composite \
          "$res/$sh.png" -geometry +30+30 -composite "$tmp/mock.png"
  out "$tmp/mock.png" "$docs/art-mockup-$(echo "$name" | tr 'A-Z' 'a-z').png"
}

main Large 800 685 24 01 line03 line04 big_figure01 tbg_00_shadow
main Medium 680 565 24 02 line01 line02 big_figure tbg_01_shadow
main Small 415 299 8 01 line01_s line02_s big_figure02 tbg_02_shadow

win=$tmp/win.png
convert "$appres/WarnBk.bmp" -alpha set "$win"
place "$win" "$res/warning_pic01.png" 20 20
text "$win" 155 20 $bold 12 '#f12b28' 'Warning'
convert -background none -fill '#cdcdcd' -font $font -pointsize 12 -size 230x caption:'Pellon is turned off in the BIOS. Please enable it in BIOS Setup and restart the computer.' "$tmp/msg.png"
place "$win" "$tmp/msg.png" 155 52
place "$win" "$res/button01_n.png" 150 140
text "$win" 199 147 $font 11 '#cccccc' 'OK'
place "$win" "$res/close_n.png" 365 15
convert "$win" -fill none -opaque '#FF00FF' "$win"
convert -size 474x252 xc:"$desk" "$win" -geometry +30+30 -composite \
        "$res/pop_01_shadow.png" -geometry +30+30 -composite "$tmp/mock.png"
out "$tmp/mock.png" "$docs/art-mockup-dialog.png"

# Every language in the small window's top rows and under its bars, and on the
# dialog's button: the texts from the language files, in their code pages.
langtext() { iconv -f "$2" -t UTF-8 "$root/LangFiles/$1/$1.ini" | sed -n "s/^$3=//p" | tr -d '\r'; }
rows=()
for entry in English:CP1252 German:CP1252 French:CP1252 Spanish:CP1252 Russian:CP1251 \
             Japanese:CP932 SChinese:GBK TChinese:BIG5 Korean:CP949; do
  lang=${entry%%:*} cp=${entry#*:} f=$font fb=$bold
  case $lang in Japanese | SChinese | TChinese | Korean) f=WenQuanYi-Zen-Hei fb=WenQuanYi-Zen-Hei ;; esac
  win=$tmp/lang.png
  convert "$appres/SmallBk.bmp" -alpha set "$win"
  place "$win" "$res/close_n.png" 365 15
  place "$win" "$res/radio_button_chack_n.png" 135 22
  place "$win" "$res/radio_button_n.png" 135 46
  text "$win" 161 23 $fb 11 '#77ffff' "$(langtext $lang $cp PreformanceMode)" '#2760b9'
  text "$win" 161 47 $fb 11 '#335c5c' "$(langtext $lang $cp SavingMode)" '#263d3d'
  phase=$(langtext $lang $cp Phase)
  tw=$(convert -font $f -pointsize 11 label:"$phase" -format %w info:)
  place "$win" "$res/phase.png" 342 250
  case $lang in  # the program's own shifts of the title for these languages
    Japanese) text "$win" $((415 - tw - 10 - 20)) 280 $f 11 '#cfcfcf' "$phase" ;;
    SChinese | TChinese) text "$win" $((415 - tw - 10 - 14)) 282 $f 10 '#cfcfcf' "$phase" ;;
    *) text "$win" $((415 - tw - 10 - 28)) 280 $f 11 '#cfcfcf' "$phase" ;;
  esac
  text "$win" 21 295 $fb 11 '#28ffd5' 'AVG:'
  text "$win" 56 295 $f 11 '#cfcfcf' "$(langtext $lang $cp AVG)"
  legendvalue "$win" $fb "$(langtext $lang $cp Degrees | sed 's/%1/47/')"
  convert "$win" -fill none -opaque '#FF00FF' "$win"
  dialog=$tmp/dialog.png
  convert "$appres/WarnBk.bmp" -alpha set "$dialog"
  place "$dialog" "$res/button01_n.png" 150 140
  ok=$(langtext $lang $cp Ok)
  tw=$(convert -font $f -pointsize 11 label:"$ok" -format %w info:)
  text "$dialog" $((150 + (114 - tw) / 2)) 147 $f 11 '#cccccc' "$ok"
  convert "$win" \( +clone -crop 415x68+0+0 \) \( -clone 0 -crop 204x24+12+288 \) \( -clone 0 -crop 100x60+315+245 \) \
          \( "$dialog" -crop 134x40+140+134 \) -delete 0 -background "$panel" -gravity center \
          +append -bordercolor "$panel" -border 4 "$tmp/row-$lang.png"
  rows+=("$tmp/row-$lang.png")
done
convert "${rows[@]}" -append "$tmp/langs.png"
out "$tmp/langs.png" "$docs/art-mockup-languages.png"

# The contact sheet: every picture at 100 %, over what it is drawn on (the window's
# body; the desktop for shadows and icons), named with its size, one group a band.
# group OUT BACKGROUND COLUMNS MIN-WIDTH FILES...: one band of the sheet; each picture
# at 100 %, on a cell at least MIN-WIDTH wide so that the names under them stay apart.
group() {
  local outf=$1 bg=$2 tile=$3 min=$4 f w h cells=()
  shift 4
  rm -rf "$tmp/cells" && mkdir -p "$tmp/cells"
  for f in "$@"; do
    w=$(identify -format %w "$f") h=$(identify -format %h "$f")
    cells+=(-label "$(basename "${f%.*}")  ${w}x$h" "$tmp/cells/${#cells[@]}.png")
    convert "$f" -background none -gravity center -extent $((w > min ? w : min))x$h "${cells[-1]}"
  done
  montage -background "$bg" -fill '#c8d0d4' -font $font -pointsize 11 \
          "${cells[@]}" -tile "$tile" -geometry +10+8 "$outf"
}
heading() {
  convert -background '#0b0e10' -fill '#28ffd5' -font $bold -pointsize 13 label:"  $1" \
          -extent 1000x26 "$2"
}
cd "$res"
group "$tmp/s1.png" "$panel" 8x 120 close_n.png close_o.png close_d.png button01_n.png \
      button01_o.png button01_d.png button01_un.png phase.png radio_button_n.png \
      radio_button_o.png radio_button_chack_n.png radio_button_chack_o.png
group "$tmp/s7.png" "$panel" 2x 120 temp_pic.png warning_pic01.png
for n in 01 02; do
  mkdir -p "$tmp/bars$n"
  for v in -60 -12 -2 0 2 12 30 60; do
    bar "$tmp/bars$n/at $v.png" $n $v 1
  done
  bar "$tmp/bars$n/disabled at 5.png" $n 5 0
done
group "$tmp/s2.png" "$panel" 11x 76 color_bar01.png color_bar_top01.png "$tmp/bars01/at -60.png" \
      "$tmp/bars01/at -12.png" "$tmp/bars01/at -2.png" "$tmp/bars01/at 0.png" \
      "$tmp/bars01/at 2.png" "$tmp/bars01/at 12.png" "$tmp/bars01/at 30.png" \
      "$tmp/bars01/at 60.png" "$tmp/bars01/disabled at 5.png" \
      color_bar02.png color_bar_top02.png "$tmp/bars02/at -60.png" \
      "$tmp/bars02/at -12.png" "$tmp/bars02/at -2.png" "$tmp/bars02/at 0.png" \
      "$tmp/bars02/at 2.png" "$tmp/bars02/at 12.png" "$tmp/bars02/at 30.png" \
      "$tmp/bars02/at 60.png" "$tmp/bars02/disabled at 5.png"
group "$tmp/s3.png" "$panel" 1x 680 line03.png line04.png line01.png line02.png line01_s.png line02_s.png
group "$tmp/s6.png" "$panel" 3x 10 big_figure01.png big_figure.png big_figure02.png
group "$tmp/s4.png" "$desk" 2x 10 "$appres/LargeBk.bmp" tbg_00_shadow.png "$appres/MediumBk.bmp" \
      tbg_01_shadow.png "$appres/SmallBk.bmp" tbg_02_shadow.png "$appres/WarnBk.bmp" pop_01_shadow.png
icotool -x -o "$tmp" "$appres/pellon.ico"
group "$tmp/s5.png" "$desk" 8x 110 $(ls -S "$tmp"/pellon_*.png)
heading "Controls, signs and scale (over the window body)" "$tmp/h1.png"
heading "Bars and caps; composed bars at deviations -60 to +60 and disabled" "$tmp/h2.png"
heading "Lines and chart frames" "$tmp/h3.png"
heading "Form backgrounds (key colour shown) and their shadows (over a desktop)" "$tmp/h4.png"
heading "Application icon, every size" "$tmp/h5.png"
convert -background '#0b0e10' "$tmp/h1.png" "$tmp/s1.png" "$tmp/s7.png" "$tmp/h2.png" "$tmp/s2.png" \
        "$tmp/h3.png" "$tmp/s3.png" "$tmp/s6.png" "$tmp/h4.png" "$tmp/s4.png" "$tmp/h5.png" "$tmp/s5.png" \
        -gravity NorthWest -append "$tmp/sheet.png"
out "$tmp/sheet.png" "$docs/art-sheet.png"
