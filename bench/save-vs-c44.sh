#!/usr/bin/env bash
# Measures "leafsmith-cli mask", a whole compound DjVu save ("leafsmith-cli
# convert page.ppm page.djvu") and DjVuLibre's c44 (a plain photo encode of
# the same page) in the same run: wall time, CPU time and peak memory, each in
# a fresh process reading the same PPM file. The page's raster is 3 bytes a
# pixel: 25 MB at 300 dpi, 101 MB at 600 dpi. The page is a corpus scan
# enlarged to letter size at 300 dpi (2550 x 3300) and at 600 dpi
# (5100 x 6600); without the corpus, the benchmark page is enlarged instead.
#
# Usage: bench/save-vs-c44.sh [BUILD_DIR] [SCAN]
#        (defaults: build/release, ../shared/corpus/cavalerie.29.jpg)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/release}"
scan="${2:-$root/../shared/corpus/cavalerie.29.jpg}"
cli="$build/cli/leafsmith-cli"
page_tool="$build/bench/leafsmith-benchpage"
[ -x "$cli" ] || { echo "missing $cli: run 'make release' first" >&2; exit 1; }
for tool in convert c44; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
if [ ! -f "$scan" ]; then
  "$page_tool" 24 "$work/bench.bmp"
  scan="$work/bench.bmp"
fi
echo "page: $scan"

# "wall s / CPU s / peak MB" of one command.
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>&1
  awk '{ printf "%6.2f s  %6.2f s  %6.0f MB", $1, $2 + $3, $4 / 1024 }' "$work/time"
}

printf '%-10s %-26s %-26s %-26s\n' "page" "mask: wall  CPU  peak" "save: wall  CPU  peak" \
  "c44: wall  CPU  peak"
for size in 2550x3300 5100x6600; do
  convert "$scan" -resize "$size!" "$work/page.ppm"
  mask="$(measure "$cli" mask "$work/page.ppm" "$work/mask.pbm")"
  save="$(measure "$cli" convert "$work/page.ppm" "$work/ours.djvu")"
  photo="$(measure c44 "$work/page.ppm" "$work/page.djvu")"
  printf '%-10s %-26s %-26s %-26s\n' "$size" "$mask" "$save" "$photo"
done
