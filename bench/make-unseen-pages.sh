#!/bin/sh
# Makes colour and gray test pages that the encoder was never tuned on, from
# the documentation books DjVuLibre ships (Debian's libdjvulibre-dev): pages
# rendered at 300, 150 and 100 dpi and degraded the way a scanner degrades
# them (blur, tinted paper, sensor noise), a page with a photograph-like
# picture, the two scanned letters of that folder as they are, and three of
# these pages resampled to 120-170 dpi. Each page
# is an LZW TIFF carrying its resolution, so the encoder sees the dpi a
# scanner would have written.
#
#   bench/make-unseen-pages.sh OUT_DIR
#
# Needs ddjvu (djvulibre-bin) and ImageMagick's convert. The pages are made
# with fixed seeds, so every run gives the same pixels.
set -eu

out=${1:?usage: make-unseen-pages.sh OUT_DIR}
docs=${DJVU_DOCS:-/usr/share/doc/libdjvulibre-dev}
for tool in ddjvu convert; do
  command -v "$tool" >/dev/null || { echo "make-unseen-pages.sh: $tool is not installed" >&2; exit 1; }
done
for book in lizard2007.djvu lizard2002.djvu djvulibre-book-en.djvu djvu2spec.djvu; do
  [ -f "$docs/$book" ] || { echo "make-unseen-pages.sh: no $docs/$book (install libdjvulibre-dev)" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# render BOOK PAGE DPI FORMAT: one page rendered at DPI.
render() {
  ddjvu -format="$4" -page="$2" -scale="$3" "$docs/$1" "$work/page.$4"
  echo "$work/page.$4"
}

# save SOURCE NAME DPI [convert operations...]: the finished page.
save() {
  src=$1
  name=$2
  dpi=$3
  shift 3
  convert "$src" "$@" -density "$dpi" -units PixelsPerInch -compress lzw "$out/$name.tif"
}

# A scanner's look: slight blur, paper of the given tint, sensor noise.
scan_look() {
  echo -blur "0x$1" \( +clone -fill "$2" -colorize 100 \) -compose multiply -composite \
    -seed 11 -attenuate "$3" +noise Gaussian
}

# The two scanned letters as their DjVu pages show them (300 dpi).
save "$(render lizard2007.djvu 1 300 ppm)" letter-2007 300
save "$(render lizard2002.djvu 1 300 ppm)" letter-2002 300

# A dense manual page, scanned in colour at 300 dpi and at 100 dpi.
save "$(render djvulibre-book-en.djvu 5 300 ppm)" manual-300 300 $(scan_look 0.8 '#f4ecda' 0.4)
save "$(render djvulibre-book-en.djvu 12 100 ppm)" manual-100 100 $(scan_look 0.4 '#efe4cc' 0.3)

# A format description page in blue ink on yellowed paper at 150 dpi, and one in
# gray at 100 dpi.
save "$(render djvu2spec.djvu 8 150 ppm)" blue-ink-150 150 \
  -fill '#1c2a78' -tint 100 $(scan_look 0.5 '#f1e6c4' 0.3)
save "$(render djvu2spec.djvu 3 100 pgm)" gray-100 100 $(scan_look 0.4 '#e8e8e8' 0.3) -colorspace Gray

# The letter and the manual page as a scanner set to a lower resolution gives
# them: resampled to 150, 120 and 170 dpi.
save "$out/letter-2002.tif" letter-2002-150 150 -filter Triangle -resize 50%
save "$out/manual-300.tif" manual-120 120 -filter Triangle -resize 40%
save "$out/manual-300.tif" manual-170 170 -filter Triangle -resize 56.667%

# A 300-dpi page with a photograph-like picture (a smooth fractal landscape)
# beside a table, and a red heading.
page=$(render djvu2spec.djvu 14 300 ppm)
convert -size 760x1000 -seed 5 plasma:fractal -blur 0x6 -modulate 100,140 "$work/photo.ppm"
convert -size 760x110 xc:white -font DejaVu-Sans-Bold -pointsize 54 -fill '#b01818' \
  -gravity center -annotate +0+0 'Step sizes' "$work/heading.ppm"
convert "$page" "$work/photo.ppm" -geometry +1680+260 -composite \
  "$work/heading.ppm" -geometry +120+700 -composite "$work/photo-page.ppm"
save "$work/photo-page.ppm" photo-300 300 $(scan_look 0.7 '#f6f0e4' 0.4)
