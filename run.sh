#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the demo event.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
BUILD=${BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja >/dev/null
# The program and the demo event beside it; the tests are left to test.sh.
cmake --build "$BUILD" --target luckdial -j "$(nproc)"
exec "$BUILD/demo/luckdial" "$@"
