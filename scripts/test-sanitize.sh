#!/usr/bin/env bash
# Builds Tidewell with AddressSanitizer and UndefinedBehaviorSanitizer (no
# recovery: the first finding fails its test) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$jobs"
ctest --test-dir build/sanitize --output-on-failure --no-tests=error -j"$jobs"
