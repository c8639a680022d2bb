#!/usr/bin/env python3
"""Times the JPEG and TIFF benchmarks beside libjpeg's and libtiff's own tools.

Runs leafsmith-bench (its JPEG and TIFF cases) and then djpeg, cjpeg and tiffcp
on the very files the benchmarks made, in the same run, and prints a table of
median times and ratios: wall-clock and CPU (user + system) time. On a shared
machine the CPU times are the steadier comparison. Usage:

    bench/compare_codecs.py [path/to/leafsmith-bench] [runs per tool]

The tools' times include starting a process and writing their output (djpeg
writes PPM to /dev/null, tiffcp writes an uncompressed TIFF); the program's
JPEG writer also syncs its file to disk before renaming it into place.
"""
import json
import os
import resource
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def bench_times(binary, directory):
    """{name: (wall ms, cpu ms)} of the JPEG and TIFF benchmarks."""
    env = dict(os.environ, LEAF_BENCH_DIR=directory)
    out = subprocess.run([binary, "--benchmark_filter=Jpeg|Tiff", "--benchmark_format=json",
                          "--benchmark_min_time=1", "--benchmark_repetitions=5",
                          "--benchmark_report_aggregates_only=true"],
                         check=True, env=env, stdout=subprocess.PIPE).stdout
    return {b["run_name"]: (b["real_time"], b["cpu_time"]) for b in json.loads(out)["benchmarks"]
            if b.get("aggregate_name") == "median"}


def tool_time(args, runs):
    """(wall ms, cpu ms) medians of running a tool."""
    subprocess.run(args, check=True)  # warm the page cache
    walls, cpus = [], []
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(args, check=True)
        walls.append((time.perf_counter() - start) * 1000)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append((after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000)
    return statistics.median(walls), statistics.median(cpus)


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
    print("| operation | Leafsmith wall / CPU | tool | tool wall / CPU | ratio wall / CPU |")
    print("|---|---|---|---|---|")
    for what, mine, tool, theirs in rows:
        print("| %s | %.1f / %.1f ms | %s | %.1f / %.1f ms | %.2f / %.2f |"
              % (what, mine[0], mine[1], tool, theirs[0], theirs[1], mine[0] / theirs[0],
                 mine[1] / theirs[1]))
    shown = ("BM_ReadJpeg/24", "BM_WriteJpeg", "BM_ReadTiffG4")
    print("\nother cases: " + ", ".join("%s %.1f / %.1f ms" % (k, v[0], v[1])
                                        for k, v in sorted(ours.items()) if k not in shown))


if __name__ == "__main__":
    main()
