#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test. Then the
# Debian package, built and checked unpacked; the Qt-free libraries and their
# tests once more under AddressSanitizer and UndefinedBehaviorSanitizer; and
# the fuzz targets (clang, libFuzzer) for a bounded time each, FUZZ_SECONDS
# (20 unless set).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
# Paths inside the checkout and the build folder's own name stay out of the
# compiler cache's keys, so another build folder reuses the first one's objects.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
BUILD=${BUILD_DIR:-build}
WERROR=OFF
[ "${CI:-}" = "true" ] && WERROR=ON

stage_start=$SECONDS
stage_done() {
  echo "== $1: $((SECONDS - stage_start)) s"
  stage_start=$SECONDS
}

cmake -S . -B "$BUILD" -G Ninja -DLUCKDIAL_WERROR=$WERROR >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
(cd "$BUILD" && ctest --output-on-failure -j 2)
stage_done "build and tests"

# The package holds the program alone: its build folder compiles no tests.
if command -v dpkg-shlibdeps >/dev/null && command -v desktop-file-validate >/dev/null &&
  command -v appstreamcli >/dev/null; then
  cmake -S . -B "$BUILD-pkg" -G Ninja -DLUCKDIAL_WERROR=$WERROR -DLUCKDIAL_TESTS=OFF \
    -DLUCKDIAL_BENCH=OFF >/dev/null
  cmake --build "$BUILD-pkg" -j "$(nproc)"
  rm -f "$BUILD-pkg"/luckdial_*.deb
  (cd "$BUILD-pkg" && cpack -G DEB >/dev/null)
  tests/package/check-package.sh "$BUILD-pkg"/luckdial_*_amd64.deb
  stage_done "package"
else
  echo "== package: skipped (no packaging tools; scripts/install-deps.sh installs them)"
fi

cmake -S . -B "$BUILD-asan" -G Ninja -DLUCKDIAL_WERROR=$WERROR -DLUCKDIAL_GUI=OFF \
  -DLUCKDIAL_BENCH=OFF -DLUCKDIAL_SANITIZE=ON >/dev/null
cmake --build "$BUILD-asan" -j "$(nproc)"
(cd "$BUILD-asan" && ctest --output-on-failure -j 2)
stage_done "sanitizer build and tests"

cmake -S . -B "$BUILD-fuzz" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DLUCKDIAL_WERROR=$WERROR -DLUCKDIAL_GUI=OFF -DLUCKDIAL_TESTS=OFF -DLUCKDIAL_BENCH=OFF \
  -DLUCKDIAL_SANITIZE=ON -DLUCKDIAL_FUZZ=ON -DLUCKDIAL_FUZZ_SECONDS="${FUZZ_SECONDS:-20}" >/dev/null
cmake --build "$BUILD-fuzz" -j "$(nproc)"
(cd "$BUILD-fuzz" && ctest --output-on-failure -j 2)
stage_done "fuzz build and runs"
