#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the demo event.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
exec "$BUILD/demo/luckdial" "$@"
