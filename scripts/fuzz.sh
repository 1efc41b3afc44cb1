#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) together with the platform tests, runs the
# platform tests, then each fuzz target for a while from its starting inputs.
#   scripts/fuzz.sh              20 seconds per target (the CI smoke run)
#   scripts/fuzz.sh 600          ten minutes per target
#   scripts/fuzz.sh 600 ini      one target (ini, keys, position, stations,
#                                debuglog, propagation, rtf)
# New inputs the fuzzer finds go to build/fuzz/found/<target>/; a crash
# leaves its input in build/fuzz/ as crash-* and fails the script.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(ini keys position stations debuglog propagation rtf)

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$jobs" --target tidewell_platform_tests "${targets[@]/#/fuzz-}"
build/fuzz/tests/tidewell_platform_tests --gtest_brief=1

for t in "${targets[@]}"; do
  mkdir -p "build/fuzz/found/$t"
  echo "== fuzz-$t for ${seconds}s"
  (cd build/fuzz && ./tests/fuzz/fuzz-"$t" -max_total_time="$seconds" -print_final_stats=1 \
     -max_len=16384 "found/$t" "../../tests/fuzz/corpus/$t" 2>&1 | tail -n 12)
done
