#!/usr/bin/env bash
# What opening the island by hovering and closing it costs the desktop: the real program on a
# virtual display of its own, on a bare X server with a compositing manager (xcompmgr) or in a
# Wayland session (weston on the virtual display, Quorlix through its XWayland), with a private
# session bus and PulseAudio and fresh XDG folders. Once the island rests, the pointer moves
# onto the pill, stays while the island opens, moves far below and stays while it closes, again
# and again; meanwhile the island's window changes (ConfigureNotify of a new place or size) are
# counted, and the CPU time of the X server, the compositor, XWayland and Quorlix, and Quorlix's
# wake-ups, are read from /proc. Printed per open/close cycle.
#
#   bench/hover_cost.sh [build folder ...]   # default: build/bench, a Release build
#
# Several build folders (today's build beside an earlier commit's) are measured side by side,
# each in a desktop of its own, over the same cycles: their ratio does not depend on what else
# the machine does meanwhile.
#
# QUORLIX_DESKTOP picks the desktop: x11 (the default) or weston. QUORLIX_CYCLES changes the 20
# cycles; QUORLIX_CORE=n pins every Quorlix to core n (a list "n,m" pins the first build to n,
# the second to m); QUORLIX_DESKTOP_CORE does the same for each desktop's own processes.
set -euo pipefail
cd "$(dirname "$0")/.."

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(build/bench)
desktop="${QUORLIX_DESKTOP:-x11}"
cycles="${QUORLIX_CYCLES:-20}"
case "$desktop" in x11 | weston) ;; *) echo "unknown desktop $desktop" >&2; exit 2 ;; esac
for build in "${builds[@]}"; do
  [ -x "$build/quorlix" ] || { echo "missing $build/quorlix: build it first (cmake --build $build)" >&2; exit 2; }
done
source bench/desktop.sh
require_tools
for tool in xdotool xev; do command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }; done
[ "$desktop" = x11 ] && ! command -v xcompmgr >/dev/null && { echo "missing xcompmgr" >&2; exit 2; }
[ "$desktop" = weston ] && ! command -v weston >/dev/null && { echo "missing weston" >&2; exit 2; }
IFS=, read -r -a cores <<<"${QUORLIX_CORE:-}"
IFS=, read -r -a desktopCores <<<"${QUORLIX_DESKTOP_CORE:-}"

# Runs a command in the background, pinned to a core list when one is given; $! is its pid.
pinned() {  # pinned <core list> <command...> &
  local core="$1"
  shift
  if [ -n "$core" ]; then exec taskset -c "$core" "$@"; else exec "$@"; fi
}

# One desktop for build number $1 (folder $2). Leaves in $work/$1: the display the pointer moves
# on (outer), the one Quorlix runs on (display), and the pids.
start_desktop() {
  local n="$1" build="$2" dir="$work/$1"
  mkdir -p "$dir"
  local number
  number="$(start_display "$dir")"
  started+=("$(cat "$dir/xvfb.pid")")
  local core="${cores[$((n - 1))]:-${cores[0]:-}}"
  local desk="${desktopCores[$((n - 1))]:-${desktopCores[0]:-}}"
  [ -n "$desk" ] && taskset -pc "$desk" "$(cat "$dir/xvfb.pid")" >/dev/null
  (
    export DISPLAY=":$number"
    start_bus "$dir"
    fresh_folders "$dir"
    echo '{"didShowWelcome": true}' >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"
    start_pulse "$dir"
    export QT_QPA_PLATFORM=xcb
    if [ "$desktop" = x11 ]; then
      pinned "$desk" xcompmgr >/dev/null 2>&1 &
      echo $! >"$dir/compositor.pid"
      echo ":$number" >"$dir/display"
    else
      printf '[shell]\npanel-position=none\nbackground-color=0xff5c6473\n' >"$dir/weston.ini"
      pinned "$desk" weston --backend=x11-backend.so --xwayland --width=1920 --height=1080 --socket="wl-bench-$n" \
        --config="$dir/weston.ini" >/dev/null 2>"$dir/weston.log" &
      echo $! >"$dir/compositor.pid"
      wait_for 100 grep -q "xserver listening on display" "$dir/weston.log" ||
        { echo "weston started no XWayland" >&2; cat "$dir/weston.log" >&2; exit 1; }
      grep -o 'xserver listening on display :[0-9]*' "$dir/weston.log" | grep -o ':[0-9]*' >"$dir/display"
      export WAYLAND_DISPLAY="wl-bench-$n" XDG_SESSION_TYPE=wayland
    fi
    echo ":$number" >"$dir/outer"
    DISPLAY="$(cat "$dir/display")" pinned "$core" "$build/quorlix" >"$dir/quorlix.out" 2>&1 &
    echo $! >"$dir/quorlix.pid"
  )
  for name in compositor bus pulse quorlix; do
    [ -f "$work/$n/$name.pid" ] && started+=("$(cat "$work/$n/$name.pid")")
  done
}

n=0
for build in "${builds[@]}"; do
  n=$((n + 1))
  start_desktop "$n" "$build"
done
# XWayland, which weston starts once a program needs it.
sleep 6
for n in $(seq "${#builds[@]}"); do
  kill -0 "$(cat "$work/$n/quorlix.pid")" 2>/dev/null ||
    { echo "Quorlix ${builds[$((n - 1))]} ended early:" >&2; cat "$work/$n/quorlix.out" >&2; exit 1; }
  if [ "$desktop" = weston ]; then
    pgrep -P "$(cat "$work/$n/compositor.pid")" Xwayland >"$work/$n/xwayland.pid" || true
    desk="${desktopCores[$((n - 1))]:-${desktopCores[0]:-}}"
    [ -n "$desk" ] && [ -s "$work/$n/xwayland.pid" ] && taskset -pc "$desk" "$(cat "$work/$n/xwayland.pid")" >/dev/null
  fi
  # The island's window (the largest of Quorlix's class), and every new place or size of a
  # window on the display Quorlix runs on.
  DISPLAY="$(cat "$work/$n/display")" xwininfo -root -children |
    awk '/\("[^"]*" "Quorlix"\)/ { split($(NF - 1), g, /[x+]/); if (g[1] * g[2] > best) {
           best = g[1] * g[2]; panel = $1 " " g[3] " " g[4] " " g[1] " " g[2] } }
         END { print panel }' >"$work/$n/panel"
  DISPLAY="$(cat "$work/$n/display")" xev -root -event substructure >"$work/$n/events" 2>/dev/null &
  started+=("$!")
done

# The pointer at (x, y) of desktop $1: on a bare X server directly; weston follows the outer
# server's moves by their distance only, so there it is pushed into the corner first.
point() {
  local n="$1" x="$2" y="$3"
  if [ "$desktop" = x11 ]; then
    DISPLAY="$(cat "$work/$n/outer")" xdotool mousemove "$x" "$y"
  else
    DISPLAY="$(cat "$work/$n/outer")" xdotool mousemove_relative -- -5000 -5000
    DISPLAY="$(cat "$work/$n/outer")" xdotool mousemove_relative -- "$((x - 1))" "$y"
    DISPLAY="$(cat "$work/$n/outer")" xdotool mousemove_relative -- 1 0
  fi
}
each() { for n in $(seq "${#builds[@]}"); do "$@" "$n"; done; }
away() { point "$1" 960 700; }
onto() { point "$1" 960 12; }
each away
sleep 2

ticks() {
  [ -n "$1" ] && [ -r "/proc/$1/stat" ] || { echo 0; return; }
  local stat
  stat="$(cat "/proc/$1/stat")"
  stat="${stat##*) }"
  awk '{ print $12 + $13 }' <<<"$stat"
}
wakeups() {
  local sum=0 task
  for task in /proc/"$1"/task/*; do
    sum=$((sum + $(awk '/^voluntary_ctxt_switches:/ { print $2 }' "$task/status" 2>/dev/null || echo 0)))
  done
  echo "$sum"
}
pidOf() { [ -s "$work/$1/$2.pid" ] && cat "$work/$1/$2.pid" || echo; }
reading() {
  local n="$1"
  echo "$(ticks "$(pidOf "$n" xvfb)") $(ticks "$(pidOf "$n" compositor)") $(ticks "$(pidOf "$n" xwayland)") \
$(ticks "$(pidOf "$n" quorlix)") $(wakeups "$(pidOf "$n" quorlix)") $(wc -l <"$work/$n/events")"
}
for n in $(seq "${#builds[@]}"); do reading "$n" >"$work/$n/before"; done
for _ in $(seq "$cycles"); do
  each onto
  sleep 1.5
  each away
  sleep 2
done
for n in $(seq "${#builds[@]}"); do reading "$n" >"$work/$n/after"; done

hz="$(getconf CLK_TCK)"
echo "desktop: $desktop, $cycles cycles; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
for n in $(seq "${#builds[@]}"); do
  read -r panel geometry <"$work/$n/panel"
  changes="$(awk -v from="$(awk '{ print $6 }' "$work/$n/before")" -v panel="$panel" -v last="$geometry" '
    /^ConfigureNotify/ { getline; if (match($0, /window 0x[0-9a-f]+/) && substr($0, RSTART + 7, RLENGTH - 7) == panel) {
      g = $0; gsub(/[^0-9-]+/, " ", g); split(g, v, " ");
      # v: event window, window, x, y, width, height (ids in hexadecimal leave stray digits first)
      now = v[length(v) - 3] " " v[length(v) - 2] " " v[length(v) - 1] " " v[length(v)];
      if (NR > from && now != last) count++; last = now } }
    END { print count + 0 }' "$work/$n/events")"
  paste "$work/$n/before" "$work/$n/after" | awk -v hz="$hz" -v c="$cycles" -v build="${builds[$((n - 1))]}" \
    -v changes="$changes" -v desktop="$desktop" '{
      ms = 1000 / hz / c
      printf "%s: window changes %.1f a cycle; CPU a cycle: X server %.1f ms, %s %.1f ms, ", build, changes / c,
        ($7 - $1) * ms, desktop == "x11" ? "xcompmgr" : "weston", ($8 - $2) * ms
      if (desktop != "x11") printf "XWayland %.1f ms, ", ($9 - $3) * ms
      printf "Quorlix %.1f ms, %.0f wake-ups\n", ($10 - $4) * ms, ($11 - $5) / c
    }'
done
