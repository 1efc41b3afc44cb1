#!/usr/bin/env bash
# Builds Tidewell and runs it on the bundled demo data: the README's run command.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$(nproc 2>/dev/null || echo 2)" --target tidewell itshf-standin

# The demo works on a copy, so that the bundled files stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r data/demo/. "$work/"
# The stand-in propagation programs, under the names Tidewell runs.
mkdir -p "$work/drive_c/itshfbc/bin_win"
cp build/dev/demo-bin/itshfbc/bin_win/*.exe "$work/drive_c/itshfbc/bin_win/"
build/dev/src/tidewell --drive-c "$work/drive_c" --profile "$work/Tidewell.Ini" "$@"
