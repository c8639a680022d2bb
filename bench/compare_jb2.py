#!/usr/bin/env python3
"""Bilevel pages saved as DjVu beside DjVuLibre's cjb2, in one run.

1. Single pages: the bilevel pages of the shared corpus (feyn.tif and
   pageseg1.tif; book-p3.djvu and djvu3spec-p5.djvu decoded to PBM) and pages
   rendered from DjVuLibre's documentation books (Debian's libdjvulibre-dev),
   each saved losslessly (`leafsmith-cli convert`, the default for bilevel
   pages) against `cjb2`, and with `--aggressive` against `cjb2 -lossy`.
   Bytes, and CPU time (user + system, median of RUNS runs). Every lossless
   file is decoded with ddjvu and must give the page's pixels exactly. With
   OCR=1 the lossy files are read with tesseract (../shared/tools/ocr-agree.py):
   the share of the words read on the page that are read on the decoded file.
2. A 40-page book (pages 1-40 of djvulibre-book-en.djvu rendered to PBM):
   one bundled document from all pages (`leafsmith-cli convert p*.pbm
   book.djvu`, shapes shared by several pages in one dictionary), against
   cjb2 page by page bundled with `djvm -c`; every page of the lossless
   document must decode (ddjvu) to its page's pixels exactly.

Usage: bench/compare_jb2.py [CORPUS_DIR]   (RUNS=3, OCR=0, CLI=path to leafsmith-cli)
Needs a release build (make release) and DjVuLibre's tools.
"""
import os
import statistics
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DOCS = "/usr/share/doc/libdjvulibre-dev"
BOOK = os.path.join(DOCS, "djvulibre-book-en.djvu")
BOOK_PAGES = [12, 25, 38]
BOOK_LENGTH = 40


def run(args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def cpu_time(args, runs):
    """Median CPU seconds (user + system of the child) of a command."""
    samples = []
    for _ in range(runs):
        before = os.times()
        run(args)
        after = os.times()
        samples.append((after.children_user - before.children_user) +
                       (after.children_system - before.children_system))
    return statistics.median(samples)


def same_pixels(pbm, djvu, work, page=1):
    decoded = os.path.join(work, "decoded.pbm")
    run(["ddjvu", "-format=pbm", "-page=%d" % page, djvu, decoded])
    with open(pbm, "rb") as a, open(decoded, "rb") as b:
        return a.read() == b.read()


def ocr_agreement(pbm, djvu, work):
    decoded = os.path.join(work, "decoded.pbm")
    run(["ddjvu", "-format=pbm", djvu, decoded])
    tool = os.path.join(ROOT, "..", "shared", "tools", "ocr-agree.py")
    out = subprocess.run([sys.executable, tool, pbm, decoded], check=True,
                         capture_output=True, text=True).stdout
    return out.split()[0]


def pages(corpus, cli, work):
    """(name, pbm path) of every single page measured."""
    found = []
    for name in ["feyn", "pageseg1"]:
        source = os.path.join(corpus, name + ".tif")
        if os.path.exists(source):
            pbm = os.path.join(work, name + ".pbm")
            run([cli, "convert", source, pbm])
            found.append((name, pbm))
    for name in ["book-p3", "djvu3spec-p5"]:
        source = os.path.join(corpus, name + ".djvu")
        if os.path.exists(source):
            pbm = os.path.join(work, name + ".pbm")
            run(["ddjvu", "-format=pbm", "-mode=black", source, pbm])
            found.append((name + " (decoded)", pbm))
    for page in BOOK_PAGES:
        pbm = os.path.join(work, "book-en-%d.pbm" % page)
        run(["ddjvu", "-format=pbm", "-mode=black", "-page=%d" % page, BOOK, pbm])
        found.append(("djvulibre-book-en p%d" % page, pbm))
    return found


def single_pages(corpus, cli, work, runs, ocr):
    print("| bilevel page | ours lossless | cjb2 | ours / cjb2 size, time | ours --aggressive "
          "| cjb2 -lossy | ours / cjb2 -lossy size, time |" + (" OCR ours, cjb2 -lossy |" if ocr else ""))
    print("|---|---|---|---|---|---|---|" + ("---|" if ocr else ""))
    for name, pbm in pages(corpus, cli, work):
        out = {k: os.path.join(work, k + ".djvu") for k in ["ours", "agg", "cjb2", "lossy"]}
        t = {
            "ours": cpu_time([cli, "convert", pbm, out["ours"]], runs),
            "agg": cpu_time([cli, "convert", pbm, out["agg"], "--aggressive"], runs),
            "cjb2": cpu_time(["cjb2", pbm, out["cjb2"]], runs),
            "lossy": cpu_time(["cjb2", "-lossy", pbm, out["lossy"]], runs),
        }
        size = {k: os.path.getsize(v) for k, v in out.items()}
        exact = same_pixels(pbm, out["ours"], work)
        row = "| %s | %d%s, %.2f s | %d, %.2f s | %.3f, %.2f | %d, %.2f s | %d, %.2f s | %.3f, %.2f |" % (
            name, size["ours"], "" if exact else " (NOT EXACT)", t["ours"], size["cjb2"],
            t["cjb2"], size["ours"] / size["cjb2"], t["ours"] / t["cjb2"], size["agg"], t["agg"],
            size["lossy"], t["lossy"], size["agg"] / size["lossy"], t["agg"] / t["lossy"])
        if ocr:
            row += " %s, %s |" % (ocr_agreement(pbm, out["agg"], work),
                                  ocr_agreement(pbm, out["lossy"], work))
        print(row, flush=True)


def book(cli, work, runs):
    pbms = []
    for page in range(1, BOOK_LENGTH + 1):
        pbm = os.path.join(work, "b%02d.pbm" % page)
        run(["ddjvu", "-format=pbm", "-mode=black", "-page=%d" % page, BOOK, pbm])
        pbms.append(pbm)
    ours = os.path.join(work, "book.djvu")
    lossy = os.path.join(work, "book-lossy.djvu")
    t_ours = cpu_time([cli, "convert", "--jobs", "1"] + pbms + [ours], runs)
    t_lossy = cpu_time([cli, "convert", "--jobs", "1", "--aggressive"] + pbms + [lossy], runs)

    def cjb2_book(lossy_flag, out):
        """CPU seconds of cjb2 on every page and djvm bundling them."""
        before = os.times()
        files = []
        for pbm in pbms:
            page = pbm[:-4] + ".cjb2.djvu"
            run(["cjb2"] + (["-lossy"] if lossy_flag else []) + [pbm, page])
            files.append(page)
        run(["djvm", "-c", out] + files)
        after = os.times()
        return (after.children_user - before.children_user) + \
            (after.children_system - before.children_system)

    single = os.path.join(work, "single.djvu")
    one_by_one = 0
    for pbm in pbms:
        run([cli, "convert", pbm, single])
        one_by_one += os.path.getsize(single)

    c_out = os.path.join(work, "cjb2-book.djvu")
    cl_out = os.path.join(work, "cjb2-lossy-book.djvu")
    t_cjb2 = cjb2_book(False, c_out)
    t_cjb2l = cjb2_book(True, cl_out)
    exact = all(same_pixels(pbm, ours, work, n + 1) for n, pbm in enumerate(pbms))
    print()
    print("| %d-page book (djvulibre-book-en p1-%d) | bytes | CPU time |" % (BOOK_LENGTH, BOOK_LENGTH))
    print("|---|---|---|")
    print("| ours (lossless, shared dictionary) | %d%s | %.1f s |" % (
        os.path.getsize(ours), "" if exact else " (NOT EXACT)", t_ours))
    print("| ours, the pages saved one by one (sum) | %d | |" % one_by_one)
    print("| cjb2 page by page + djvm -c | %d | %.1f s |" % (os.path.getsize(c_out), t_cjb2))
    print("| ours --aggressive (shared dictionary) | %d | %.1f s |" % (os.path.getsize(lossy), t_lossy))
    print("| cjb2 -lossy page by page + djvm -c | %d | %.1f s |" % (os.path.getsize(cl_out), t_cjb2l))


def main():
    corpus = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "..", "shared", "corpus")
    cli = os.environ.get("CLI", os.path.join(ROOT, "build", "release", "cli", "leafsmith-cli"))
    runs = int(os.environ.get("RUNS", "3"))
    ocr = os.environ.get("OCR", "0") == "1"
    with tempfile.TemporaryDirectory() as work:
        single_pages(corpus, cli, work, runs, ocr)
        book(cli, work, runs)


if __name__ == "__main__":
    main()
