#!/usr/bin/env bash
# What a long title that keeps changing costs in memory: the real program on a virtual display of
# its own, a private session bus with the MPRIS test player, and fresh XDG folders. The pointer
# opens the island (the music page) and stays on it, so every title is laid out and drawn; then
# the player changes its title QUORLIX_TITLE_CHANGES times (default 5000), each a new text of
# QUORLIX_TITLE_CHARS characters (default 4000), and sends each change only once the program has
# taken the one before (it asks for the player's position as it takes a new track; an opening of
# the island asks too, hence the still pointer). It prints the program's resident memory (VmRSS)
# at the start, after the first minute of changes, every 500 changes and at the end, its peak,
# and the changes it took. With QUORLIX_TITLE_SCRIPTS=1
# the titles are in several scripts with emoji. The program is the build folder's; the player is
# QUORLIX_BENCH_PLAYER, by default the build folder's (an older build's player cannot pace its
# changes: give it this one's). It fails when the program ends or takes no change for a minute.
# (Needs Xvfb, dbus-daemon and xdotool.)
#
#   bench/title_memory.sh [build folder]   # default: build/bench, a Release build with the
#                                          # benchmarks (cmake -DQUORLIX_BENCH=ON)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/bench}"
changes="${QUORLIX_TITLE_CHANGES:-5000}"
characters="${QUORLIX_TITLE_CHARS:-4000}"
quorlix="$build/quorlix"
player="${QUORLIX_BENCH_PLAYER:-$build/bench/quorlix-bench-player}"
source bench/desktop.sh
require_built "$build" quorlix
[ -x "$player" ] || { echo "missing $player: build it first (cmake --build)" >&2; exit 2; }
require_tools
command -v xdotool >/dev/null || { echo "missing xdotool" >&2; exit 2; }

private_desktop "$work"
echo '{"didShowWelcome": true}' >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"

kind=latin
[ -n "${QUORLIX_TITLE_SCRIPTS:-}" ] && kind=scripts
# The player's lines come through a pipe, so each count is seen as it is printed.
mkfifo "$work/progress"
"$player" "$work" 600 "$characters" "$kind" "$changes" >"$work/progress" 2>"$work/player.err" &
playerPid=$!
started+=("$playerPid")
exec 3<"$work/progress"
line=""
read -r -t 10 -u 3 line || true
case "$line" in
  *"changes of"*) ;;
  *) echo "$player cannot pace title changes (it said: ${line:-nothing}); give QUORLIX_BENCH_PLAYER a newer one" >&2
     cat "$work/player.err" >&2
     exit 1 ;;
esac

start_quorlix "$quorlix"
sleep 6
alive

# The pointer onto the island, moved as a hand moves it (a relative step), and left there.
xdotool mousemove 960 600
xdotool mousemove_relative -- 0 -588
sleep 2
alive

kb() { awk -v key="$1" '$1 == key { print $2 }' "/proc/$app/status"; }
mb() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
cpu() { awk '{ print $14 + $15 }' "/proc/$app/stat"; }  # user and system time, in ticks
sample() {  # sample <label> <changes taken>
  local rss
  rss="$(kb VmRSS:)"
  printf "%-14s %7d %8s\n" "$1" "$2" "$(mb "$rss")"
  last="$rss"
  [ "$rss" -le "$peak" ] || peak="$rss"
}
peak=0

echo "$changes title changes of $characters characters ($kind), the island open"
echo "when           changes   rss MB"
sample start 0
startRSS="$last"
startCPU="$(cpu)"
kill -USR1 "$playerPid"
began=$SECONDS
lastChange=$SECONDS
taken=0
minuteRSS=""
while :; do
  if read -r -t 1 -u 3 line; then
    case "$line" in
      "taken "*)
        taken="${line#taken }"
        lastChange=$SECONDS
        [ $((taken % 500)) -eq 0 ] && sample "$taken changes" "$taken" ;;
      done) break ;;
    esac
  elif [ $? -le 128 ]; then
    echo "the player ended after $taken changes" >&2
    cat "$work/player.err" >&2
    exit 1
  fi
  alive
  if [ -z "$minuteRSS" ] && [ $((SECONDS - began)) -ge 60 ]; then
    sample "first minute" "$taken"
    minuteRSS="$last"
  fi
  if [ $((SECONDS - lastChange)) -ge 60 ]; then
    echo "Quorlix took no change for a minute, after $taken of $changes" >&2
    tail -n 20 "$work/quorlix.out" >&2
    exit 1
  fi
done
seconds=$((SECONDS - began))
alive
sample end "$taken"
awk -v taken="$taken" -v changes="$changes" -v s="$seconds" -v cpu=$(($(cpu) - startCPU)) \
    -v hz="$(getconf CLK_TCK)" -v start="$startRSS" -v minute="$minuteRSS" -v end="$last" \
    -v peak="$(kb VmHWM:)" -v sampled="$peak" 'BEGIN {
  # The high-water mark the kernel keeps may lag behind a sample just taken.
  if (sampled > peak) peak = sampled
  printf "took %d of %d changes in %d s, %.1f ms of CPU each\n", taken, changes, s, cpu / hz * 1000 / taken
  # A run shorter than a minute is measured from its start.
  since = minute == "" ? "the start" : "the first minute"
  growth = (end - (minute == "" ? start : minute)) / 1024
  printf "rss MB: start %.1f, first minute %s, end %.1f, peak %.1f; %+.1f MB since %s: %s\n",
         start / 1024, minute == "" ? "-" : sprintf("%.1f", minute / 1024), end / 1024, peak / 1024,
         growth, since, growth <= 20 ? "levels off" : "grows"
}'
[ "$taken" -eq "$changes" ] || { echo "Quorlix took $taken of $changes changes" >&2; exit 1; }
