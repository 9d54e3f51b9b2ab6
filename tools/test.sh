#!/usr/bin/env bash
# Builds and runs the whole test suite: a warnings-as-errors build, then the same tests under
# AddressSanitizer with UndefinedBehaviorSanitizer, then under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
jobs="$(nproc)"

run_stage() {
  local name="$1"
  shift
  echo "=== ${name} ==="
  cmake -S . -B "build/${name}" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRIN_WERROR=ON \
        -DKAVRIN_BUILD_BENCH=OFF "$@"
  cmake --build "build/${name}" -j"${jobs}"
  ctest --test-dir "build/${name}" --output-on-failure -j"${jobs}" --timeout 300
}

run_stage tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_stage asan -DKAVRIN_SANITIZE=address
TSAN_OPTIONS=halt_on_error=1 run_stage tsan -DKAVRIN_SANITIZE=thread
