#!/usr/bin/env bash
# Builds Tidewell and runs every test: the README's test command.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)

# The Windows backends of the platform layer must keep compiling.
cmake --preset mingw-platform >/dev/null
cmake --build --preset mingw-platform -j"$jobs"

cmake --preset dev >/dev/null
cmake --build --preset dev -j"$jobs"
ctest --test-dir build/dev --output-on-failure --no-tests=error -j"$jobs"
