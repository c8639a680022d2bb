#!/usr/bin/env python3
"""Multipage DjVu documents beside DjVuLibre's own tools, in one run.

1. Opening page 150 of a 300-page bundled document and rendering it at
   fit-page (a quarter of a 300-dpi page, 638 x 825 pixels): `leafsmith-cli
   render --page 150 --zoom -3` against `ddjvu -page=150 -subsample=4`, both
   writing a PPM file to memory (/dev/shm). The document is DjVuLibre's
   documentation (djvu3spec.djvu, djvulibre-book-en.djvu, -ru.djvu, from
   Debian's libdjvulibre-dev) joined with `djvm -c` and cut to 300 pages: real
   book pages with shared shape dictionaries. The same page saved alone
   (`djvused save-page-with`) shows that memory does not grow with the page
   count.
2. Converting a 40-page multipage TIFF (30 bilevel Group 4 pages and 10
   colour and gray pages from the shared corpus) into one bundled document
   with 2 cores: `leafsmith-cli convert --all-pages --jobs 2` against
   DjVuLibre's encoders page by page (cjb2 for bilevel pages, c44 for the
   others), two at a time, then `djvm -c` to bundle them.

Times are medians of RUNS runs: wall-clock, and CPU (user + system of every
process); memory is the peak resident size of the largest process. Usage:

    bench/compare_documents.py [CORPUS_DIR]    (RUNS=5, CLI=path to leafsmith-cli)

Needs a release build (make release), DjVuLibre's tools (ddjvu, djvm, djvused,
cjb2, c44), libtiff's tiffcp and tiffsplit, and ImageMagick's convert.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DOCS = "/usr/share/doc/libdjvulibre-dev"
BOOKS = ["djvu3spec.djvu", "djvulibre-book-en.djvu", "djvu3spec.djvu", "djvulibre-book-en.djvu",
         "djvulibre-book-ru.djvu"]
BILEVEL = ["feyn.tif", "pageseg1.tif"]
COLOUR = ["cavalerie.29.jpg", "amoris.2.150.jpg", "1555.003.jpg", "lucasta.150.jpg",
          "tribune-page-4x.pgm"]


def run(args, **kwargs):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   **kwargs)


def measure(command, runs, cwd=None):
    """Medians of (wall s, CPU s, peak MB) of a shell command, after a warm-up run."""
    samples = []
    for i in range(runs + 1):
        out = subprocess.run(["/usr/bin/time", "-f", "%e %U %S %M", "sh", "-c", command],
                             cwd=cwd, check=True, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True).stderr.split()[-4:]
        if i:
            samples.append((float(out[0]), float(out[1]) + float(out[2]), int(out[3]) / 1024))
    return tuple(statistics.median(s[k] for s in samples) for k in range(3))


def make_book(work):
    """The 300-page bundle and its page 150 alone."""
    book = os.path.join(work, "book300.djvu")
    run(["djvm", "-c", book] + [os.path.join(DOCS, b) for b in BOOKS])
    pages = int(subprocess.run(["djvused", book, "-e", "n"], check=True, stdout=subprocess.PIPE,
                               text=True).stdout)
    while pages > 300:
        run(["djvm", "-d", book, str(pages)])
        pages -= 1
    single = os.path.join(work, "page150.djvu")
    run(["djvused", book, "-e", "select 150; save-page-with " + single])
    return book, single


def make_scan(work, corpus):
    """The 40-page TIFF, and its pages one file each for DjVuLibre's encoders."""
    pages = []
    for i in range(40):
        if i % 4 != 3:
            src = os.path.join(corpus, BILEVEL[i % 2])
            pages.append((src, "bilevel"))
        else:
            src = os.path.join(corpus, COLOUR[(i // 4) % len(COLOUR)])
            tif = os.path.join(work, "colour%02d.tif" % i)
            run(["convert", src, "-compress", "lzw", tif])
            pages.append((tif, "colour"))
    scan = os.path.join(work, "scan40.tif")
    run(["tiffcp"] + [p for p, _ in pages] + [scan])
    split = os.path.join(work, "split")
    os.makedirs(split)
    jobs = []
    for i, (src, kind) in enumerate(pages):
        if kind == "bilevel":
            pbm = os.path.join(split, "p%02d.pbm" % i)
            run(["convert", src, pbm])
            jobs.append("cjb2 -dpi 300 %s %s" % (pbm, pbm[:-4] + ".djvu"))
        else:
            ppm = os.path.join(split, "p%02d.pnm" % i)
            run(["convert", src, ppm])
            jobs.append("c44 %s %s" % (ppm, ppm[:-4] + ".djvu"))
    with open(os.path.join(work, "jobs.txt"), "w") as f:
        f.write("\n".join(jobs) + "\n")
    return scan, split


def row(what, result, size=None):
    wall, cpu, peak = result
    extra = "" if size is None else ", %d KB" % (size // 1024)
    return "| %s | %.2f s | %.2f s | %.0f MB%s |" % (what, wall, cpu, peak, extra)


def main():
    corpus = sys.argv[1] if len(sys.argv) > 1 else os.environ.get(
        "LEAF_CORPUS_DIR", os.path.join(ROOT, "..", "shared", "corpus"))
    cli = os.environ.get("CLI", os.path.join(ROOT, "build", "release", "cli", "leafsmith-cli"))
    runs = int(os.environ.get("RUNS", "5"))
    for tool in ["ddjvu", "djvm", "djvused", "cjb2", "c44", "tiffcp", "convert"]:
        if not shutil.which(tool):
            sys.exit("compare_documents.py: %s is not installed" % tool)
    if not os.access(cli, os.X_OK):
        sys.exit("compare_documents.py: %s is not built (make release)" % cli)
    for book in set(BOOKS):
        if not os.path.exists(os.path.join(DOCS, book)):
            sys.exit("compare_documents.py: %s is not installed (libdjvulibre-dev)" % book)
    with tempfile.TemporaryDirectory() as work, \
            tempfile.TemporaryDirectory(dir="/dev/shm") as shm:
        settings = os.path.join(work, "Leafsmith.ini")
        open(settings, "w").close()
        ours = "%s --settings %s " % (cli, settings)
        book, single = make_book(work)
        scan, split = make_scan(work, corpus)
        ppm = os.path.join(shm, "page.ppm")
        print("| 300-page bundled document, page 150 at fit-page | wall | CPU | peak memory |")
        print("|---|---|---|---|")
        print(row("`leafsmith-cli render --page 150 --zoom -3`",
                  measure(ours + "render %s %s --page 150 --zoom -3" % (book, ppm), runs)))
        print(row("`ddjvu -page=150 -subsample=4`",
                  measure("ddjvu -format=ppm -page=150 -subsample=4 %s %s" % (book, ppm), runs)))
        print(row("`leafsmith-cli render`, page 1 of the same document",
                  measure(ours + "render %s %s --page 1 --zoom -3" % (book, ppm), runs)))
        print(row("`leafsmith-cli render`, page 150 saved as a file of its own",
                  measure(ours + "render %s %s --zoom -3" % (single, ppm), runs)))
        print()
        out = os.path.join(work, "ours.djvu")
        theirs = os.path.join(work, "theirs.djvu")
        print("| 40-page TIFF to one bundled document, 2 cores | wall | CPU | peak memory, size |")
        print("|---|---|---|---|")
        print(row("`leafsmith-cli convert --all-pages --jobs 2`",
                  measure(ours + "convert %s %s --all-pages --jobs 2" % (scan, out), runs),
                  os.path.getsize(out)))
        print(row("`cjb2`/`c44` per page, two at a time, then `djvm -c`",
                  measure("xargs -P 2 -I{} sh -c '{}' < ../jobs.txt && djvm -c %s p*.djvu"
                          % theirs, runs, cwd=split),
                  os.path.getsize(theirs)))
        print(row("`leafsmith-cli convert --all-pages --jobs 1`",
                  measure(ours + "convert %s %s --all-pages --jobs 1" % (scan, out), runs),
                  os.path.getsize(out)))


if __name__ == "__main__":
    main()
