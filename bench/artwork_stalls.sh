#!/usr/bin/env bash
# How long a large cover holds the running program's main thread: the real program on a
# virtual display of its own, with a private session bus, fresh XDG folders and the MPRIS test
# player started before it, playing a track whose cover is a 4096 × 4096 PNG. The player moves
# on to another track (with the same cover) every second while `quorlix-stalls` asks the
# program's instance socket something every 20 ms, which only its main thread answers, and
# times the answers. It prints their figures, and the program's main-thread CPU time and peak
# resident memory over the run. Several builds are measured one after the other.
#
#   bench/artwork_stalls.sh [build folder ...]   # default: build/bench, a Release build with
#                                                # the benchmarks (cmake -DQUORLIX_BENCH=ON)
#
# QUORLIX_COVER changes the cover's side (4096), QUORLIX_SECONDS the 30 s. QUORLIX_DATA_COVER
# makes the cover a data: address of that many bytes instead, as a browser's player may pass on;
# QUORLIX_TOOLS names the build whose player and prober every build is measured with (each
# build's own by default).
set -euo pipefail
cd "$(dirname "$0")/.."

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(build/bench)
side="${QUORLIX_COVER:-4096}"
seconds="${QUORLIX_SECONDS:-30}"
tools() { echo "${QUORLIX_TOOLS:-$1}"; }
for build in "${builds[@]}"; do
  for program in "$build/quorlix" "$(tools "$build")/bench/quorlix-bench-player" "$(tools "$build")/bench/quorlix-stalls"; do
    [ -x "$program" ] || { echo "missing $program: build it first (cmake --build $build)" >&2; exit 2; }
  done
done
source bench/desktop.sh
require_tools

ticks() {  # utime and stime of the process or thread at /proc/$1
  local stat
  stat="$(cat "/proc/$1/stat")"
  stat="${stat##*) }"
  awk '{ print $12 + $13 }' <<<"$stat"
}

cover="${side} × ${side} PNG"
[ -z "${QUORLIX_DATA_COVER:-}" ] || cover="data: address of $QUORLIX_DATA_COVER bytes"
echo "cover $cover, a track a second for $seconds s; $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
n=0
for build in "${builds[@]}"; do
  n=$((n + 1))
  dir="$work/$n"
  mkdir -p "$dir"
  (
    export DISPLAY=":$(start_display "$dir")"
    start_bus "$dir"
    fresh_folders "$dir"
    echo '{"didShowWelcome": true}' >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"
    "$(tools "$build")/bench/quorlix-bench-player" "$dir" "$side" 0 ${QUORLIX_DATA_COVER:-} >"$dir/player.out" 2>&1 &
    echo $! >"$dir/player.pid"
    wait_for 600 grep -q playing "$dir/player.out" ||
      { echo "the player did not start" >&2; cat "$dir/player.out" >&2; exit 1; }
    QT_QPA_PLATFORM=xcb "$build/quorlix" >"$dir/quorlix.out" 2>&1 &
    echo $! >"$dir/quorlix.pid"
    echo "$XDG_RUNTIME_DIR/quorlix-$(id -u)/instance" >"$dir/socket"
  )
  for name in xvfb bus player quorlix; do started+=("$(cat "$dir/$name.pid")"); done
  app="$(cat "$dir/quorlix.pid")"
  wait_for 100 test -S "$(cat "$dir/socket")" || { echo "no instance socket" >&2; cat "$dir/quorlix.out" >&2; exit 1; }
  # The first track, its artwork and the island settle.
  sleep 5
  before="$(ticks "$app/task/$app")"
  result="$("$(tools "$build")/bench/quorlix-stalls" "$(cat "$dir/socket")" "$(cat "$dir/player.pid")" "$seconds")"
  after="$(ticks "$app/task/$app")"
  kill -0 "$app" 2>/dev/null || { echo "Quorlix $build ended early:" >&2; cat "$dir/quorlix.out" >&2; exit 1; }
  peak="$(awk '/^VmHWM:/ { print $2 }' "/proc/$app/status")"
  awk -v b="$before" -v a="$after" -v hz="$(getconf CLK_TCK)" -v s="$seconds" -v peak="$peak" \
    -v build="$build" -v result="$result" 'BEGIN {
      printf "%s: %s; main thread %.1f %% of a core, peak resident %.0f MB\n", build, result,
        100 * (a - b) / hz / s, peak / 1024
    }'
  for name in quorlix player bus xvfb; do kill "$(cat "$dir/$name.pid")" 2>/dev/null || true; done
done
