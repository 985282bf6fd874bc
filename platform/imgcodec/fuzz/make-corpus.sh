#!/usr/bin/env bash
# Regenerates the fuzzing seeds in corpus/: the loader tests' sample files, one skin
# picture, a few larger real pictures made with ImageMagick (one in many IDAT chunks),
# and broken variants of them (truncated, bad checksum, damaged compressed data,
# impossible or huge sizes, not a PNG at all). Inputs the fuzzer found (found_*) stay.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
out=$here/corpus
mkdir -p "$out"
find "$out" -type f ! -name 'found_*' -delete
cp "$root"/tests/png/data/*.png "$out"/

cd "$out"
convert -size 24x16 gradient:red-blue -strip -define png:color-type=2 rgb_gradient.png
convert -size 24x16 gradient:'rgba(255,0,0,0)-rgba(0,0,255,1)' -strip \
        -define png:color-type=6 rgba_gradient.png
convert -seed 7 -size 20x20 plasma:fractal -strip -colors 16 -interlace PNG \
        -define png:color-type=3 palette_interlaced.png
convert -size 16x16 gradient:'graya(0,0.2)-graya(1,1)' -strip -interlace PNG \
        -define png:color-type=4 -define png:bit-depth=16 grey_alpha16_interlaced.png
convert -size 12x12 gradient:white-black -strip -define png:color-type=0 \
        -define png:bit-depth=2 grey2.png

# write_at <file> <offset> <bytes as \x escapes>: overwrites bytes in place.
write_at() {
    printf "$3" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}

# PNG checksums are CRC-32 as in gzip; gzip's trailer holds it little-endian.
crc_escaped() {
    local le
    le=$(gzip -c | tail -c 8 | head -c 4 | od -An -tx1 | tr -s ' ')
    set -- $le
    printf '\\x%s\\x%s\\x%s\\x%s' "$4" "$3" "$2" "$1"
}

be32() {
    printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 >> 24 & 255)) $(($1 >> 16 & 255)) \
        $(($1 >> 8 & 255)) $(($1 & 255))
}

# with_header <from> <to> <width> <height> <depth> <colour type> <interlace>: a copy
# whose IHDR says something else, with a correct checksum.
with_header() {
    cp "$1" "$2"
    local ihdr
    ihdr="IHDR$(be32 "$3")$(be32 "$4")$(printf '\\x%02x\\x%02x\\x00\\x00\\x%02x' "$5" "$6" "$7")"
    write_at "$2" 16 "${ihdr:4}"
    write_at "$2" 29 "$(printf "$ihdr" | crc_escaped)"
}

# add_chunk <to> <type> <data file>: appends one chunk with its checksum.
add_chunk() {
    printf "$(be32 "$(stat -c %s "$3")")$2" >> "$1"
    cat "$3" >> "$1"
    printf "$({ printf "$2"; cat "$3"; } | crc_escaped)" >> "$1"
}

# split_idat <from> <to> <bytes>: a copy whose one IDAT chunk (right after the IHDR, as
# convert -strip writes it) is cut into chunks of at most <bytes>.
split_idat() {
    local length piece
    length=$(od -An -tu1 -j33 -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
    head -c 33 "$1" > "$2"
    tail -c +42 "$1" | head -c "$length" | split -b "$3" -d -a 4 - "$2.idat."
    for piece in "$2".idat.*; do
        add_chunk "$2" IDAT "$piece"
        rm "$piece"
    done
    tail -c 12 "$1" >> "$2"
}

# with_zeros <from> <to> <count>: a copy whose picture data is <count> zero bytes, as one
# zlib stream: gzip's deflate data between a zlib header and the zeros' Adler-32.
with_zeros() {
    head -c 33 "$1" > "$2"
    { printf '\x78\xda'; head -c "$3" /dev/zero | gzip -9 -n | tail -c +11 | head -c -8
      printf "$(be32 $(($3 % 65521 << 16 | 1)))"; } > "$2.idat"
    add_chunk "$2" IDAT "$2.idat"
    rm "$2.idat"
    tail -c 12 "$1" >> "$2"
}

# Over 4 KiB: a skin picture as shipped, and a 16-bit interlaced one in 1000-byte IDATs.
cp "$root"/resource/warning_pic01.png artwork.png
convert -seed 3 -size 48x48 plasma:fractal -alpha set -channel A -fx 'i/w' +channel -strip \
        -interlace PNG -define png:color-type=6 -define png:bit-depth=16 plasma16.png
split_idat plasma16.png multi_idat.png 1000
rm plasma16.png

base=grey_alpha.png   # 3 x 1, 8-bit grey with alpha
with_header $base huge_width.png 2147483647 1 8 4 0
with_header $base huge_both.png 65535 65535 8 4 0
with_header $base huge_tall.png 1 1073741824 8 4 0
with_header $base huge_square.png 70000 70000 8 4 0
with_header $base wrap_rgba.png 32768 32768 8 6 0      # width * height * 4 is 2^32
with_header $base wrap_rgba16.png 16384 16384 16 6 0   # 8 bytes a pixel: 2^31
with_header $base over_side.png 16385 1 8 4 0
with_header $base over_pixels.png 16384 16384 8 4 0
with_header $base zero_width.png 0 1 8 4 0
with_header $base bad_depth.png 3 1 3 4 0
with_header $base bad_type.png 3 1 8 5 0
with_header $base bad_interlace.png 3 1 8 4 2
with_header $base taller.png 3 40 8 4 0
with_header grey.png one_pixel.png 1 1 8 0 0
with_zeros one_pixel.png inflates_on.png 1048576   # 1 MiB behind a 2-byte row
rm one_pixel.png

# Real black pictures of a few KiB: one at the pixel limit, one a column over it.
convert -size 4096x4096 xc:black -strip -define png:color-type=0 -define png:bit-depth=1 \
        at_budget.png
convert -size 4097x4096 xc:black -strip -define png:color-type=0 -define png:bit-depth=1 \
        over_budget.png

cp rgba_gradient.png bad_crc.png
write_at bad_crc.png 29 '\xde\xad\xbe\xef'
size=$(stat -c %s rgba_gradient.png)
head -c $((size / 2)) rgba_gradient.png > truncated_idat.png
head -c 33 rgba_gradient.png > header_only.png
head -c 8 rgba_gradient.png > signature_only.png
cp rgba_gradient.png damaged_idat.png
write_at damaged_idat.png 45 '\xff\xff\xff\xff'
head -c $((size - 12)) rgba_gradient.png > no_iend.png
printf 'not a picture\n' > not_png.png
: > empty.png
