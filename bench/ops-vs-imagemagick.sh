#!/usr/bin/env bash
# Measures ImageMagick's "convert -rotate 90" and "-scale 50%" on the
# benchmark page (2550 x 3300 at 1, 8 and 24 bits) and, in the same run, the
# same operations of leafsmith-bench (RotateRight; ResizeHalf with the grid
# average, which is what -scale does when halving).
#
# ImageMagick reads the page from its memory-mapped cache format (MPC) and
# writes nowhere (null:); the time of reading alone is measured the same way
# and subtracted, so the figures are of the operation itself, one thread.
# Both sides are compared in CPU time, which other work on a shared machine
# disturbs less than the time on the clock.
#
# Usage: bench/ops-vs-imagemagick.sh [BUILD_DIR]   (default build/release)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/release}"
bench="$build/bench/leafsmith-bench"
page_tool="$build/bench/leafsmith-benchpage"
for tool in "$bench" "$page_tool"; do
  [ -x "$tool" ] || { echo "missing $tool: run 'make release' first" >&2; exit 1; }
done
command -v convert >/dev/null || { echo "ImageMagick's convert is not installed" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
iterations=10

# CPU milliseconds per iteration of a convert command line, one thread
# ("Performance[1]: 5i 6.2ips 1.0e 0.53u 0:00.80": iterations, rate,
# efficiency, user seconds, elapsed).
im_ms() {
  convert -limit thread 1 "$@" 2>&1 >/dev/null |
    awk '/Performance\[1\]/ {
      n = $2; sub("i", "", n); u = $5; sub("u", "", u); printf "%.1f", 1000 * u / n }'
}

printf '%-34s %10s %10s %10s\n' "operation (ms)" "1 bit" "8 bits" "24 bits"
declare -A im
for bits in 1 8 24; do
  "$page_tool" "$bits" "$work/page$bits.bmp"
  convert "$work/page$bits.bmp" "$work/page$bits.mpc"
  read_ms="$(im_ms "$work/page$bits.mpc" -bench "$iterations" null:)"
  rotate_ms="$(im_ms "$work/page$bits.mpc" -bench "$iterations" -rotate 90 null:)"
  scale_ms="$(im_ms "$work/page$bits.mpc" -bench "$iterations" -scale 50% null:)"
  im[rotate$bits]="$(awk -v a="$rotate_ms" -v b="$read_ms" 'BEGIN { printf "%.1f", a - b }')"
  im[scale$bits]="$(awk -v a="$scale_ms" -v b="$read_ms" 'BEGIN { printf "%.1f", a - b }')"
done
printf '%-34s %10s %10s %10s\n' "ImageMagick -rotate 90" "${im[rotate1]}" "${im[rotate8]}" "${im[rotate24]}"
printf '%-34s %10s %10s %10s\n' "ImageMagick -scale 50%" "${im[scale1]}" "${im[scale8]}" "${im[scale24]}"

# CPU time per iteration of the leafsmith-bench cases (csv: name,
# iterations, real_time, cpu_time, time_unit, ...), in ms.
"$bench" --benchmark_filter='BM_RotateRight|BM_ResizeHalf/bits:[0-9]+/method:2' \
  --benchmark_format=csv 2>/dev/null |
  awk -F, '
    /^"BM_/ {
      gsub("\"", "", $1)
      split($1, part, "/")
      bits = part[2]; sub("bits:", "", bits)
      name = part[1] == "BM_RotateRight" ? "rotate right" : "resize half (average)"
      ms[name, bits] = $4 * ($5 == "us" ? 0.001 : $5 == "ns" ? 0.000001 : 1)
    }
    END {
      split("rotate right|resize half (average)", names, "|")
      for (k = 1; k <= 2; ++k) {
        printf "%-34s", "Leafsmith " names[k]
        printf " %10.2f %10.2f %10.2f\n", ms[names[k], 1], ms[names[k], 8], ms[names[k], 24]
      }
    }'
