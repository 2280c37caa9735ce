#!/usr/bin/env bash
# Builds and runs the benchmark of one event firing with a bound action (no peers to install).
set -euo pipefail
cd "$(dirname "$0")/../.."

build=build-actions-bench
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSHUTTERHAND_BENCH=ON -DSHUTTERHAND_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target bench_firing
"$build/bench/actions/bench_firing" "$@"
