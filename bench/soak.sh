#!/usr/bin/env bash
# What Quorlix keeps over a long run of ordinary events: the real program on a virtual display
# of its own (Xvfb, with a compositing manager when there is one), a private session bus with
# the MPRIS test player playing, a private PulseAudio when pulseaudio is installed, and fresh
# XDG folders. Every 3 s one event comes, in turn: the player moves on to
# another track, the volume goes up or down, an AI agent starts or finishes, the pointer opens
# the island and leaves it, and every tenth event the settings window opens and is closed with
# its own button. Each minute it prints the process's resident and private memory.
# (Needs Xvfb, dbus-daemon and xdotool.)
#
#   bench/soak.sh [build folder] [minutes]      # default: build/bench and 60 minutes; the
#                                               # folder is a Release build with the benchmarks
#                                               # (cmake -DQUORLIX_BENCH=ON)
#   QUORLIX_ISLAND_CYCLES=1000 bench/soak.sh    # instead: the pointer opens and closes the
#                                               # island that many times, and the memory
#                                               # before and after is printed
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/bench}"
minutes="${2:-60}"
quorlix="$build/quorlix"
player="$build/bench/quorlix-bench-player"
source bench/desktop.sh
require_built "$build" quorlix bench/quorlix-bench-player
require_tools
command -v xdotool >/dev/null || { echo "missing xdotool" >&2; exit 2; }

# The island hangs from the top centre of the 1920 × 1080 screen.
export DISPLAY=":$(start_display "$work")"
started+=("$(cat "$work/xvfb.pid")")
centre=960
if command -v xcompmgr >/dev/null; then
  xcompmgr >/dev/null 2>&1 &
  started+=($!)
fi
start_bus "$work"
started+=("$(cat "$work/bus.pid")")
fresh_folders "$work"
echo '{"didShowWelcome": true}' >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"
# A sound server of its own, so the volume can move.
start_pulse "$work"
[ -f "$work/pulse.pid" ] && started+=("$(cat "$work/pulse.pid")")
volume=""
command -v pactl >/dev/null && pactl info >/dev/null 2>&1 && volume=yes
[ -n "$volume" ] || echo "(no private PulseAudio here: the volume does not move)"
export QT_QPA_PLATFORM=xcb

"$player" "$work" >"$work/player.out" 2>&1 &
playerPid=$!
started+=("$playerPid")
for _ in $(seq 100); do grep -q playing "$work/player.out" 2>/dev/null && break; sleep 0.1; done
start_quorlix "$quorlix"
sleep 6
kill -0 "$app" 2>/dev/null || { echo "Quorlix ended early:" >&2; cat "$work/quorlix.out" >&2; exit 1; }

kb() { awk -v key="$1" '$1 == key { total += $2 } END { print total + 0 }' "$2"; }
memory() {
  local rss private
  rss="$(kb VmRSS: "/proc/$app/status")"
  private=$(($(kb Private_Clean: "/proc/$app/smaps_rollup") + $(kb Private_Dirty: "/proc/$app/smaps_rollup")))
  awk -v r="$rss" -v p="$private" 'BEGIN { printf "%8.1f %11.1f\n", r / 1024, p / 1024 }'
}

# The pointer onto the island and away, moved as a hand moves it (relative steps: a jump to a
# place makes no raw motion).
park() { xdotool mousemove "$centre" 600; }
hover() {
  xdotool mousemove_relative -- 0 -588
  sleep "${1:-1.5}"
  xdotool mousemove_relative -- 0 588
}

if [ -n "${QUORLIX_ISLAND_CYCLES:-}" ]; then
  park
  hover 1
  sleep 1
  echo "cycles   rss MB  private MB"
  printf "%6d " 1
  memory
  for cycle in $(seq 2 "$QUORLIX_ISLAND_CYCLES"); do
    hover 0.8
    sleep 0.8
    if [ $((cycle % 100)) -eq 0 ]; then
      alive
      printf "%6d " "$cycle"
      memory
    fi
  done
  exit 0
fi

# The settings window: a second launch opens it; its own close button (top left) hides it.
settingsWindow() {
  local id
  for id in $(xdotool search --onlyvisible --name '^Quorlix$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$WIDTH" -eq 620 ] && { echo "$id"; return; }
  done
}
settings() {
  "$quorlix" >/dev/null 2>&1 || true
  local id=""
  for _ in $(seq 50); do
    id="$(settingsWindow)"
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || return 0
  sleep 1.5
  eval "$(xdotool getwindowgeometry --shell "$id")"
  xdotool mousemove "$((X + 26))" "$((Y + 22))" click 1
  sleep 0.5
  park
}

park
echo "minute   rss MB  private MB"
printf "%6d " 0
memory
end=$(($(date +%s) + minutes * 60))
next=$(($(date +%s) + 60))
minute=0
event=0
while [ "$(date +%s)" -lt "$end" ]; do
  event=$((event + 1))
  case $((event % 5)) in
    0) kill -USR1 "$playerPid" ;;
    1) if [ -n "$volume" ]; then
         if [ $((event % 2)) -eq 0 ]; then pactl set-sink-volume @DEFAULT_SINK@ +5%; else pactl set-sink-volume @DEFAULT_SINK@ -5%; fi
       fi ;;
    2) "$quorlix" "quorlix://agent?agent=claude&event=$([ $((event % 2)) -eq 0 ] && echo working || echo done)" ;;
    3) hover ;;
    4) if [ $((event % 10)) -eq 9 ]; then settings; fi ;;
  esac
  sleep 3
  alive
  if [ "$(date +%s)" -ge "$next" ]; then
    minute=$((minute + 1))
    next=$((next + 60))
    printf "%6d " "$minute"
    memory
  fi
done
