#!/usr/bin/env bash
# Renders every skin picture (resource/), the form backgrounds and the icon (app/res/)
# and the contact sheet and mock-ups (docs/) from the sources in art/. The rendered
# files are committed, so a build needs none of these tools.
# For monitors at 125, 150 and 200 % the skin pictures are rendered again from the same
# sources into resource/125/, resource/150/ and resource/200/, each folder also holding
# the form backgrounds as opaque PNG (LargeBk.png ...), keyed like the bitmaps.
# Needs rsvg-convert (librsvg2-bin), ImageMagick and icotool (icoutils).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/install-deps.sh" art
art=$root/art res=$root/resource appres=$root/app/res
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$res" "$appres"

# fill TEMPLATE OUT NAME=VALUE...: the template with every @NAME@ replaced.
fill() {
  local in=$1 out=$2 kv expr=()
  shift 2
  for kv in "$@"; do expr+=(-e "s/@${kv%%=*}@/${kv#*=}/g"); done
  sed "${expr[@]}" "$in" >"$out"
}

# px N: N pixels at 96 DPI in pixels at the scale being rendered (pct), halves rounded
# up. The program sizes a scaled picture by the same rule, so every size goes through it.
px() { echo $((($1 * pct + 50) / 100)); }

# render SVG PNG: a 32-bit PNG at the SVG's own size (its width and height, in pixels
# at 96 DPI) brought to the scale, without time stamps, so that rendering again gives
# the same bytes. Width and height are given apart: a bar 22 wide is 28 at 125 %, not
# 27.5 with a half-covered column at each edge.
render() {
  local tag w h
  tag=$(grep -o -m1 '<svg [^>]*>' "$1")
  w=${tag#* width=\"} w=${w%%\"*} h=${tag#* height=\"} h=${h%%\"*}
  rsvg-convert -w "$(px "$w")" -h "$(px "$h")" -f png -o "$tmp/r.png" "$1"
  convert "$tmp/r.png" -define png:exclude-chunks=date,time -strip PNG32:"$2"
}

# cut RGBA OUT: an opaque picture whose pixels outside the drawn body are the colour key
# 0xFF00FF, a 24-bit bitmap for OUT *.bmp, else a PNG (alpha 255 throughout). The edge
# is hard (alpha thresholded): a colour key has no partial pixels.
cut() {
  local format=BMP3: extra=()
  case $2 in *.png) format=PNG32: extra=(-define png:exclude-chunks=date,time -strip) ;; esac
  convert "$1" -channel A -threshold 50% +channel -background '#FF00FF' -flatten \
          -alpha off -type TrueColor "${extra[@]}" "$format$2"
}

# shadow KEYED OUT: the soft dark fringe of the body in the keyed background, offset down
# and to the right, transparent wherever the body is (the shadow window lies above its
# owner). Offset, blur and margin are pixels at 96 DPI and scale with the picture.
shadow() {
  local w h m blur
  w=$(identify -format '%w' "$1") h=$(identify -format '%h' "$1")
  m=$(px 14) blur=$(awk -v p="$pct" 'BEGIN { print 4 * p / 100 }')
  convert "$1" -alpha set -transparent '#FF00FF' -alpha extract "$tmp/body.png"
  convert -size $((w + m))x$((h + m)) xc:black \
          \( "$tmp/body.png" \) -geometry +"$(px 4)"+"$(px 5)" -composite -blur 0x"$blur" \
          -fill gray35 -colorize 0 -evaluate multiply 0.62 "$tmp/fringe.png"
  convert -size $((w + m))x$((h + m)) xc:white \
          \( "$tmp/body.png" -negate \) -geometry +0+0 -composite "$tmp/outside.png"
  convert "$tmp/fringe.png" "$tmp/outside.png" -compose multiply -composite "$tmp/alpha.png"
  convert -size $((w + m))x$((h + m)) xc:'#020405' "$tmp/alpha.png" \
          -alpha off -compose copy_opacity -composite \
          -define png:exclude-chunks=date,time -strip PNG32:"$2"
}

# Main layouts: name, width, left of the last bar, widest bar it may show.
layouts=(
  "Large 800 685 22 line03 line04 big_figure01 tbg_00"
  "Medium 680 565 18 line01 line02 big_figure tbg_01"
  "Small 415 299 22 line01_s line02_s big_figure02 tbg_02"
)

# Every picture once per scale: at 100 % into resource/ and the bitmaps into app/res/ as
# ever, at the others into resource/<pct>/ with the keyed backgrounds beside them as PNG.
# Templates are filled with their 96-DPI figures; render brings them to the scale.
for pct in 100 125 150 200; do
  out=$res keyed=$appres kext=bmp
  if [ "$pct" -ne 100 ]; then
    out=$res/$pct keyed=$res/$pct kext=png
    mkdir -p "$out"
  fi
  for layout in "${layouts[@]}"; do
    read -r name w last bar line1 line2 figure shadowname <<<"$layout"
    fill "$art/main-background.svg.in" "$tmp/bg.svg" W="$w" W1=$((w - 1))
    render "$tmp/bg.svg" "$tmp/bg.png"
    cut "$tmp/bg.png" "$keyed/${name}Bk.$kext"
    shadow "$keyed/${name}Bk.$kext" "$out/${shadowname}_shadow.png"
  done

  # Main layouts: name, width, left of the last bar, widest bar it may show, then the
  # layout's file names. The lines run from x 55 to 11 pixels past the last bar, the
  # frame of the bar area (drawn at x 53) 2 pixels beyond them on each side.
  for layout in "${layouts[@]}"; do
    read -r name w last bar line1 line2 figure shadowname <<<"$layout"
    lw=$((last + bar + 11 - 55))
    fill "$art/zero-line.svg.in" "$tmp/l1.svg" LW=$lw
    render "$tmp/l1.svg" "$out/$line1.png"
    fill "$art/mark-line.svg.in" "$tmp/l2.svg" LW=$((lw - 2))
    render "$tmp/l2.svg" "$out/$line2.png"
    fw=$((lw + 4))
    fill "$art/chart-frame.svg.in" "$tmp/frame.svg" FW=$fw FW1=$((fw - 1)) FW4=$((fw - 4))
    render "$tmp/frame.svg" "$out/$figure.png"
  done

  render "$art/scale.svg" "$out/temp_pic.png"
  render "$art/phase.svg" "$out/phase.png"
  render "$art/warning.svg" "$out/warning_pic01.png"

  for bar in "01 22" "02 18"; do
    read -r n bw <<<"$bar"
    fill "$art/bar.svg.in" "$tmp/bar.svg" BW=$bw
    render "$tmp/bar.svg" "$out/color_bar$n.png"
    fill "$art/bar-cap.svg.in" "$tmp/cap.svg" BW=$bw
    render "$tmp/cap.svg" "$out/color_bar_top$n.png"
  done

  # Radio buttons: file, ring colour, glow, dot.
  for radio in "radio_button_n #56666c 0 0" "radio_button_o #4bcbfe 0.7 0" \
               "radio_button_chack_n #28ffd5 0.5 1" "radio_button_chack_o #77ffff 0.9 1"; do
    read -r file ring glow dot <<<"$radio"
    fill "$art/radio.svg.in" "$tmp/radio.svg" RING="$ring" GLOW=$glow DOT=$dot
    render "$tmp/radio.svg" "$out/$file.png"
  done

  # Close buttons: file, cross, face, face opacity, border, cross offset, glow.
  for close in "close_n #9aa6ab #ffffff 0.04 #2f3a40 0 0" \
               "close_o #4bcbfe #4bcbfe 0.12 #3f8fb0 0 0.8" \
               "close_d #3298d9 #000000 0.35 #2a6f96 1 0.3"; do
    read -r file cross face faceop edge shift glow <<<"$close"
    fill "$art/close.svg.in" "$tmp/close.svg" CROSS="$cross" FACE="$face" FACEOP=$faceop \
         EDGE="$edge" SHIFT=$shift GLOW=$glow
    render "$tmp/close.svg" "$out/$file.png"
  done

  # Caption buttons: file, face top, face bottom, border, glow, top shine.
  for button in "button01_n #2b353b #181e22 #46565d 0 0.10" \
                "button01_o #2d3f48 #19252b #4bcbfe 0.7 0.14" \
                "button01_d #11171a #1c2428 #3298d9 0.3 0" \
                "button01_un #1b2023 #16191c #2a3035 0 0.03"; do
    read -r file top bottom edge glow shine <<<"$button"
    fill "$art/button.svg.in" "$tmp/button.svg" TOP="$top" BOTTOM="$bottom" EDGE="$edge" \
         GLOW=$glow SHINE=$shine
    render "$tmp/button.svg" "$out/$file.png"
  done

  render "$art/dialog-background.svg" "$tmp/dialog.png"
  cut "$tmp/dialog.png" "$keyed/WarnBk.$kext"
  shadow "$keyed/WarnBk.$kext" "$out/pop_01_shadow.png"
done

# The icon: the detailed drawing from 48 pixels up, the one on whole pixels below.
icons=()
for size in 256 128 96 72 64 48; do
  rsvg-convert -w $size -h $size -f png -o "$tmp/icon$size.png" "$art/icon.svg"
  icons+=("$tmp/icon$size.png")
done
for size in 32 16; do
  rsvg-convert -w $size -h $size -f png -o "$tmp/icon$size.png" "$art/icon-small.svg"
  icons+=("$tmp/icon$size.png")
done
icotool -c -b 32 -o "$appres/pellon.ico" "${icons[@]}"

bash "$root/tools/art-docs.sh"
