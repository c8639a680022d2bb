#!/usr/bin/env python3
"""Writes the small seed files of the BMP and PNM fuzzers into fuzz/corpus."""
import os
import struct

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "corpus")


def bmp(width, height, bits, header_size=40, compression=0, colors_used=0, palette=None,
        extra_gap=0, masks=b""):
    stride = (width * bits + 31) // 32 * 4
    rows = bytearray()
    for y in range(abs(height)):
        row = bytearray(stride)
        for i in range(stride):
            row[i] = (i * 37 + y * 11) & 0xFF
        rows += row
    if palette is None:
        n = colors_used or (1 << bits if bits <= 8 else 0)
        palette = b"".join(struct.pack("<BBBB", i * 255 // max(n - 1, 1), i * 3 & 255, 255 - i, 0)
                           for i in range(n))
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, bits, compression,
                       len(rows), 11811, 11811, colors_used, 0)
    info += bytes(header_size - 40)
    offset = 14 + len(info) + len(masks) + len(palette) + extra_gap
    body = info + masks + palette + bytes(extra_gap) + rows
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, offset) + body


def write(folder, name, data):
    os.makedirs(os.path.join(ROOT, folder), exist_ok=True)
    with open(os.path.join(ROOT, folder, name), "wb") as f:
        f.write(data)


def main():
    write("bmp", "gray8.bmp", bmp(9, 5, 8))
    write("bmp", "mono1.bmp", bmp(33, 4, 1))
    write("bmp", "nibble4.bmp", bmp(7, 3, 4))
    write("bmp", "rgb24.bmp", bmp(5, 4, 24))
    write("bmp", "topdown24.bmp", bmp(6, -3, 24))
    write("bmp", "short-palette8.bmp", bmp(4, 2, 8, colors_used=16))
    write("bmp", "v5header24.bmp", bmp(3, 3, 24, header_size=124))
    write("bmp", "bitfields16.bmp", bmp(3, 2, 16, compression=3, palette=b"",
                                        masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)))
    write("bmp", "argb32.bmp", bmp(2, 2, 32))
    write("bmp", "gap8.bmp", bmp(4, 2, 8, extra_gap=16))
    write("bmp", "rle8.bmp", bmp(4, 2, 8, compression=1))
    write("bmp", "truncated.bmp", bmp(16, 16, 24)[:200])

    write("pnm", "p4.pbm", b"P4\n10 3\n" + bytes([0xC0, 0x40, 0xFF, 0xC0, 0x00, 0x00]))
    write("pnm", "p5.pgm", b"P5\n# comment\n4 2\n255\n" + bytes(range(0, 240, 30)))
    write("pnm", "p5-max15.pgm", b"P5 3 1 15\n" + bytes([0, 7, 15]))
    write("pnm", "p6.ppm", b"P6\n2 2\n255\n" + bytes(range(12)))
    write("pnm", "p6-short.ppm", b"P6\n4 3\n255\n" + bytes(30))
    write("pnm", "p2.pgm", b"P2\n2 2\n255\n0 1 2 3\n")
    write("pnm", "p5-16bit.pgm", b"P5\n2 2\n65535\n" + bytes(8))
    write("pnm", "comment-in-number.pgm", b"P5\n1#x\n2 255\n" + bytes(2))


if __name__ == "__main__":
    main()
