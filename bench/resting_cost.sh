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
source bench/desktop_session.sh
requirePrograms "$quorlix" "$player"
requireTools Xvfb dbus-daemon
# The player comes once Quorlix runs, as a player started later does.
desktopSession 1920x1080

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
