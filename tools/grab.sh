#!/usr/bin/env bash
# Builds the producer, kavrin-grab and kavrin-fake-camera, lists the simulated cameras and grabs
# 100 frames of the first one into frames/ as PNG files.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKAVRIN_BUILD_TESTS=OFF -DKAVRIN_BUILD_BENCH=OFF
cmake --build build/release -j"$(nproc)" --target kavrin-grab kavrin-fake-camera
build/release/bin/kavrin-grab list
build/release/bin/kavrin-grab grab -n 100 -o frames "$@"
