#!/usr/bin/env bash
# Writes the conformance pictures into DIR: one 48 x 32 picture stored by
# ImageMagick and tiffcp in TIFF variants (12- and 32-bit integer samples, half
# floats, tiles, separate planes, BigTIFF, LZMA, ZSTD, WebP, CIE L*a*b*), with
# the source picture as 8-bit PPM to compare with; and GIFs without any colour
# table, each with the grey picture a decoder must show as PGM.
# Usage: make-conformance.sh DIR
set -euo pipefail
out=${1:?usage: make-conformance.sh DIR}
mkdir -p "$out"
cd "$out"

# The real ImageMagick: a plain "convert" may be some other program's stand-in.
im=$(command -v convert-im6.q16 || command -v convert)

"$im" -size 48x32 gradient:'#ff2000-#0040ff' \
  \( -size 32x48 gradient:'#00ff00-#800080' -rotate 90 \) -compose multiply -composite \
  -depth 16 source.png
"$im" source.png -depth 8 -compress none source.ppm

tiff() { # name, then ImageMagick's write options
  local name=$1
  shift
  "$im" source.png "$@" "$name.tif"
}
tiff rgb8 -depth 8 -compress none
tiff rgb12 -depth 12 -compress lzw
tiff grey12 -colorspace gray -depth 12 -compress zip
tiff planes12 -depth 12 -interlace plane -compress zip
tiff rgb32 -depth 32 -compress zip
tiff half16 -define quantum:format=floating-point -depth 16 -compress zip  # float predictor
tiff lzma -depth 8 -compress lzma
tiff zstd -depth 8 -compress zstd
tiff lab8 -colorspace Lab -depth 8 -compress lzw
tiff lab16 -colorspace Lab -depth 16 -compress zip
"$im" source.png -depth 8 -compress lzw TIFF64:bigtiff.tif
"$im" source.png -colorspace gray -depth 12 -compress none TIFF64:bigtiff12.tif
# ImageMagick writes 12-bit tiles wrongly and WebP only lossy: libtiff's own tool.
tiffcp -t -w 16 -l 16 rgb12.tif tiled12.tif
tiffcp -c webp:p100 rgb8.tif webp.tif
# 8-bit L*a*b* quantises a* and b* coarsely: compared with a reference decoder's
# view of the same file rather than with the source.
"$im" lab8.tif -depth 8 -compress none lab8.ppm
# The same grey picture through the classic layout, to compare with.
"$im" source.png -colorspace gray -depth 8 -compress none grey.pgm

# 8 x 4 GIFs, no global and no local colour table, LZW code size 2, 3 and 8;
# pixel (x, y) holds index (x + 3y) mod 2^size.
printf '\x47\x49\x46\x38\x37\x61\x08\x00\x04\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x08\x00\x04\x00\x00\x02\x13\x44\xa8\x11\xa1\xc6\x81\x11\x07\x46\xd4\x88\x50\x23\xc2\x88\x03\x23\x0e\x2c\x00\x3b' >nomap2.gif
printf '\x47\x49\x46\x38\x37\x61\x08\x00\x04\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x08\x00\x04\x00\x00\x03\x14\x08\x21\x43\x85\x76\x43\x65\x78\x10\x62\x87\x10\x32\x54\x18\x32\x54\x86\x07\x09\x00\x3b' >nomap3.gif
printf '\x47\x49\x46\x38\x37\x61\x08\x00\x04\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x08\x00\x04\x00\x00\x08\x27\x00\x01\x04\x10\x30\x80\x40\x01\x03\x07\x06\x10\x28\x60\xe0\x00\x82\x04\x0a\x0c\x1c\x40\x90\x40\xc1\x02\x06\x0d\x12\x28\x58\xc0\xa0\x81\x83\x07\x10\x02\x02\x00\x3b' >nomap8.gif
for size in 2 3 8; do
  # Grey ramp of 2^size entries: index i shows round(i * 255 / (2^size - 1)).
  awk -v n=$((1 << size)) 'BEGIN {
    print "P2\n8 4\n255"
    for (y = 0; y < 4; ++y) for (x = 0; x < 8; ++x) print int(((x + 3 * y) % n) * 255 / (n - 1) + 0.5)
  }' >"nomap$size.pgm"
done
