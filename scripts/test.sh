#!/usr/bin/env bash
# Builds and runs every test: the main build's unit, GUI and end-to-end tests
# under Xvfb, the unit tests and fuzz corpora again under ASan+UBSan, and the
# libFuzzer targets over their corpora when clang is there.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
export CCACHE_DIR=${CCACHE_DIR:-$PWD/.ccache}
# The build folders share cached objects where their flags agree.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}

# Runs a ctest command, showing its output, and adds its count to the total.
passed=0
count_ctest() {
  local log
  log=$(mktemp)
  "$@" 2>&1 | tee "$log"
  local n
  n=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  rm -f "$log"
  passed=$((passed + ${n:-0}))
}

echo "== main build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSEL_TEST_SEAMS=ON >/dev/null
cmake --build build -j "$jobs"
count_ctest xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
  ctest --test-dir build --output-on-failure -j "$jobs" --timeout 300

echo "== Debian package"
deb=$(scripts/package-deb.sh | tail -n 1)
scripts/check-deb.sh "$deb"
passed=$((passed + 1))

echo "== sanitizer build (ASan + UBSan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DTESSEL_SANITIZE=ON -DTESSEL_GUI=OFF -DTESSEL_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
count_ctest ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 300

if command -v clang++-14 >/dev/null 2>&1; then
  echo "== libFuzzer targets over their corpora"
  # Optimised, with the sanitizers: a Debug build runs too few inputs a
  # second to find much (scripts/fuzz.sh fuzzes with this build).
  CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSEL_FUZZ=ON -DTESSEL_GUI=OFF -DTESSEL_TESTS=OFF -DTESSEL_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs"
  for target in build-fuzz/tests/*_fuzz; do
    name=$(basename "$target")
    "$target" -runs=0 "tests/fuzz/corpus/$name"
    passed=$((passed + 1))
  done
fi
echo "== all tests passed"
echo "tests: $passed passed, 0 failed"
