#!/usr/bin/env bash
# Writes the test pictures under tests/data (committed; run again by
# `make fixtures`). One colour picture and its reductions (greys, 2 to 256
# colours) are stored by ImageMagick, libtiff's tools, giflib's gifbuild and
# netpbm in the variants the decoders know, each beside the reference picture
# (ref-*.ppm / ref-*.pgm, binary) that a decoder must show for it. The few
# layouts no tool writes (RLE4, RLE deltas, top-down and 2-bit bitmaps, GIFs
# without colour tables, a metafile) are written byte by byte here.
# Pictures with embedded colour profiles come with the sRGB picture that
# lcms2's own jpgicc and tificc make of them (ref-icc-*.ppm).
# The picture parsers' icons, metafiles and bitmap resources (parsers/) come
# from make-parser-samples.py, which also runs alone.
# Needs: imagemagick libtiff-tools giflib-tools netpbm liblcms2-utils, and the
# profiles of colord-data and libgs-common (Debian packages).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/tests/data
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tools come from Debian's packages; as root, missing ones are installed.
colord=/usr/share/color/icc/colord gs_icc=/usr/share/color/icc/ghostscript
# (command -v succeeds when any one of several names exists: one at a time.)
missing_tool() {
  for t in convert-im6.q16 tiffcp gifbuild ppmtopcx jpgicc; do
    command -v "$t" >/dev/null 2>&1 || return 0
  done
  return 1
}
if [ "$(id -u)" = 0 ] && { missing_tool ||
  [ ! -f $colord/WideGamutRGB.icc ] || [ ! -f $gs_icc/ps_cmyk.icc ]; }; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q imagemagick libtiff-tools giflib-tools netpbm \
    liblcms2-utils colord-data libgs-common >/dev/null
fi
# The real ImageMagick: a plain "convert" may be some other program's stand-in.
im=$(command -v convert-im6.q16 || command -v convert || true)
for tool in "$im" tiffcp tiffset raw2tiff gifbuild ppmtopcx pnmremap jpgicc tificc; do
  if [ -z "$tool" ] || ! command -v "$tool" >/dev/null; then
    echo "make-fixtures: ${tool:-convert} missing (apt-get install imagemagick libtiff-tools giflib-tools netpbm liblcms2-utils)" >&2
    exit 1
  fi
done
for f in $colord/WideGamutRGB.icc $gs_icc/ps_cmyk.icc; do
  [ -f "$f" ] || { echo "make-fixtures: $f missing (apt-get install colord-data libgs-common)" >&2; exit 1; }
done

rm -rf "$out"
mkdir -p "$out"
cd "$work"

# Bytes from hex pairs (blanks ignored).
hex() { printf "$(echo "$*" | tr -d ' \n' | sed 's/../\\x&/g')"; }
# Writes a 32-bit little-endian value into a file at a byte offset.
put32() { printf "$(printf '\\x%02x' $(($3 & 255)) $(($3 >> 8 & 255)) $(($3 >> 16 & 255)) $(($3 >> 24 & 255)))" |
  dd of="$1" bs=1 seek="$2" conv=notrunc 2>/dev/null; }
# ImageMagick without dates, text or colour-space chunks, so that runs agree.
magick() { "$im" "$@"; }
png() { # source, output (with an optional ImageMagick format prefix), then options
  local src=$1 dst=$2 prefix= drop=date,time,gAMA,cHRM,sRGB,tEXt,zTXt,iTXt,vpAg
  shift 2
  case $dst in *:*) prefix=${dst%%:*}: dst=${dst#*:} ;; esac
  [ -n "${keep_bkgd:-}" ] || drop+=,bKGD
  magick "$src" "$@" -define png:exclude-chunk=$drop "$prefix$out/$dst"
}

# ---- the sources: 45 x 29 (odd sizes reach the packing edge cases), 16 bits a sample
# Red grows to the right, green downwards, blue is a checkerboard of 8-pixel squares.
magick -size 45x29 xc: -channel R -fx 'i/(w-1)' -channel G -fx 'j/(h-1)' \
  -channel B -fx '(floor(i/8) + floor(j/8)) % 2 ? 0.8 : 0.15' +channel -depth 16 source.png
magick source.png -depth 8 -strip "$out/ref-rgb.ppm"
magick source.png -colorspace gray -depth 8 -strip "$out/ref-grey.pgm"
for n in 4 16; do # grey levels
  magick source.png -colorspace gray -depth $((n == 4 ? 2 : 4)) -depth 8 -strip "$out/ref-grey$n.pgm"
done
magick source.png -colorspace gray -threshold 50% -depth 8 -strip "$out/ref-mono.pgm"
for n in 4 8 16 256; do # colour reductions, no dithering (16 colours of 4 bits a channel)
  magick source.png +dither -colors $n -depth $((n == 16 ? 4 : 8)) -depth 8 -strip "$out/ref-pal$n.ppm"
done
# A natural picture for the colour reductions.
magick -seed 7 -size 64x48 plasma: -blur 0x1 -strip "PNG24:$out/photo.png"
# An alpha ramp over the picture, and what it shows over white and over blue.
magick source.png -depth 8 \( -size 45x29 gradient:white-black \) -alpha off \
  -compose copy_opacity -composite rgba.png
magick rgba.png -background white -flatten -strip "$out/ref-over-white.ppm"
magick rgba.png -background blue -flatten -strip "$out/ref-over-blue.ppm"
magick rgba.png -colorspace gray -background white -flatten -strip "$out/ref-grey-over-white.pgm"

# ---- JPEG
jpeg() { magick "$out/ref-rgb.ppm" -strip -quality "${3:-90}" $2 "$out/$1"; }
jpeg jpeg-baseline.jpg ""
jpeg jpeg-progressive.jpg "-interlace JPEG"
magick "$out/ref-grey.pgm" -strip -quality 90 "$out/jpeg-grey.jpg"
jpeg jpeg-ycck.jpg "-colorspace CMYK" 95 # Adobe marker, inverted inks
# EXIF orientations 1 to 8: a minimal little-endian EXIF block after the start marker.
jpeg exif-base.jpg "" 95
mv "$out/exif-base.jpg" .
for o in 1 2 3 4 5 6 7 8; do
  {
    head -c 2 exif-base.jpg
    hex "ffe1 0022 457869660000 49492a0008000000 0100 1201 0300 01000000 0${o}00 0000 00000000"
    tail -c +3 exif-base.jpg
  } >"$out/jpeg-exif$o.jpg"
done

# ---- PNG: every colour type and depth, some interlaced
png source.png png-rgb8.png -depth 8
png source.png png-rgb8-adam7.png -depth 8 -interlace PNG
png source.png png-rgb16.png -depth 16
for depth_name in 1:mono 2:grey4 4:grey16 8:grey 16:grey; do
  png "$out/ref-${depth_name#*:}.pgm" "png-grey${depth_name%%:*}.png" -define png:color-type=0 \
    -define png:bit-depth="${depth_name%%:*}"
done
png "$out/ref-grey16.pgm" png-grey4-adam7.png -define png:color-type=0 -define png:bit-depth=4 \
  -interlace PNG
for depth_name in 1:mono 2:pal4 4:pal16 8:pal256; do
  ref=ref-${depth_name#*:}.ppm
  [ "${depth_name#*:}" = mono ] && ref=ref-mono.pgm
  png "$out/$ref" "png-pal${depth_name%%:*}.png" -define png:color-type=3 \
    -define png:bit-depth="${depth_name%%:*}"
done
png "$out/ref-pal4.ppm" png-pal2-adam7.png -define png:color-type=3 -define png:bit-depth=2 \
  -interlace PNG
keep_bkgd=1 png rgba.png png-rgba8-bkgd.png -background blue -depth 8 # drawn over its background chunk
png rgba.png PNG64:png-rgba16.png -depth 16
png rgba.png png-greya8.png -colorspace gray -depth 8
png rgba.png png-greya16-adam7.png -colorspace gray -depth 16 -interlace PNG \
 
png "$out/ref-pal16.ppm" png-rgb-pal16.png -define png:color-type=2 -define png:bit-depth=8 # few colours
# Palette entries clear and half transparent (on the right) over a background chunk.
magick "$out/ref-pal4.ppm" -alpha set -channel A -fx 'i < 22 ? 1 : (j < 10 ? 0 : 0.5)' +channel \
  pal-alpha.png
keep_bkgd=1 png pal-alpha.png png-pal-trns.png -background '#204060' -type PaletteAlpha \
  -define png:bit-depth=4
magick pal-alpha.png -background '#204060' -flatten -strip "$out/ref-pal-trns.ppm"
# Grey and RGB with one transparent value (tRNS colour), shown as white.
magick "$out/ref-grey16.pgm" -transparent "$(magick "$out/ref-grey16.pgm" -format '%[pixel:p{0,0}]' info:)" grey-trns.png
png grey-trns.png png-grey-trns.png -define png:color-type=0 -define png:bit-depth=8
magick grey-trns.png -background white -flatten -strip "$out/ref-grey-trns.pgm"
magick "$out/ref-pal16.ppm" -transparent "$(magick "$out/ref-pal16.ppm" -format '%[pixel:p{0,0}]' info:)" rgb-trns.png
png rgb-trns.png png-rgb-trns.png -define png:color-type=2 -define png:bit-depth=8
magick rgb-trns.png -background white -flatten -strip "$out/ref-rgb-trns.ppm"

# ---- GIF
magick "$out/ref-pal16.ppm" -strip "$out/gif-pal16.gif"
magick "$out/ref-pal256.ppm" -strip -interlace GIF "$out/gif-pal256-adam.gif"
# Five frames on a larger screen: the information counts them without decoding.
magick "$out/ref-pal16.ppm" -strip -set page 60x40+0+0 -duplicate 4 -interlace GIF "$out/gif-frames.gif"
gifmap() { # colours as "r g b" triples, keyed a, b, c, ...
  local keys=abcdefghijklmnop i=0
  for c in "$@"; do
    echo "rgb $c is ${keys:i:1}"
    i=$((i + 1))
  done
}
# An 8 x 6 image at (5, 3) on a 20 x 12 screen whose background is colour 6;
# colour 2 is transparent, so it shows the background too.
gifbuild >"$out/gif-placed.gif" <<GIF
screen width 20
screen height 12
screen background 6
screen map
$(gifmap "200 0 0" "0 200 0" "0 0 200" "200 200 0" "0 200 200" "200 0 200" "40 80 120" "255 255 255")
end
image
image left 5
image top 3
image bits 8 by 6
abcdefgh
bcdefgha
cdefghab
defghabc
efghabcd
fghabcde
graphics control
	disposal mode 0
	user input flag off
	delay 0
	transparent index 2
end
GIF
magick "$out/gif-placed.gif" -background 'rgb(40,80,120)' -alpha remove -flatten -strip \
  "$out/ref-gif-placed.ppm"
# A screen background from the global table while the image has its own full table.
gifbuild >"$out/gif-local.gif" <<GIF
screen width 10
screen height 10
screen background 1
screen map
rgb 1 2 3
rgb 4 5 6
end
image
image left 2
image top 2
image map
$(for i in $(seq 0 255); do echo "rgb $i $((255 - i)) $((i * 7 % 256))"; done)
end
image bits 4 by 4 hex
00 11 22 33
44 55 66 77
88 99 aa bb
cc dd ee ff
GIF
magick "$out/gif-local.gif" -background 'rgb(4,5,6)' -alpha remove -flatten -strip \
  "$out/ref-gif-local.ppm"
# A full table of which nine entries are used.
gifbuild >"$out/gif-sparse.gif" <<GIF
screen width 3
screen height 3
screen map
$(for i in $(seq 0 255); do echo "rgb $i $((255 - i)) $((i * 7 % 256))"; done)
end
image
image bits 3 by 3 hex
00 11 22
33 44 55
66 77 88
GIF
# An 8 x 8 image at (2, 1) on a 6 x 5 screen: what falls outside is cut off.
gifbuild >"$out/gif-clipped.gif" <<GIF
screen width 6
screen height 5
screen background 0
screen map
$(gifmap "0 0 0" "250 0 0" "0 250 0" "0 0 250")
end
image
image left 2
image top 1
image bits 8 by 8
abcdabcd
bcdabcda
cdabcdab
dabcdabc
abcdabcd
bcdabcda
cdabcdab
dabcdabc
GIF
# A GIF87a: no extension blocks at all.
gifbuild >"$out/gif-87a.gif" <<GIF
screen width 5
screen height 5
screen map
$(gifmap "0 0 0" "255 255 255" "255 0 0" "0 255 0" "0 0 255" "255 255 0" "0 255 255" "255 0 255")
end
image
image bits 5 by 5
abcde
bcdef
cdefg
defgh
efgha
GIF
# 8 x 4 GIFs without any colour table, LZW code size 2, 3 and 8; pixel (x, y)
# holds index (x + 3y) mod 2^size, shown as a grey ramp of 2^size entries.
printf '\x47\x49\x46\x38\x37\x61\x08\x00\x04\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x08\x00\x04\x00\x00\x02\x13\x44\xa8\x11\xa1\xc6\x81\x11\x07\x46\xd4\x88\x50\x23\xc2\x88\x03\x23\x0e\x2c\x00\x3b' >"$out/gif-nomap2.gif"
printf '\x47\x49\x46\x38\x37\x61\x08\x00\x04\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x08\x00\x04\x00\x00\x03\x14\x08\x21\x43\x85\x76\x43\x65\x78\x10\x62\x87\x10\x32\x54\x18\x32\x54\x86\x07\x09\x00\x3b' >"$out/gif-nomap3.gif"
printf '\x47\x49\x46\x38\x37\x61\x08\x00\x04\x00\x00\x00\x00\x2c\x00\x00\x00\x00\x08\x00\x04\x00\x00\x08\x27\x00\x01\x04\x10\x30\x80\x40\x01\x03\x07\x06\x10\x28\x60\xe0\x00\x82\x04\x0a\x0c\x1c\x40\x90\x40\xc1\x02\x06\x0d\x12\x28\x58\xc0\xa0\x81\x83\x07\x10\x02\x02\x00\x3b' >"$out/gif-nomap8.gif"
for size in 2 3 8; do
  awk -v n=$((1 << size)) 'BEGIN {
    print "P2\n8 4\n255"
    for (y = 0; y < 4; ++y) for (x = 0; x < 8; ++x) print int(((x + 3 * y) % n) * 255 / (n - 1) + 0.5)
  }' | magick - -strip "$out/ref-gif-nomap$size.pgm"
done

# ---- TIFF
tiff() { # name, source, then ImageMagick's write options
  local name=$1 src=$2
  shift 2
  magick "$src" -strip "$@" "$out/$name"
}
for c in none lzw zip; do tiff "tiff-$c.tif" "$out/ref-rgb.ppm" -compress $c; done
tiff tiff-packbits.tif "$out/ref-rgb.ppm" -compress rle
tiff tiff-jpeg.tif "$out/ref-rgb.ppm" -compress jpeg -quality 90
tiff tiff-rgb16.tif source.png -depth 16 -compress lzw
tiff tiff-rgba.tif "$out/ref-rgb.ppm" -alpha set -compress none # an opaque extra sample
tiff tiff-cmyk.tif "$out/ref-rgb.ppm" -colorspace CMYK -compress lzw
# Bilevel, min-is-white, in each compression that knows it.
# (ImageMagick writes min-is-black: the tag is turned over with the pixels.)
tiff mono.tif "$out/ref-mono.pgm" -negate -type bilevel -depth 1 -compress none
mv "$out/mono.tif" .
tiffset -s 262 0 mono.tif
for c in none g3 g4 packbits; do tiffcp -c $c mono.tif "$out/tiff-bilevel-$c.tif"; done
tiff tiff-grey4.tif "$out/ref-grey4.pgm" -depth 2 -compress lzw
tiff tiff-grey16.tif "$out/ref-grey16.pgm" -depth 4 -compress lzw
tiff tiff-grey.tif "$out/ref-grey.pgm" -depth 8 -compress lzw
tiff tiff-pal16.tif "$out/ref-pal16.ppm" -type palette -depth 4 -compress rle
tiff tiff-pal256.tif "$out/ref-pal256.ppm" -type palette -compress rle
tiffcp -t -w 16 -l 16 "$out/tiff-lzw.tif" "$out/tiff-tiled.tif"
tiffcp -p separate -r 7 -c zip "$out/tiff-lzw.tif" "$out/tiff-planes.tif"
for o in 3 6 8; do
  cp "$out/tiff-none.tif" "$out/tiff-orient$o.tif"
  tiffset -s 274 $o "$out/tiff-orient$o.tif"
done
tiffcp -c lzw "$out/tiff-lzw.tif" "$out/tiff-lzw.tif" "$out/tiff-lzw.tif" "$out/tiff-pages.tif"
# 32-bit floating-point greys: 0, 0.25, 0.5, 1, 1.5, -0.2, NaN, 0.002 (little-endian).
hex 00000000 0000803e 0000003f 0000803f 0000c03f cdcc4cbe 0000c07f 6f12033b >float.raw
raw2tiff -w 8 -l 1 -d float -p minisblack -c none float.raw "$out/tiff-float.tif"
# Sample depths, sample formats and codecs beyond the classic ones.
tiff tiff-rgb12.tif source.png -depth 12 -compress lzw
tiff tiff-grey12.tif source.png -colorspace gray -depth 12 -compress zip
tiff tiff-planes12.tif source.png -depth 12 -interlace plane -compress zip
tiff tiff-rgb32.tif source.png -depth 32 -compress zip
tiff tiff-half16.tif source.png -define quantum:format=floating-point -depth 16 -compress zip
tiff tiff-lzma.tif source.png -depth 8 -compress lzma
tiff tiff-zstd.tif source.png -depth 8 -compress zstd
# L*a*b* from a picture kept inside the gamut's middle.
magick source.png +level 15%,85% muted.png
magick muted.png -depth 8 -strip "$out/ref-muted.ppm"
tiff tiff-lab8.tif muted.png -colorspace Lab -depth 8 -compress lzw
tiff tiff-lab16.tif muted.png -colorspace Lab -depth 16 -compress zip
magick source.png -strip -depth 8 -compress lzw "TIFF64:$out/tiff-bigtiff.tif"
magick source.png -strip -colorspace gray -depth 12 -compress none "TIFF64:$out/tiff-bigtiff12.tif"
# ImageMagick writes 12-bit tiles wrongly and WebP only lossy: libtiff's own tool.
tiffcp -t -w 16 -l 16 "$out/tiff-rgb12.tif" "$out/tiff-tiled12.tif"
tiffcp -c webp:p100 "$out/tiff-none.tif" "$out/tiff-webp.tif"
# 8-bit L*a*b* quantises a* and b* coarsely: compared with a reference decoder's
# view of the same file rather than with the source.
magick "$out/tiff-lab8.tif" -depth 8 -strip "$out/ref-lab8.ppm"

# ---- BMP: the Windows and OS/2 headers, every depth, RLE and bit fields
bmp() { # name, source, then ImageMagick's write options with the format prefix last
  local name=$1 src=$2
  shift 2
  local fmt=${*: -1}
  magick "$src" -strip "${@:1:$#-1}" "$fmt$out/$name"
}
bmp bmp-os2-1.bmp "$out/ref-mono.pgm" -type bilevel BMP2:
bmp bmp-os2-4.bmp "$out/ref-pal16.ppm" -type palette BMP2:
bmp bmp-os2-8.bmp "$out/ref-pal256.ppm" -type palette BMP2:
bmp bmp-os2-24.bmp "$out/ref-rgb.ppm" -type truecolor BMP2:
bmp bmp-1.bmp "$out/ref-mono.pgm" -type bilevel BMP3:
bmp bmp-4.bmp "$out/ref-pal16.ppm" -type palette -compress none BMP3:
bmp bmp-8.bmp "$out/ref-pal256.ppm" -type palette -compress none BMP3:
bmp bmp-rle8.bmp "$out/ref-pal256.ppm" -type palette -compress rle BMP3:
bmp bmp-24.bmp "$out/ref-rgb.ppm" -type truecolor BMP3:
# 16 bits in 5-5-5 as the plain layout, then with the bit fields after the
# header (which ImageMagick names but leaves out).
bmp bmp-555.bmp "$out/ref-rgb.ppm" -define bmp:subtype=RGB555 BMP3:
put32 "$out/bmp-555.bmp" 30 0
{
  head -c 54 "$out/bmp-555.bmp"
  hex 007c0000 e0030000 1f000000
  tail -c +55 "$out/bmp-555.bmp"
} >"$out/bmp-555-masks.bmp"
put32 "$out/bmp-555-masks.bmp" 2 "$(stat -c %s "$out/bmp-555-masks.bmp")"
put32 "$out/bmp-555-masks.bmp" 10 66
put32 "$out/bmp-555-masks.bmp" 30 3
bmp bmp-565-v5.bmp "$out/ref-rgb.ppm" -define bmp:subtype=RGB565 BMP:
bmp bmp-32-v5.bmp "$out/ref-rgb.ppm" -alpha set BMP:
bmp bmp-rle8-v5.bmp "$out/ref-pal256.ppm" -type palette -compress rle BMP:
bmp bmp-24-v5.bmp "$out/ref-rgb.ppm" -type truecolor BMP:
# Written by hand (colours: 0 black, 1 white, 2 red, 3 green): 4 x 3 RLE8,
# bottom line 1 1, a delta two lines up to x = 2, then 2 2; 8 x 2 RLE4 with a
# short colour table (black, red, dark green, blue): bottom line a run of 1 2
# and the literal 3 1 2 3, top line a run of 3; a 2 x 2 top-down 24-bit
# bitmap; a 4 x 2 2-bit one, bottom line 0 1 2 3, top line 3 2 1 0.
dibhead="28000000 0100"
hex 424d50000000000000004600 0000 ${dibhead/0100/}04000000 03000000 0100 0800 01000000 0a000000 130b0000 130b0000 04000000 00000000 \
  00000000 ffffff00 0000ff00 00a00000 0201 0002 0002 0202 0001 >"$out/bmp-rle8-delta.bmp"
hex 424d54000000000000004600 0000 28000000 08000000 02000000 0100 0400 02000000 0e000000 130b0000 130b0000 04000000 00000000 \
  00000000 0000ff00 00a00000 ff000000 0412 0004 3123 0000 0833 0000 0001 >"$out/bmp-rle4.bmp"
hex 424d46000000000000003600 0000 28000000 02000000 feffffff 0100 1800 00000000 10000000 130b0000 130b0000 00000000 00000000 \
  0000ff00ff000000 ff0000ffffff0000 >"$out/bmp-topdown.bmp"
hex 424d4e000000000000004600 0000 28000000 04000000 02000000 0100 0200 00000000 08000000 130b0000 130b0000 04000000 00000000 \
  00000000 ffffff00 0000ff00 00a00000 1b000000 e4000000 >"$out/bmp-2bit.bmp"
ppm() { # name, width, height, then the pixels as "r g b" triples
  local name=$1 size="$2 $3"
  shift 3
  printf 'P3\n%s\n255\n%s\n' "$size" "$*" | magick - -strip "$out/$name"
}
K="0 0 0" W="255 255 255" R="255 0 0" G="0 160 0" B="0 0 255" G2="0 255 0"
ppm ref-bmp-rle8-delta.ppm 4 3 "$K $K $R $R" "$K $K $K $K" "$W $W $K $K"
ppm ref-bmp-rle4.ppm 8 2 "$B $B $B $B $B $B $B $B" "$R $G $R $G $B $R $G $B"
ppm ref-bmp-topdown.ppm 2 2 "$R $G2" "$B $W"
ppm ref-bmp-2bit.ppm 4 2 "$G $R $W $K" "$K $W $R $G"

# ---- PCX: 8-bit with its palette at the end, 24-bit in three planes, packed
# pixels of 1, 2 and 4 bits, and 2, 3 and 4 planes of one bit. 45 is odd: every
# line carries a padding byte.
magick "$out/ref-pal256.ppm" -strip -type palette "$out/pcx-8.pcx"
magick "$out/ref-pal256.ppm" -strip -type palette -compress none "$out/pcx-8-raw.pcx"
magick "$out/ref-rgb.ppm" -strip "$out/pcx-24.pcx"
ppmtopcx -packed "$out/ref-mono.pgm" >"$out/pcx-1.pcx" 2>/dev/null
ppmtopcx -packed "$out/ref-pal4.ppm" >"$out/pcx-2.pcx" 2>/dev/null
ppmtopcx -packed "$out/ref-pal16.ppm" >"$out/pcx-4.pcx" 2>/dev/null
ppmtopcx -planes=2 "$out/ref-pal4.ppm" >"$out/pcx-planes2.pcx" 2>/dev/null
ppmtopcx -planes=3 "$out/ref-pal8.ppm" >"$out/pcx-planes3.pcx" 2>/dev/null
ppmtopcx "$out/ref-pal16.ppm" >"$out/pcx-planes4.pcx" 2>/dev/null
# Version 3 has no palette: the standard EGA colours apply, whatever the
# header's palette bytes (garbled here) say.
printf 'P3 16 1 255 0 0 0 0 0 170 0 170 0 0 170 170 170 0 0 170 0 170 170 85 0 170 170 170
  85 85 85 85 85 255 85 255 85 85 255 255 255 85 85 255 85 255 255 255 85 255 255 255\n' >ega-map.ppm
magick "$out/ref-rgb.ppm" -strip ppm:- | pnmremap -nofs -mapfile=ega-map.ppm 2>/dev/null >ega.ppm
ppmtopcx -palette=ega-map.ppm ega.ppm >"$out/pcx-ega.pcx" 2>/dev/null
printf '\x03' | dd of="$out/pcx-ega.pcx" bs=1 seek=1 conv=notrunc 2>/dev/null
head -c 48 /dev/zero | tr '\0' '\125' | dd of="$out/pcx-ega.pcx" bs=1 seek=16 conv=notrunc 2>/dev/null
magick ega.ppm -strip "$out/ref-ega.ppm"

# ---- embedded colour profiles: the picture turned into the profile's colours
# by lcms2's tools (perceptual intent), the profile embedded, and what
# tificc makes of the stored pixels back in sRGB. The profiles are kept as
# well (the profile fuzzer's seeds).
cp $gs_icc/a98.icc "$out/icc-adobe.icc"    # Adobe RGB (1998)
cp $gs_icc/rommrgb.icc "$out/icc-prophoto.icc"
cp $colord/WideGamutRGB.icc "$out/icc-widegamut.icc"
cp $gs_icc/ps_gray.icc "$out/icc-grey.icc"
cp $gs_icc/ps_cmyk.icc "$out/icc-cmyk.icc"
cp $colord/sRGB.icc srgb.icc
magick "$out/ref-rgb.ppm" -strip -compress none srgb.tif
magick "$out/ref-rgb.ppm" -strip -quality 95 srgb.jpg
# tificc's sRGB view of a picture (any format ImageMagick reads) with a profile.
icc_ref() { # picture, profile, reference name
  magick "$1" -strip -compress none bare.tif
  magick bare.tif -profile "$2" -compress none stored.tif # no profile yet: assigned, not applied
  tificc stored.tif shown.tif
  magick shown.tif -strip -depth 8 "$out/$3"
}
for p in adobe prophoto widegamut grey cmyk; do
  jpgicc -o"$out/icc-$p.icc" -e -q95 srgb.jpg "$out/jpeg-icc-$p.jpg"
  icc_ref "$out/jpeg-icc-$p.jpg" "$out/icc-$p.icc" "ref-icc-jpeg-$p.ppm"
  tificc -o"$out/icc-$p.icc" -e srgb.tif "$out/tiff-icc-$p.tif"
  tificc "$out/tiff-icc-$p.tif" shown.tif
  magick shown.tif -strip -depth 8 "$out/ref-icc-tiff-$p.ppm"
done
for p in adobe widegamut grey; do # PNG: the TIFF's pixels and profile
  # ImageMagick leaves iCCP out when both tEXt and zTXt are; its zTXt here hold no dates.
  magick "$out/tiff-icc-$p.tif" -define png:exclude-chunk=date,time,gAMA,cHRM,sRGB,tEXt,iTXt,vpAg,bKGD \
    "$out/png-icc-$p.png"
  cp "$out/ref-icc-tiff-$p.ppm" "$out/ref-icc-png-$p.ppm"
done
# A palette PNG: its colour table carries the profile's colours.
magick "$out/ref-pal16.ppm" -strip -compress none pal16.tif
tificc -o"$out/icc-adobe.icc" -e pal16.tif pal16-adobe.tif
magick pal16-adobe.tif -type palette -define png:bit-depth=4 \
  -define png:exclude-chunk=date,time,gAMA,cHRM,sRGB,tEXt,iTXt,vpAg,bKGD "$out/png-icc-pal16.png"
tificc pal16-adobe.tif shown.tif
magick shown.tif -strip -depth 8 "$out/ref-icc-png-pal16.ppm"
# A BMP with a V5 header and the profile inside.
magick "$out/tiff-icc-adobe.tif" BMP:"$out/bmp-icc-adobe.bmp"
# JPEG APP2 segments: "ICC_PROFILE", sequence number, count, a piece.
app2() { # sequence number, count, piece file
  local n=$(($(stat -c %s "$3") + 16))
  hex "ffe2 $(printf %04x $n) 4943435f50524f46494c4500 $(printf %02x%02x "$1" "$2")"
  cat "$3"
}
with_app2() { # JPEG, output, then the segments' arguments in threes
  local src=$1 dst=$2
  shift 2
  {
    head -c 2 "$src"
    while [ $# -gt 0 ]; do app2 "$1" "$2" "$3"; shift 3; done
    tail -c +3 "$src"
  } >"$dst"
}
# The Adobe profile in three pieces, stored out of their order.
split -n 3 -d "$out/icc-adobe.icc" piece
with_app2 "$out/jpeg-baseline.jpg" "$out/jpeg-icc-pieces.jpg" 3 3 piece02 1 3 piece00 2 3 piece01
icc_ref "$out/jpeg-baseline.jpg" "$out/icc-adobe.icc" ref-icc-jpeg-pieces.ppm
# Profiles that leave the colours alone: sRGB's own, and one cut short.
with_app2 "$out/jpeg-baseline.jpg" "$out/jpeg-icc-srgb.jpg" 1 1 srgb.icc
head -c 300 "$out/icc-widegamut.icc" >short.icc
with_app2 "$out/jpeg-baseline.jpg" "$out/jpeg-icc-short.jpg" 1 1 short.icc

# ---- for the Windows tests: pictures of the sizes the main window's layout
# cases need, an icon (16 x 16 blue, 32 x 32 red, 32 bits) and a placeable
# metafile that fills 200 x 100 units at 96 a inch with red, without a pen.
bands() { # width, height, then the write options
  local size="$1x$2"
  shift 2
  magick -size "1x${size#*x}" gradient:red-blue -scale "$size!" +dither -colors 32 -strip "$@"
}
bands 640 480 -type palette -compress rle "BMP3:$out/view-640x480.bmp"
bands 2000 40 -type palette -compress rle "BMP3:$out/view-2000x40.bmp"
magick -size 1024x768 gradient:white-navy -strip -quality 75 "$out/view-1024x768.jpg"
magick -size 100x400 pattern:checkerboard -type bilevel -strip "BMP3:$out/view-100x400.bmp"
magick -size 352x424 xc:olive -strip "PNG24:$out/view-352x424.png"
magick -size 3x2 xc:red -fill blue -draw 'point 1,0' -fill yellow -draw 'point 2,1' -type palette \
  -compress none -strip "BMP3:$out/view-3x2.bmp"
# 64 x 3 stretched lands on 16.5 lines exactly.
magick -size 64x3 gradient:red-blue -type truecolor -strip "BMP3:$out/view-64x3.bmp"
# A baseline JPEG that declares 60000 x 60000 and holds no picture data: its
# bitmap (10.8 GB at 24 bits) is refused before any data would be read.
hex ffd8 ffdb 0043 00 "$(printf '01%.0s' {1..64})" ffc0 0011 08 ea60 ea60 03 011100 021100 031100 \
  ffda 000c 03 0100 0211 0311 003f00 ffd9 >"$out/view-60000x60000.jpg"
magick -size 16x16 xc:blue -size 32x32 xc:red -alpha set -strip "$out/icon.ico"
hex d7cdc69a 0000 0000 0000 c800 6400 6000 00000000 dd57 \
  0100 0900 0003 34000000 0200 07000000 0000 \
  05000000 0b02 0000 0000 05000000 0c02 6400 c800 08000000 fa02 0500 0000 0000 0000 0000 \
  04000000 2d01 0000 07000000 fc02 0000 ff00 0000 0000 04000000 2d01 0100 \
  07000000 1b04 6500 c900 0000 0000 03000000 0000 >"$out/red.wmf"

# ---- the picture parsers' sound and hostile samples
python3 "$root/scripts/make-parser-samples.py" "$out/parsers"
