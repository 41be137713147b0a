#!/usr/bin/env bash
# The main thread's longest block with a large tray: the real program on a virtual display of
# its own with fresh XDG folders, its settings file holding a tray of QUORLIX_TRAY_MIB MiB
# (default 20) of files in folders of long names (an address of about 1.8 KB each). Every 20 ms
# a probe connects to the program's instance socket and times how long the program takes to
# hang up (its main thread reads the socket), from before the program starts. Once it has
# settled, a file is dragged from a window onto the island and dropped in the tray, twice. It
# prints the longest wait at start, at the first drop and at the second, and the program's
# peak resident memory. (Needs Xvfb, dbus-daemon, xdotool and python3.)
#
#   bench/tray_stall.sh [build folder]   # default: build/bench, a Release build with the
#                                        # benchmarks (cmake -DQUORLIX_BENCH=ON)
#   QUORLIX_PROGRAM=other/build/quorlix bench/tray_stall.sh   # another build of the program
set -euo pipefail
cd "$(dirname "$0")/.."

build="${1:-build/bench}"
mib="${QUORLIX_TRAY_MIB:-20}"
quorlix="${QUORLIX_PROGRAM:-$build/quorlix}"
drag="$build/bench/quorlix-bench-drag"
source bench/desktop.sh
require_built "$build" bench/quorlix-bench-drag
[ -x "$quorlix" ] || { echo "missing $quorlix" >&2; exit 2; }
require_tools xdotool python3

private_desktop "$work"

# The tray's files, and the settings file naming them as the program writes it.
python3 - "$work/files" "$XDG_CONFIG_HOME/com.halvik.quorlix.json" "$mib" <<'PY'
import json, os, sys, urllib.parse
folder, settings, mib = sys.argv[1], sys.argv[2], int(sys.argv[3])
letters = "ñ" * 100
deep = os.path.join(folder, letters, letters)
os.makedirs(deep)
urls, size = [], 0
while size < mib << 20:
    path = os.path.join(deep, f"{letters}-{len(urls)}.txt")
    open(path, "w").close()
    urls.append("file://" + urllib.parse.quote(path, safe="/"))
    size += len(urls[-1]) + 8
tray = {"didShowWelcome": True, "didMigrateFromTarsel": True, "tray.paths": urls}
with open(settings, "w") as out:
    out.write(json.dumps(tray, indent=2, ensure_ascii=False) + "\n")
print(f"{len(urls)} files, settings of {os.path.getsize(settings) / (1 << 20):.1f} MiB", file=sys.stderr)
PY
for name in uno dos; do echo "$name" >"$work/nuevo-$name.txt"; done

start_probe "$work"

start_quorlix "$quorlix"
sleep $((8 + mib / 10))
alive

# Drags the file from a window of its own onto the closed island, into the island it opens
# into, and lets go there once the island takes it; then the pointer goes away.
drop() {
  "$drag" "$1" 100 400 >/dev/null 2>"$work/drag.log" &
  local source=$!
  started+=("$source")
  sleep 1
  xdotool mousemove 200 500 mousedown 1
  for _ in $(seq 8); do xdotool mousemove_relative -- 95 -61; sleep 0.05; done
  wait_for 50 grep -q "drag started" "$work/drag.log"
  sleep 1
  for step in "0 34" "0 34" "5 5"; do xdotool mousemove_relative -- $step; sleep 0.1; done
  wait_for 50 sh -c "grep '^drop ' '$work/drag.log' | tail -1 | grep -q accepted" || echo "the island took no drop" >&2
  xdotool mouseup 1
  sleep 3
  xdotool mousemove 960 900
  sleep 2
  kill "$source" 2>/dev/null || true
}
marks=("$(date +%s.%N)")
drop "$work/nuevo-uno.txt"
marks+=("$(date +%s.%N)")
drop "$work/nuevo-dos.txt"
marks+=("$(date +%s.%N)")
alive
peak=$(awk '/VmHWM/ { print $2 }' "/proc/$app/status")

touch "$work/stop"
wait "$probe" || true
awk -v mib="$mib" -v peak="$peak" -v m1="${marks[0]}" -v m2="${marks[1]}" -v m3="${marks[2]}" '
  { phase = $1 < m1 ? 1 : ($1 < m2 ? 2 : 3); if ($2 > longest[phase]) longest[phase] = $2 }
  END {
    printf "tray of %d MiB: longest wait at start %.3f s, at a drop %.3f s, at the next drop %.3f s; peak RSS %d MB\n",
           mib, longest[1], longest[2], longest[3], peak / 1024
  }' "$work/waits"
python3 -c "import json,sys; print(len(json.load(open(sys.argv[1]))['tray.paths']), 'files stored at the end', file=sys.stderr)" \
  "$XDG_CONFIG_HOME/com.halvik.quorlix.json"
