#!/usr/bin/env python3
"""Searchable DjVu pages: the cost of --ocr beside tesseract alone, and how
well our text layer agrees with tesseract's own reading.

For every colour page of the shared corpus, then its gray and black-and-white
text pages (or the pages given), in one run
and each in a fresh process, best wall time of --runs:
  - leafsmith-cli convert PAGE out.djvu            (no text)
  - leafsmith-cli convert PAGE out.djvu --ocr      (text recognised beside the encoder)
  - tesseract PAGE out tsv                         (recognition alone)
then the words of our text layer (leafsmith-cli text --boxes) are compared
with the words of tesseract's TSV output on the same page: the share of
words equal in order, and the share of our word boxes that overlap
tesseract's box of the same word (the words aligned in reading order) by at
least 0.8 (intersection over union,
in the page's own pixels; a page enlarged before coding is scaled back).

    bench/ocr-vs-tesseract.py [--build DIR] [--runs N] [--markdown] [PAGE ...]

Needs a release build (make release), tesseract-ocr with tesseract-ocr-eng,
and the corpus in ../shared/corpus (or pages given). Run it on a quiet
machine (uptime load below 1.5); the load before and after is printed.
"""
import argparse
import csv
import difflib
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(os.path.dirname(ROOT), "shared", "corpus")
COLOUR_PAGES = ["1555.003.jpg", "cavalerie.29.jpg", "amoris.2.150.jpg"]
OTHER_PAGES = ["lucasta.150.jpg", "tribune-page-4x.pgm", "feyn.tif", "pageseg1.tif"]


def best_wall(args, runs):
    best = None
    for _ in range(runs):
        start = time.monotonic()
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        elapsed = time.monotonic() - start
        best = elapsed if best is None else min(best, elapsed)
    return best


def our_words(cli, djvu):
    out = subprocess.run([cli, "text", djvu, "--boxes"], check=True, capture_output=True,
                         text=True).stdout
    words = []
    for line in out.splitlines():
        parts = line.split(" ", 5)
        if len(parts) == 6:
            _, l, b, r, t, w = parts
            words.append((w, int(l), int(b), int(r), int(t)))
    return words


def tesseract_words(tsv_path):
    words = []
    with open(tsv_path, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f, delimiter="\t", quoting=csv.QUOTE_NONE):
            if row["level"] != "5" or not row["text"].strip():
                continue
            l, t = int(row["left"]), int(row["top"])
            words.append((row["text"].strip(), l, t, l + int(row["width"]), t + int(row["height"])))
    return words


def page_size(cli, path):
    out = subprocess.run([cli, "info", path], check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        if line.strip().startswith("size:"):
            w, h = line.split(":", 1)[1].split("x")[:2]
            return int(w.strip()), int(h.split()[0])
    raise RuntimeError("no size for " + path)


def overlap(a, b):
    l, t = max(a[0], b[0]), max(a[1], b[1])
    r, bo = min(a[2], b[2]), min(a[3], b[3])
    common = max(0, r - l) * max(0, bo - t)
    area = lambda x: max(0, x[2] - x[0]) * max(0, x[3] - x[1])
    union = area(a) + area(b) - common
    return common / union if union else 0.0


def agreement(cli, page, djvu, tsv):
    ours = our_words(cli, djvu)
    theirs = tesseract_words(tsv)
    width, _ = page_size(cli, page)
    dw, dh = page_size(cli, djvu)
    scale = dw / width
    # Our boxes from the bottom left of the coded page, into the page's own
    # pixels from the top left.
    ours_top = [(w, l / scale, (dh - t) / scale, r / scale, (dh - b) / scale) for w, l, b, r, t in ours]
    same_words = [w for w, *_ in ours_top] == [w for w, *_ in theirs]
    # The words aligned in reading order; boxes compared where they agree.
    matcher = difflib.SequenceMatcher(None, [w for w, *_ in ours_top], [w for w, *_ in theirs],
                                      autojunk=False)
    pairs = [(ours_top[block.a + k], theirs[block.b + k])
             for block in matcher.get_matching_blocks() for k in range(block.size)]
    equal = len(pairs)
    on_word = sum(1 for a, b in pairs if overlap(a[1:], b[1:]) >= 0.8)
    return len(ours), len(theirs), same_words, equal, on_word


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "release"))
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--markdown", action="store_true")
    parser.add_argument("pages", nargs="*")
    options = parser.parse_args()
    cli = os.path.join(options.build, "cli", "leafsmith-cli")
    if not os.access(cli, os.X_OK):
        sys.exit(f"missing {cli}: run 'make release' first")
    pages = options.pages or [os.path.join(CORPUS, p) for p in COLOUR_PAGES + OTHER_PAGES
                              if os.path.exists(os.path.join(CORPUS, p))]
    if not pages:
        sys.exit("no pages: give some, or put the corpus in " + CORPUS)
    print(f"load before: {os.getloadavg()[0]:.2f} (1 min), {os.cpu_count()} cores, "
          f"best of {options.runs} runs")
    rows = []
    with tempfile.TemporaryDirectory() as work:
        djvu = os.path.join(work, "out.djvu")
        plain = os.path.join(work, "plain.djvu")
        base = os.path.join(work, "tess")
        for page in pages:
            without = best_wall([cli, "convert", page, plain], options.runs)
            withocr = best_wall([cli, "convert", page, djvu, "--ocr"], options.runs)
            alone = best_wall(["tesseract", page, base, "tsv"], options.runs)
            ours, theirs, same, equal, on_word = agreement(cli, page, djvu, base + ".tsv")
            rows.append((os.path.basename(page), without, withocr, alone, ours, theirs, same,
                         equal, on_word))
    print(f"load after: {os.getloadavg()[0]:.2f} (1 min)")
    head = ("page", "convert", "convert --ocr", "tesseract", "ocr / (tesseract x 1.25)",
            "words ours/tess", "same words", "boxes >= 0.8")
    if options.markdown:
        print("| " + " | ".join(head) + " |")
        print("|" + "---|" * len(head))
    for name, without, withocr, alone, ours, theirs, same, equal, on_word in rows:
        cells = (name, f"{without:.2f} s", f"{withocr:.2f} s", f"{alone:.2f} s",
                 f"{withocr / (alone * 1.25):.2f}", f"{ours}/{theirs}",
                 "yes" if same else f"no ({equal} equal)",
                 f"{100 * on_word / max(1, equal):.1f} %")
        print(("| " + " | ".join(cells) + " |") if options.markdown else "  ".join(cells))


if __name__ == "__main__":
    main()
