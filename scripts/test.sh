#!/usr/bin/env bash
# Builds and runs every test: the main build's unit, GUI and end-to-end tests
# under Xvfb, the unit tests and fuzz corpora again under ASan+UBSan, and the
# libFuzzer targets over their corpora when clang is there.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
export CCACHE_DIR=${CCACHE_DIR:-$PWD/.ccache}

echo "== main build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_TEST_SEAMS=ON >/dev/null
cmake --build build -j "$jobs"
xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

echo "== sanitizer build (ASan + UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DTESSEL_SANITIZE=ON -DTESSEL_GUI=OFF -DTESSEL_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 300

if command -v clang++-14 >/dev/null 2>&1; then
  echo "== libFuzzer targets over their corpora"
  CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTESSEL_FUZZ=ON -DTESSEL_GUI=OFF -DTESSEL_TESTS=OFF -DTESSEL_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs"
  for target in build-fuzz/tests/*_fuzz; do
    name=$(basename "$target")
    "$target" -runs=0 "tests/fuzz/corpus/$name"
  done
fi
echo "== all tests passed"
