#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
BUILD=${BUILD_DIR:-build}
WERROR=OFF
[ "${CI:-}" = "true" ] && WERROR=ON
cmake -S . -B "$BUILD" -G Ninja -DLUCKDIAL_WERROR=$WERROR >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
cd "$BUILD"
ctest --output-on-failure -j 2
