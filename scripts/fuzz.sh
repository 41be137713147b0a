#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for SECONDS (default 20) over its seed corpus,
# as many at once as JOBS (default: the processors). What a run finds (a crash, a leak, a
# broken property, an input slower than 25 s) is kept in build/fuzz/findings and fails the
# script; new inputs go to build/fuzz/corpus, never into the seeds.
#
#     scripts/fuzz.sh            # every target, 20 s each
#     scripts/fuzz.sh 600 lrc    # one target, ten minutes
#     scripts/fuzz.sh build      # build them only
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
scripts/setup.sh
build=build/fuzz
CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" -DQUORLIX_FUZZ=ON \
      -DQUORLIX_TESTS=OFF -DQUORLIX_BENCH=OFF -DQUORLIX_WERROR=ON >/dev/null
# The fuzz targets and the files of src/ they reach (fuzz/sources.cmake); GCC builds the rest.
cmake --build "$build" --parallel "${JOBS:-$(nproc)}"
[ "$seconds" = build ] && exit 0

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for seeds in fuzz/corpus/*/; do names+=("$(basename "$seeds")"); done
fi
mkdir -p "$build/findings" "$build/logs"
# The targets that edit files do it in a temporary home: in memory where there is one.
[ -w /dev/shm ] && export TMPDIR=/dev/shm
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

run() {
  local name=$1
  mkdir -p "$build/corpus/$name"
  if "$build/fuzz/${name}_fuzzer" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 \
       -artifact_prefix="$build/findings/$name-" "$build/corpus/$name" "fuzz/corpus/$name" \
       >"$build/logs/$name.log" 2>&1; then
    echo "fuzz $name: $(grep -o 'Done [0-9]* runs' "$build/logs/$name.log" || echo done)"
  else
    echo "fuzz $name: FINDING (input in $build/findings)"
    tail -n 60 "$build/logs/$name.log"
    return 1
  fi
}
export -f run
export build seconds
printf '%s\n' "${names[@]}" | xargs -P "${JOBS:-$(nproc)}" -n 1 bash -c 'run "$1"' _
