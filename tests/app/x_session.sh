# Sourced by the end-to-end scripts: a work folder, a private X server (Xvfb
# picks a free display and tells its number) and the clean-up of both, and
# `fail` for a failure with the end of the program's log. Sets work, DISPLAY,
# QT_QPA_PLATFORM; the script sets app_pid once it starts the program (and xclip_pid for a
# clipboard owner). With
# LEAF_E2E_KEEP=DIR the screenshots are copied there to be looked at.

work=$(mktemp -d)
xvfb_pid= app_pid= xclip_pid=
cleanup() {
  if [ -n "${LEAF_E2E_KEEP:-}" ]; then
    mkdir -p "$LEAF_E2E_KEEP" && cp "$work"/*.png "$LEAF_E2E_KEEP"/ 2>/dev/null || true
  fi
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$xclip_pid" ] && kill "$xclip_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [ -n "${window:-}" ] && import -window root "$work/failure.png" 2>/dev/null || true
  [ -f "$work/app.log" ] && tail -n 40 "$work/app.log" >&2
  exit 1
}

Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

# Starts $program with the arguments given after the window's size, its log
# in $work/app.log, waits for its window (title matching the pattern), gives
# it that size and the focus. Sets app_pid and window.
start_program() {  # TITLE-PATTERN WIDTH HEIGHT [ARGS...]
  local title=$1 width=$2 height=$3
  shift 3
  "$program" "$@" >"$work/app.log" 2>&1 &
  app_pid=$!
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "$title" | head -n1) ||
    fail "no window: $(cat "$work/app.log")"
  xdotool windowsize --sync "$window" "$width" "$height" || true
  xdotool windowfocus --sync "$window"
  sleep 0.5
}

# Finds the visible window whose title matches the pattern and gives it the
# focus; echoes its id. A window found as it is replaced (Qt may map a
# dialog twice) is gone when the focus is asked for (X's BadWindow): the
# search is made again, for up to about 30 seconds in all.
focus_window() {  # TITLE-PATTERN
  local id
  for _ in 1 2 3; do
    id=$(timeout 10 xdotool search --sync --onlyvisible --name "$1" | head -n1) || continue
    [ -n "$id" ] || continue
    if xdotool windowfocus --sync "$id" 2>/dev/null; then
      echo "$id"
      return 0
    fi
    sleep 0.5
  done
  return 1
}
