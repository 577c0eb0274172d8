#!/usr/bin/env bash
# Builds the benchmarks in Release mode (build-bench) and prints their figures
# as "name: value unit" lines. The display figures take about a minute: they
# paint a few hundred frames and time a real scroll, at 3840x2160 and, for the
# scroll period, at 1920x1080 too.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DLUCKDIAL_GUI=ON -DLUCKDIAL_TESTS=OFF -DLUCKDIAL_BENCH=ON >/dev/null
cmake --build "$root/build-bench" --target luckdial_bench luckdial_startup_bench \
  luckdial_display_bench luckdial_sheet_bench luckdial_remote_bench >/dev/null
"$root/build-bench/bench/luckdial_bench"
"$root/build-bench/bench/startup/luckdial_startup_bench"
"$root/build-bench/bench/sheet/luckdial_sheet_bench"
"$root/build-bench/bench/display/luckdial_display_bench"
"$root/build-bench/bench/display/luckdial_display_bench" --screen=1920x1080 \
  --benchmark_filter=scroll_period_jitter_ms
"$root/build-bench/bench/remote/luckdial_remote_bench"
