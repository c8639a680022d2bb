#!/usr/bin/env bash
# Start-up and whole-run CPU time of leafsmith-cli beside c44: "perf stat"
# task-clock (milliseconds of CPU, mean of RUNS runs) of --version, of "info"
# on a small DjVu page, of "convert" of two low-resolution corpus scans to
# DjVu, and of c44 encoding the same two pages from PNM. Also lists the
# shared libraries the program binds at start.
#
# Usage: bench/startup-vs-c44.sh [BUILD_DIR] [CORPUS_DIR]
#        (defaults: build/release, ../shared/corpus; RUNS=20)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/release}"
corpus="${2:-$root/../shared/corpus}"
runs="${RUNS:-20}"
cli="$build/cli/leafsmith-cli"
[ -x "$cli" ] || { echo "missing $cli: run 'make release' first" >&2; exit 1; }
for tool in perf c44; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
[ -d "$corpus" ] || { echo "no corpus at $corpus" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# "12.3 ms" of CPU for one command, the mean of the runs.
cpu() {
  perf stat -x, -e task-clock -r "$runs" -o "$work/stat" "$@" >/dev/null 2>&1
  awk -F, '$3 == "task-clock" { printf "%7.1f ms", $1 }' "$work/stat"
}

echo "libraries bound at start: $(ldd "$cli" | wc -l)" \
  "($(ldd "$cli" | grep -oE 'lib(Qt6[A-Za-z]*|tesseract|lept)\.so' | sort -u | tr '\n' ' '))"
echo "--version                     $(cpu "$cli" --version)"
echo "info bilevel.djvu             $(cpu "$cli" --settings /dev/null info \
  "$root/tests/data/djvu/bilevel.djvu")"
for page in lucasta.150 cavalerie.29; do
  src="$corpus/$page.jpg"
  [ -f "$src" ] || { echo "$src is missing" >&2; exit 1; }
  "$cli" --settings /dev/null convert "$src" "$work/$page.pnm" --type pnm >/dev/null
  printf 'convert %-21s %s   c44 %s\n' "$page.jpg" \
    "$(cpu "$cli" --settings /dev/null convert "$src" "$work/ours.djvu")" \
    "$(cpu c44 "$work/$page.pnm" "$work/c44.djvu")"
done
