#!/usr/bin/env bash
# How often the pointer's arrival on the pill opens the island in hover mode: the real program
# on a virtual display of its own (Xvfb with a compositing manager, or weston with XWayland), a
# private session bus and fresh XDG folders, nothing playing. Three kinds of arrival, each
# QUORLIX_TRIES times (5), after leaving the open island another way:
#   jump       one jump onto the pill (a warp), after a hand's path away
#   path       a hand's quick path of 30 moves 15 ms apart onto the pill, after a jump away
#   jump-jump  one jump onto the pill, after a jump away
# An arrival counts as opening when the open island shows within 1.5 s; each leave is given 2 s
# to close it. Under weston the compositor follows the virtual display's pointer by distance
# only, so a jump there is a push into the top-left corner and one move to the place.
#
#   bench/count_openings.sh [build folder ...]   # default: build/release
#
# QUORLIX_DESKTOP=weston picks weston; QUORLIX_TRIES changes the tries.
set -euo pipefail
cd "$(dirname "$0")/.."

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(build/release)
desktop="${QUORLIX_DESKTOP:-bare}"
tries="${QUORLIX_TRIES:-5}"
source bench/desktop.sh
require_tools
for tool in xdotool xwd python3; do command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }; done
for build in "${builds[@]}"; do require_built "$build" quorlix; done

# The screen is 1920 by 1080; the pill hangs at the top centre.
centre=960
move_to() {  # move_to <x> <y>: one jump
  if [ "$desktop" = weston ]; then
    xdotool mousemove_relative -- -5000 -5000
    xdotool mousemove_relative -- "$1" "$2"
  else
    xdotool mousemove "$1" "$2"
  fi
}
path() {  # path <step>: 30 moves of <step> points down (up when negative), 15 ms apart
  local args=()
  for _ in $(seq 30); do args+=(mousemove_relative -- 0 "$1" sleep 0.015); done
  xdotool "${args[@]}"
}
# Whether the pixel at (x, y) of the screen is dark: the island. Read with Xlib (xwd stops at
# the 32-bit windows' colormaps).
dark_at='
import ctypes as c, sys
x = c.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = c.c_void_p
x.XDefaultRootWindow.argtypes = [c.c_void_p]
x.XDefaultRootWindow.restype = c.c_ulong
x.XGetImage.argtypes = [c.c_void_p, c.c_ulong, c.c_int, c.c_int, c.c_uint, c.c_uint, c.c_ulong, c.c_int]
x.XGetImage.restype = c.c_void_p
x.XGetPixel.argtypes = [c.c_void_p, c.c_int, c.c_int]
x.XGetPixel.restype = c.c_ulong
d = x.XOpenDisplay(None)
image = x.XGetImage(d, x.XDefaultRootWindow(d), int(sys.argv[1]), int(sys.argv[2]), 1, 1, 0xFFFFFFFF, 2)
p = x.XGetPixel(image, 0, 0)
r, g, b = (p >> 16) & 255, (p >> 8) & 255, p & 255
sys.exit(0 if (r * 11 + g * 16 + b * 5) // 32 < 40 else 1)
'
# Whether the open island shows: dark well below the resting pill.
open_now() { python3 -c "$dark_at" "$centre" 120; }
shows_open() { wait_for 15 open_now; }
shows_closed() { wait_for 20 eval '! open_now'; }

n=0
for build in "${builds[@]}"; do
  n=$((n + 1))
  dir="$work/$n"
  mkdir -p "$dir"
  number="$(start_display "$dir")"
  started+=("$(cat "$dir/xvfb.pid")")
  export DISPLAY=":$number"
  if [ "$desktop" = bare ]; then
    xcompmgr >/dev/null 2>&1 &
    started+=($!)
  fi
  start_bus "$dir"
  started+=("$(cat "$dir/bus.pid")")
  fresh_folders "$dir"
  quorlix_display="$DISPLAY"
  if [ "$desktop" = weston ]; then
    start_weston "$dir"
    started+=("$(cat "$dir/weston.pid")")
    quorlix_display="$(cat "$dir/xwayland.display")"
  fi
  echo '{"didShowWelcome": true}' >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"
  move_to "$centre" 600
  DISPLAY="$quorlix_display" WAYLAND_DISPLAY=wl-bench XDG_SESSION_TYPE="$([ "$desktop" = weston ] && echo wayland || echo x11)" \
    QT_QPA_PLATFORM=xcb "$build/quorlix" >"$dir/quorlix.out" 2>&1 &
  started+=($!)
  # The resting pill shows, then its springs settle.
  wait_for 300 python3 -c "$dark_at" "$centre" 15 || { echo "no island on $build" >&2; exit 1; }
  sleep 2

  declare -A opened=([jump]=0 [path]=0 [jump-jump]=0)
  unclosed=0
  for _ in $(seq "$tries"); do
    for kind in jump path jump-jump; do
      # Leave the open island (or the resting pill) the way the kind asks, then arrive.
      case "$kind" in
        jump) path 20 ;;
        *) move_to "$centre" 612 ;;
      esac
      shows_closed || unclosed=$((unclosed + 1))
      case "$kind" in
        path) move_to "$centre" 612 && path -20 ;;
        *) move_to "$centre" 12 ;;
      esac
      if shows_open; then opened[$kind]=$((opened[$kind] + 1)); fi
      [ -z "${QUORLIX_SHOT:-}" ] || scrot -o "$QUORLIX_SHOT-$kind.png"
    done
  done
  printf '%s (%s): one jump %d of %d, a quick path %d of %d, a jump after a jump away %d of %d; %d leaves left it open\n' \
    "$build" "$desktop" "${opened[jump]}" "$tries" "${opened[path]}" "$tries" "${opened[jump-jump]}" "$tries" "$unclosed"
  unset opened
done
