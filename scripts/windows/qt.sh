#!/usr/bin/env bash
# Step qt of scripts/windows-build.sh: cross-builds Qt's base module for MinGW from Debian's
# source of the host's Qt version, once, into $qt_prefix (common.sh); a later run finds it
# there and skips the build.
# Needs: the deps step (MinGW-w64, Ninja, dpkg-dev, qt6-base-dev), apt's deb-src access.

# shellcheck source=scripts/windows/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# The host's Qt version: the Windows Qt must match the moc, rcc and uic it is used with.
qt_version() {
  dpkg-query -W -f='${Version}' qt6-base-dev
}

# Only what the program uses: Core, Gui, Widgets and the Windows platform plugin, with
# Qt's own copies of zlib, PCRE2, libpng and HarfBuzz (no DLLs of other projects).
qt_options=(
  -DQT_HOST_PATH=/usr
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++
  -DQT_BUILD_TOOLS_WHEN_CROSSCOMPILING=OFF
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_testlib=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_vulkan=OFF -DFEATURE_direct2d=OFF
  -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF
  # qwindows does not link against MinGW's DirectWrite 3; Debian's source has no wintab.h.
  -DFEATURE_directwrite3=OFF -DFEATURE_tabletevent=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF -DFEATURE_system_md4c=OFF
  -DFEATURE_system_sqlite=OFF -DFEATURE_system_textmarkdownreader=OFF
)

qt_stamp() {
  printf '%s\n' "$(qt_version)" "${qt_options[@]}" "$(sha1sum <"$toolchain")"
}

step_qt() {
  if [ -f "$qt_prefix/lib/cmake/Qt6/Qt6Config.cmake" ] &&
     [ "$(cat "$qt_prefix/.tidewell-stamp" 2>/dev/null)" = "$(qt_stamp)" ]; then
    echo "Qt for MinGW: $qt_prefix (built before)"
    return
  fi
  local version src work
  version=$(qt_version)
  work=$cache/qt6-mingw-build
  rm -rf "$work" "$qt_prefix"
  mkdir -p "$work/src"

  # Debian's source package, from a deb-src entry added beside the deb ones when missing.
  if ! apt-get source --print-uris "qt6-base=$version" >/dev/null 2>&1; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $sudo tee /etc/apt/sources.list.d/tidewell-deb-src.sources >/dev/null
    else
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
        $sudo tee /etc/apt/sources.list.d/tidewell-deb-src.list >/dev/null
    fi
    $sudo apt-get update -qq
  fi
  (cd "$work/src" && apt-get source -qq "qt6-base=$version" >/dev/null 2>&1)
  src=$(find "$work/src" -maxdepth 1 -mindepth 1 -type d -name 'qt6-base-*' | head -n 1)
  [ -n "$src" ] || { echo "apt-get source qt6-base gave no source folder" >&2; exit 1; }

  echo "Building Qt $version for MinGW into $qt_prefix (once; about 15 minutes on 2 cores)"
  cmake -G Ninja -S "$src" -B "$work/build" -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    "${qt_options[@]}" >"$work/configure.log" 2>&1 ||
    { tail -n 40 "$work/configure.log" >&2; exit 1; }
  cmake --build "$work/build" -j"$jobs" >"$work/build.log" 2>&1 ||
    { grep -B2 -A12 -m3 'FAILED\|error:' "$work/build.log" >&2; exit 1; }
  cmake --install "$work/build" >/dev/null
  qt_stamp >"$qt_prefix/.tidewell-stamp"
  rm -rf "$work"
}

# Run alone (bash scripts/windows/qt.sh): this step only, as scripts/windows-build.sh qt runs it.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  start=$SECONDS
  step_qt
  step_time qt $((SECONDS - start))
fi
