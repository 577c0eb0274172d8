#!/usr/bin/env bash
# Builds the benchmark in Release mode (build-bench) and prints its figures.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DLUCKDIAL_GUI=OFF -DLUCKDIAL_TESTS=OFF -DLUCKDIAL_BENCH=ON >/dev/null
cmake --build "$root/build-bench" --target luckdial_bench >/dev/null
"$root/build-bench/bench/luckdial_bench"
