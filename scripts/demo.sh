#!/usr/bin/env bash
# Builds Tidewell and runs it on the bundled demo data: the README's run command.
# The demo works on a temporary copy of data/demo, with the stand-in propagation
# programs and a simulated AirMail; the bundled files stay as they are.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc 2>/dev/null || echo 2)" --target tidewell
exec build/dev/src/program/tidewell --demo "$@"
