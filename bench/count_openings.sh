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
# QUORLIX_DESKTOP picks the desktop: bare (the default), weston, gnome-x11, gnome-wayland
# (GNOME Shell nested, the pointer moved on the virtual display). QUORLIX_TRIES changes the
# tries. The milliseconds from the arrival's last move to the first picture of the open island
# (read from the screen as often as the server answers) are given as a median.
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

# The screen is 1920 by 1080; the pill hangs at the top centre, below GNOME's 32-point bar.
centre=960
top=0
case "$desktop" in
  bare | weston) ;;
  gnome-x11 | gnome-wayland) top=32 ;;
  *) echo "unknown desktop $desktop" >&2; exit 2 ;;
esac
# GNOME Shell on the virtual display (its X11 session) or nested in it (Wayland, with the
# XWayland it starts, whose display goes into <folder>/xwayland.display), a plain desktop and
# no banners, out of the overview it starts in.
start_gnome() {
  mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
  printf "[org/gnome/desktop/notifications]\nshow-banners=false\n[org/gnome/desktop/background]\npicture-uri=''\npicture-uri-dark=''\ncolor-shading-type='solid'\nprimary-color='#5c6473'\n" \
    >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile"
  # The session bus stands for the system bus too (the shell asks logind there).
  export GSETTINGS_BACKEND=keyfile NO_AT_BRIDGE=1 DBUS_SYSTEM_BUS_ADDRESS="$DBUS_SESSION_BUS_ADDRESS"
  if [ "$desktop" = gnome-x11 ]; then
    gnome-shell --x11 --replace >"$1/gnome.log" 2>&1 &
  else
    MUTTER_DEBUG_DUMMY_MODE_SPECS=1920x1080 gnome-shell --nested --wayland >"$1/gnome.log" 2>&1 &
  fi
  started+=($!)
  if [ "$desktop" = gnome-wayland ]; then
    wait_for 300 grep -q "Using public X11 display" "$1/gnome.log" || { echo "GNOME started no XWayland" >&2; exit 1; }
    sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' "$1/gnome.log" | head -1 >"$1/xwayland.display"
    wait_for 100 compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*" >/dev/null
    XAUTHORITY="$(compgen -G "$XDG_RUNTIME_DIR/.mutter-Xwaylandauth.*" | head -1)"
  fi
  sleep 10
  for _ in 1 2; do xdotool key Escape; sleep 2; done
  xdotool mousemove 300 600 click 1
}
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
# Waits up to <seconds> for the pixel at (<x>, <y>) of the screen to be dark (the island), or
# light with "light": prints when (milliseconds since the epoch) and succeeds, or fails. Read with Xlib,
# as often as the server answers (xwd stops at the 32-bit windows' colormaps).
watch='
import ctypes as c, sys, time
x = c.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = c.c_void_p
x.XDefaultRootWindow.argtypes = [c.c_void_p]
x.XDefaultRootWindow.restype = c.c_ulong
x.XGetImage.argtypes = [c.c_void_p, c.c_ulong, c.c_int, c.c_int, c.c_uint, c.c_uint, c.c_ulong, c.c_int]
x.XGetImage.restype = c.c_void_p
x.XGetPixel.argtypes = [c.c_void_p, c.c_int, c.c_int]
x.XGetPixel.restype = c.c_ulong
d = x.XOpenDisplay(None)
root = x.XDefaultRootWindow(d)
px, py, seconds, dark = int(sys.argv[1]), int(sys.argv[2]), float(sys.argv[3]), sys.argv[4] == "dark"
start = time.monotonic()
while time.monotonic() - start < seconds:
    p = x.XGetPixel(x.XGetImage(d, root, px, py, 1, 1, 0xFFFFFFFF, 2), 0, 0)
    r, g, b = (p >> 16) & 255, (p >> 8) & 255, p & 255
    if ((r * 11 + g * 16 + b * 5) // 32 < 40) == dark:
        print(int(1000 * time.time()))
        sys.exit(0)
    time.sleep(0.002)
sys.exit(1)
'
# Watches for the open island (dark well below the resting pill) from before the arrival
# <command...> on; succeeds when it shows within 1.5 s, the milliseconds from the command's end
# in $waited.
arrive_and_watch() {
  python3 -c "$watch" "$centre" $((top + 100)) 2 dark >"$work/shown" &
  local watcher=$!
  sleep 0.1  # the watcher's start
  "$@"
  local arrived
  arrived="$(date +%s%3N)"
  wait "$watcher" || return 1
  waited=$(($(cat "$work/shown") - arrived))
  [ "$waited" -ge 0 ] || waited=0
  [ "$waited" -le 1500 ]
}
shows_closed() { python3 -c "$watch" "$centre" $((top + 100)) 2 light >/dev/null; }

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
  export XAUTHORITY="${XAUTHORITY:-}"
  case "$desktop" in
    weston)
      start_weston "$dir"
      started+=("$(cat "$dir/weston.pid")")
      quorlix_display="$(cat "$dir/xwayland.display")"
      ;;
    gnome-*)
      start_gnome "$dir"
      [ "$desktop" = gnome-x11 ] || quorlix_display="$(cat "$dir/xwayland.display")"
      ;;
  esac
  echo '{"didShowWelcome": true}' >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"
  move_to "$centre" 600
  wayland=wl-bench
  [ "$desktop" = gnome-wayland ] && wayland=wayland-0
  session=wayland
  case "$desktop" in bare | gnome-x11) session=x11 ;; esac
  DISPLAY="$quorlix_display" WAYLAND_DISPLAY="$wayland" XDG_SESSION_TYPE="$session" \
    QT_QPA_PLATFORM=xcb "$build/quorlix" >"$dir/quorlix.out" 2>&1 &
  started+=($!)
  # The resting pill shows, then its springs settle.
  python3 -c "$watch" "$centre" $((top + 12)) 30 dark >/dev/null || { echo "no island on $build" >&2; exit 1; }
  sleep 2

  declare -A opened=([jump]=0 [path]=0 [jump-jump]=0)
  times=()
  unclosed=0
  for _ in $(seq "$tries"); do
    for kind in jump path jump-jump; do
      # Leave the open island (or the resting pill) the way the kind asks, then arrive.
      case "$kind" in
        jump) path 20 ;;
        *) move_to "$centre" $((top + 612)) ;;
      esac
      shows_closed || unclosed=$((unclosed + 1))
      case "$kind" in
        path) arrival=(path -20) ;;
        *) arrival=(move_to "$centre" $((top + 12))) ;;
      esac
      if arrive_and_watch "${arrival[@]}"; then
        opened[$kind]=$((opened[$kind] + 1))
        times+=("$waited")
        [ -z "${QUORLIX_VERBOSE:-}" ] || echo "$kind: $waited ms" >&2
      fi
      [ -z "${QUORLIX_SHOT:-}" ] || scrot -o "$QUORLIX_SHOT-$kind.png"
    done
  done
  median="$(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "-" }')"
  printf '%s (%s): one jump %d of %d, a quick path %d of %d, a jump after a jump away %d of %d; %d leaves left it open; arrival to the open island shown: median %s ms\n' \
    "$build" "$desktop" "${opened[jump]}" "$tries" "${opened[path]}" "$tries" "${opened[jump-jump]}" "$tries" "$unclosed" "$median"
  unset opened
done
