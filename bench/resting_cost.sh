#!/usr/bin/env bash
# What Quorlix costs at rest, or under a hand moving the pointer: the real program on a virtual
# display of its own (Xvfb, with a compositing manager when there is one), a private session
# bus, a private PulseAudio server when there is one, fresh XDG folders and, when music plays,
# the MPRIS test player started before Quorlix (as a user's player is). Once the island has
# settled, the process's CPU time and each thread's wake-ups (voluntary context switches: the
# times it slept and was woken) are read from /proc over the same interval, and its resident
# memory; the X server's and the compositor's CPU time beside it (what Quorlix's windows cost
# the desktop).
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
#   far         nothing playing, the pointer moved by a hand far from the island, a hundred
#               relative moves a second (as a mouse makes them)
#   hover       nothing playing, a hand opening and closing the island QUORLIX_CYCLES times (20):
#               up onto the pill and down away from it again, 24 points every 10 ms, 1.5 s
#               over the pill and 2 s far below; the costs are also given per opening and
#               closing, with the changes of the island's own window (a new place or size)
#               and the ConfigureNotify events of the island's window and of Quorlix's other
#               windows (the pointer catch's strips in a Wayland session; needs xev)
# QUORLIX_DESKTOP=weston runs weston (with XWayland, on the virtual display) in place of the
# compositing manager, and Quorlix through XWayland; the X server measured is XWayland, the
# compositor weston, and the virtual display's server is given beside them.
# QUORLIX_TITLE_BYTES=n makes the player's title and artist n bytes long (a long title scrolls
# on the open page).
# QUORLIX_SECONDS changes the 60 s (of every scene but hover); QUORLIX_CORE=n pins every
# Quorlix to core n (a list "n,m" pins the first build to n, the second to m);
# QUORLIX_DESKTOP_CORE does the same for each desktop's own processes (its X servers,
# compositor, bus, sound server and player); QUORLIX_SCREENSHOT=prefix keeps a picture of each
# desktop as measured (prefix-1.png, ...; needs scrot).
set -euo pipefail
cd "$(dirname "$0")/.."

builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(build/bench)
scene="${QUORLIX_SCENE:-playing}"
seconds="${QUORLIX_SECONDS:-60}"
desktop="${QUORLIX_DESKTOP:-bare}"
cycles="${QUORLIX_CYCLES:-20}"
case "$scene" in playing | idle | open | onboarding | far | hover) ;; *) echo "unknown scene $scene" >&2; exit 2 ;; esac
case "$desktop" in bare | weston) ;; *) echo "unknown desktop $desktop" >&2; exit 2 ;; esac
moving() { [ "$scene" = far ] || [ "$scene" = hover ]; }
playing() { [ "$scene" = playing ] || [ "$scene" = open ]; }
for build in "${builds[@]}"; do
  for program in "$build/quorlix" "$build/bench/quorlix-bench-player"; do
    [ -x "$program" ] || { echo "missing $program: build it first (cmake --build $build)" >&2; exit 2; }
  done
done
source bench/desktop.sh
require_tools
if moving; then command -v xdotool >/dev/null || { echo "missing xdotool" >&2; exit 2; }; fi
if [ "$desktop" = weston ]; then
  for tool in weston Xwayland; do command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }; done
fi
IFS=, read -r -a cores <<<"${QUORLIX_CORE:-}"
IFS=, read -r -a desktopCores <<<"${QUORLIX_DESKTOP_CORE:-}"

# One desktop for build number $1 (folder $2): display, bus, sound server, player, Quorlix.
# Sets apps[$1].
apps=()
start_desktop() {
  local n="$1" build="$2" dir="$work/$1"
  mkdir -p "$dir"
  local number
  number="$(start_display "$dir")"
  started+=("$(cat "$dir/xvfb.pid")")
  local core="${cores[$((n - 1))]:-${cores[0]:-}}"
  local desk="${desktopCores[$((n - 1))]:-${desktopCores[0]:-}}"
  [ -z "$desk" ] || taskset -apc "$desk" "$(cat "$dir/xvfb.pid")" >/dev/null
  (
    # Whatever the desktop starts (XWayland too, which weston starts later) keeps its cores.
    [ -z "$desk" ] || taskset -pc "$desk" "$BASHPID" >/dev/null
    export DISPLAY=":$number"
    echo "$number" >"$dir/display"
    if [ "$desktop" = bare ] && command -v xcompmgr >/dev/null; then
      xcompmgr >/dev/null 2>&1 &
      echo $! >"$dir/xcompmgr.pid"
    fi
    start_bus "$dir"
    fresh_folders "$dir"
    if [ "$desktop" = weston ]; then
      start_weston "$dir"
      export DISPLAY="$(cat "$dir/xwayland.display")" WAYLAND_DISPLAY=wl-bench XDG_SESSION_TYPE=wayland
    fi
    echo "$DISPLAY" >"$dir/quorlix.display"
    case "$scene" in
      onboarding) echo '{}' ;;
      open) echo '{"didShowWelcome": true, "previewTab": "music"}' ;;
      *) echo '{"didShowWelcome": true}' ;;
    esac >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"
    start_pulse "$dir"
    if playing; then
      "$build/bench/quorlix-bench-player" "$dir" 600 ${QUORLIX_TITLE_BYTES:-} >"$dir/player.out" 2>&1 &
      echo $! >"$dir/player.pid"
      wait_for 100 grep -q playing "$dir/player.out" ||
        { echo "the player did not start" >&2; cat "$dir/player.out" >&2; exit 1; }
    fi
    export QT_QPA_PLATFORM=xcb
    if [ -n "$core" ]; then
      taskset -c "$core" "$build/quorlix" >"$dir/quorlix.out" 2>&1 &
    else
      "$build/quorlix" >"$dir/quorlix.out" 2>&1 &
    fi
    echo $! >"$dir/quorlix.pid"
  )
  for name in xcompmgr weston bus pulse player quorlix; do
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
if [ "$desktop" = weston ]; then
  for n in "${!apps[@]}"; do xwayland_pid "$work/$n" || { echo "weston started no XWayland" >&2; exit 1; }; done
fi
# Where the hand starts: far below the island, on every desktop (weston follows the outer
# pointer's moves by their distance only: into the corner first, then on).
if moving; then
  for n in "${!apps[@]}"; do
    DISPLAY=":$(cat "$work/$n/display")" xdotool mousemove_relative -- -5000 -5000 mousemove_relative -- 960 600
  done
fi
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

# The desktop's own processes beside Quorlix: the X server Quorlix draws on and the compositor,
# and with weston the virtual display's server it draws on.
if [ "$desktop" = weston ]; then peerNames=(xwayland weston xvfb); else peerNames=(xvfb xcompmgr); fi
# Their CPU time in nanoseconds, summed over their threads (the first field of each one's
# schedstat): finer than the ticks of 10 ms, which give a compositing manager's few
# milliseconds an opening to a tick or two. Their threads live as long as they do.
nanoseconds() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'; }
peers() { for name in "${peerNames[@]}"; do [ -f "$work/$1/$name.pid" ] && nanoseconds "$(cat "$work/$1/$name.pid")" || echo 0; done; }

# A hand on every desktop at once (the measured interval lasts until each has done): moving far
# from the island for the scene's seconds, or opening and closing it.
hands=()
hand() {
  export DISPLAY=":$(cat "$work/$1/display")"
  local second=() up=() down=() step
  if [ "$scene" = far ]; then
    for step in $(seq 50); do second+=(mousemove_relative -- 4 0 sleep 0.01 mousemove_relative -- -4 0 sleep 0.01); done
    for step in $(seq "$seconds"); do xdotool "${second[@]}"; done
    return
  fi
  for step in $(seq 24); do
    up+=(mousemove_relative -- 0 -24 sleep 0.01)
    down+=(mousemove_relative -- 0 24 sleep 0.01)
  done
  for _ in $(seq "$cycles"); do xdotool "${up[@]}" sleep 1.5 "${down[@]}" sleep 2; done
}

# The windows the X server moves or resizes meanwhile, and the island's own window among them
# (the largest of Quorlix's class at rest) with its place and size: "id x y width height".
watchers=()
if [ "$scene" = hover ] && command -v xev >/dev/null; then
  for n in "${!apps[@]}"; do
    xwininfo -display "$(cat "$work/$n/quorlix.display")" -root -children |
      awk '/\("[^"]*" "Quorlix"\)/ { split($(NF - 1), g, /[x+]/); if (g[1] * g[2] > best) {
             best = g[1] * g[2]; island = $1 " " g[3] " " g[4] " " g[1] " " g[2] } }
           END { print island }' >"$work/$n/island"
    xev -display "$(cat "$work/$n/quorlix.display")" -root -event substructure -event property >"$work/$n/xev.log" 2>/dev/null &
    watchers+=("$!")
  done
  started+=("${watchers[@]}")
  # xev listens once it tells of a change of the root window's properties.
  listening() {
    xprop -display "$(cat "$work/$1/quorlix.display")" -root -f _QUORLIX_BENCH 8s -set _QUORLIX_BENCH 1
    grep -q _QUORLIX_BENCH "$work/$1/xev.log"
  }
  for n in "${!apps[@]}"; do wait_for 50 listening "$n" || { echo "xev heard nothing" >&2; exit 1; }; done
fi
for n in "${!apps[@]}"; do
  ticks "${apps[$n]}" >"$work/$n/ticks.before"
  switches "${apps[$n]}" >"$work/$n/switches.before"
  peers "$n" >"$work/$n/peers.before"
done
start="$(date +%s.%N)"
if moving; then
  for n in "${!apps[@]}"; do
    hand "$n" &
    hands+=("$!")
  done
  for pid in "${hands[@]}"; do wait "$pid"; done
else
  sleep "$seconds"
fi
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
echo "scene: $scene on $desktop, $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", e - s }') s; $(nproc) cores, $(uname -m), load $(cut -d' ' -f1-3 /proc/loadavg)"
# The hover scene gives its costs per opening and closing too.
per=0
[ "$scene" = hover ] && per="$cycles"
for n in "${!apps[@]}"; do
  app="${apps[$n]}"
  rss="$(awk '/^VmRSS:/ { print $2 }' "/proc/$app/status")"
  awk -v a="$(cat "$work/$n/ticks.before")" -v b="$(cat "$work/$n/ticks.after")" -v hz="$hz" -v s="$start" \
    -v e="$end" -v rss="$rss" -v build="${builds[$((n - 1))]}" -v per="$per" '
    # Wake-ups per thread name (threads of one name summed), from the two readings; a thread
    # that started meanwhile counts from zero, one that ended is not counted.
    FNR == NR { before[$1] = $3; next }
    { w[$2] += $3 - ($1 in before ? before[$1] : 0) }
    END {
      t = e - s
      printf "%s: CPU %.2f %% of one core", build, 100 * (b - a) / hz / t
      if (per > 0) printf " (%.1f ms an opening and closing)", 1000 * (b - a) / hz / per
      printf ", resident %.1f MB\n", rss / 1024
      total = 0
      for (name in w) { w[name] /= t; total += w[name] }
      printf "  wake-ups/s: %.1f", total
      if (per > 0) printf " (%.0f an opening and closing)", total * t / per
      for (name in w) if (w[name] >= 0.05) printf "; %s %.1f", name, w[name]
      printf "\n"
    }' "$work/$n/switches.before" "$work/$n/switches.after"
  if [ -f "$work/$n/xev.log" ]; then
    read -r island geometry <"$work/$n/island"
    awk -v per="$per" -v island="$island" -v last="$geometry" '
      # Each ConfigureNotify names the window on its next line, then its place and size last:
      # "event 0x..., window 0x..., (x,y), width w, height h," (hexadecimal ids leave stray
      # digits first).
      /^ConfigureNotify/ {
        getline
        all++
        if (!match($0, /window 0x[0-9a-f]+/) || substr($0, RSTART + 7, RLENGTH - 7) != island) next
        own++
        g = $0
        gsub(/[^0-9-]+/, " ", g)
        k = split(g, v, " ")
        now = v[k - 3] " " v[k - 2] " " v[k - 1] " " v[k]
        if (now != last) changes++
        last = now
      }
      END {
        printf "  the island'"'"'s window: %.1f changes of place or size an opening and closing (%.1f ConfigureNotify);", changes / per, own / per
        printf " other windows: %.1f ConfigureNotify\n", (all - own) / per
      }' "$work/$n/xev.log"
  fi
  paste "$work/$n/peers.before" "$work/$n/peers.after" |
    awk -v s="$start" -v e="$end" -v per="$per" -v names="${peerNames[*]}" '
      BEGIN {
        split(names, name, " ")
        label["xvfb"] = "the X server"; label["xcompmgr"] = "the compositing manager"
        label["xwayland"] = "XWayland"; label["weston"] = "weston"
      }
      {
        printf "%s %s CPU %.2f %%", NR == 1 ? " " : ",", (name[NR] == "xvfb" && NR > 1 ? "the virtual display" : label[name[NR]]),
               100 * ($2 - $1) / 1e9 / (e - s)
        if (per > 0) printf " (%.1f ms each)", ($2 - $1) / 1e6 / per
      }
      END { printf "\n" }'
done
