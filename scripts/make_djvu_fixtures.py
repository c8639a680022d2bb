#!/usr/bin/env python3
"""Makes the small DjVu and IW44 files under tests/data/djvu with DjVuLibre's
own tools (cjb2, c44, djvumake, djvm, djvmcvt, djvused), so that the reader is
tested on files written by another encoder. The same files seed the read_djvu
fuzzer.

Run from the repository root: scripts/make_djvu_fixtures.py
"""
import os
import shutil
import struct
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "data", "djvu")
SEEDS = os.path.join(ROOT, "fuzz", "corpus", "djvu")
W, H = 120, 90


def ink(x, y):
    ring = (x - 85) ** 2 + (y - 30) ** 2
    return ((10 <= x < 30 and 10 <= y < 25) or (40 <= x < 44 and 5 <= y < 80)
            or (60 <= x < 110 and 60 <= y < 63) or 60 < ring < 120)


def write_images(work):
    rows = bytearray()
    for y in range(H):
        bits = 0
        for x in range(W):
            bits = bits << 1 | ink(x, y)
            if x % 8 == 7 or x == W - 1:
                rows.append((bits << (7 - x % 8)) & 0xFF)
                bits = 0
    with open(os.path.join(work, "mask.pbm"), "wb") as f:
        f.write(b"P4\n%d %d\n" % (W, H) + rows)
    ppm = bytearray(b"P6\n%d %d\n255\n" % (W, H))
    pgm = bytearray(b"P5\n%d %d\n255\n" % (W, H))
    for y in range(H):
        for x in range(W):
            if ink(x, y):
                ppm += bytes([200, 20, 30])
                pgm.append(20)
            else:
                ppm += bytes([(x * 2) % 256, (y * 2 + 80) % 256, (150 + x) % 256])
                pgm.append((x + y + 100) % 256)
    with open(os.path.join(work, "colour.ppm"), "wb") as f:
        f.write(ppm)
    with open(os.path.join(work, "gray.pgm"), "wb") as f:
        f.write(pgm)


def chunks(path):
    """The (id, data) chunks of the single FORM in a file."""
    data = open(path, "rb").read()
    assert data[:8] == b"AT&TFORM"
    end = 12 + struct.unpack(">I", data[8:12])[0]
    at, found = 16, []
    while at + 8 <= end:
        cid, size = data[at:at + 4], struct.unpack(">I", data[at + 4:at + 8])[0]
        found.append((cid, data[at + 8:at + 8 + size]))
        at += 8 + size + (size & 1)
    return found


def write_form(path, form, parts):
    body = form
    for cid, data in parts:
        if len(body) % 2:
            body += b"\0"
        body += cid + struct.pack(">I", len(data)) + data
    with open(path, "wb") as f:
        f.write(b"AT&TFORM" + struct.pack(">I", len(body)) + body)


def run(*args, cwd):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


OUTLINE = b"""(bookmarks
 ("Cover" "#1")
 ("Pictures" "#compound.djvu"
  ("Photo" "#3")))
"""
TEXT = b'(page 0 0 120 90 (line 5 60 115 80 (word 5 60 50 80 "Hello") (word 60 60 115 80 "world")))\n'


def dirm_offsets(data):
    """Where the page offsets of a bundle's DIRM chunk are, and how many."""
    at = data.find(b"DIRM")
    count = struct.unpack(">H", data[at + 9:at + 11])[0]
    return at + 11, count


def write_documents(work):
    """Multipage documents: a bundled book of three pages with titles, an
    outline and hidden text; the same with turned pages; its indirect form;
    and two bundles whose directories lie."""
    run("djvm", "-c", "book.djvu", "bilevel.djvu", "compound.djvu", "photo.djvu", cwd=work)
    with open(os.path.join(work, "outline.txt"), "wb") as f:
        f.write(OUTLINE)
    with open(os.path.join(work, "text.txt"), "wb") as f:
        f.write(TEXT)
    run("djvused", "book.djvu", "-e", "set-outline outline.txt; select 1; set-txt text.txt; "
        'set-page-title "Cover page"', "-s", cwd=work)
    shutil.copy(os.path.join(work, "book.djvu"), os.path.join(work, "rotated.djvu"))
    run("djvused", "rotated.djvu", "-e", "select 2; set-rotation 1; select 3; set-rotation 2",
        "-s", cwd=work)
    indirect = os.path.join(OUT, "indirect")
    shutil.rmtree(indirect, ignore_errors=True)
    os.makedirs(indirect)
    run("djvmcvt", "-i", "book.djvu", indirect, "index.djvu", cwd=work)

    book = open(os.path.join(work, "book.djvu"), "rb").read()
    at, count = dirm_offsets(book)
    assert count == 3
    lying = bytearray(book)
    # Page 2 starts three bytes into its FORM, page 3 far past the end.
    second = struct.unpack(">I", lying[at + 4:at + 8])[0]
    lying[at + 4:at + 8] = struct.pack(">I", second + 3)
    lying[at + 8:at + 12] = struct.pack(">I", 0x7FFFFFF0)
    with open(os.path.join(work, "lying-dirm.djvu"), "wb") as f:
        f.write(lying)
    empty = bytearray(book)
    empty[at - 2:at] = struct.pack(">H", 0)
    with open(os.path.join(work, "no-pages.djvu"), "wb") as f:
        f.write(empty)


def main():
    os.makedirs(OUT, exist_ok=True)
    os.makedirs(SEEDS, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        write_images(work)
        run("cjb2", "-dpi", "300", "mask.pbm", "bilevel.djvu", cwd=work)
        run("djvumake", "compound.djvu", "Sjbz=bilevel.djvu", "PPM=colour.ppm", cwd=work)
        run("c44", "-dpi", "150", "colour.ppm", "photo.djvu", cwd=work)
        run("c44", "gray.pgm", "grayphoto.djvu", cwd=work)
        run("djvumake", "fgbz.djvu", "Sjbz=bilevel.djvu", "FGbz=#ff0000", cwd=work)
        run("djvumake", "incl.djvu", "INFO=120,90,300", "INCL=shared.djbz",
            "Sjbz=bilevel.djvu", cwd=work)
        run("djvm", "-c", "bundle.djvu", "bilevel.djvu", "photo.djvu", cwd=work)

        # IW44 files: the photo chunks in FORM:PM44 (colour) and FORM:BM44 (gray).
        photo = [(b"PM44", d) for c, d in chunks(os.path.join(work, "photo.djvu")) if c == b"BG44"]
        write_form(os.path.join(work, "colour.iw44"), b"PM44", photo)
        gray = [(b"BM44", d) for c, d in chunks(os.path.join(work, "grayphoto.djvu"))
                if c == b"BG44"]
        write_form(os.path.join(work, "gray.iw44"), b"BM44", gray)

        # A bilevel page with chunks the probe does not know: an odd-sized
        # ANTa between INFO and Sjbz, a TXTa at the end.
        info, sjbz = chunks(os.path.join(work, "bilevel.djvu"))
        write_form(os.path.join(work, "annotated.djvu"), b"DJVU",
                   [info, (b"ANTa", b"(background #ffffff)"), sjbz, (b"TXTa", b"x")])
        # A mask painted with JB2 colours and no background at all.
        write_form(os.path.join(work, "maskcolours.djvu"), b"DJVU",
                   [c for c in chunks(os.path.join(work, "fgbz.djvu")) if c[0] != b"BG44"])

        write_documents(work)

        names = ["book.djvu", "rotated.djvu", "lying-dirm.djvu", "no-pages.djvu",
                 "bilevel.djvu", "compound.djvu", "photo.djvu", "fgbz.djvu", "incl.djvu",
                 "bundle.djvu", "colour.iw44", "gray.iw44", "annotated.djvu",
                 "maskcolours.djvu"]
        for name in names:
            shutil.copy(os.path.join(work, name), os.path.join(OUT, name))
            shutil.copy(os.path.join(work, name), os.path.join(SEEDS, name))


if __name__ == "__main__":
    main()
