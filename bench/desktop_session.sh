# A desktop of the measures' own, sourced by the bench scripts: checks that the programs and
# tools given are there, then `desktopSession WIDTHxHEIGHT` starts a virtual display (with a
# compositing manager when there is one) and a session bus, points HOME and the XDG folders at
# a fresh folder ($work) with onboarding already seen, and ends it all when the script exits.
# Processes started later go into `started` to be ended with it.

requirePrograms() {
  local program
  for program in "$@"; do
    [ -x "$program" ] || { echo "missing $program: build it first (cmake --build $build)" >&2; exit 2; }
  done
}

requireTools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
  done
}

work="$(mktemp -d)"
started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

desktopSession() {
  # A display number nobody uses.
  local number=90
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  started+=($!)
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
  export DISPLAY=":$number"
  if command -v xcompmgr >/dev/null; then
    xcompmgr >/dev/null 2>&1 &
    started+=($!)
  fi

  dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$work/bus.address" 4>"$work/bus.pid"
  started+=("$(cat "$work/bus.pid")")
  export DBUS_SESSION_BUS_ADDRESS="$(cat "$work/bus.address")"

  # Fresh folders, and no first-run window.
  export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
  export XDG_STATE_HOME="$work/home/.local/state" XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime"
  mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  echo '{"didShowWelcome": true}' >"$XDG_CONFIG_HOME/com.halvik.quorlix.json"
  export QT_QPA_PLATFORM=xcb
}
