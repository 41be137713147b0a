#!/usr/bin/env bash
# Installs what is missing, builds Quorlix and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test. Tests that need a window use Qt's
# offscreen platform, or an X server of their own, so no display is needed.
#
# The Release build and the clang build of the fuzz targets run meanwhile at the lowest
# priority, on the processor time the tests leave (many wait on X servers and compositors).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/test-build.sh
build=build/test
cpus=$(nproc)

# A background step, in a process group of its own: its output goes to a log, shown when it
# fails, and a run that stops early ends it.
started=()
start() {
  local log=$1
  shift
  setsid "$@" >"$log" 2>&1 &
  started+=($!)
}
finish() {
  local pid=$1 log=$2 what=$3
  if ! wait "$pid"; then
    tail -n 60 "$log"
    echo "$what failed ($log)"
    exit 1
  fi
}
trap 'for pid in "${started[@]}"; do kill -- "-$pid" 2>/dev/null || true; done' EXIT

# A default Release build (-O3) must compile as well, the benchmarks with it: GCC warns
# differently there. It makes what users run (the program, its calendar module and
# resources) and the benchmark programs; the tests run from the sanitizer build.
release=build/release-check
cmake -S . -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORLIX_BENCH=ON -DQUORLIX_WERROR=ON \
      -DQUORLIX_TESTS=OFF >/dev/null
start "$release.log" nice -n 19 cmake --build "$release" --parallel "$cpus" --target quorlix quorlix_benchmarks
release_build=${started[-1]}
# The fuzz targets built with clang, after it (both want every processor).
start build/fuzz.log bash -c 'wait_for() { while kill -0 "$1" 2>/dev/null; do sleep 1; done; }
  wait_for "$1" && nice -n 19 scripts/fuzz.sh build' _ "$release_build"
fuzz_build=${started[-1]}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
# Twice as many tests as processors: the desktop tests mostly wait on their servers.
ctest --test-dir "$build" --output-on-failure --parallel "$((2 * cpus))" --timeout 300

# ctest runs each test in a process of its own. Each test program runs once more whole, all
# its tests in one process, in the environment ctest gives them, several programs at a time:
# a test that passes only alone (state an earlier test left in the process) fails here.
whole="$build/whole"
mkdir -p "$whole"
find "$build/tests" -maxdepth 1 -name 'test_*' -type f -executable -print | sort |
  xargs -P "$cpus" -I{} bash -c '
    name=$(basename "$1"); log="$2/$name.log"
    if timeout 900 env QUORLIX_RESOURCES="$3" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quorlix-test-bus \
         DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quorlix-test-bus "$1" >"$log" 2>&1; then
      echo "$name, run whole: $(grep -m1 -o "[0-9]* tests\? from [0-9]* test suites\? ran" "$log")"
    else
      tail -n 80 "$log"
      echo "$name failed when run whole ($log)"
      exit 1
    fi' _ {} "$whole" "$PWD/$build/resources"

finish "$release_build" "$release.log" "The Release build"

# The desktop tests once more, against the Release program users run: a test that passes
# only while the sanitizers slow the program down fails here. Meanwhile the fuzz targets run.
desktop_suites='Desktop.*:WaylandDesktop.*:GnomeDesktop.*:TrayIcon.*:OnboardingDesktop.*:SettingsWindowDesktop.*'
start "$whole/release-desktop.log" env QUORLIX_TEST_PROGRAM="$PWD/$release/quorlix" \
  QUORLIX_RESOURCES="$PWD/$release/resources" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quorlix-test-bus \
  DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quorlix-test-bus \
  "$build/tests/test_integration" --gtest_filter="$desktop_suites"
release_desktop=${started[-1]}

# The whole benchmark program, each benchmark briefly (a minimum of 0.01 s, in Google
# Benchmark 1.7's plain seconds) and three times over, all in a random order: a crash, or a
# benchmark that works only after another, fails the run; the figures are not judged here.
if ! "$release/bench/quorlix_bench" --benchmark_min_time=0.01 --benchmark_repetitions=3 \
     --benchmark_enable_random_interleaving=true >"$release/bench.log" 2>&1; then
  tail -n 40 "$release/bench.log"
  echo "The benchmark program did not run to its end ($release/bench.log)."
  exit 1
fi

# Every fuzz target run for 20 s over its seeds, as many at once as there are processors: a
# finding fails the run. They yield to the desktop tests still running.
finish "$fuzz_build" build/fuzz.log "The clang build of the fuzz targets"
nice -n 10 scripts/fuzz.sh 20

finish "$release_desktop" "$whole/release-desktop.log" "The desktop tests against the Release build"
echo "test_integration's desktop tests against the Release build:" \
  "$(grep -m1 -o "[0-9]* tests\? from [0-9]* test suites\? ran" "$whole/release-desktop.log")"
