#!/usr/bin/env bash
# The main thread's longest stall while a player's title is long: the real program on a virtual
# display of its own, a private session bus with the MPRIS test player playing a track whose
# title and artist are QUORLIX_TITLE_BYTES bytes (default 65536, as a browser's player passes on
# whatever a page sets), and fresh XDG folders. Every 20 ms a probe connects to the program's
# instance socket, says nothing it acts on and hangs up, and times how long the program takes to
# hang up in turn (its main thread reads the socket). Meanwhile the pointer opens the island and
# leaves it three times, and the player moves on to another track twice. It prints the longest
# wait and the 99th percentile. With QUORLIX_TITLE_SCRIPTS=1 the titles are in several scripts
# with emoji. (Needs Xvfb, dbus-daemon, xdotool and python3.)
#
#   bench/title_stall.sh [build folder]   # default: build/bench, a Release build with the
#                                         # benchmarks (cmake -DQUORLIX_BENCH=ON)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/bench}"
bytes="${QUORLIX_TITLE_BYTES:-65536}"
quorlix="$build/quorlix"
player="$build/bench/quorlix-bench-player"
source bench/desktop.sh
require_built "$build" quorlix bench/quorlix-bench-player
require_tools xdotool python3

private_desktop "$work"
echo '{"didShowWelcome": true}' >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"

scripts=""
[ -n "${QUORLIX_TITLE_SCRIPTS:-}" ] && scripts=scripts
"$player" "$work" 600 "$bytes" $scripts >"$work/player.out" 2>&1 &
playerPid=$!
started+=("$playerPid")
wait_for 100 grep -q playing "$work/player.out" || { echo "the player did not start" >&2; exit 1; }

# The probe starts before the program.
start_probe "$work"

start_quorlix "$quorlix"
sleep 6
alive

# The pointer onto the island and away, moved as a hand moves it (relative steps).
xdotool mousemove 960 600
hover() {
  xdotool mousemove_relative -- 0 -588
  sleep 2
  xdotool mousemove_relative -- 0 588
  sleep 2
}
hover
kill -USR1 "$playerPid"
sleep 2
hover
kill -USR1 "$playerPid"
sleep 2
hover
alive

touch "$work/stop"
wait "$probe" || true
awk '{ print $2 }' "$work/waits" | sort -n | awk -v bytes="$bytes" '
  { w[NR] = $1 }
  END {
    if (NR == 0) { print "no probe was answered"; exit 1 }
    p99 = int(NR * 0.99)
    if (p99 < 1) p99 = 1
    printf "title of %d bytes: %d probes; longest wait %.3f s, 99th percentile %.3f s, median %.4f s\n",
           bytes, NR, w[NR], w[p99], w[int((NR + 1) / 2)]
  }'
