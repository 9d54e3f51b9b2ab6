#!/usr/bin/env bash
# Builds and runs the whole test suite: a warnings-as-errors build, then the same tests under
# AddressSanitizer with UndefinedBehaviorSanitizer, then under ThreadSanitizer; then the fuzzer,
# the stress test, and 32-bit x86 and arm64 builds of the same tests.
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

# The libFuzzer harness over every export, built with clang, ASan and UBSan, runs a fixed
# number of inputs from the corpus in tests/fuzz/corpus. About 3 minutes on 2 cores, most of it
# the clang build. Longer runs by hand: build/fuzz/bin/kavrin_fuzz_exports -runs=1000000 DIR CORPUS.
fuzz_stage() {
  echo "=== fuzz ==="
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRIN_FUZZ=ON \
        -DKAVRIN_WERROR=ON -DKAVRIN_BUILD_TESTS=OFF -DKAVRIN_BUILD_BENCH=OFF
  cmake --build build/fuzz -j"${jobs}" --target kavrin_fuzz_exports
  ctest --test-dir build/fuzz --output-on-failure --timeout 300
}

# Eight threads opening, acquiring, killing, closing and reopening, in the sanitizer builds of
# the stages above: under ASan with the quarantine off, so a freed object's memory is reused at
# once and a stale handle cannot hide, and under TSan. About 15 seconds on 2 cores.
stress_stage() {
  echo "=== stress ==="
  ASAN_OPTIONS=quarantine_size_mb=0:detect_leaks=1 build/asan/bin/kavrin_stress build/asan/bin/KavrinTL40.cti 400
  TSAN_OPTIONS=halt_on_error=1 build/tsan/bin/kavrin_stress build/tsan/bin/KavrinTL40.cti 400
}

# 32-bit x86: the host compiler with -m32 and the multiarch :i386 libraries. An x86_64 kernel
# runs 32-bit x86 binaries itself, unless its 32-bit emulation is switched off; then CTest runs
# them under qemu-i386. About 2 minutes on 2 cores (more under qemu), and about 2 more on a
# fresh machine for the packages both stages install.
runs_32bit_natively() {
  local probe
  probe="$(mktemp -d)"
  echo 'int main(void) { return 0; }' > "${probe}/probe.c"
  gcc -m32 "${probe}/probe.c" -o "${probe}/probe" && "${probe}/probe" 2>/dev/null
  local result=$?
  rm -rf "${probe}"
  return "${result}"
}

run_i386_stage() {
  tools/setup.sh --cross
  echo "i386: sanitizer builds skipped: ThreadSanitizer has no 32-bit x86 runtime, and the x86_64 stages run both sanitizers over the same sources"
  local emulator=()
  if ! runs_32bit_natively; then
    echo "i386: this kernel does not run 32-bit x86 binaries (its 32-bit emulation is off): the tests run under qemu-i386"
    emulator=(-DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v qemu-i386)")
  fi
  run_stage i386 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i386-linux-gnu.cmake "${emulator[@]}"
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
fuzz_stage
stress_stage
run_i386_stage
run_arm64_stage
