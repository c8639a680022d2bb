#!/usr/bin/env bash
# Renders the program's icon (app/desktop/icons/leafsmith.svg) into the PNG
# sizes of the hicolor icon theme. The PNG files are kept in git, so this runs
# only when the drawing changes; it needs rsvg-convert (Debian's librsvg2-bin).
set -euo pipefail
dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/app/desktop/icons"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$dir/leafsmith.svg" -o "$dir/leafsmith-$size.png"
done
