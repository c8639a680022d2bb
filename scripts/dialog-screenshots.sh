#!/usr/bin/env bash
# Screenshots of every settings dialog of the desktop program, opened from
# its Options menu as a person would, on a private X server (Xvfb), at a
# given scale factor, so that their layout can be looked at.
#
#   scripts/dialog-screenshots.sh LEAFSMITH OUTDIR [SCALE]
# Writes OUTDIR/<dialog>@<SCALE>x.png.
set -euo pipefail

program=$1 out=$2 scale=${3:-1}
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
mkdir -p "$out"
work=$(mktemp -d)
xvfb_pid= app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 5 -screen 0 2560x1600x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale
unset WAYLAND_DISPLAY
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME/Leafsmith"
printf '[General]\nNoStartupInfo=1\nWindowFit=0\n' >"$XDG_CONFIG_HOME/Leafsmith/Leafsmith.ini"

"$program" >"$work/app.log" 2>&1 &
app_pid=$!
main=$(timeout 30 xdotool search --sync --onlyvisible --name " - Leafsmith" | head -n1)

# Opens a dialog with keys, waits for its window, shots it, closes it with Escape.
shoot() {  # name title keys...
  local name=$1 title=$2 window
  shift 2
  xdotool windowfocus --sync "${parent:-$main}" key --clearmodifiers "$@"
  window=$(timeout 20 xdotool search --sync --onlyvisible --name "^$title\$" | head -n1)
  sleep 1.5  # the first paint, and General Settings' file associations
  import -window "$window" "$out/$name@${scale}x.png"
  xdotool windowfocus --sync "$window" key Escape
  sleep 0.5
}

shoot general "General Settings" alt+o g
shoot djvu "DjVu Settings" alt+o d
xdotool windowfocus --sync "$main" key --clearmodifiers alt+o d
parent=$(timeout 20 xdotool search --sync --onlyvisible --name "^DjVu Settings\$" | head -n1)
sleep 0.5
shoot advanced "DjVu Advanced Parameters" alt+a
xdotool windowfocus --sync "$parent" key Escape
parent=
sleep 0.5
shoot iw44 "IW44 Settings" alt+o i
shoot jpeg "JPEG Settings" alt+o j
shoot thumbnail "Thumbnail Options" alt+o h
shoot batch "Batch conversion settings" alt+o b
shoot sweeper "Sweeper Options" alt+o s
ls "$out"/*@"${scale}"x.png
