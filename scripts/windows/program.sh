#!/usr/bin/env bash
# Step program of scripts/windows-build.sh: cross-builds tidewell.exe and the stand-in
# propagation programs into build/windows (preset windows).
# Needs: the qt step (Qt for MinGW in $qt_prefix).

# shellcheck source=scripts/windows/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

step_program() {
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake --preset windows -DCMAKE_PREFIX_PATH="$qt_prefix" "${launcher[@]}" >/dev/null
  cmake --build --preset windows -j"$jobs"
}

# Run alone (bash scripts/windows/program.sh): this step only, as scripts/windows-build.sh program runs it.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  start=$SECONDS
  step_program
  step_time program $((SECONDS - start))
fi
