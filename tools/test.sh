#!/usr/bin/env bash
# Builds and runs the whole test suite: a warnings-as-errors build, then the same tests under
# AddressSanitizer with UndefinedBehaviorSanitizer, then under ThreadSanitizer, then 32-bit x86
# and arm64 builds of the same tests.
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

# 32-bit x86: the host compiler with -m32 and the multiarch :i386 libraries. An x86_64 kernel
# runs 32-bit x86 binaries itself, so no emulator is needed. About 2 minutes on 2 cores, and
# about 2 more on a fresh machine for the packages both stages install.
run_i386_stage() {
  tools/setup.sh --cross
  echo "i386: sanitizer builds skipped: ThreadSanitizer has no 32-bit x86 runtime, and the x86_64 stages run both sanitizers over the same sources"
  run_stage i386 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i386-linux-gnu.cmake
}

# arm64: Debian's cross compiler and the multiarch :arm64 libraries; CTest runs every test
# binary under qemu-aarch64 (the toolchain file's emulator). About 3 minutes on 2 cores.
run_arm64_stage() {
  tools/setup.sh --cross
  echo "arm64: sanitizer builds skipped: ASan and TSan map shadow memory at fixed addresses that qemu-user cannot provide"
  run_stage arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64-linux-gnu.cmake
}

run_stage tests
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_stage asan -DKAVRIN_SANITIZE=address
TSAN_OPTIONS=halt_on_error=1 run_stage tsan -DKAVRIN_SANITIZE=thread
run_i386_stage
run_arm64_stage
