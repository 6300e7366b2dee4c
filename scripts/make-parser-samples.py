#!/usr/bin/env python3
"""Writes the picture parsers' samples under tests/data/parsers (committed;
run again by `make fixtures`): icons, metafiles and bitmap resources made byte
by byte. sound/<target>/ holds files every parser must take, covering each
record kind with counts, offsets or a bitmap; hostile/<target>/ holds files
each broken in one way that its parser must refuse. The target ("icon",
"metafile" or "dibres") is the parser and the fuzz target the file seeds.

Usage: make-parser-samples.py [OUTPUT_DIR]   (default: tests/data/parsers)
"""
import shutil
import struct
import sys
from dataclasses import dataclass, replace
from pathlib import Path


# ---- little-endian pieces ----------------------------------------------------


def u16(*values):
    return b"".join(struct.pack("<H", v & 0xFFFF) for v in values)


def u32(*values):
    return b"".join(struct.pack("<I", v & 0xFFFFFFFF) for v in values)


def set16(b, at, v):
    if len(b) < at + 2:
        b.extend(bytes(at + 2 - len(b)))
    b[at : at + 2] = u16(v)


def set32(b, at, v):
    set16(b, at, v & 0xFFFF)
    set16(b, at + 2, v >> 16)


def resize(b, n):
    del b[n:]
    b.extend(bytes(n - len(b)))


def zeros(n):
    return bytearray(n)


# ---- bitmaps ------------------------------------------------------------------


@dataclass(frozen=True)
class Dib:
    width: int = 8
    height: int = 4
    bits: int = 8
    header_size: int = 40
    compression: int = 0  # 3: bit fields
    colours_used: int = 0


def dib_info(s):
    """Header, masks, colour table; the pixels apart, so records can place them."""
    b = bytearray(u32(s.header_size))
    if s.header_size == 12:
        b += u16(s.width, s.height, 1, s.bits)
    else:
        b += u32(s.width, s.height) + u16(1, s.bits)
        b += u32(s.compression, 0, 0, 0, s.colours_used, 0)  # image size, resolution
        masks = s.compression == 3
        if masks:
            b += u32(0xF800, 0x07E0, 0x001F)
        resize(b, s.header_size + (12 if masks and s.header_size == 40 else 0))
    entries = s.colours_used or (1 << s.bits if s.bits <= 8 else 0)
    for i in range(entries):
        b += bytes([i * 7 & 255, 255 - i & 255, i * 3 & 255])
        if s.header_size != 12:
            b.append(0)
    return b


def dib_pixels(s, rows=None):
    stride = (s.width * s.bits + 31) // 32 * 4
    n = stride * (abs(s.height) if rows is None else rows)
    return bytearray((i * 13 + 5) & 255 for i in range(n))


def packed_dib(s):
    return dib_info(s) + dib_pixels(s)


# ---- icons --------------------------------------------------------------------


def icon_dib(side, bits):
    s = Dib(width=side, height=2 * side, bits=bits)
    b = dib_info(s)
    s = replace(s, height=side)
    return b + dib_pixels(s) + dib_pixels(replace(s, bits=1))  # colours, then the mask


def png_header(width, height):
    # Signature, IHDR: size, depth, colour type..., a CRC nobody checks.
    return bytearray(
        b"\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR"
        + struct.pack(">II", width, height)
        + bytes([8, 6, 0, 0, 0, 0x12, 0x34, 0x56, 0x78])
    )


def icon_file(images):
    b = bytearray(u16(0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for img in images:
        b += bytes(4)  # sizes and colours: the parsers look at the image itself
        b += u16(1, 32) + u32(len(img), offset)
        offset += len(img)
    for img in images:
        b += img
    return b


# ---- standard metafiles -------------------------------------------------------


class Wmf:
    def __init__(self):
        # In memory, header words, version, size, objects, largest record.
        self.b = bytearray(u16(1, 9, 0x300) + u32(0) + u16(4) + u32(0) + u16(0))
        self.largest = 0

    def record(self, function, params, extra=b""):
        extra = bytes(extra) + (b"\0" if len(extra) % 2 else b"")
        words = 3 + len(params) + len(extra) // 2
        self.b += u32(words) + u16(function, *params) + extra
        self.largest = max(self.largest, words)
        return self

    def finish(self):
        self.record(0, [])
        set32(self.b, 6, len(self.b) // 2)
        set32(self.b, 12, self.largest)
        return self.b


# The bitmaps the sound metafiles carry. Wine 8 corrupts its heap playing a
# DIB whose implied colour table is larger than its pixels (8 x 4 at 8 bits):
# these are larger.
DIB = Dib(40, 32, 8)
MONO = Dib(8, 4, 1)
DEEP = Dib(8, 4, 16, 40, 3)


def sound_wmf():
    w = Wmf()
    w.record(0x020B, [0, 0])  # SETWINDOWORG
    w.record(0x020C, [60, 120])  # SETWINDOWEXT: y, x
    w.record(0x02FC, [0, 0x00FF, 0, 0])  # CREATEBRUSHINDIRECT
    w.record(0x012D, [0])  # SELECTOBJECT
    w.record(0x041B, [50, 100, 10, 10])  # RECTANGLE
    w.record(0x0324, [3, 0, 0, 50, 0, 25, 40])  # POLYGON
    w.record(0x0538, [2, 2, 2, 0, 0, 9, 9, 5, 5, 1, 1])  # POLYPOLYGON
    w.record(0x0521, [5], b"Hello\0" + u16(20, 30))  # TEXTOUT: length, string, y, x
    w.record(0x0A32, [20, 30, 3, 0x0004, 0, 0, 40, 40], b"abc")  # EXTTEXTOUT, clipped
    w.record(0x02FB, [12, 0, 0, 0, 400, 0, 0, 0, 0], b"Arial\0")  # CREATEFONTINDIRECT
    w.record(0x00F7, [0x300, 2, 0x00FF, 0, 0xFF00, 0])  # CREATEPALETTE
    w.record(0x06FF, [0, 6, 0, 0, 34, 1, 10, 0, 0, 10, 10, 2, 0, 10, 0, 10, 2])  # CREATEREGION
    w.record(0x0626, [15, 4], b"abcd")  # ESCAPE
    w.record(0x01F0, [0])  # DELETEOBJECT
    w.record(0x0F43, [0x20, 0xCC, 0, 4, 8, 0, 0, 4, 8, 0, 0], packed_dib(DIB))  # STRETCHDIB
    w.record(0x0B41, [0x20, 0xCC, 4, 8, 0, 0, 4, 8, 0, 0], packed_dib(DIB))  # DIBSTRETCHBLT
    w.record(0x0940, [0x20, 0xCC, 0, 0, 4, 8, 0, 0], packed_dib(MONO))  # DIBBITBLT
    w.record(0x0940, [0x42, 0xFF, 0, 0, 0, 4, 8, 0, 0])  # DIBBITBLT without a bitmap
    w.record(0x0D33, [0, 32, 0, 0, 0, 32, 40, 0, 0], packed_dib(DIB))  # SETDIBTODEV
    w.record(0x0142, [5, 0], packed_dib(MONO))  # DIBCREATEPATTERNBRUSH
    return w.finish()


def wmf_with(function, params, extra=b""):
    """A standard metafile holding one record between header and end record."""
    return Wmf().record(function, params, extra).finish()


def placeable(wmf, right, bottom, inch):
    b = bytearray(u32(0x9AC6CDD7) + u16(0, 0, 0, right, bottom, inch) + u32(0))
    checksum = 0
    for (word,) in struct.iter_unpack("<H", b):
        checksum ^= word
    return b + u16(checksum) + wmf


# ---- enhanced metafiles -------------------------------------------------------


class Emf:
    def __init__(self):
        # Header: bounds, frame, signature, version, size and records (set
        # by finish), handles, device and millimetre sizes.
        self.b = bytearray(
            u32(1, 88, 0, 0, 99, 49, 0, 0, 2540, 1270, 0x464D4520, 0x10000, 0, 0, 4, 0)
            + u32(0, 0, 1024, 768, 320, 240)
        )
        self.records = 0

    def record(self, kind, body):
        body = bytes(body)
        body += bytes(-len(body) % 4)
        self.b += u32(kind, 8 + len(body)) + body
        self.records += 1
        return self

    def bitmap_record(self, kind, body, at, dib):
        """A record whose fixed part (the body, from the record's byte 8 on)
        holds offset and size of a bitmap's header, then of its pixels, from
        record byte `at`."""
        info, pixels = dib_info(dib), dib_pixels(dib)
        body = bytearray(body)
        fixed = 8 + len(body)
        set32(body, at - 8, fixed)
        set32(body, at - 4, len(info))
        set32(body, at, fixed + len(info))
        set32(body, at + 4, len(pixels))
        return self.record(kind, body + info + pixels)

    def finish(self):
        self.record(14, u32(0, 16, 20))  # EOF
        set32(self.b, 48, len(self.b))
        set32(self.b, 52, self.records + 1)
        return self.b


def ext_text_out_w(chars, dx_chars):
    """EMREXTTEXTOUTW whose string (two characters written) and spacing follow its fixed part."""
    string_at = 76
    dx_at = string_at + ((chars * 2 + 3) & ~3)
    b = bytearray(u32(0, 0, 100, 20, 1, 0, 0, 10, 10, chars, string_at, 0, 0, 0, 100, 20))
    b += u32(dx_at if dx_chars else 0) + u16(ord("A"), ord("B"))
    if dx_chars:
        resize(b, dx_at - 8)
    return b + u32(*[8] * dx_chars)


def region(rects, written):
    return u32(32, 1, rects, rects * 16, 0, 0, 10, 10) + u32(0, 0, 10, 10) * written


def gradient(mode, index):
    vertices = b"".join(u32(v * 10, v * 10, 0xFF000000, 0x0000FF00) for v in (0, 1))
    return u32(0, 0, 10, 10, 2, 1, mode) + vertices + u32(0, index)


def sound_emf():
    e = Emf()
    e.record(39, u32(1, 0, 0x0000FF, 0))  # CREATEBRUSHINDIRECT
    e.record(37, u32(1))  # SELECTOBJECT
    e.record(43, u32(0, 0, 50, 25))  # RECTANGLE
    e.record(86, u32(0, 0, 9, 9, 3, 0, 0x00090009, 0x00000009))  # POLYGON16
    e.record(4, u32(0, 0, 9, 9, 2, 0, 0, 9, 9))  # POLYLINE
    e.record(91, u32(0, 0, 9, 9, 2, 4, 2, 2, 0, 0x00090009, 0, 0x00050005))  # POLYPOLYGON16
    e.record(92, u32(0, 0, 9, 9, 2, 0, 0x00090009) + bytes([6, 2]))  # POLYDRAW16: points, types
    e.record(84, ext_text_out_w(2, 2))  # EXTTEXTOUTW with spacing
    # POLYTEXTOUTW: one string of two characters
    e.record(97, u32(0, 0, 100, 20, 1, 0, 0, 1, 10, 10, 2, 80, 0, 0, 0, 100, 20, 0) + b"O\0K\0")
    e.record(108, u32(10, 10, 3, 0x0300, 1, 0, 0) + b"abc")  # SMALLTEXTOUT, 8-bit, no clip
    e.record(118, gradient(0, 1))  # GRADIENTFILL
    e.record(71, u32(0, 0, 10, 10, 48, 1) + region(1, 1))  # FILLRGN
    e.record(49, u32(2) + u16(0x300, 2) + u32(0x0000FF, 0x00FF00))  # CREATEPALETTE, two entries
    e.record(70, u32(4) + b"note")  # GDICOMMENT
    # EXTCREATEPEN, no bitmap, two style entries
    e.record(95, u32(3, 0, 0, 0, 0, 0x10007, 1, 0, 0xFF, 0, 2, 3, 1))
    e.bitmap_record(81, zeros(72), 48, DIB)  # STRETCHDIBITS
    e.bitmap_record(81, zeros(72), 48, DEEP)  # STRETCHDIBITS, bit fields
    e.bitmap_record(76, zeros(92), 84, DIB)  # BITBLT
    e.record(76, zeros(92))  # BITBLT without a source: a pattern fill
    e.bitmap_record(94, zeros(24), 16, MONO)  # CREATEDIBPATTERNBRUSHPT
    e.bitmap_record(114, zeros(100), 84, DIB)  # ALPHABLEND
    all_scans = zeros(68)
    set32(all_scans, 64, 4)
    e.bitmap_record(80, all_scans, 48, DIB)  # SETDIBITSTODEVICE of all four scans
    return e.finish()


def emf_with(kind, body):
    """An enhanced metafile holding one record before its end record."""
    return Emf().record(kind, body).finish()


def emf_with_bitmap(kind, body, at, dib):
    return Emf().bitmap_record(kind, body, at, dib).finish()


# ---- the samples --------------------------------------------------------------


def sound():
    wmf = sound_wmf()
    yield "icon", "three-images", icon_file([icon_dib(16, 8), icon_dib(32, 32), png_header(48, 48)])
    yield "icon", "four-bit", icon_file([icon_dib(16, 4)])
    yield "metafile", "wmf", wmf
    yield "metafile", "placeable", placeable(wmf, 1440, 720, 1440)
    yield "metafile", "emf", sound_emf()
    for d in (Dib(8, 4, 8, 12), Dib(8, 4, 24, 12), Dib(8, 4, 4, 40), Dib(8, -4, 16, 40, 3),
              Dib(8, 4, 32, 56, 3), Dib(8, 4, 24, 108), Dib(8, 4, 8, 124, 0, 16)):
        name = f"h{d.header_size}-{d.bits}" + ("-bitfields" if d.compression else "")
        yield "dibres", name, packed_dib(d)


def hostile_icons():
    good = icon_file([icon_dib(32, 8)])

    def changed(at, value, setter=set32):
        b = bytearray(good)
        setter(b, at, value)
        return b

    yield "directory-cut", good[:21]
    yield "image-cut", good[:-1]
    yield "offset-outside", changed(18, 0xFFFF0000)  # image offset far beyond the file
    yield "count-huge", changed(4, 0xFFFF, set16)  # 65535 entries in a file with room for one
    yield "depth-7", changed(22 + 14, 7, set16)
    yield "height-huge", changed(22 + 8, 0x7F00)  # far beyond the image data
    yield "height-negative", changed(22 + 8, 0xFFFFFFC0)  # bottom-up height negative
    yield "png-zero-width", icon_file([png_header(0, 16)])
    yield "png-too-large", icon_file([png_header(4096, 16)])
    no_mask = Dib(width=32, height=64)
    yield "mask-missing", icon_file([dib_info(no_mask) + dib_pixels(replace(no_mask, height=32))])
    yield "garbage", bytearray(i * 37 & 255 for i in range(300))


def hostile_wmfs():
    dib = Dib()
    stretch = [0x20, 0xCC, 0, 4, 8, 0, 0, 4, 8, 0, 0]
    yield "wmf-rectangle-short", wmf_with(0x041B, [50, 100, 10])
    yield "wmf-unknown-function", wmf_with(0x0999, [1, 2, 3])
    yield "wmf-bitblt-device-bitmap", wmf_with(0x0922, [0x20, 0xCC, 0, 0, 4, 8, 0, 0, 0])
    yield "wmf-polygon-count", wmf_with(0x0324, [30000, 0, 0, 5, 5])
    yield "wmf-polypolygon-counts", wmf_with(0x0538, [2, 1000, 2, 0, 0, 1, 1])
    yield "wmf-textout-length", wmf_with(0x0521, [200, 0x4141, 0, 0])
    yield "wmf-exttextout-rectangle", wmf_with(0x0A32, [0, 0, 2, 0x0004, 0x4141])
    yield "wmf-font-face-open", wmf_with(0x02FB, [12, 0, 0, 0, 400, 0, 0, 0, 0], b"Arial1")
    yield "wmf-region-scans", wmf_with(
        0x06FF, [0, 6, 0, 0, 34, 5, 10, 0, 0, 10, 10, 2, 0, 10, 0, 10])
    yield "wmf-palette-count", wmf_with(0x00F7, [0x300, 300, 0, 0])
    yield "wmf-escape-count", wmf_with(0x0626, [15, 400], b"ab")
    yield "wmf-dibbitblt-short", wmf_with(0x0940, [0x20, 0xCC, 0, 0, 4, 8, 0, 0])
    tall = dib_info(Dib(8, 100, 8)) + dib_pixels(dib, 2)
    yield "wmf-stretchdib-rows", wmf_with(0x0F43, stretch, tall)
    yield "wmf-stretchdib-depth", wmf_with(0x0F43, stretch, packed_dib(Dib(8, 4, 7)))
    yield "wmf-setdibtodev-partial", wmf_with(0x0D33, [0, 2, 0, 0, 0, 4, 8, 0, 0], packed_dib(dib))
    yield "wmf-setdibtodev-bits", wmf_with(
        0x0D33, [0, 4, 0, 0, 0, 4, 8, 0, 0], dib_info(dib) + dib_pixels(dib, 3))
    yield "wmf-pattern-table", wmf_with(0x0142, [5, 0], dib_info(dib)[:60])
    b = wmf_with(0x041B, [50, 100, 10, 10])
    set32(b, 18, 0)  # a record of length 0 would never advance
    yield "wmf-record-zero", b
    b = wmf_with(0x041B, [50, 100, 10, 10])
    set32(b, 18, 0x40000000)
    yield "wmf-record-huge", b
    b = wmf_with(0x041B, [50, 100, 10, 10])
    del b[-6:]  # no end record
    set32(b, 6, len(b) // 2)
    yield "wmf-no-end", b
    yield "placeable-zero-inch", placeable(sound_wmf(), 100, 50, 0)
    yield "placeable-cut", bytes([0xD7] * 20)


def hostile_emfs():
    dib = Dib()
    yield "emf-unknown-type", emf_with(69, zeros(8))
    yield "emf-second-header", emf_with(1, zeros(80))
    yield "emf-rectangle-short", emf_with(43, zeros(12))
    yield "emf-bitblt-short", emf_with(76, zeros(88))
    body = zeros(72)
    set32(body, 48 - 8, 4000)  # header offset outside the record
    set32(body, 52 - 8, 40)
    yield "emf-stretchdibits-header-outside", emf_with(81, body)
    b = emf_with_bitmap(81, zeros(72), 48, dib)
    set32(b, 88 + 60, 8)  # fewer pixel bytes than the bitmap needs
    yield "emf-stretchdibits-bits-short", b
    b = emf_with_bitmap(81, zeros(72), 48, dib)
    set32(b, 88 + 52, 48)  # header size cuts the colour table
    yield "emf-stretchdibits-table-cut", b
    b = emf_with_bitmap(78, zeros(120), 84, dib)
    set32(b, 88 + 116, 40)  # a mask header with no room for it
    set32(b, 88 + 112, 9000)
    yield "emf-maskblt-mask-outside", b
    yield "emf-exttextoutw-chars", emf_with(84, ext_text_out_w(1000, 0))
    t = ext_text_out_w(2, 2)
    set32(t, 52 - 8, 0x2000)  # ETO_PDY: an x and a y a character
    yield "emf-exttextoutw-spacing", emf_with(84, t)
    yield "emf-polytextout-strings", emf_with(
        97, u32(0, 0, 100, 20, 1, 0, 0, 100, 10, 10, 0, 80, 0, 0, 0, 100, 20, 0))
    yield "emf-smalltextout-chars", emf_with(108, u32(10, 10, 3000, 0x0300, 1, 0, 0, 0))
    yield "emf-polygon16-count", emf_with(86, u32(0, 0, 9, 9, 3000, 0, 0))
    yield "emf-polypolygon16-sum", emf_with(91, u32(0, 0, 9, 9, 2, 4, 2, 3, 0, 0, 0, 0))
    yield "emf-polydraw-types", emf_with(56, u32(0, 0, 9, 9, 2, 0, 0, 9, 9))
    yield "emf-gradient-index", emf_with(118, gradient(0, 7))
    yield "emf-gradient-mode", emf_with(118, gradient(7, 1))
    yield "emf-fillrgn-rectangles", emf_with(71, u32(0, 0, 10, 10, 48, 1) + region(50, 1))
    yield "emf-palette-count", emf_with(49, u32(2, 0x03000300, 0))
    yield "emf-extcreatepen-entries", emf_with(95, u32(3, 0, 0, 0, 0, 0x10007, 1, 0, 0xFF, 0, 500))
    yield "emf-comment-size", emf_with(70, u32(4000, 0))
    b = emf_with(43, zeros(16))
    set32(b, 88 + 4, 23)  # record size not a multiple of 4
    yield "emf-record-unaligned", b
    b = emf_with(43, zeros(16))
    del b[-20:]  # no end record
    set32(b, 48, len(b))
    yield "emf-no-end", b
    b = sound_emf()
    set32(b, 48, len(b) + 4)  # larger than the file
    yield "emf-size-beyond", b


def hostile_dib_resources():
    b = packed_dib(Dib(8, 4, 8, 12))
    set16(b, 10, 64)  # 1 << 64 is no colour count
    yield "core-depth-64", bytes(b)
    set16(b, 10, 31)
    yield "core-depth-31", b
    b = packed_dib(Dib(8, 4, 8))
    set32(b, 32, 300)  # more colours than 8 bits index
    yield "used-300", b
    b = packed_dib(Dib(8, 4, 24))
    set32(b, 32, 300)
    yield "deep-used-300", b
    yield "width-0", packed_dib(Dib(0, 4, 8))
    yield "side-40000", packed_dib(Dib(40000, 1, 1))
    yield "bits-cut", packed_dib(Dib(8, 4, 8))[:-1]
    b = packed_dib(Dib(8, 4, 8))
    set32(b, 16, 1)  # RLE8
    yield "rle8", b
    yield "header-64", packed_dib(Dib(8, 4, 8, 64))
    yield "bitfields-24", packed_dib(Dib(8, 4, 24, 40, 3))


def hostile():
    for target, samples in (("icon", hostile_icons()), ("metafile", hostile_wmfs()),
                            ("metafile", hostile_emfs()), ("dibres", hostile_dib_resources())):
        for name, data in samples:
            yield target, name, data


def extension(target, name):
    if target == "icon":
        return ".ico"
    if target == "metafile":
        return ".emf" if name.split("-")[0] == "emf" else ".wmf"
    return ".bin"  # a packed DIB, as a bitmap resource holds it


def main():
    root = Path(__file__).resolve().parent.parent
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else root / "tests" / "data" / "parsers"
    shutil.rmtree(out, ignore_errors=True)
    count = 0
    for kind, samples in (("sound", sound()), ("hostile", hostile())):
        for target, name, data in samples:
            path = out / kind / target / (name + extension(target, name))
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(bytes(data))
            count += 1
    print(f"make-parser-samples: {count} files in {out}")


if __name__ == "__main__":
    main()
