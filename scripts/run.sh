#!/usr/bin/env bash
# Installs what is missing, builds Quorlix and starts it. Without a display it starts a
# virtual one (Xvfb, with a compositing manager for the island's transparency) and says how
# to look at it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORLIX_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target quorlix

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/quorlix" "$@"
fi

display=":${QUORLIX_DISPLAY:-77}"
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
helpers=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
export DISPLAY="$display"
xcompmgr >/dev/null 2>&1 &
helpers="$helpers $!"
echo "No display found: Quorlix runs on the virtual display $display."
echo "Look at it with:  DISPLAY=$display scrot quorlix.png"
echo "Stop it with Ctrl+C."

"$build/quorlix" "$@" &
app=$!
trap 'kill -TERM $app 2>/dev/null || true' INT TERM
status=0
wait $app || status=$?
# A signal interrupts the first wait; wait again for Quorlix to finish quitting.
kill -0 $app 2>/dev/null && { wait $app || status=$?; }
kill $helpers 2>/dev/null || true
exit $status
