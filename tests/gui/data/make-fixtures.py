#!/usr/bin/env python3
"""Writes the small pictures the window tests embed (skin-test.qrc), byte for byte.

Run from this folder; the files are committed, this script records how they were made.
  test_pattern.gif  GIF89a, 4x2, four colours: row 0 red, green, blue, white;
                    row 1 white, blue, green, red. LZW codes stay 3 bits wide (a clear
                    code before every second pixel), the simplest valid encoding.
  test_mask.bmp     24-bit uncompressed BMP, 3x2, bottom-up rows padded to 4 bytes:
                    row 0 white, black, white; row 1 black, black, white.
  test_broken.gif   a GIF signature and screen descriptor and nothing after: recognised
                    as GIF, not decodable.
"""
import struct

RED, GREEN, BLUE, WHITE, BLACK = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (0, 0, 0)


def gif(width, height, palette, indexes):
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x01, 0, 0)  # global table of 4 entries
    for colour in palette:
        out += bytes(colour)
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    min_code = 2
    clear, end = 1 << min_code, (1 << min_code) + 1
    codes = []
    for i, index in enumerate(indexes):
        if i % 2 == 0:
            codes.append(clear)
        codes.append(index)
    codes.append(end)
    bits, nbits, data = 0, 0, bytearray()
    for code in codes:
        bits |= code << nbits
        nbits += min_code + 1
        while nbits >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        data.append(bits & 0xFF)
    out.append(min_code)
    out.append(len(data))
    out += data
    out += b"\x00\x3b"
    return bytes(out)


def bmp(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + b"\x00" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


with open("test_pattern.gif", "wb") as f:
    f.write(gif(4, 2, [RED, GREEN, BLUE, WHITE], [0, 1, 2, 3, 3, 2, 1, 0]))
with open("test_mask.bmp", "wb") as f:
    f.write(bmp([[WHITE, BLACK, WHITE], [BLACK, BLACK, WHITE]]))
with open("test_broken.gif", "wb") as f:
    f.write(b"GIF89a" + struct.pack("<HHBBB", 4, 2, 0, 0, 0))
