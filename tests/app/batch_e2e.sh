#!/usr/bin/env bash
# A background batch in the real program: a private X server (Xvfb), the
# selection bar shown and its files converted to DjVu through the menus as a
# person would, the files checked by DjVuLibre's ddjvu.
#
#   batch_e2e.sh LEAFSMITH LEAFSMITH_CLI SOURCE_DIR
# Exit 77 (skipped) when Xvfb or xdotool is missing. With LEAF_E2E_KEEP=DIR the
# screenshot is copied there to be looked at.
set -euo pipefail

program=$1 cli=$2 source_dir=$3
for tool in Xvfb xdotool import ddjvu; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

source "$(dirname "$0")/x_session.sh"

# Three pages to convert, and a file the list leaves out.
mkdir -p "$work/in" "$work/config/Leafsmith"
for name in first second third; do
  "$cli" convert "$source_dir/samples/sample-page.pgm" "$work/in/$name.pgm" --resize 600x800 \
    >/dev/null
done
echo "notes" >"$work/in/notes.txt"
cat >"$work/config/Leafsmith/Leafsmith.ini" <<INI
[General]
NoStartupInfo=1
WindowFit=0
LCOpenDir=$work/in
LCOpenType=100
LCSaveDir=$work/out
LCSaveType=1
INI
export XDG_CONFIG_HOME="$work/config"

start_program "Leafsmith" 1100 900
key() { xdotool windowfocus --sync "$window" key --clearmodifiers "$@"; sleep 0.4; }

key alt+v e          # View > Selection Bar
# On a busy machine the bar may still be listing the folder: until it has,
# Select All selects nothing and the batch command stays disabled (its menu
# then stays open and Escape closes it before the next try).
dialog=
for _ in 1 2 3; do
  key alt+m a        # Multiprocess > Select All Files
  key alt+m b        # Multiprocess > Batch Convert in the Background
  dialog=$(focus_window "^Batch conversion settings$") && break
  xdotool key Escape
  sleep 1
done
[ -n "$dialog" ] || fail "no batch conversion settings dialog"
sleep 0.5
import -window root "$work/settings.png"
xdotool key Return   # OK in the batch conversion settings
for _ in $(seq 240); do
  [ "$(ls "$work/out"/*.djvu 2>/dev/null | wc -l)" -eq 3 ] && break
  sleep 0.5
done
[ "$(ls "$work/out"/*.djvu 2>/dev/null | wc -l)" -eq 3 ] || fail "not every page was converted"
sleep 2
import -window "$window" "$work/batch.png"
for name in first second third; do
  ddjvu -format=pgm "$work/out/$name.djvu" "$work/$name-check.pgm" ||
    fail "$name.djvu does not decode"
done
[ ! -e "$work/out/notes.djvu" ] || fail "a file the list leaves out was converted"
key alt+f x          # File > Exit
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$app_pid" 2>/dev/null; then fail "the program did not exit"; fi
app_pid=
echo "batch end to end: ok"
