#!/usr/bin/env bash
# How long Quorlix takes to show its island: from the exec of the program to the moment the
# island's window (override-redirect, centred across the screen, as large as the island) is
# viewable, on a virtual display of its own (Xvfb) with a private session bus, a private
# PulseAudio server when there is one, and fresh settings for each start (a new user: nothing but
# the folders). Ten starts per build; prints the min, median and max in milliseconds.
#
#   bench/startup_time.sh [build folder ...]   # default: build/bench (cmake -DQUORLIX_BENCH=ON)
#
# Several build folders (today's beside an earlier commit's) take their starts in turn, so the
# ratio of their medians does not depend on what else the machine does meanwhile; the first
# folder's quorlix-bench-startup times them all. QUORLIX_RUNS changes the ten starts;
# QUORLIX_CORE=n pins every start to core n.
set -euo pipefail
cd "$(dirname "$0")/.."

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(build/bench)
runs="${QUORLIX_RUNS:-10}"
timer="${builds[0]}/bench/quorlix-bench-startup"
[ -x "$timer" ] || { echo "missing $timer: build it first (cmake --build ${builds[0]})" >&2; exit 2; }
for build in "${builds[@]}"; do
  [ -x "$build/quorlix" ] || { echo "missing $build/quorlix: build it first" >&2; exit 2; }
done
source bench/desktop.sh
require_tools

export DISPLAY=":$(start_display "$work")"
started+=("$(cat "$work/xvfb.pid")")
start_bus "$work"
started+=("$(cat "$work/bus.pid")")
start_pulse "$work"
[ -f "$work/pulse.pid" ] && started+=("$(cat "$work/pulse.pid")")
export QT_QPA_PLATFORM=xcb
pin=()
[ -z "${QUORLIX_CORE:-}" ] || pin=(taskset -c "$QUORLIX_CORE")

for run in $(seq "$runs"); do
  n=0
  for build in "${builds[@]}"; do
    n=$((n + 1))
    (
      fresh_folders "$work/start-$n-$run"
      "$timer" "${pin[@]}" "$build/quorlix" >>"$work/times-$n" 2>>"$work/errors"
    )
    # What the session bus started for the program may still write there; the work folder goes
    # at exit anyway.
    rm -rf "$work/start-$n-$run" 2>/dev/null || true
  done
done

echo "exec to the island viewable, $runs starts each; $(nproc) cores, $(uname -m), load $(cut -d' ' -f1-3 /proc/loadavg)"
n=0
for build in "${builds[@]}"; do
  n=$((n + 1))
  sort -n "$work/times-$n" | awk -v build="$build" '
    { t[NR] = $1 }
    END {
      if (NR == 0) { print build ": no start showed the island"; exit }
      m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
      printf "%s: min %.0f ms, median %.0f ms, max %.0f ms\n", build, t[1], m, t[NR]
      print m > "/dev/stderr"
    }' 2>"$work/median-$n"
done
if [ ${#builds[@]} -gt 1 ] && [ -s "$work/median-1" ] && [ -s "$work/median-2" ]; then
  awk -v a="$(cat "$work/median-1")" -v b="$(cat "$work/median-2")" -v x="${builds[0]}" -v y="${builds[1]}" \
    'BEGIN { printf "median of %s / median of %s: %.2f\n", x, y, a / b }'
fi
