# Pieces of a private desktop for the bench scripts (sourced, not run): a work folder removed
# at exit with every process started into `started`, a virtual display, a session bus and a
# PulseAudio server of their own.

work="$(mktemp -d)"
started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

wait_for() {  # wait_for <tries of 0.1 s> <command...>
  local tries="$1"
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  "$@"
}

# Starts Xvfb on a display number nobody uses and prints the number. Its pid goes into
# <folder>/xvfb.pid.
start_display() {
  local number=90
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  echo $! >"$1/xvfb.pid"
  wait_for 100 test -e "/tmp/.X11-unix/X$number"
  echo "$number"
}

# Starts a session bus; exports its address. Its pid goes into <folder>/bus.pid.
start_bus() {
  dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$1/bus.address" 4>"$1/bus.pid"
  export DBUS_SESSION_BUS_ADDRESS="$(cat "$1/bus.address")"
}

# Starts a PulseAudio server with one null sink, when there is one, and exports its address. Its
# pid goes into <folder>/pulse.pid.
start_pulse() {
  command -v pulseaudio >/dev/null || return 0
  export PULSE_RUNTIME_PATH="$1/pulse" PULSE_STATE_PATH="$1/pulse" PULSE_SERVER="unix:$1/pulse/native"
  mkdir -p "$1/pulse"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$1/pulse/native" \
    -L "module-null-sink sink_name=speakers sink_properties=device.description=Altavoces" >/dev/null 2>&1 &
  echo $! >"$1/pulse.pid"
  wait_for 50 test -S "$1/pulse/native" || true
}

# Starts weston with XWayland on the display DISPLAY names, as large as the virtual display's
# screen, without a panel of its own; its Wayland socket is wl-bench in XDG_RUNTIME_DIR. The
# XWayland display (":N") goes into <folder>/xwayland.display, weston's pid into
# <folder>/weston.pid. weston starts XWayland when the first X program comes: `xwayland_pid`
# <folder> puts its pid into <folder>/xwayland.pid then.
start_weston() {
  printf '[shell]\npanel-position=none\n' >"$1/weston.ini"
  weston --backend=x11-backend.so --xwayland --width=1920 --height=1080 --socket=wl-bench \
    --config="$1/weston.ini" >/dev/null 2>"$1/weston.log" &
  echo $! >"$1/weston.pid"
  wait_for 200 grep -q "xserver listening on display" "$1/weston.log" ||
    { echo "weston started no XWayland" >&2; cat "$1/weston.log" >&2; exit 1; }
  sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' "$1/weston.log" | head -1 >"$1/xwayland.display"
}
xwayland_pid() { wait_for 100 pgrep -P "$(cat "$1/weston.pid")" -x Xwayland >"$1/xwayland.pid"; }

# Starts the probe of a running Quorlix's main thread: every 20 ms it connects to the instance
# socket under XDG_RUNTIME_DIR, says nothing the program acts on, and times how long the program
# takes to hang up (its main thread reads the socket), until <folder>/stop exists. Each answer
# is a line of <folder>/waits: when the wait began (seconds since the epoch) and how long it
# was. Started before the program, its first answer is the socket's first. Its pid goes into
# `probe` and `started`.
start_probe() {
  python3 - "$XDG_RUNTIME_DIR/quorlix-$(id -u)/instance" "$1/stop" >"$1/waits" <<'PY' &
import os, socket, sys, time
path, stop = sys.argv[1], sys.argv[2]
next_probe = time.monotonic()
while not os.path.exists(stop):
    start, at = time.monotonic(), time.time()
    try:
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.connect(path)
            s.sendall(b"-\n")
            s.shutdown(socket.SHUT_WR)
            while s.recv(64):
                pass
        print(f"{at:.4f} {time.monotonic() - start:.4f}", flush=True)
    except OSError:
        pass  # not listening yet
    next_probe = max(next_probe + 0.02, time.monotonic())
    time.sleep(max(0.0, next_probe - time.monotonic()))
PY
  probe=$!
  started+=("$probe")
}

# Exports fresh XDG folders under <folder>.
fresh_folders() {
  export HOME="$1/home" XDG_CONFIG_HOME="$1/home/.config" XDG_DATA_HOME="$1/home/.local/share"
  export XDG_STATE_HOME="$1/home/.local/state" XDG_CACHE_HOME="$1/home/.cache" XDG_RUNTIME_DIR="$1/runtime"
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
}

# A virtual display, a session bus and fresh XDG folders under <folder>, for a program on X11:
# their addresses exported, the servers' pids in `started`.
private_desktop() {
  export DISPLAY=":$(start_display "$1")"
  started+=("$(cat "$1/xvfb.pid")")
  start_bus "$1"
  started+=("$(cat "$1/bus.pid")")
  fresh_folders "$1"
  export QT_QPA_PLATFORM=xcb
}

# Starts Quorlix (the command given) with its output in $work/quorlix.out; its pid goes into `app`
# and `started`. `alive` then stops the script, showing that output, if it has ended.
start_quorlix() {
  "$@" >"$work/quorlix.out" 2>&1 &
  app=$!
  started+=("$app")
}
alive() { kill -0 "$app" 2>/dev/null || { echo "Quorlix ended:" >&2; cat "$work/quorlix.out" >&2; exit 1; }; }

# Stops the script unless every program named is built in <build folder>: require_built
# <folder> <program...>.
require_built() {
  local build="$1" program
  shift
  for program in "$@"; do
    [ -x "$build/$program" ] || { echo "missing $build/$program: build it first (cmake --build $build)" >&2; exit 2; }
  done
}

# Stops the script unless Xvfb, dbus-daemon and every other tool named are installed:
# require_tools [tool...].
require_tools() {
  for tool in Xvfb dbus-daemon "$@"; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
  done
}

