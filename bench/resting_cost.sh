#!/usr/bin/env bash
# What Quorlix costs at rest: the real program on a virtual display of its own (Xvfb, with a
# compositing manager when there is one), a private session bus, a private PulseAudio server
# when there is one, fresh XDG folders and, when music plays, the MPRIS test player started
# before Quorlix (as a user's player is). Once the island has settled, the process's CPU time
# and each thread's wake-ups (voluntary context switches: the times it slept and was woken)
# are read from /proc over the same interval, and its resident memory; the X server's and the
# compositing manager's CPU time beside it (what Quorlix's window costs the desktop).
#
#   bench/resting_cost.sh [build folder ...]   # default: build/bench, a Release build with
#                                              # the benchmarks (cmake -DQUORLIX_BENCH=ON)
#
# Several build folders (today's build beside the one of an earlier commit) are measured side by
# side, each in a desktop of its own, over the same interval: their ratio does not depend on
# what else the machine does meanwhile.
#
# QUORLIX_SCENE picks what is measured:
#   playing     music playing, the island at rest (the default)
#   idle        nothing playing
#   open        music playing, the island held open on its music page
#   onboarding  a new user: the onboarding window with its island demo, nothing playing
# QUORLIX_SECONDS changes the 60 s; QUORLIX_CORE=n pins every Quorlix to core n (a list
# "n,m" pins the first build to n, the second to m); QUORLIX_SCREENSHOT=prefix keeps a picture
# of each desktop as measured (prefix-1.png, ...; needs scrot).
set -euo pipefail
cd "$(dirname "$0")/.."

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(build/bench)
scene="${QUORLIX_SCENE:-playing}"
seconds="${QUORLIX_SECONDS:-60}"
case "$scene" in playing | idle | open | onboarding) ;; *) echo "unknown scene $scene" >&2; exit 2 ;; esac
for build in "${builds[@]}"; do
  for program in "$build/quorlix" "$build/bench/quorlix-bench-player"; do
    [ -x "$program" ] || { echo "missing $program: build it first (cmake --build $build)" >&2; exit 2; }
  done
done
source bench/desktop.sh
require_tools
IFS=, read -r -a cores <<<"${QUORLIX_CORE:-}"

# One desktop for build number $1 (folder $2): display, bus, sound server, player, Quorlix.
# Sets apps[$1].
apps=()
start_desktop() {
  local n="$1" build="$2" dir="$work/$1"
  mkdir -p "$dir"
  local number
  number="$(start_display "$dir")"
  started+=("$(cat "$dir/xvfb.pid")")
  (
    export DISPLAY=":$number"
    if command -v xcompmgr >/dev/null; then
      xcompmgr >/dev/null 2>&1 &
      echo $! >"$dir/xcompmgr.pid"
    fi
    start_bus "$dir"
    fresh_folders "$dir"
    case "$scene" in
      onboarding) echo '{}' ;;
      open) echo '{"didShowWelcome": true, "previewTab": "music"}' ;;
      *) echo '{"didShowWelcome": true}' ;;
    esac >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"
    start_pulse "$dir"
    if [ "$scene" != idle ] && [ "$scene" != onboarding ]; then
      "$build/bench/quorlix-bench-player" "$dir" >"$dir/player.out" 2>&1 &
      echo $! >"$dir/player.pid"
      wait_for 100 grep -q playing "$dir/player.out" ||
        { echo "the player did not start" >&2; cat "$dir/player.out" >&2; exit 1; }
    fi
    export QT_QPA_PLATFORM=xcb
    local core="${cores[$((n - 1))]:-${cores[0]:-}}"
    if [ -n "$core" ]; then
      taskset -c "$core" "$build/quorlix" >"$dir/quorlix.out" 2>&1 &
    else
      "$build/quorlix" >"$dir/quorlix.out" 2>&1 &
    fi
    echo $! >"$dir/quorlix.pid"
    echo "$number" >"$dir/display"
  )
  for name in xcompmgr bus pulse player quorlix; do
    [ -f "$dir/$name.pid" ] && started+=("$(cat "$dir/$name.pid")")
  done
  apps[$n]="$(cat "$dir/quorlix.pid")"
}

n=0
for build in "${builds[@]}"; do
  n=$((n + 1))
  start_desktop "$n" "$build"
done

# The track and its artwork arrive, windows open, and the springs settle.
sleep 8
for n in "${!apps[@]}"; do
  kill -0 "${apps[$n]}" 2>/dev/null || { echo "Quorlix ${builds[$((n - 1))]} ended early:" >&2; cat "$work/$n/quorlix.out" >&2; exit 1; }
done

ticks() {
  # utime and stime, the 14th and 15th fields; the command name before them may hold spaces.
  local stat
  stat="$(cat "/proc/$1/stat")"
  stat="${stat##*) }"
  awk '{ print $12 + $13 }' <<<"$stat"
}
# One line per thread: its id, its name (spaces as dots) and its voluntary context switches.
switches() {
  local task
  for task in /proc/"$1"/task/*; do
    printf '%s %s %s\n' "${task##*/}" "$(tr ' ' . <"$task/comm")" \
      "$(awk '/^voluntary_ctxt_switches:/ { print $2 }' "$task/status")"
  done 2>/dev/null
}

# The desktop's own processes beside Quorlix: the X server and the compositing manager.
peers() { for name in xvfb xcompmgr; do [ -f "$work/$1/$name.pid" ] && ticks "$(cat "$work/$1/$name.pid")" || echo 0; done; }
for n in "${!apps[@]}"; do
  ticks "${apps[$n]}" >"$work/$n/ticks.before"
  switches "${apps[$n]}" >"$work/$n/switches.before"
  peers "$n" >"$work/$n/peers.before"
done
start="$(date +%s.%N)"
sleep "$seconds"
end="$(date +%s.%N)"
for n in "${!apps[@]}"; do
  ticks "${apps[$n]}" >"$work/$n/ticks.after"
  switches "${apps[$n]}" >"$work/$n/switches.after"
  peers "$n" >"$work/$n/peers.after"
  if [ -n "${QUORLIX_SCREENSHOT:-}" ]; then
    DISPLAY=":$(cat "$work/$n/display")" scrot -o "${QUORLIX_SCREENSHOT}-$n.png" || true
  fi
done

hz="$(getconf CLK_TCK)"
echo "scene: $scene, $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", e - s }') s; $(nproc) cores, $(uname -m), load $(cut -d' ' -f1-3 /proc/loadavg)"
for n in "${!apps[@]}"; do
  app="${apps[$n]}"
  rss="$(awk '/^VmRSS:/ { print $2 }' "/proc/$app/status")"
  awk -v a="$(cat "$work/$n/ticks.before")" -v b="$(cat "$work/$n/ticks.after")" -v hz="$hz" -v s="$start" \
    -v e="$end" -v rss="$rss" -v build="${builds[$((n - 1))]}" '
    # Wake-ups per thread name (threads of one name summed), from the two readings; a thread
    # that started meanwhile counts from zero, one that ended is not counted.
    FNR == NR { before[$1] = $3; next }
    { w[$2] += $3 - ($1 in before ? before[$1] : 0) }
    END {
      t = e - s
      printf "%s: CPU %.2f %% of one core, resident %.1f MB\n", build, 100 * (b - a) / hz / t, rss / 1024
      total = 0
      for (name in w) { w[name] /= t; total += w[name] }
      printf "  wake-ups/s: %.1f", total
      for (name in w) if (w[name] >= 0.05) printf "; %s %.1f", name, w[name]
      printf "\n"
    }' "$work/$n/switches.before" "$work/$n/switches.after"
  paste "$work/$n/peers.before" "$work/$n/peers.after" | awk -v hz="$hz" -v s="$start" -v e="$end" '
    { cpu[NR] = 100 * ($2 - $1) / hz / (e - s) }
    END { printf "  the X server CPU %.2f %%, the compositing manager %.2f %%\n", cpu[1], cpu[2] }'
done
