#!/usr/bin/env python3
"""Times the JPEG and TIFF benchmarks beside libjpeg's and libtiff's own tools.

Runs leafsmith-bench (its JPEG and TIFF cases) and then djpeg, cjpeg and tiffcp
on the very files the benchmarks made, in the same run, and prints a table of
median times and ratios. Usage:

    bench/compare_codecs.py [path/to/leafsmith-bench] [runs per tool]

The tools' times include starting a process and writing their output (djpeg
writes PPM to /dev/null, tiffcp writes an uncompressed TIFF); the program's
JPEG writer also syncs its file to disk before renaming it into place.
"""
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def bench_times(binary, directory):
    env = dict(os.environ, LEAF_BENCH_DIR=directory)
    out = subprocess.run([binary, "--benchmark_filter=Jpeg|Tiff", "--benchmark_format=json",
                          "--benchmark_min_time=1"],
                         check=True, env=env, stdout=subprocess.PIPE).stdout
    return {b["name"]: b["real_time"] for b in json.loads(out)["benchmarks"]}


def tool_time(args, runs):
    subprocess.run(args, check=True)  # warm the page cache
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(args, check=True)
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)


def main():
    binary = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        ROOT, "build", "release", "bench", "leafsmith-bench")
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    with tempfile.TemporaryDirectory() as directory:
        ours = bench_times(binary, directory)

        def f(name):
            return os.path.join(directory, name)

        rows = [
            ("read 2550x3300 colour JPEG", ours["BM_ReadJpeg/24"], "djpeg",
             tool_time(["djpeg", "-outfile", "/dev/null", f("bench-page.jpg")], runs)),
            ("write 2550x3300 colour JPEG, quality 75", ours["BM_WriteJpeg"], "cjpeg",
             tool_time(["cjpeg", "-quality", "75", "-outfile", f("tool-out.jpg"),
                        f("bench-page.ppm")], runs)),
            ("read 300-dpi G4 TIFF page", ours["BM_ReadTiffG4"], "tiffcp -c none",
             tool_time(["tiffcp", "-c", "none", f("bench-g4.tif"), f("tool-out.tif")], runs)),
        ]
    print("| operation | Leafsmith | tool | tool time | Leafsmith / tool |")
    print("|---|---|---|---|---|")
    for what, mine, tool, theirs in rows:
        print("| %s | %.1f ms | %s | %.1f ms | %.2f |" % (what, mine, tool, theirs, mine / theirs))
    print("\nother cases: " + ", ".join("%s %.1f ms" % (k, v) for k, v in sorted(ours.items())
                                        if k not in ("BM_ReadJpeg/24", "BM_WriteJpeg", "BM_ReadTiffG4")))


if __name__ == "__main__":
    main()
