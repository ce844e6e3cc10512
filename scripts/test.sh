#!/usr/bin/env bash
# Sets up, builds and runs every test. This is what CI runs.
#
# Besides the ordinary build (build/), the whole suite is built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/, without the desktop window to
# keep the build short) and run there, and every fuzz target runs for a short while
# (fuzz/run.sh). The ordinary suite runs last, so the output ends with its summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh

failed=()

echo "== sanitizer build (build-asan)"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS=-O1 -DVX_SANITIZE=ON -DVX_BUILD_TESTS=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=TRUE >/dev/null
cmake --build build-asan
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
    ctest --test-dir build-asan --output-on-failure -j2 || failed+=("sanitizer suite")

echo "== fuzz targets, 20 seconds each"
fuzz/run.sh "${VX_FUZZ_SECONDS:-20}" || failed+=("fuzz targets")

echo "== test suite (build)"
if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED before the suite: ${failed[*]}" >&2
fi
ctest --test-dir build --output-on-failure -j2 || exit 1
[ ${#failed[@]} -eq 0 ]
