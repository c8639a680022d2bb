#!/bin/sh
# Compares leafsmith's DjVu encoder with DjVuLibre's c44 (photo) and cjb2
# (bilevel) and with JPEG at quality 75, on the sample corpus and on a
# 2550x3300 colour page. Times are the best of RUNS runs of the whole
# command, reading its input included, in CPU time (user + system), which
# stays fair when other work loads the machine; sizes are file bytes.
#
#   bench/compare.sh [CORPUS_DIR]
#
# Needs a release build (make release), DjVuLibre's tools (c44, cjb2,
# ddjvu), cjpeg and ImageMagick's convert for preparing the inputs.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:-${LEAF_CORPUS_DIR:-$here/../shared/corpus}}
cli=${CLI:-$here/build/release/cli/leafsmith-cli}
runs=${RUNS:-3}

for tool in c44 cjb2 ddjvu cjpeg convert /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compare.sh: $tool is not installed" >&2; exit 1; }
done
[ -x "$cli" ] || { echo "compare.sh: $cli not built (make release)" >&2; exit 1; }
[ -d "$corpus" ] || { echo "compare.sh: no corpus at $corpus" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
settings=$work/Leafsmith.ini
: >"$settings"

# Inputs as PNM, so that every encoder reads the same bytes.
prepare() {
  name=$1
  src=$2
  case $src in
    *.djvu) ddjvu -format=ppm "$src" "$work/$name.ppm" && echo "$work/$name.ppm" ;;
    *.tif)
      convert "$src" "$work/$name.pbm" && echo "$work/$name.pbm" ;;
    *.pgm) cp "$src" "$work/$name.pgm" && echo "$work/$name.pgm" ;;
    *) convert "$src" "$work/$name.ppm" && echo "$work/$name.ppm" ;;
  esac
}

# Best CPU milliseconds (user + system) of $runs runs of the command.
best_ms() {
  best=
  i=0
  while [ "$i" -lt "$runs" ]; do
    /usr/bin/time -f '%U %S' -o "$work/time" "$@" >/dev/null 2>&1 ||
      { echo "compare.sh: failed: $*" >&2; exit 1; }
    ms=$(awk '{ printf "%d", ($1 + $2) * 1000 + 0.5 }' "$work/time")
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
    i=$((i + 1))
  done
  echo "$best"
}

bytes() { wc -c <"$1" | tr -d ' '; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "-"; else printf "%.2f", a / b }'; }

ours() { echo "$cli" --settings "$settings" convert; }

printf '%-22s %-9s | %8s %7s | %8s %7s | %8s %7s | %8s %9s\n' page size \
  "ours B" "ours ms" "c44 B" "c44 ms" "jpeg B" "jpeg ms" "c44/ours" "t ours/c44"
colour_pages=
bilevel_pages=
for src in "$corpus"/*.jpg "$corpus"/*.pgm "$corpus"/*.tif "$corpus"/*.djvu; do
  [ -e "$src" ] || continue
  name=$(basename "$src")
  name=${name%.*}
  input=$(prepare "$name" "$src")
  case $input in
    *.pbm) bilevel_pages="$bilevel_pages $input" ;;
    *) colour_pages="$colour_pages $input" ;;
  esac
done
# Two 300-dpi letter pages in colour. letter-scan: the compound reference
# page as a scanner would give it (slightly blurred, on tinted paper, with
# sensor noise). letter-upscaled: the 150-dpi scan of a printed page with red
# and black text on yellowed paper, enlarged to fill the page; its smooth,
# blurred pixels are the easy case for c44 and the hard one for us.
ddjvu -format=ppm "$corpus/djvu3spec-p5.djvu" "$work/clean.ppm"
convert "$work/clean.ppm" -blur 0x0.8 \( +clone -fill '#f3ead6' -colorize 100 \) \
  -compose multiply -composite -seed 7 -attenuate 0.4 +noise Gaussian "$work/letter-scan.ppm"
convert "$corpus/amoris.2.150.jpg" -resize 2550x3300^ -gravity center -extent 2550x3300 \
  "$work/letter-upscaled.ppm"
colour_pages="$colour_pages $work/letter-scan.ppm $work/letter-upscaled.ppm"

for input in $colour_pages; do
  name=$(basename "$input")
  name=${name%.*}
  size=$(head -c 64 "$input" | sed -n 2p | tr ' ' x)
  t_ours=$(best_ms $(ours) "$input" "$work/$name.ours.djvu")
  t_c44=$(best_ms c44 "$input" "$work/$name.c44.djvu")
  t_jpeg=$(best_ms sh -c "cjpeg -quality 75 '$input' >'$work/$name.jpg'")
  b_ours=$(bytes "$work/$name.ours.djvu")
  b_c44=$(bytes "$work/$name.c44.djvu")
  b_jpeg=$(bytes "$work/$name.jpg")
  ddjvu -format=ppm "$work/$name.ours.djvu" "$work/check.ppm" ||
    { echo "compare.sh: DjVuLibre cannot decode our $name" >&2; exit 1; }
  printf '%-22s %-9s | %8s %7s | %8s %7s | %8s %7s | %8s %9s\n' "$name" "$size" \
    "$b_ours" "$t_ours" "$b_c44" "$t_c44" "$b_jpeg" "$t_jpeg" \
    "$(ratio "$b_c44" "$b_ours")" "$(ratio "$t_ours" "$t_c44")"
done

echo
printf '%-22s %-9s | %8s %7s | %8s %7s | %10s %11s\n' "bilevel page" size \
  "ours B" "ours ms" "cjb2 B" "cjb2 ms" "ours/cjb2 B" "t ours/cjb2"
for input in $bilevel_pages; do
  name=$(basename "$input")
  name=${name%.*}
  size=$(head -c 64 "$input" | sed -n 2p | tr ' ' x)
  t_ours=$(best_ms $(ours) "$input" "$work/$name.ours.djvu")
  t_cjb2=$(best_ms cjb2 "$input" "$work/$name.cjb2.djvu")
  b_ours=$(bytes "$work/$name.ours.djvu")
  b_cjb2=$(bytes "$work/$name.cjb2.djvu")
  ddjvu -format=pbm "$work/$name.ours.djvu" "$work/check.pbm" ||
    { echo "compare.sh: DjVuLibre cannot decode our $name" >&2; exit 1; }
  printf '%-22s %-9s | %8s %7s | %8s %7s | %10s %11s\n' "$name" "$size" \
    "$b_ours" "$t_ours" "$b_cjb2" "$t_cjb2" \
    "$(ratio "$b_ours" "$b_cjb2")" "$(ratio "$t_ours" "$t_cjb2")"
done
