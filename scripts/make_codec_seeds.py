#!/usr/bin/env python3
"""Writes the small seed files of the JPEG and TIFF fuzzers into fuzz/corpus.

Plain TIFF pages are written here byte by byte (so that tags can be left out);
libjpeg's cjpeg and libtiff's tiffcp make the compressed variants.
"""
import os
import struct
import subprocess
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fuzz", "corpus")

W, H = 16, 12


def write(folder, name, data):
    os.makedirs(os.path.join(ROOT, folder), exist_ok=True)
    with open(os.path.join(ROOT, folder, name), "wb") as f:
        f.write(data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def run(*args):
    subprocess.run(args, check=True)


# --- TIFF ------------------------------------------------------------------

SHORT, LONG, RATIONAL = 3, 4, 5


def tiff(width, height, pixels, tags):
    """A little-endian TIFF with one uncompressed strip. tags: {number: (type, [values])}."""
    entries = dict(tags)
    entries[256] = (LONG, [width])
    entries[257] = (LONG, [height])
    entries.setdefault(259, (SHORT, [1]))
    extra = bytearray()
    header_size = 8
    pixel_offset = header_size
    ifd_offset = pixel_offset + len(pixels) + (len(pixels) & 1)
    entries[273] = (LONG, [pixel_offset])
    entries[278] = (LONG, [height])
    entries[279] = (LONG, [len(pixels)])
    count = len(entries)
    data_offset = ifd_offset + 2 + 12 * count + 4
    ifd = struct.pack("<H", count)
    for tag in sorted(entries):
        kind, values = entries[tag]
        if kind == SHORT:
            raw = struct.pack("<%dH" % len(values), *values)
        elif kind == LONG:
            raw = struct.pack("<%dI" % len(values), *values)
        else:
            raw = b"".join(struct.pack("<II", int(v * 10), 10) for v in values)
        if len(raw) <= 4:
            ifd += struct.pack("<HHI", tag, kind, len(values)) + raw.ljust(4, b"\0")
        else:
            ifd += struct.pack("<HHII", tag, kind, len(values), data_offset + len(extra))
            extra += raw
    ifd += struct.pack("<I", 0)
    body = pixels + (b"\0" if len(pixels) & 1 else b"")
    return b"II*\0" + struct.pack("<I", ifd_offset) + body + ifd + extra


def samples(width, height, per_pixel, bits=8):
    row_bytes = (width * per_pixel * bits + 7) // 8
    return bytes(((x * 37 + y * 11) ^ (x * y)) & 0xFF for y in range(height) for x in range(row_bytes))


def tiff_seeds(work):
    res = {282: (RATIONAL, [300.0]), 283: (RATIONAL, [299.6]), 296: (SHORT, [2])}
    gray = tiff(W, H, samples(W, H, 1), {258: (SHORT, [8]), 262: (SHORT, [1]), 277: (SHORT, [1]), **res})
    bilevel = tiff(W, H, samples(W, H, 1, 1), {258: (SHORT, [1]), 262: (SHORT, [0]), 277: (SHORT, [1]), **res})
    rgb = tiff(W, H, samples(W, H, 3), {258: (SHORT, [8, 8, 8]), 262: (SHORT, [2]), 277: (SHORT, [3])})
    ramp = [i * 4369 for i in range(16)]
    palette4 = tiff(W, H, samples(W, H, 1, 4), {258: (SHORT, [4]), 262: (SHORT, [3]), 277: (SHORT, [1]),
                                                320: (SHORT, ramp + ramp[::-1] + [0] * 16)})
    palette8 = tiff(W, H, samples(W, H, 1), {258: (SHORT, [8]), 262: (SHORT, [3]), 277: (SHORT, [1]),
                                             320: (SHORT, list(range(256)) * 3)})
    write("tiff", "gray8.tif", gray)
    write("tiff", "gray8-miniswhite-no-samples.tif",
          tiff(W, H, samples(W, H, 1), {258: (SHORT, [8]), 262: (SHORT, [0])}))
    write("tiff", "bilevel-no-samples.tif", tiff(W, H, samples(W, H, 1, 1), {258: (SHORT, [1]), 262: (SHORT, [0])}))
    write("tiff", "palette4-16bit-map.tif", palette4)
    write("tiff", "rgb16.tif", tiff(W, H, samples(W, H, 3, 16),
                                    {258: (SHORT, [16, 16, 16]), 262: (SHORT, [2]), 277: (SHORT, [3])}))
    write("tiff", "cmyk.tif", tiff(W, H, samples(W, H, 4),
                                   {258: (SHORT, [8] * 4), 262: (SHORT, [5]), 277: (SHORT, [4]), 332: (SHORT, [1])}))
    write("tiff", "gray-alpha.tif", tiff(W, H, samples(W, H, 2),
                                         {258: (SHORT, [8, 8]), 262: (SHORT, [1]), 277: (SHORT, [2]),
                                          338: (SHORT, [2])}))
    write("tiff", "rgba-refused.tif", tiff(W, H, samples(W, H, 4),
                                           {258: (SHORT, [8] * 4), 262: (SHORT, [2]), 277: (SHORT, [4]),
                                            338: (SHORT, [1])}))
    write("tiff", "truncated.tif", rgb[:200])

    def path(name):
        return os.path.join(work, name)

    for name, data in (("gray.tif", gray), ("bilevel.tif", bilevel), ("rgb.tif", rgb),
                       ("palette8.tif", palette8)):
        with open(path(name), "wb") as f:
            f.write(data)
    variants = [
        ("bilevel-g4.tif", ["-c", "g4"], ["bilevel.tif"]),
        ("bilevel-g3-2d.tif", ["-c", "g3:2d"], ["bilevel.tif"]),
        ("gray-packbits.tif", ["-c", "packbits"], ["gray.tif"]),
        ("gray-zip.tif", ["-c", "zip"], ["gray.tif"]),
        ("palette8-lzw.tif", ["-c", "lzw"], ["palette8.tif"]),
        ("rgb-lzw-predictor.tif", ["-c", "lzw:2"], ["rgb.tif"]),
        ("rgb-tiled.tif", ["-t", "-w", "16", "-l", "16"], ["rgb.tif"]),
        ("rgb-separate.tif", ["-p", "separate"], ["rgb.tif"]),
        ("rgb-ycbcr-jpeg.tif", ["-c", "jpeg", "-r", "16"], ["rgb.tif"]),
        ("multipage.tif", ["-c", "packbits"], ["gray.tif", "rgb.tif", "bilevel.tif"]),
    ]
    for name, options, inputs in variants:
        run("tiffcp", *options, *[path(i) for i in inputs], path(name))
        write("tiff", name, read(path(name)))


# --- JPEG ------------------------------------------------------------------


def jpeg_seeds(work):
    def path(name):
        return os.path.join(work, name)

    with open(path("colour.ppm"), "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (W, H) + samples(W, H, 3))
    with open(path("gray.pgm"), "wb") as f:
        f.write(b"P5\n8 8\n255\n" + samples(8, 8, 1))
    variants = [
        ("colour.jpg", ["-quality", "75"], "colour.ppm"),
        ("gray.jpg", ["-grayscale"], "colour.ppm"),
        ("progressive.jpg", ["-progressive"], "colour.ppm"),
        ("optimized-restart.jpg", ["-optimize", "-restart", "1"], "colour.ppm"),
        ("arithmetic.jpg", ["-arithmetic"], "colour.ppm"),
        ("rgb-colorspace.jpg", ["-rgb"], "colour.ppm"),
        ("no-subsampling.jpg", ["-sample", "1x1"], "colour.ppm"),
        ("gray-small.jpg", [], "gray.pgm"),
    ]
    for name, options, source in variants:
        run("cjpeg", *options, "-outfile", path(name), path(source))
        write("jpeg", name, read(path(name)))
    colour = read(path("colour.jpg"))
    # JFIF density: unit 1 (dots per inch), 300 x 300.
    dense = bytearray(colour)
    assert dense[6:11] == b"JFIF\0"
    dense[13:18] = struct.pack(">BHH", 1, 300, 300)
    write("jpeg", "density-300dpi.jpg", bytes(dense))
    commented = subprocess.run(["wrjpgcom", "-comment", "Leafsmith seed", path("colour.jpg")],
                               check=True, stdout=subprocess.PIPE).stdout
    write("jpeg", "comment.jpg", commented)
    write("jpeg", "truncated.jpg", colour[:-60])
    run("convert", path("colour.ppm"), "-colorspace", "CMYK", path("cmyk.jpg"))
    write("jpeg", "adobe-cmyk.jpg", read(path("cmyk.jpg")))


def main():
    with tempfile.TemporaryDirectory() as work:
        tiff_seeds(work)
        jpeg_seeds(work)


if __name__ == "__main__":
    main()
