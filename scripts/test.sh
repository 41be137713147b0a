#!/usr/bin/env bash
# Installs what is missing, builds Quorlix and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test. Tests that need a window use Qt's
# offscreen platform, or an X server of their own, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/test-build.sh
build=build/test

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300

# ctest runs each test in a process of its own. Each test program runs once more whole, all
# its tests in one process, in the environment ctest gives them, several programs at a time:
# a test that passes only alone (state an earlier test left in the process) fails here.
whole="$build/whole"
mkdir -p "$whole"
find "$build/tests" -maxdepth 1 -name 'test_*' -type f -executable -print | sort |
  xargs -P "$(nproc)" -I{} bash -c '
    name=$(basename "$1"); log="$2/$name.log"
    if timeout 900 env QUORLIX_RESOURCES="$3" DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/quorlix-test-bus \
         DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/quorlix-test-bus "$1" >"$log" 2>&1; then
      echo "$name, run whole: $(grep -m1 -o "[0-9]* tests\? from [0-9]* test suites\? ran" "$log")"
    else
      tail -n 80 "$log"
      echo "$name failed when run whole ($log)"
      exit 1
    fi' _ {} "$whole" "$PWD/$build/resources"

# A default Release build (-O3) must compile as well, the benchmarks with it: GCC warns
# differently there.
cmake -S . -B build/release-check -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORLIX_BENCH=ON -DQUORLIX_WERROR=ON >/dev/null
cmake --build build/release-check --parallel "$(nproc)"

# The whole benchmark program once, each benchmark briefly (a minimum of 0.01 s, in Google
# Benchmark 1.7's plain seconds): a crash fails the run; the figures are not judged here.
if ! build/release-check/bench/quorlix_bench --benchmark_min_time=0.01 >build/release-check/bench.log 2>&1; then
  tail -n 40 build/release-check/bench.log
  echo "The benchmark program did not run to its end (build/release-check/bench.log)."
  exit 1
fi

# The application built with clang, and every fuzz target run for 20 s over its seeds, as
# many at once as there are processors: a finding fails the run.
scripts/fuzz.sh 20
