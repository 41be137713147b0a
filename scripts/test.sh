#!/usr/bin/env bash
# Installs what is missing, builds Quorlix and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test. Tests that need a window use Qt's
# offscreen platform, so no display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/test-build.sh
build=build/test

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --timeout 300

# A default Release build (-O3) must compile as well, the benchmarks with it: GCC warns
# differently there.
cmake -S . -B build/release-check -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORLIX_BENCH=ON -DQUORLIX_WERROR=ON >/dev/null
cmake --build build/release-check --parallel "$(nproc)"

# The application built with clang, and every fuzz target run for 20 s over its seeds, as
# many at once as there are processors: a finding fails the run.
scripts/fuzz.sh 20
