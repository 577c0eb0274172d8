#!/usr/bin/env bash
# Builds the benchmarks in Release mode (build-bench) and prints their figures
# as "name: value unit" lines.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DLUCKDIAL_GUI=ON -DLUCKDIAL_TESTS=OFF -DLUCKDIAL_BENCH=ON >/dev/null
cmake --build "$root/build-bench" --target luckdial_bench luckdial_startup_bench \
  luckdial_sheet_bench >/dev/null
"$root/build-bench/bench/luckdial_bench"
"$root/build-bench/bench/startup/luckdial_startup_bench"
"$root/build-bench/bench/sheet/luckdial_sheet_bench"
