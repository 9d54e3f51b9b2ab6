#!/usr/bin/env bash
# Builds the producer and runs the frame grabber against the simulated cameras.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKAVRIN_BUILD_TESTS=OFF -DKAVRIN_BUILD_BENCH=OFF
cmake --build build/release -j"$(nproc)" --target kavrin_grab
build/release/bin/kavrin_grab "$@"
