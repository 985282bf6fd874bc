#!/usr/bin/env bash
# Regenerates the small PNG files the loader tests decode, with ImageMagick. Each file
# covers one way a PNG can be stored; the tests know the pixels written here.
set -euo pipefail
cd "$(dirname "$0")"

# One pixel row from "r,g,b,a" arguments, in ImageMagick's text image format.
row() {
    local width=$# x=0
    echo "# ImageMagick pixel enumeration: $width,1,255,srgba"
    for p in "$@"; do echo "$x,0: ($p)"; x=$((x + 1)); done
}

make() {  # make <file> <convert options...> -- <pixels...>
    local file=$1; shift
    local options=()
    while [ "$1" != "--" ]; do options+=("$1"); shift; done
    shift
    row "$@" | convert txt:- -strip "${options[@]}" "$file"
}

make figures.png -define png:color-type=6 -define png:bit-depth=8 -- \
    "200,100,50,0" "200,100,50,128" "10,20,30,255" "1,2,3,1"
make grey.png -define png:color-type=0 -define png:bit-depth=8 -- \
    "0,0,0,255" "128,128,128,255" "255,255,255,255"
make grey1.png -define png:color-type=0 -define png:bit-depth=1 -- \
    "0,0,0,255" "255,255,255,255" "255,255,255,255" "0,0,0,255"
make grey16.png -define png:color-type=0 -define png:bit-depth=16 -- \
    "0,0,0,255" "128,128,128,255" "255,255,255,255"
make grey_alpha.png -define png:color-type=4 -define png:bit-depth=8 -- \
    "100,100,100,0" "100,100,100,128" "7,7,7,255"
make palette.png -define png:color-type=3 -define png:bit-depth=8 -- \
    "200,100,50,255" "10,20,30,255" "0,0,255,255"
make palette_trns.png -type PaletteAlpha -- \
    "0,0,0,0" "128,64,32,128" "10,20,30,255" "0,255,0,64"
make rgb_trns.png -define png:color-type=2 -define png:bit-depth=8 -- \
    "200,100,50,255" "0,0,0,0" "10,20,30,255"
make rgb16.png -define png:color-type=2 -define png:bit-depth=16 -- \
    "200,100,50,255" "10,20,30,255"
make rgba16.png -define png:color-type=6 -define png:bit-depth=16 -- \
    "200,100,50,128" "10,20,30,0"

# Adam7-interlaced 9 x 9 picture: pixel (x, y) = (25x, 25y, 100 + x + y).
{
    echo "# ImageMagick pixel enumeration: 9,9,255,srgb"
    for y in $(seq 0 8); do
        for x in $(seq 0 8); do echo "$x,$y: ($((25 * x)),$((25 * y)),$((100 + x + y)))"; done
    done
} | convert txt:- -strip -interlace PNG -define png:color-type=2 -define png:bit-depth=8 interlaced.png
