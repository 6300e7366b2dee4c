#!/usr/bin/env python3
"""Writes the bitmap resources that LUMOS32.EXE carries (see Bitmaps.rc).

Each picture follows a formula, so tests can check every pixel:
  LOGO.BMP     8 bits, 40 x 24, palette[i] = (i, 255 - i, (7 * i) & 255),
               pixel (x, y) has index (x + 11 * y) & 255
  SEVEN.BMP    4 bits, 24 x 16, palette[i] = (17 * i, 255 - 16 * i, 128),
               pixel (x, y) has index (x // 3 + y) & 15
  TRUECOL.BMP  24 bits, 21 x 13 (rows padded), pixel (x, y) = (12 * x, 19 * y, 128)
  OS2.BMP      12-byte (OS/2) header, 8 bits, 16 x 8, 256 RGB triples,
               palette[i] = (255 - i, i, (3 * i) & 255), pixel (x, y) has index (16 * y + x) & 255
  MY.BMP       1 bit, 9 x 5, palette (32, 64, 96) and (224, 192, 160),
               pixel (x, y) has index (x + y) & 1
Colours are (red, green, blue); y counts from the top row.
Run from anywhere: python3 make_bitmaps.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def rows_bottom_up(width, height, bits, value):
    """Packed, padded pixel rows, bottom row first; value(x, y) is an index or an (r, g, b)."""
    out = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        if bits == 24:
            for x in range(width):
                r, g, b = value(x, y)
                row += bytes((b, g, r))
        else:
            acc, n = 0, 0
            for x in range(width):
                acc = (acc << bits) | value(x, y)
                n += bits
                if n == 8:
                    row.append(acc)
                    acc, n = 0, 0
            if n:
                row.append(acc << (8 - n))
        while len(row) % 4:
            row.append(0)
        out += row
    return bytes(out)


def info_bmp(width, height, bits, palette, value):
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    pixels = rows_bottom_up(width, height, bits, value)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                         len(palette), 0)
    offset = 14 + len(header) + len(table)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + table + pixels


def core_bmp(width, height, bits, palette, value):
    table = b"".join(bytes((b, g, r)) for (r, g, b) in palette)
    pixels = rows_bottom_up(width, height, bits, value)
    header = struct.pack("<IHHHH", 12, width, height, 1, bits)
    offset = 14 + len(header) + len(table)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + header + table + pixels


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def main():
    write("LOGO.BMP", info_bmp(40, 24, 8, [(i, 255 - i, (7 * i) & 255) for i in range(256)],
                               lambda x, y: (x + 11 * y) & 255))
    write("SEVEN.BMP", info_bmp(24, 16, 4, [(17 * i, 255 - 16 * i, 128) for i in range(16)],
                                lambda x, y: (x // 3 + y) & 15))
    write("TRUECOL.BMP", info_bmp(21, 13, 24, [], lambda x, y: (12 * x, 19 * y, 128)))
    write("OS2.BMP", core_bmp(16, 8, 8, [(255 - i, i, (3 * i) & 255) for i in range(256)],
                              lambda x, y: (16 * y + x) & 255))
    write("MY.BMP", info_bmp(9, 5, 1, [(32, 64, 96), (224, 192, 160)], lambda x, y: (x + y) & 1))


if __name__ == "__main__":
    main()
