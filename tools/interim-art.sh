#!/usr/bin/env bash
# Plain stand-ins for the skin pictures, with the names and sizes the program expects,
# for a checkout that has no resource/ folder of finished artwork.
#   interim-art.sh DEST_DIR
set -euo pipefail
dest=$1
mkdir -p "$dest"
png() { convert "$@" -define png:color-type=6 "PNG32:$dest/$name"; }
box() { # box NAME W H FILL [STROKE]
  name=$1
  png -size "$2x$3" xc:none -fill "$4" -stroke "${5:-none}" \
      -draw "roundrectangle 0,0,$(($2 - 1)),$(($3 - 1)),$(($3 / 4)),$(($3 / 4))"
}
cross() { # cross NAME COLOUR
  name=$1
  png -size 22x22 xc:none -stroke "$2" -strokewidth 2 -draw "line 6,6 15,15" -draw "line 15,6 6,15"
}
radio() { # radio NAME RING DOT
  name=$1
  png -size 20x20 xc:none -fill none -stroke "$2" -strokewidth 2 -draw "circle 10,10 10,3" \
      ${3:+-fill "$3" -stroke none -draw "circle 10,10 10,6"}
}
bar() { # bar NAME W
  name=$1
  png -size "$2x184" gradient:'#ff5030'-'#30a0ff' \( -size "$2x184" xc:black -fill white \
      -draw "roundrectangle 0,0,$(($2 - 1)),183,3,3" \) -alpha off -compose copy_opacity -composite
}
line() { # line NAME W
  name=$1
  png -size "$2x1" xc:'rgba(120,200,255,0.45)'
}
shadow() { # shadow NAME W H: a dark fringe right of and below a W x H body, clear over it
  name=$1
  local size="$(($2 + 8))x$(($3 + 8))" body="roundrectangle 0,0,$(($2 - 1)),$(($3 - 1)),18,18"
  png -size "$size" xc:none -fill 'rgba(0,0,0,0.6)' \
      -draw "roundrectangle 5,5,$(($2 + 4)),$(($3 + 4)),18,18" -blur 0x3 \
      \( -size "$size" xc:white -fill black -draw "$body" -alpha copy \) -compose DstIn -composite
}
cross close_n.png '#9aa4b4'; cross close_d.png '#3298d9'; cross close_o.png '#4bcbfe'
box button01_n.png 90 26 '#2a3446' '#5c6880'; box button01_d.png 90 26 '#1c2330' '#3298d9'
box button01_o.png 90 26 '#33405a' '#4bcbfe'; box button01_un.png 90 26 '#202632' '#404652'
radio radio_button_n.png '#6a7890'; radio radio_button_o.png '#4bcbfe'
radio radio_button_chack_n.png '#6a7890' '#77ffff'; radio radio_button_chack_o.png '#4bcbfe' '#77ffff'
for f in big_figure01.png big_figure.png big_figure02.png; do box $f 120 6 'rgba(75,203,254,0.5)'; done
box temp_pic.png 12 184 'rgba(255,255,255,0.08)' 'rgba(120,140,170,0.6)'
box phase.png 40 6 'rgba(75,203,254,0.5)'
line line03.png 690; line line04.png 688; line line01.png 570; line line02.png 568
line line01_s.png 304; line line02_s.png 302
box warning_pic01.png 110 110 'rgba(241,43,40,0.85)' '#ffb0a0'
bar color_bar01.png 18; bar color_bar02.png 12
box color_bar_top01.png 18 4 '#ffffff'; box color_bar_top02.png 12 4 '#ffffff'
shadow tbg_00_shadow.png 800 347; shadow tbg_01_shadow.png 680 347; shadow tbg_02_shadow.png 415 347
shadow pop_01_shadow.png 414 192
