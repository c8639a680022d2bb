#!/usr/bin/env bash
# The real program end to end: a private X server (Xvfb), the window driven
# by xdotool as a person would, the saved file checked by DjVuLibre's ddjvu
# and the window's own pixels checked against the page.
#
#   desktop_e2e.sh LEAFSMITH LEAFSMITH_CLI SOURCE_DIR CORPUS_DIR
# Exit 77 (skipped) when Xvfb or xdotool is missing. With LEAF_E2E_KEEP=DIR the
# screenshots are copied there to be looked at.
set -euo pipefail

program=$1 cli=$2 source_dir=$3 corpus=$4
for tool in Xvfb xdotool xclip import compare convert identify ddjvu tiffcp; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/x_session.sh"

# --- the pages: corpus pages when the corpus is there, else made here ---
mkdir -p "$work/out" "$work/config/Leafsmith"
if [ -f "$corpus/djvu3spec-p5.djvu" ] && [ -f "$corpus/feyn.tif" ] && [ -f "$corpus/pageseg1.tif" ]; then
  cp "$corpus/djvu3spec-p5.djvu" "$work/page.djvu"
  tiffcp "$corpus/feyn.tif" "$corpus/pageseg1.tif" "$work/scan.tif"
else
  "$cli" convert "$source_dir/samples/sample-page.pgm" "$work/page.djvu" >/dev/null
  convert "$source_dir/samples/sample-page.pgm" -threshold 50% -density 300 -units PixelsPerInch \
    \( +clone -flop \) -compress Group4 "$work/scan.tif"
fi
convert "$work/scan.tif[1]" "$work/page2.pgm"
read -r page2_w page2_h < <(identify -format '%w %h\n' "$work/page2.pgm")

cat >"$work/config/Leafsmith/Leafsmith.ini" <<INI
[General]
NoStartupInfo=1
WindowFit=0
ImageFit=2
OpenDir=$work
SaveDir=$work/out
INI
export XDG_CONFIG_HOME="$work/config"

# --- start the program on the DjVu page ---
start_program "page.djvu - Leafsmith" 1000 900 "$work/page.djvu"

key() { xdotool windowfocus --sync "$window" key --clearmodifiers "$@"; sleep 0.3; }

# Zoom out to the smallest level, then zoom in one step: 1/9 of the page.
for _ in $(seq 10); do key minus; done
key plus
sleep 0.5
"$cli" render "$work/page.djvu" "$work/reference.ppm" --zoom -8 >/dev/null
read -r ref_w ref_h < <(identify -format '%w %h\n' "$work/reference.ppm")

# The page lies centred on the gray background: cut it out of the middle of
# the window and compare it with the page as the renderer makes it. A busy
# machine may take a moment to draw it: try again for a while.
difference=
for _ in $(seq 40); do
  import -window "$window" "$work/window.png"
  convert "$work/window.png" -crop 700x600+150+150 +repage -bordercolor '#C0C0C0' -border 1 \
    -fuzz 1% -trim +repage "$work/shown.png"
  read -r shown_w shown_h < <(identify -format '%w %h\n' "$work/shown.png")
  if [ "$shown_w $shown_h" = "$ref_w $ref_h" ]; then
    difference=$(compare -metric AE -fuzz 2% "$work/shown.png" "$work/reference.ppm" null: 2>&1 || true)
    [ "${difference%% *}" -le $((ref_w * ref_h / 100)) ] && break
  fi
  sleep 0.5
done
[ "$shown_w $shown_h" = "$ref_w $ref_h" ] ||
  fail "the window shows the page at ${shown_w}x${shown_h}, the renderer makes ${ref_w}x${ref_h}"
[ "${difference%% *}" -le $((ref_w * ref_h / 100)) ] ||
  fail "$difference pixels of the window differ from the page"
echo "window shows the DjVu page at 1/9: ${shown_w}x${shown_h}, $difference pixels differ"

# --- open the two-page TIFF through the Open dialog, turn the page ---
key ctrl+o
dialog=$(focus_window "^Open$") || fail "no Open dialog"
sleep 0.3
xdotool type --delay 5 "$work/scan.tif"
xdotool key Return
timeout 30 xdotool search --sync --onlyvisible --name "scan.tif \(page 1 of 2\)" >/dev/null ||
  fail "the TIFF did not open: $(xdotool getwindowname "$window")"
import -window "$window" "$work/tiff-page1.png"
key Next
timeout 30 xdotool search --sync --onlyvisible --name "scan.tif \(page 2 of 2\)" >/dev/null ||
  fail "the page did not turn: $(xdotool getwindowname "$window")"
import -window "$window" "$work/tiff-page2.png"
echo "turned to page 2 of the TIFF"

# --- save it as DjVu through the Save As dialog ---
key ctrl+alt+s
dialog=$(focus_window "^Save As$") || fail "no Save As dialog"
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 5 "$work/out/page2.djvu"
xdotool key Return
for _ in $(seq 300); do
  xdotool getwindowname "$window" | grep -q "last saved as page2.djvu" && break
  # The pages question (a two-page file saved with a DjVu name): this page only.
  # A resolution question (the page's resolution does not suit the settings): go on.
  if question=$(xdotool search --onlyvisible --name "^Leafsmith$" 2>/dev/null | head -n1) && [ -n "$question" ]; then
    xdotool windowfocus "$question" key t n || true
  fi
  sleep 0.1
done
xdotool getwindowname "$window" | grep -q "last saved as page2.djvu" || fail "not saved: $(xdotool getwindowname "$window")"
ddjvu -format=pgm "$work/out/page2.djvu" "$work/saved.pgm" || fail "ddjvu cannot read the saved file"
read -r saved_w saved_h < <(identify -format '%w %h\n' "$work/saved.pgm")
[ "$saved_w $saved_h" = "$page2_w $page2_h" ] || fail "saved ${saved_w}x${saved_h}, page 2 is ${page2_w}x${page2_h}"
difference=$(compare -metric AE "$work/saved.pgm" "$work/page2.pgm" null: 2>&1 || true)
[ "${difference%% *}" -le $((page2_w * page2_h / 50)) ] || fail "$difference pixels of the saved page differ"
echo "saved page 2 as DjVu: ddjvu reads ${saved_w}x${saved_h}, $difference pixels differ from the TIFF page"

# --- the clipboard both ways, with another X client (xclip) on the other side ---
convert -size 120x80 xc:'#D02010' -fill '#1030A0' -draw 'rectangle 20,10 59,49' \
  -density 150 -units PixelsPerInch "$work/clip.png"
xclip -quiet -selection clipboard -t image/png -i "$work/clip.png" >/dev/null 2>&1 &
xclip_pid=$!
sleep 0.5
key ctrl+shift+v
timeout 15 xdotool search --sync --onlyvisible --name "Untitled clipboard image" >/dev/null ||
  fail "Paste As New did not take the picture: $(xdotool getwindowname "$window")"
sleep 0.5
import -window "$window" "$work/pasted.png"
# The page (1:1) shows the pasted colours in the middle of the window.
shown=$(convert "$work/pasted.png" -crop 700x600+150+150 +repage -fuzz 3% -fill white \
  -opaque '#C0C0C0' -format '%[fx:100*mean.r>10]' info:)
[ "$shown" = 1 ] || fail "the pasted picture is not shown"
key ctrl+c
sleep 0.5
xclip_pid=  # it gave up the clipboard to the program and ended
xclip -selection clipboard -t TARGETS -o | grep -q '^image/png$' || fail "the copy offers no PNG"
xclip -selection clipboard -t image/png -o >"$work/copied.png" || fail "xclip could not paste the copy"
read -r copied_w copied_h < <(identify -format '%w %h\n' "$work/copied.png")
[ "$copied_w $copied_h" = "120 80" ] || fail "the copy is ${copied_w}x${copied_h}, not 120x80"
difference=$(compare -metric AE "$work/copied.png" "$work/clip.png" null: 2>&1 || true)
[ "${difference%% *}" = 0 ] || fail "$difference pixels of the copy differ from the pasted picture"
echo "clipboard: pasted a PNG from xclip as a new page, copied it back identical"

# --- Exit (the pasted page is not saved) ---
key ctrl+q
for _ in $(seq 50); do
  question=$(xdotool search --onlyvisible --name "^Leafsmith$" 2>/dev/null | head -n1) || true
  if [ -n "$question" ]; then xdotool windowfocus "$question" key n || true; break; fi
  sleep 0.1
done
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then fail "the program did not exit"; fi
wait "$app_pid" || fail "the program exited with status $?"
app_pid=
grep -q "^SaveType=1" "$work/config/Leafsmith/Leafsmith.ini" || fail "settings not written at exit"
echo "1 passed, 0 failed"
