#!/usr/bin/env bash
# Batch throughput: 40 corpus pages to DjVu with "leafsmith-cli batch" at 1
# and 2 workers, beside "parallel -j2 c44" on the very same pages, in one run.
# Reports pages per second, how busy the cores were (CPU time over wall time
# and cores) and the peak memory of the whole batch process next to the
# largest page's raster. Every tool reads the same PNM files.
#
# Usage: bench/batch-vs-c44.sh [BUILD_DIR] [CORPUS_DIR]
#        (defaults: build/release, ../shared/corpus)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/release}"
corpus="${2:-$root/../shared/corpus}"
cli="$build/cli/leafsmith-cli"
[ -x "$cli" ] || { echo "missing $cli: run 'make release' first" >&2; exit 1; }
for tool in c44 parallel /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
[ -d "$corpus" ] || { echo "no corpus at $corpus" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pages"
# The corpus's colour and gray scans, as PNM, repeated to 40 pages.
sources=()
for f in "$corpus"/*.jpg "$corpus"/*.pgm; do [ -f "$f" ] && sources+=("$f"); done
[ "${#sources[@]}" -gt 0 ] || { echo "no colour or gray pages in $corpus" >&2; exit 1; }
largest=0
for i in $(seq 0 39); do
  src="${sources[$((i % ${#sources[@]}))]}"
  out="$work/pages/page$(printf %02d "$i")"
  ext=ppm
  [[ "$src" == *.pgm ]] && ext=pgm
  file="$out.$ext"
  "$cli" --settings /dev/null convert "$src" "$file" --type pnm >/dev/null
  read -r w h bytes < <(head -c 64 "$file" | awk 'NR==1{t=$1} NR==2{print $1, $2, (t=="P6"?3:1)*$1*$2}')
  [ "$bytes" -gt "$largest" ] && largest=$bytes
done
pages=$(ls "$work/pages" | wc -l)

# "pages/s  busy  peak MB" of one command.
measure() {
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >/dev/null 2>&1
  awk -v n="$pages" '{ printf "%5.2f pages/s  %3.0f %% of 2 cores  %5.0f MB peak  (%.1f s)",
                       n / $1, 100 * ($2 + $3) / ($1 * 2), $4 / 1024, $1 }' "$work/time"
}

echo "$pages pages; largest raster $((largest / 1048576)) MB"
for jobs in 1 2; do
  rm -rf "$work/out"
  echo "leafsmith batch --jobs $jobs: $(measure "$cli" --settings /dev/null batch --to djvu \
    --jobs "$jobs" --out "$work/out" "$work/pages")"
done
rm -rf "$work/c44" && mkdir -p "$work/c44"
echo "parallel -j2 c44:          $(measure parallel --will-cite -j2 c44 {} "$work/c44/{/.}.djvu" \
  ::: "$work"/pages/*)"
echo "sizes: batch $(du -sk "$work/out" | cut -f1) KB, c44 $(du -sk "$work/c44" | cut -f1) KB"
