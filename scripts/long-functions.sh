#!/usr/bin/env bash
# Lists the functions in src/ longer than LINES lines (100 unless given), longest first, with
# clang-tidy's function-size check over build/test's compile commands; fails when there is one.
# Takes a few minutes: every source file is parsed again.
#
#     scripts/long-functions.sh        # none over 100 lines, or the list and exit status 1
#     scripts/long-functions.sh 80     # what comes near
set -euo pipefail
cd "$(dirname "$0")/.."

limit=${1:-100}
scripts/setup.sh
build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORLIX_SANITIZE=ON -DQUORLIX_TESTS=ON \
      -DQUORLIX_BENCH=OFF -DQUORLIX_WERROR=ON >/dev/null

# A header's functions are reported once for each file that includes it: each is listed once.
found=$(git ls-files 'src/*.cpp' |
  xargs -P "${JOBS:-3}" -n 8 clang-tidy -p "$build" --quiet --checks='-*,readability-function-size' \
    --config="{CheckOptions: [{key: readability-function-size.LineThreshold, value: $limit}]}" \
    --header-filter="$PWD/src/.*" 2>/dev/null |
  grep -A3 'readability-function-size' | grep -E 'warning:|note: [0-9]+ lines' | paste - - |
  sed -E "s|^$PWD/||; s/:[0-9]+: warning: function (.*) exceeds.*note: ([0-9]+) lines.*/ \2 \1/" |
  sort -u | sort -k2 -rn) || true
if [ -n "$found" ]; then
  echo "Functions over $limit lines:"
  echo "$found"
  exit 1
fi
echo "No function in src/ is over $limit lines."
