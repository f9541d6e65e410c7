#!/usr/bin/env bash
# Fuzzes every libFuzzer target for SECONDS each (default 60) and prints how
# many inputs each one ran a second. Builds build-fuzz as scripts/test.sh
# does (optimised, with AddressSanitizer and UndefinedBehaviorSanitizer).
# New inputs go to build-fuzz/new-corpus/<target>/, not into the repository;
# a crash leaves its input in build-fuzz/crashes/.
#
#   scripts/fuzz.sh [SECONDS] [TARGET-NAME-REGEX]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
only=${2:-.}
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "usage: scripts/fuzz.sh [SECONDS] [TARGET-NAME-REGEX]" >&2; exit 2; }
command -v clang++-14 >/dev/null 2>&1 || { echo "fuzz.sh: clang++-14 is needed (scripts/install-deps.sh)" >&2; exit 2; }

CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTESSEL_FUZZ=ON -DTESSEL_GUI=OFF -DTESSEL_TESTS=OFF -DTESSEL_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)"

mkdir -p build-fuzz/crashes
failed=0
for target in build-fuzz/tests/*_fuzz; do
  name=$(basename "$target")
  [[ "$name" =~ $only ]] || continue
  fresh="build-fuzz/new-corpus/$name"
  mkdir -p "$fresh"
  log="build-fuzz/$name.log"
  # Leak checks are off here: a target reuses its displays between inputs,
  # and a leak check after every input that allocates more than it frees
  # would take most of the time. The corpus replays (scripts/test.sh) still
  # run under LeakSanitizer.
  if "$target" -max_total_time="$seconds" -detect_leaks=0 -print_final_stats=1 \
       -artifact_prefix="build-fuzz/crashes/$name-" "$fresh" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    status=ok
  else
    status="FAILED (see $log)"
    failed=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  took=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log" | tail -n 1)
  runs=${runs:-0}
  took=${took:-$seconds}
  printf '%-22s %10s inputs in %4s s = %8s inputs/s  %s\n' "$name" "$runs" "$took" \
    "$(( took > 0 ? runs / took : runs ))" "$status"
done
exit "$failed"
