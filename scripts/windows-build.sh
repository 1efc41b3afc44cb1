#!/usr/bin/env bash
# Builds Tidewell for 64-bit Windows on Debian 12 and checks the result under Wine.
#
#   scripts/windows-build.sh [step...]      steps: deps qt program zip wine (default: all)
#
# deps     installs the Debian packages missing (MinGW-w64, Ninja, Wine, Xvfb, ...)
# qt       cross-builds Qt's base module (Debian's source of the host's Qt version) for
#          MinGW once and keeps it outside the repository, in
#          ${XDG_CACHE_HOME:-~/.cache}/tidewell/qt6-mingw (TIDEWELL_QT_MINGW overrides);
#          a later run finds it there and skips this step
# program  cross-builds tidewell.exe and the stand-in propagation programs (preset windows)
# zip      gathers the program, the Qt libraries and plugins, the MinGW runtime, the demo
#          data and the stand-ins in build/windows-dist/Tidewell and zips that folder to
#          build/tidewell-windows-x64.zip
# wine     unpacks the zip into a temporary folder and runs it under Wine in a fresh
#          64-bit prefix: --help, --print-settings, --demo --best-list, and the demo's
#          main window on Xvfb, whose screenshot goes to build/windows-wine.png
#          (TIDEWELL_SCREENSHOT=docs/images/windows-wine.png writes it there instead)
set -euo pipefail
cd "$(dirname "$0")/.."
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

# --- deps ----------------------------------------------------------------------------
step_deps() {
  scripts/install-deps.sh ninja-build dpkg-dev zip unzip wine wine64 xvfb xauth xdotool imagemagick
}

# --- qt ------------------------------------------------------------------------------
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

# --- program -------------------------------------------------------------------------
step_program() {
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake --preset windows -DCMAKE_PREFIX_PATH="$qt_prefix" "${launcher[@]}" >/dev/null
  cmake --build --preset windows -j"$jobs"
}

# --- zip -----------------------------------------------------------------------------
# The DLLs a program or library imports directly (objdump's import table).
imports() {
  $mingw-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'
}

# The MinGW runtime DLL named $1 (the posix threads flavour's), or nothing.
runtime_dll() {
  local found
  found=$($mingw-g++-posix -print-file-name="$1")
  [ "$found" != "$1" ] && echo "$found"
  return 0
}

# Copies into $dist every DLL that the files given import, following each copied DLL's
# own imports: Qt's from $qt_prefix/bin, MinGW's runtime; Windows' own are left out.
copy_imports() {
  local queue=("$@") file dll source
  while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    for dll in $(imports "$file"); do
      [ -e "$dist/$dll" ] && continue
      if [ -f "$qt_prefix/bin/$dll" ]; then
        source=$qt_prefix/bin/$dll
      else
        source=$(runtime_dll "$dll")
      fi
      [ -n "$source" ] && [ -f "$source" ] || continue  # a Windows system DLL
      cp "$source" "$dist/$dll"
      queue+=("$dist/$dll")
    done
  done
}

step_zip() {
  rm -rf "$(dirname "$dist")" "$zipfile"
  mkdir -p "$dist/platforms" "$dist/styles" "$dist/demo-bin/itshfbc/bin_win"
  cp "$build/src/program/tidewell.exe" "$build/src/program/Tidewell.txt" "$dist/"
  cp "$qt_prefix/plugins/platforms/qwindows.dll" "$dist/platforms/"
  [ -f "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" ] &&
    cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$dist/styles/"
  copy_imports "$dist/tidewell.exe" "$dist"/platforms/*.dll "$dist"/styles/*.dll
  # Qt finds its plugins beside the program without a qt.conf; one keeps it from looking
  # anywhere else.
  printf '[Paths]\nPrefix = .\nPlugins = .\n' >"$dist/qt.conf"

  # tidewell --demo looks for demo\ and demo-bin\itshfbc\bin_win\ beside the program.
  cp -r data/demo "$dist/demo"
  for name in icepacw voacapw rec533w; do
    cp "$build/tools/itshf/itshf-standin.exe" "$dist/demo-bin/itshfbc/bin_win/$name.exe"
  done
  # The stand-in is linked statically: it needs no DLL of its own.
  if imports "$build/tools/itshf/itshf-standin.exe" | grep -qi 'libstdc++\|libgcc\|winpthread'; then
    echo "itshf-standin.exe needs the MinGW runtime DLLs" >&2
    exit 1
  fi
  # Without their symbols (MinGW's libstdc++ alone carries 20 MB of them).
  find "$dist" -path "$dist/demo" -prune -o \( -name '*.dll' -o -name '*.exe' \) \
    -exec $mingw-strip --strip-unneeded {} +
  (cd "$(dirname "$dist")" && zip -qr9 "$zipfile" "$(basename "$dist")")
  echo "$zipfile: $(du -h "$zipfile" | cut -f1)"
}

# --- wine ----------------------------------------------------------------------------
step_wine() {
  local tmp display pid window
  tmp=$(mktemp -d)
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$tmp"' RETURN
  export WINEPREFIX=$tmp/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unzip -q "$zipfile" -d "$tmp"
  local exe=$tmp/Tidewell/tidewell.exe

  # A fresh prefix without the crash dialog, so a crash ends the run with an error.
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w

  check() {  # check NAME PATTERN ARGS...: runs the program; a line of its output must match
    local name=$1 expected=$2 out
    shift 2
    if ! out=$(cd "$tmp" && timeout 300 wine "$exe" "$@" 2>&1); then
      printf '%s\n' "$out" >&2
      echo "wine tidewell.exe $*: failed" >&2
      exit 1
    fi
    out=${out//$'\r'/}
    if ! grep -qE -- "$expected" <<<"$out"; then
      printf '%s\n' "$out" >&2
      echo "wine tidewell.exe $*: no line matches \"$expected\"" >&2
      exit 1
    fi
    echo "wine tidewell.exe $*: ok ($name)"
  }
  check help '^ +--demo ' --help
  # The profile beside the program, named with "\" only.
  check settings '^m_sProfileFile=[A-Z]:\\[^/]*\\Tidewell\\Tidewell\.Ini$' --print-settings
  # The demo runs on its own copy of the demo drive, never on the prefix's C:.
  check best-list '\[x\]' --demo --best-list
  if [ -e "$WINEPREFIX/drive_c/Program Files/AirMail/Airmail.ini" ]; then
    echo "wine tidewell.exe --demo wrote into the prefix's C:\\Program Files\\AirMail" >&2
    exit 1
  fi

  # The main window of the demo on a virtual screen.
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  local xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true; rm -rf "$tmp"' RETURN
  export DISPLAY=$display
  (cd "$tmp" && exec wine "$exe" --demo) >"$tmp/window.log" 2>&1 &
  pid=$!
  window=""
  for _ in $(seq 120); do
    window=$(xdotool search --onlyvisible --name '^Tidewell' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 1
  done
  if [ -z "$window" ]; then
    cat "$tmp/window.log" >&2
    echo "wine tidewell.exe --demo: no main window" >&2
    exit 1
  fi
  sleep 8  # the first list: every station's prediction runs the stand-in once
  mkdir -p "$(dirname "$screenshot")"
  # The screen cropped to Tidewell's window and the simulated AirMail's beside it.
  import -window root -trim +repage "$screenshot"
  echo "wine tidewell.exe --demo: the main window, $screenshot"
  xdotool key --window "$window" ctrl+q >/dev/null 2>&1 || true
  for _ in $(seq 30); do kill -0 $pid 2>/dev/null || break; sleep 1; done
  kill $pid 2>/dev/null || true
}

steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(deps qt program zip wine)
for s in "${steps[@]}"; do
  case $s in
    deps | qt | program | zip | wine) ;;
    *) echo "unknown step: $s (deps qt program zip wine)" >&2; exit 2 ;;
  esac
  start=$SECONDS
  "step_$s"
  step_time "$s" $((SECONDS - start))
done
