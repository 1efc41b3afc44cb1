# The helpers of scripts/windows-build.sh and its steps (scripts/windows/<step>.sh): the
# folders, tools and environment variables they share (described in scripts/windows-build.sh),
# and the line with a step's time. Sourced, never run; it changes to the repository's root.
# The variables are the step files', hence SC2034 off.
# shellcheck shell=bash disable=SC2034
[ -z "${tidewell_windows_common:-}" ] || return 0
tidewell_windows_common=1

set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
repo=$PWD

cache=${XDG_CACHE_HOME:-$HOME/.cache}/tidewell
qt_prefix=${TIDEWELL_QT_MINGW:-$cache/qt6-mingw}
toolchain=$repo/cmake/mingw-w64-x86_64.cmake
build=$repo/build/windows
dist=$repo/build/windows-dist/Tidewell
zipfile=$repo/build/tidewell-windows-x64.zip
screenshot=${TIDEWELL_SCREENSHOT:-$repo/build/windows-wine.png}
jobs=$(nproc 2>/dev/null || echo 2)
mingw=x86_64-w64-mingw32

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

step_time() {
  printf '== %s: %d min %02d s\n' "$1" $(($2 / 60)) $(($2 % 60))
}
