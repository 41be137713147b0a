#!/usr/bin/env bash
# Installs what is missing and builds Quorlix and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in build/test: everything, or only the targets named.
#
#     scripts/test-build.sh                    # everything
#     scripts/test-build.sh quorlix-snapshot   # the snapshot renderer alone
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORLIX_SANITIZE=ON -DQUORLIX_TESTS=ON \
      -DQUORLIX_BENCH=OFF -DQUORLIX_WERROR=ON >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build" --parallel "${JOBS:-$(nproc)}" "${targets[@]}"
