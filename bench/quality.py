#!/usr/bin/env python3
"""The quality harness of compound DjVu pages: ours beside DjVuLibre's c44.

Every colour and gray page of the shared corpus (the JPEG and PGM scans and
the compound DjVu page rendered in colour) and the pages that
bench/make-unseen-pages.sh makes from DjVuLibre's documentation (pages the
encoder was never tuned on) is saved as DjVu by leafsmith-cli and by c44. For
each page the table gives file bytes, CPU time (user + system of the encoding
process, best of --runs) and legibility: the share of the words tesseract
reads on the original page that it reads again on the decoded page
(ocr-agree.py). Both files are decoded by ddjvu at the original's pixel size,
as a viewer shows the page at the same size; pages under 200 dpi are enlarged
200 % for the reading, as the legibility tool advises.

    bench/quality.py [--only NAME ...] [--ours "OPTIONS"] [--keep DIR]
                     [--backgrounds DIR] [--runs N] [--no-unseen] [--markdown]

Ours reads the page file itself (so it sees the resolution the file carries);
c44 reads the same pixels as PNM. --ours passes extra convert options (to
measure a change before making it the default); --backgrounds writes the
background layer of every page we made as PNG, to look for halos and ghost
text. Needs a release build (make release), djvulibre-bin (c44, ddjvu,
djvudump), ImageMagick, tesseract-ocr with tesseract-ocr-eng, and
../shared/tools/ocr-agree.py (or --ocr-agree PATH).
"""
import argparse
import os
import re
import resource
import shlex
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SHARED = os.path.join(os.path.dirname(ROOT), "shared")


def run_timed(args, runs):
    """CPU milliseconds (user + system) of the best of `runs` runs."""
    best = None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        if done.returncode != 0:
            sys.exit(f"quality.py: failed: {shlex.join(args)}\n{done.stderr}")
        ms = (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000
        best = ms if best is None else min(best, ms)
    return best, done.stdout


def image_info(path):
    """(width, height, dots per inch or 0) as ImageMagick reads the file."""
    out = subprocess.run(["identify", "-format", "%w %h %x %U\n", path], check=True,
                         stdout=subprocess.PIPE, text=True).stdout.split("\n")[0].split()
    width, height = int(out[0]), int(out[1])
    dpi = float(out[2]) if out[3] == "PixelsPerInch" else 0.0
    if out[3] == "PixelsPerCentimeter":
        dpi = float(out[2]) * 2.54
    return width, height, round(dpi)


def corpus_pages(corpus, work):
    """(name, file given to us, dpi hint) of every colour or gray corpus page."""
    pages = []
    for name in sorted(os.listdir(corpus)):
        path = os.path.join(corpus, name)
        stem, ext = os.path.splitext(name)
        if ext in (".jpg", ".jpeg", ".pgm", ".ppm"):
            pages.append((stem, path))
        elif ext == ".djvu":
            dump = subprocess.run(["djvudump", path], stdout=subprocess.PIPE, text=True).stdout
            if "BG44" not in dump and "FG44" not in dump:
                continue  # a bilevel page
            rendered = os.path.join(work, stem + ".tif")
            dpi = re.search(r"(\d+) dpi", dump)
            subprocess.run(["ddjvu", "-format=tiff", path, rendered], check=True)
            if dpi:
                subprocess.run(["mogrify", "-density", dpi.group(1), "-units", "PixelsPerInch",
                                rendered], check=True)
            pages.append((stem, rendered))
    return pages


def unseen_pages(work):
    folder = os.path.join(work, "unseen")
    subprocess.run([os.path.join(ROOT, "bench", "make-unseen-pages.sh"), folder], check=True)
    return [(os.path.splitext(n)[0], os.path.join(folder, n)) for n in sorted(os.listdir(folder))]


def legibility(tool, original, decoded, scale):
    out = subprocess.run([tool, original, decoded, str(scale)], check=True,
                         stdout=subprocess.PIPE, text=True).stdout.split()
    return float(out[0]), int(out[1])


def layer_bytes(djvu):
    """Bytes of the mask, foreground and background chunks."""
    dump = subprocess.run(["djvudump", djvu], stdout=subprocess.PIPE, text=True).stdout
    sizes = {"Sjbz": 0, "FG44": 0, "BG44": 0}
    for chunk, size in re.findall(r"(Sjbz|FG44|BG44) \[(\d+)\]", dump):
        sizes[chunk] += int(size)
    return sizes["Sjbz"], sizes["FG44"], sizes["BG44"]


def decisions(progress):
    """The encoder's decisions as --progress prints them ("Upsampling: ...")."""
    found = re.findall(r"^\s*(?:\d+% )?((?:Upsampl|Foreground|Background|Text)[^\n]*:[^\n]*)$",
                       progress, re.M)
    return "; ".join(found)


def measure(page, args, tools, work):
    name, source = page
    width, height, dpi = image_info(source)
    pnm = os.path.join(work, name + (".pgm" if "Gray" in tools["colorspace"](source) else ".ppm"))
    subprocess.run(["convert", source, pnm], check=True)
    ours = os.path.join(work, name + ".ours.djvu")
    c44 = os.path.join(work, name + ".c44.djvu")
    cli = [args.cli, "--settings", os.path.join(work, "Leafsmith.ini"), "convert", source, ours,
           "--progress"] + shlex.split(args.ours)
    ours_ms, progress = run_timed(cli, args.runs)
    c44_ms, _ = run_timed(["c44"] + (["-dpi", str(dpi)] if dpi else []) + [pnm, c44], args.runs)
    scale = 200 if (dpi and dpi < 200) or (not dpi and width < 1700) else 100
    row = {"name": name, "size": f"{width}x{height}", "dpi": dpi or "-", "scale": scale,
           "ours_bytes": os.path.getsize(ours), "ours_ms": ours_ms,
           "c44_bytes": os.path.getsize(c44), "c44_ms": c44_ms,
           "layers": layer_bytes(ours), "decisions": decisions(progress)}
    for side, djvu in (("ours", ours), ("c44", c44)):
        decoded = os.path.join(work, f"{name}.{side}.ppm")
        subprocess.run(["ddjvu", "-format=ppm", f"-size={width}x{height}", djvu, decoded],
                       check=True)
        row[side + "_legibility"], row["words"] = legibility(tools["ocr"], pnm, decoded, scale)
    if args.backgrounds:
        os.makedirs(args.backgrounds, exist_ok=True)
        layer = os.path.join(work, name + ".background.ppm")
        subprocess.run([args.cli, "render", ours, layer, "--layer", "background"], check=True,
                       stdout=subprocess.DEVNULL)
        subprocess.run(["convert", layer, os.path.join(args.backgrounds, name + ".png")],
                       check=True)
    if args.keep:
        os.makedirs(args.keep, exist_ok=True)
        for f in (ours, c44, pnm):
            shutil.copy(f, args.keep)
    return row


def print_row(row, markdown):
    mask, fg, bg = row["layers"]
    ok = row["ours_legibility"] >= row["c44_legibility"] - 0.02
    cells = [row["name"], row["size"], str(row["dpi"]),
             f"{row['ours_bytes']:,}".replace(",", " "), f"{row['ours_ms']:.0f}",
             f"{row['ours_legibility']:.3f}", f"{row['c44_bytes']:,}".replace(",", " "),
             f"{row['c44_ms']:.0f}", f"{row['c44_legibility']:.3f}",
             f"{row['c44_bytes'] / row['ours_bytes']:.1f}", f"{row['ours_ms'] / row['c44_ms']:.2f}",
             f"{mask}/{fg}/{bg}", "yes" if ok else "NO"]
    if markdown:
        print("| " + " | ".join(cells) + " |")
    else:
        print("{:<16} {:>9} {:>4} | {:>8} {:>6} {:>6} | {:>9} {:>6} {:>6} | {:>6} {:>5} | {:<18} {}"
              .format(*cells))
    if row["decisions"]:
        print(("| | " if markdown else "    ") + row["decisions"] + (" |" if markdown else ""))
    sys.stdout.flush()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--cli", default=os.path.join(ROOT, "build", "release", "cli",
                                                       "leafsmith-cli"))
    parser.add_argument("--corpus", default=os.environ.get("LEAF_CORPUS_DIR",
                                                           os.path.join(SHARED, "corpus")))
    parser.add_argument("--ocr-agree", default=os.path.join(SHARED, "tools", "ocr-agree.py"))
    parser.add_argument("--only", nargs="*", default=[], help="page names to measure")
    parser.add_argument("--ours", default="", help="extra options of leafsmith-cli convert")
    parser.add_argument("--runs", type=int, default=1, help="runs per encoder (best CPU time)")
    parser.add_argument("--keep", help="copy the pages and both DjVu files here")
    parser.add_argument("--backgrounds", help="write our background layers here as PNG")
    parser.add_argument("--no-unseen", action="store_true", help="only the corpus pages")
    parser.add_argument("--markdown", action="store_true", help="print a Markdown table")
    args = parser.parse_args()

    for tool in ("c44", "ddjvu", "djvudump", "convert", "identify", "tesseract"):
        if not shutil.which(tool):
            sys.exit(f"quality.py: {tool} is not installed (scripts/setup.sh installs it)")
    for path in (args.cli, args.ocr_agree):
        if not os.access(path, os.X_OK):
            sys.exit(f"quality.py: {path} is missing (make release; the shared tools)")

    def colorspace(path):
        return subprocess.run(["identify", "-format", "%[colorspace]", path], check=True,
                              stdout=subprocess.PIPE, text=True).stdout

    tools = {"ocr": args.ocr_agree, "colorspace": colorspace}
    with tempfile.TemporaryDirectory() as work:
        open(os.path.join(work, "Leafsmith.ini"), "w").close()  # the default settings
        pages = corpus_pages(args.corpus, work) if os.path.isdir(args.corpus) else []
        if not args.no_unseen:
            pages += unseen_pages(work)
        if args.only:
            pages = [p for p in pages if p[0] in args.only]
        header = ["page", "size", "dpi", "ours B", "ms", "legib.", "c44 B", "ms", "legib.",
                  "c44/ours", "t ratio", "mask/fg/bg B", "legible"]
        if args.markdown:
            print("| " + " | ".join(header) + " |")
            print("|" + "---|" * len(header))
        else:
            print("{:<16} {:>9} {:>4} | {:>8} {:>6} {:>6} | {:>9} {:>6} {:>6} | {:>6} {:>5} | "
                  "{:<18} {}".format(*header))
        for page in pages:
            print_row(measure(page, args, tools, work), args.markdown)


if __name__ == "__main__":
    main()
