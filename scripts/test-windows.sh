#!/usr/bin/env bash
# The platform layer's Windows backends, tested under Wine: GoogleTest and the
# platform tests cross-built with MinGW-w64 (linked statically, so the test
# program needs no DLLs beside it), then run in a fresh 64-bit Wine prefix on
# a virtual X display (the desktop tests need one).
#
#   scripts/test-windows.sh [--gtest_filter=...]   arguments go to the tests
#
# GoogleTest needs the MinGW-w64 compilers of the POSIX thread model (std::mutex).
# Installs what is missing (wine, wine64, xvfb, the MinGW-w64 compilers).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

need=()
command -v x86_64-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-x86-64)
command -v wine >/dev/null || need+=(wine)
command -v wine64 >/dev/null || [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xauth >/dev/null || need+=(xauth)
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

jobs=$(nproc 2>/dev/null || echo 2)

# GoogleTest from Debian's sources, once per build folder.
gtest_build=build/mingw-gtest
gtest_prefix=$root/$gtest_build/install
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$gtest_build" \
    -DCMAKE_SYSTEM_NAME=Windows \
    -DCMAKE_C_COMPILER=x86_64-w64-mingw32-gcc-posix -DCMAKE_CXX_COMPILER=x86_64-w64-mingw32-g++-posix \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix" >/dev/null
  cmake --build "$gtest_build" -j"$jobs" >/dev/null
  cmake --install "$gtest_build" >/dev/null
fi

cmake --preset mingw-tests -DCMAKE_PREFIX_PATH="$gtest_prefix" >/dev/null
cmake --build --preset mingw-tests -j"$jobs"

# A fresh prefix for each run: the registry tests write to its registry.
prefix=$(mktemp -d "${TMPDIR:-/tmp}/tw-wine-XXXXXX")
display_pid=""
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# A display of our own, on the first free number from 90.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
display_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

wineboot --init >/dev/null 2>&1
# A crash ends the program at once instead of showing Wine's crash dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w

wine build/mingw-tests/tests/tidewell_platform_tests.exe "$@"
