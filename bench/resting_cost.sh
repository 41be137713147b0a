#!/usr/bin/env bash
# What Quorlix costs at rest while music plays: the real program on a virtual display of its
# own (Xvfb, with a compositing manager when there is one), a private session bus with the
# MPRIS test player playing a track with artwork, and fresh XDG folders. Once the island has
# settled, the process's CPU time is read from /proc over ten seconds, and its resident memory.
#
#   bench/resting_cost.sh [build folder]     # default: build/bench, a Release build with
#                                            # the benchmarks (cmake -DQUORLIX_BENCH=ON)
#
# QUORLIX_CORE=n pins Quorlix to core n; QUORLIX_SECONDS changes the ten seconds;
# QUORLIX_SCREENSHOT=file.png keeps a picture of the screen as measured (needs scrot).
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/bench}"
quorlix="$build/quorlix"
player="$build/bench/quorlix-bench-player"
seconds="${QUORLIX_SECONDS:-10}"
for program in "$quorlix" "$player"; do
  [ -x "$program" ] || { echo "missing $program: build it first (cmake --build $build)" >&2; exit 2; }
done
for tool in Xvfb dbus-daemon; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

work="$(mktemp -d)"
started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
number=90
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
started+=($!)
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
export DISPLAY=":$number"
if command -v xcompmgr >/dev/null; then
  xcompmgr >/dev/null 2>&1 &
  started+=($!)
fi

# The session bus (the player comes once Quorlix runs, as a player started later does).
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$work/bus.address" 4>"$work/bus.pid"
started+=("$(cat "$work/bus.pid")")
export DBUS_SESSION_BUS_ADDRESS="$(cat "$work/bus.address")"

# Fresh folders, and no first-run window.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_STATE_HOME="$work/home/.local/state" XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
echo '{"didShowWelcome": true}' >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"
export QT_QPA_PLATFORM=xcb

if [ -n "${QUORLIX_CORE:-}" ]; then
  taskset -c "$QUORLIX_CORE" "$quorlix" >"$work/quorlix.out" 2>&1 &
else
  "$quorlix" >"$work/quorlix.out" 2>&1 &
fi
app=$!
started+=("$app")
sleep 2
"$player" "$work" >"$work/player.out" 2>&1 &
started+=($!)
for _ in $(seq 100); do grep -q playing "$work/player.out" 2>/dev/null && break; sleep 0.1; done
grep -q playing "$work/player.out" || { echo "the player did not start" >&2; cat "$work/player.out" >&2; exit 1; }

# The track and its artwork arrive, and the island's springs settle.
sleep 5
kill -0 "$app" 2>/dev/null || { echo "Quorlix ended early:" >&2; cat "$work/quorlix.out" >&2; exit 1; }

ticks() {
  # utime and stime, the 14th and 15th fields; the command name before them may hold spaces.
  local stat
  stat="$(cat "/proc/$app/stat")"
  stat="${stat##*) }"
  awk '{ print $12 + $13 }' <<<"$stat"
}
if [ -n "${QUORLIX_SCREENSHOT:-}" ]; then scrot -o "$QUORLIX_SCREENSHOT" || true; fi
hz="$(getconf CLK_TCK)"
before="$(ticks)"
start="$(date +%s.%N)"
sleep "$seconds"
after="$(ticks)"
end="$(date +%s.%N)"
rss="$(awk '/^VmRSS:/ { print $2 }' "/proc/$app/status")"

awk -v a="$before" -v b="$after" -v hz="$hz" -v s="$start" -v e="$end" -v rss="$rss" 'BEGIN {
  printf "CPU at rest, music playing: %.2f %% of one core over %.1f s\n", 100 * (b - a) / hz / (e - s), e - s
  printf "Resident memory at rest: %.1f MB\n", rss / 1024
}'
