#!/usr/bin/env bash
# Scanning in the real program end to end, from SANE's virtual test scanner:
# Select Source, New Scan with its options dialog, and Acquire All Pages from
# the feeder saved as one DjVu document, under a private X server driven by
# xdotool. The saved document is checked with DjVuLibre's djvused.
#
#   scan_e2e.sh LEAFSMITH
# Exit 77 (skipped) when Xvfb, xdotool or the test backend is missing. With
# LEAF_E2E_KEEP=DIR the screenshots are copied there to be looked at.
set -euo pipefail

program=$1
for tool in Xvfb xdotool import djvused; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done
backend=$(find /usr/lib -name 'libsane-test.so.1' 2>/dev/null | head -n1)
[ -n "$backend" ] || { echo "skipped: SANE's test backend is not installed"; exit 77; }

source "$(dirname "$0")/x_session.sh"

# The virtual scanners only: a private SANE configuration.
mkdir -p "$work/sane" "$work/out" "$work/config/Leafsmith"
echo test >"$work/sane/dll.conf"
cat >"$work/sane/test.conf" <<CONF
number_of_devices 2
mode Color
resolution 50.0
test-picture "Color pattern"
read-limit false
read-delay false
tl_x 0.0
tl_y 0.0
br_x 80.0
br_y 100.0
CONF
export SANE_CONFIG_DIR="$work/sane"
# The test backend leaks a buffer per scan and is unloaded at the end of each
# session, so that the leak report cannot name it to let it through; the
# desktop tests check the scanning paths for leaks with the backend kept
# loaded.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

cat >"$work/config/Leafsmith/Leafsmith.ini" <<INI
[General]
NoStartupInfo=1
WindowFit=0
ImageFit=2
SaveDir=$work/out
SaveType=1
[DjVu]
DjvuUpsample=3
INI
export XDG_CONFIG_HOME="$work/config"

start_program "Untitled - Leafsmith" 900 800

key() { xdotool windowfocus --sync "$window" key --clearmodifiers "$@"; sleep 0.3; }
# Waits for a visible window whose title matches and focuses it.
dialog() {
  local id
  id=$(timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -n1) || fail "no window \"$1\""
  xdotool windowfocus --sync "$id"
  sleep 0.5
  echo "$id"
}
wait_title() {
  for _ in $(seq 300); do
    xdotool getwindowname "$window" | grep -q "$1" && return 0
    sleep 0.1
  done
  fail "the window is not \"$1\" but \"$(xdotool getwindowname "$window")\""
}

# --- Select Source: the second virtual scanner ---
key alt+f c
source=$(dialog "^Select Source$")
sleep 1  # the list is made off the interface thread
import -window "$source" "$work/select-source.png"
xdotool key --clearmodifiers Down Return
sleep 0.5

# --- New Scan: the options dialog, then one page ---
key ctrl+n
options=$(dialog "^New Scan$")
import -window "$options" "$work/scan-options.png"
xdotool key --clearmodifiers Return
wait_title "Untitled scanned image"
sleep 1
import -window "$window" "$work/scanned-page.png"
echo "scanned one page"

# --- Acquire All Pages: the feeder's ten pages into one document ---
key alt+f l
# "Save Untitled scanned image first?": No, until the options dialog is up.
for _ in $(seq 300); do
  xdotool search --onlyvisible --name "^Acquire All Pages$" >/dev/null 2>&1 && break
  if question=$(xdotool search --onlyvisible --name "^Leafsmith$" 2>/dev/null | head -n1) &&
    [ -n "$question" ]; then
    xdotool windowfocus "$question" key n || true
  fi
  sleep 0.1
done
options=$(dialog "^Acquire All Pages$")
import -window "$options" "$work/acquire-all-options.png"
xdotool key --clearmodifiers Return
wait_title "Untitled scanned image (page 1 of 10)"
key Next
wait_title "(page 2 of 10)"
sleep 1
import -window "$window" "$work/batch-page2.png"
echo "acquired the feeder's ten pages"

key ctrl+alt+s
save=$(dialog "^Save As$")
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 5 "$work/out/book.djvu"
xdotool key Return
for _ in $(seq 600); do
  [ -f "$work/out/book.djvu" ] && ! xdotool getwindowname "$window" | grep -q '\*' && break
  sleep 0.1
done
pages=$(djvused -e n "$work/out/book.djvu") || fail "djvused cannot read the saved document"
[ "$pages" = 10 ] || fail "the saved document has $pages pages, not 10"
echo "saved the ten pages as one DjVu document"

key ctrl+q
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not exit"
wait "$app_pid" || fail "the program exited with status $?"
app_pid=
grep -q "^ScanDevice=test:1" "$work/config/Leafsmith/Leafsmith.ini" ||
  fail "the chosen scanner was not remembered: $(grep -i scan "$work/config/Leafsmith/Leafsmith.ini")"
echo "1 passed, 0 failed"
