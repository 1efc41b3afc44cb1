#!/usr/bin/env bash
# Builds Tidewell for 64-bit Windows on Debian 12 and checks the result under Wine.
#
#   scripts/windows-build.sh [step...]      steps: deps qt program zip wine user installer engine
#                                            (default: all)
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
#          64-bit prefix: --help, --print-settings, --demo --best-list, --demo --profile,
#          --best-list with AirMail installed in the prefix (it must not start AirMail), and
#          on Xvfb --map (the station map into a PNG) and the demo's main window, whose
#          screenshot goes to build/windows-wine.png
#          (TIDEWELL_SCREENSHOT=docs/images/windows-wine.png writes it there instead) and
#          which must exit cleanly within seconds of Ctrl+Q; and the program unpacked into
#          a folder with a Cyrillic name keeps its settings beside it across two starts
# user     runs the zipped program under Wine as a user without administrator rights: in a
#          folder that user cannot write, with and without a Tidewell.Ini beside the
#          program, the settings kept in the per-user file across starts; --airmail-report in a console and into a file, in UTF-8
# installer builds build/tidewell-windows-x64-setup.exe (NSIS) from the zip's folder, and
#          installs, runs and uninstalls it silently in a fresh Wine prefix
# engine   runs the zipped tidewell.exe under Wine with the real VOACAP engine for Windows
#          (TIDEWELL_VOACAPW_TREE: a c:\itshfbc tree with bin_win\voacapw.exe) and the Linux
#          build (build/dev, else build/release) with the real voacapl (TIDEWELL_VOACAPL, its
#          data tree TIDEWELL_VOACAPL_ITSHFBC or itshfbc above its bin folder) on copies of
#          the demo drive, and compares their best lists and best connect time views; what
#          differs must be explained by the two engines' own outputs (build/windows-engine/).
#          Without the engines it is skipped, saying so; under CI=true it fails instead.
#          TIDEWELL_ENGINE_UTC sets another time for the runs.
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
  scripts/install-deps.sh ninja-build dpkg-dev zip unzip wine wine64 xvfb xauth xdotool imagemagick \
    nsis bsdutils util-linux
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

# A text file for Windows: CR LF line ends.
dos_text() {
  sed 's/\r*$/\r/' "$1" >"$2"
}

# The licences: Tidewell's own (LICENSE.txt), and in licenses\ those of what the zip
# ships, as the Debian packages they were built from carry them: Qt's base module
# (LGPL-3, the GPL-3 it builds on, GPL-2 of its other choice, and its copyright file,
# which lists the third-party code Qt bundles with each licence's text: zlib, PCRE2,
# libpng, HarfBuzz, ...); the MinGW runtime (libgcc and libstdc++ under the GPL-3 with
# the GCC Runtime Library Exception, in the GCC copyright file; winpthreads, in the
# MinGW-w64 copyright file).
copy_licenses() {
  local to=$dist/licenses
  mkdir -p "$to/Qt" "$to/MinGW"
  dos_text LICENSE "$dist/LICENSE.txt"
  dos_text /usr/share/common-licenses/LGPL-3 "$to/Qt/LGPL-3.txt"
  dos_text /usr/share/common-licenses/GPL-3 "$to/Qt/GPL-3.txt"
  dos_text /usr/share/common-licenses/GPL-2 "$to/Qt/GPL-2.txt"
  dos_text /usr/share/doc/libqt6core6/copyright "$to/Qt/copyright.txt"
  dos_text /usr/share/common-licenses/GPL-3 "$to/MinGW/GPL-3.txt"
  dos_text /usr/share/doc/gcc-mingw-w64-base/copyright "$to/MinGW/gcc-runtime-copyright.txt"
  dos_text /usr/share/doc/mingw-w64-common/copyright "$to/MinGW/mingw-w64-copyright.txt"
  grep -q 'GCC RUNTIME LIBRARY EXCEPTION' "$to/MinGW/gcc-runtime-copyright.txt" &&
    grep -q 'winpthreads' "$to/MinGW/mingw-w64-copyright.txt" &&
    grep -q 'src/3rdparty/harfbuzz-ng' "$to/Qt/copyright.txt" ||
    { echo "the licence files of the Debian packages are not the ones expected" >&2; exit 1; }
  dos_text /dev/stdin "$to/README.txt" <<'TEXT'
Licences of the libraries shipped with Tidewell

Tidewell itself is under the MIT License: ..\LICENSE.txt.

Qt\      Qt's base module (Qt6Core, Qt6Gui, Qt6Widgets and the Windows plugins),
         under the GNU LGPL version 3 (LGPL-3.txt, which builds on GPL-3.txt; Qt may
         also be used under GPL-2.txt). copyright.txt lists Qt's files and the
         third-party code it bundles (zlib, PCRE2, libpng, HarfBuzz, double-conversion,
         md4c and others), each with its licence text. Qt's source is that of the
         Debian package qt6-base of the same version (apt-get source qt6-base).
MinGW\   The MinGW-w64 runtime: libgcc_s_seh-1.dll and libstdc++-6.dll under the
         GPL-3 (GPL-3.txt) with the GCC Runtime Library Exception (its text in
         gcc-runtime-copyright.txt); libwinpthread-1.dll under the licence given for
         winpthreads in mingw-w64-copyright.txt.
TEXT
}

step_zip() {
  rm -rf "$(dirname "$dist")" "$zipfile"
  mkdir -p "$dist/platforms" "$dist/styles" "$dist/demo-bin/itshfbc/bin_win"
  cp "$build/src/program/tidewell.exe" "$build/src/program/Tidewell.txt" \
    "$build/src/program/Coastline.dat" "$dist/"
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
  copy_licenses
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
  # The demo reads the copy of the profile it is given (in the temporary folder, on C:).
  printf '[Station Data]\r\nTop Stations=3\r\n' >"$tmp/user.ini"
  check demo-profile '^m_iStationTopStations=3$' --demo --profile user.ini --print-settings

  # A command that only prints never starts AirMail, also where AirMail is installed and
  # [AirMail Data] Startup is True (the default): the prefix gets AirMail's files, the
  # stand-in propagation programs, and an Airmail3.exe that leaves a mark when started.
  local airmail="$WINEPREFIX/drive_c/Program Files/AirMail"
  mkdir -p "$airmail" "$WINEPREFIX/drive_c/itshfbc/RUN"
  cp -r "$tmp/Tidewell/demo/drive_c/Program Files/AirMail/." "$airmail/"
  cp -r "$tmp/Tidewell/demo-bin/itshfbc/bin_win" "$WINEPREFIX/drive_c/itshfbc/"
  printf '#include <stdio.h>\nint main(void) { FILE* f = fopen("C:\\\\airmail-started", "w"); return f ? 0 : 1; }\n' \
    >"$tmp/airmail.c"
  $mingw-gcc -o "$airmail/Airmail3.exe" "$tmp/airmail.c"
  check installed-best-list '\[x\]' --best-list
  if [ -e "$WINEPREFIX/drive_c/airmail-started" ]; then
    echo "wine tidewell.exe --best-list started AirMail" >&2
    exit 1
  fi

  # The main window of the demo on a virtual screen.
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
  local xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true; rm -rf "$tmp"' RETURN
  export DISPLAY=$display
  for _ in $(seq 20); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.5; done
  # The station map painted into a picture (Qt Gui on the Windows platform plugin).
  check map '^Station.Range.Bearing.X.Y$' --demo --system HAM --map map.png --size 600x600
  if ! head -c 8 "$tmp/map.png" | grep -q PNG; then
    echo "wine tidewell.exe --map wrote no PNG" >&2
    exit 1
  fi
  (cd "$tmp" && exec wine "$exe" --demo --profile user.ini) >"$tmp/window.log" 2>&1 &
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
  # Ctrl+Q exits as File > Exit does: the settings are saved into the demo's profile and the
  # program ends at once, without a message box (one would keep it open), and the demo's
  # temporary drive is gone.
  xdotool key --window "$window" ctrl+q >/dev/null 2>&1 || true
  local status=running
  for _ in $(seq 10); do
    kill -0 $pid 2>/dev/null || { status=0; wait $pid || status=$?; break; }
    sleep 1
  done
  if [ "$status" != 0 ]; then
    import -window root "$tmp/exit.png" 2>/dev/null && cp "$tmp/exit.png" "$(dirname "$screenshot")/windows-wine-exit.png"
    kill $pid 2>/dev/null || true
    cat "$tmp/window.log" >&2
    echo "wine tidewell.exe --demo: no clean exit within 10 s of Ctrl+Q ($status)" >&2
    exit 1
  fi
  if find "$WINEPREFIX/drive_c/users" -path '*/tidewell-*/drive_c' | grep -q .; then
    echo "wine tidewell.exe --demo left its temporary drive" >&2
    exit 1
  fi
  echo "wine tidewell.exe --demo: Ctrl+Q exits at once, cleanly"

  # A program folder named outside the ANSI code page: the window's exit saves the settings
  # beside the program (no "Invalid name"), and the next start reads them there.
  local cyrillic=$tmp/Программы/Tidewell
  mkdir -p "$cyrillic"
  cp -R "$tmp/Tidewell/." "$cyrillic/"
  printf '[AirMail Data]\r\nStartup=False\r\nLat/Lon Check=False\r\n[Station Data]\r\nTop Stations=4\r\n' \
    >"$cyrillic/Tidewell.Ini"
  (cd "$tmp" && exec wine "$cyrillic/tidewell.exe") >"$tmp/cyrillic.log" 2>&1 &
  pid=$!
  window=""
  for _ in $(seq 120); do
    window=$(xdotool search --onlyvisible --name '^Tidewell$' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 1
  done
  [ -n "$window" ] || { cat "$tmp/cyrillic.log" >&2; echo "wine tidewell.exe in a Cyrillic folder: no main window" >&2; exit 1; }
  sleep 8
  xdotool key --window "$window" ctrl+q >/dev/null 2>&1 || true
  status=running
  for _ in $(seq 10); do
    kill -0 $pid 2>/dev/null || { status=0; wait $pid || status=$?; break; }
    sleep 1
  done
  if [ "$status" != 0 ] || ! grep -q '^\[Window Data\]' "$cyrillic/Tidewell.Ini"; then
    import -window root "$(dirname "$screenshot")/windows-wine-cyrillic.png" 2>/dev/null || true
    kill $pid 2>/dev/null || true
    cat "$tmp/cyrillic.log" "$cyrillic/Tidewell.Ini" >&2
    echo "wine tidewell.exe in a Cyrillic folder: no clean exit that saved the settings ($status)" >&2
    exit 1
  fi
  exe=$cyrillic/tidewell.exe
  check cyrillic-settings '^m_sProfileFile=[A-Z]:\\.*\\Программы\\Tidewell\\Tidewell\.Ini$' --print-settings
  check cyrillic-kept '^m_iStationTopStations=4$' --print-settings
}

# --- user ----------------------------------------------------------------------------
# The zipped program as a user without administrator rights meets it, under Wine in a
# fresh prefix of an unprivileged user (nobody when this runs as root, whose rights pass
# over a folder's permissions):
# - unpacked into a folder the user cannot write (as C:\Program Files is for them), once
#   with a Tidewell.Ini beside the program and once without: the first start takes the
#   settings into the per-user file (%APPDATA%\Tidewell\Tidewell.Ini, copied from the one
#   beside the program; without one no file is made ahead of time) and says so; a start
#   of the window, closed with Ctrl+Q, saves into that file; the next start reads the
#   settings there and says nothing more;
# - --airmail-report in a console (cmd.exe on a terminal, whose UTF-8 is what Wine's
#   console gives its characters as) and redirected into a file: the degree sign reads
#   right in both, the file in UTF-8 as the README says.
user_home=""

# as_user COMMAND...: runs the command as that user, in its prefix under $user_home.
as_user() {
  local run=(env HOME="$user_home" WINEPREFIX="$user_home/prefix" WINEARCH=win64 WINEDEBUG=-all
             WINEDLLOVERRIDES="mscoree,mshtml=")
  [ "$(id -u)" -eq 0 ] && run=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${run[@]}")
  (cd "$user_home" && "${run[@]}" "$@")
}

# user_settings NAME ARGS...: --print-settings of the unpacked program (its output in
# $user_home/NAME.out and .err); its settings file must be the per-user one.
user_settings() {
  local name=$1
  shift
  as_user timeout 300 wine "$user_exe" "$@" --print-settings >"$user_home/$name.out" 2>"$user_home/$name.err" ||
    { cat "$user_home/$name.err" >&2; echo "wine tidewell.exe --print-settings ($name): failed" >&2; exit 1; }
  sed -i 's/\r$//' "$user_home/$name.out" "$user_home/$name.err"
  grep -qE '^m_sProfileFile=C:\\users\\[^\\]+\\AppData\\Roaming\\Tidewell\\Tidewell\.Ini$' "$user_home/$name.out" ||
    { grep m_sProfileFile "$user_home/$name.out" >&2; echo "$name: not the per-user settings file" >&2; exit 1; }
}

# user_boxes DISPLAY SECONDS: answers the message boxes of the program for that long
# with Escape (OK, or No to a question): Tidewell's windows that are not its main
# window, told by their height.
user_boxes() {
  local display=$1 seconds=$2 w height
  for _ in $(seq "$seconds"); do
    for w in $(DISPLAY=$display xdotool search --onlyvisible --name '^Tidewell$' 2>/dev/null || true); do
      height=$(DISPLAY=$display xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
      [ -n "$height" ] && [ "$height" -lt 300 ] && DISPLAY=$display xdotool key --window "$w" Escape >/dev/null 2>&1
    done
    sleep 1
  done
}

# user_window NAME: the unpacked program's main window on Xvfb, closed with Ctrl+Q after
# its first list (with --utc at the demo position's time: no age warning; message boxes
# answered with Escape); its exit must save into the per-user file.
user_window() {
  local name=$1 xvfb pid window display
  display=:$((90 + RANDOM % 100))
  Xvfb "$display" -screen 0 1280x1000x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  DISPLAY=$display as_user wine "$user_exe" --utc 2024-05-14T19:00 >"$user_home/$name-window.log" 2>&1 &
  pid=$!
  user_boxes "$display" 20
  window=$(DISPLAY=$display xdotool search --onlyvisible --name '^Tidewell$' 2>/dev/null | head -n 1 || true)
  if [ -z "$window" ]; then
    cat "$user_home/$name-window.log" >&2; kill $xvfb 2>/dev/null
    echo "wine tidewell.exe ($name): no main window" >&2; exit 1
  fi
  DISPLAY=$display xdotool key --window "$window" ctrl+q >/dev/null 2>&1 || true
  for _ in $(seq 30); do kill -0 $pid 2>/dev/null || break; sleep 1; done
  if kill -0 $pid 2>/dev/null; then
    DISPLAY=$display import -window root "$repo/build/user-window-$name.png" 2>/dev/null || true
    kill $xvfb 2>/dev/null
    echo "wine tidewell.exe ($name): the window did not close on Ctrl+Q (build/user-window-$name.png)" >&2
    exit 1
  fi
  kill $xvfb 2>/dev/null || true
}

step_user() {
  local tmp way folder
  tmp=$(mktemp -d)
  chmod 755 "$tmp"
  user_home=$tmp/home
  mkdir -p "$user_home"
  trap 'as_user wineserver -k >/dev/null 2>&1 || true
        chmod -R u+w "$tmp"; rm -rf "$tmp"' RETURN
  [ "$(id -u)" -eq 0 ] && chown -R nobody "$user_home"
  as_user sh -c 'wineboot -i >/dev/null 2>&1
    wine reg add "HKCU\Software\Wine\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
    wineserver -w'
  # The zip once, for its demo drive and stand-ins: AirMail and the propagation programs
  # installed on the user's C:.
  unzip -q "$zipfile" -d "$tmp/zip"
  as_user cp -R --no-preserve=mode "$tmp/zip/Tidewell/demo/drive_c/." "$user_home/prefix/drive_c/"
  as_user cp -R --no-preserve=mode "$tmp/zip/Tidewell/demo-bin/itshfbc/bin_win" "$user_home/prefix/drive_c/itshfbc/"
  local file=$user_home/prefix/drive_c/users/$(as_user sh -c 'echo "${USER:-$(id -un)}"')/AppData/Roaming/Tidewell/Tidewell.Ini

  # Both ways: with a Tidewell.Ini beside the program (AirMail not started: the window
  # runs on the real desktop), and without one (the defaults: the question to start
  # AirMail is answered No).
  for way in beside none; do
    folder=$tmp/$way
    mkdir -p "$folder"
    cp -R "$tmp/zip/Tidewell" "$folder/"
    user_exe=$folder/Tidewell/tidewell.exe
    if [ "$way" = beside ]; then
      printf '[AirMail Data]\r\nStartup=False\r\n' >"$folder/Tidewell/Tidewell.Ini"
      cp "$folder/Tidewell/Tidewell.Ini" "$tmp/beside.ini"
    fi
    chmod -R a-w "$folder/Tidewell"
    as_user rm -f "$file"

    user_settings "$way-first"
    grep -q 'cannot be written, so the settings are kept in C:\\users\\.*\\Tidewell\.Ini from now on\.$' \
      "$user_home/$way-first.err" ||
      { cat "$user_home/$way-first.err" >&2; echo "$way: the first start did not say where the settings go" >&2; exit 1; }
    if [ "$way" = beside ]; then
      grep -qx 'm_bAirMailStartup=False' "$user_home/$way-first.out" ||
        { echo "beside: the first start did not take the settings over" >&2; exit 1; }
    elif [ -e "$file" ]; then
      echo "none: the first start made a settings file ahead of time" >&2; exit 1
    fi

    user_window "$way"
    grep -q '^\[Window Data\]' "$file" ||
      { cat "$file" >&2; echo "$way: the window's exit did not save into the per-user file" >&2; exit 1; }
    if [ "$way" = beside ]; then
      grep -q '^Startup=False' "$file" && cmp -s "$folder/Tidewell/Tidewell.Ini" "$tmp/beside.ini" ||
        { cat "$file" >&2; echo "beside: the settings were not kept, or the file beside the program changed" >&2; exit 1; }
    elif [ -e "$folder/Tidewell/Tidewell.Ini" ]; then
      echo "none: a Tidewell.Ini was made beside the program" >&2; exit 1
    fi

    user_settings "$way-second"
    ! grep -q 'cannot be written' "$user_home/$way-second.err" &&
      grep -qx "m_bAirMailStartup=$([ "$way" = beside ] && echo False || echo True)" "$user_home/$way-second.out" ||
      { cat "$user_home/$way-second.err" >&2; echo "$way: the second start did not keep to the per-user file quietly" >&2; exit 1; }
  done
  user_exe=$tmp/beside/Tidewell/tidewell.exe
  echo "wine tidewell.exe in a folder the user cannot write, with and without a Tidewell.Ini beside it: settings kept in the per-user file, said once"

  # The degree sign, read from the same report in a console and in a file.
  local degree=$'\xc2\xb0'
  as_user timeout 300 script -qec \
    "wine cmd /c \"$(winepath_of "$user_exe") --demo --airmail-report & ping -n 4 127.0.0.1 >nul\"" \
    /dev/null 2>&1 </dev/null | sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' >"$tmp/console.txt" || true
  as_user timeout 300 wine "$user_exe" --demo --airmail-report >"$tmp/report.txt" 2>/dev/null
  local where
  for where in console report; do
    # (Wine's console moves the cursor over the blanks instead of writing them.)
    if ! grep -aqE "^Position: ?[0-9]{2}${degree}[0-9]{2}\.[0-9]{2}'[NS] ?[0-9]{3}${degree}" "$tmp/$where.txt" ||
       ! iconv -f UTF-8 -t UTF-8 "$tmp/$where.txt" >/dev/null 2>&1; then
      grep -a 'Position' "$tmp/$where.txt" | od -c | head -n 4 >&2
      echo "wine tidewell.exe --airmail-report ($where): the position does not read right in UTF-8" >&2
      exit 1
    fi
  done
  echo "wine tidewell.exe --airmail-report: the degree sign reads right in a console and in a file"
}

# The Windows name of a file on this machine, through Wine's Z: drive.
winepath_of() {
  local path=$1
  echo "Z:${path//\//\\}"
}

# --- installer -----------------------------------------------------------------------
# Builds build/tidewell-windows-x64-setup.exe with NSIS (scripts/tidewell.nsi) from the
# folder the zip step packed, then in a fresh Wine prefix installs it silently, runs the
# installed tidewell.exe --demo --best-list, and uninstalls it silently: first keeping
# the settings (only Tidewell.Ini stays), then, installed again, with /REMOVESETTINGS
# (nothing stays). The prefix's drive C: must hold nothing else the installer made.
installer=$repo/build/tidewell-windows-x64-setup.exe

# The prefix's files and folders, the temporary ones left out.
prefix_listing() {
  (cd "$WINEPREFIX/drive_c" && find . -mindepth 1 | grep -v -E '^\./users/[^/]+/(Temp|AppData/Local/Temp)(/|$)' |
    sort)
}

step_installer() {
  [ -f "$dist/tidewell.exe" ] || { echo "no $dist/tidewell.exe: run the zip step first" >&2; exit 1; }
  local tmp version
  tmp=$(mktemp -d)
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$tmp"' RETURN
  version=$(sed -n 's/^project(Tidewell VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  # The uninstaller's list: every file of the folder, then its folders, deepest first.
  (cd "$dist" &&
    find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|\$|$$|g; s|.*|Delete "$INSTDIR\\&"|' &&
    find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|\$|$$|g; s|.*|RMDir "$INSTDIR\\&"|') \
    >"$tmp/files.nsh"
  makensis -V2 -DDIST="$dist" -DFILES="$tmp/files.nsh" -DOUTFILE="$installer" -DVERSION="$version" \
    scripts/tidewell.nsi
  echo "$installer: $(du -h "$installer" | cut -f1)"

  export WINEPREFIX=$tmp/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  local user key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewell'
  user=$(cd "$WINEPREFIX/drive_c/users" && ls -d */ | grep -v -x 'Public/' | head -n 1)
  local home=./users/${user%/} folder menu
  folder=$home/AppData/Local/Programs/Tidewell
  menu="$home/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tidewell"
  prefix_listing >"$tmp/before.txt"

  local round
  for round in keep remove; do
    wine "$installer" /S
    wineserver -w
    for name in "$folder/tidewell.exe" "$folder/uninstall.exe" "$folder/LICENSE.txt" \
                "$folder/licenses/Qt/LGPL-3.txt" "$menu/Tidewell.lnk" "$menu/Tidewell Demo.lnk"; do
      [ -f "$WINEPREFIX/drive_c/$name" ] || { echo "the installer did not make $name" >&2; exit 1; }
    done
    wine reg query "$key" /v QuietUninstallString >/dev/null 2>&1 ||
      { echo "the installer did not list Tidewell among the installed programs" >&2; exit 1; }
    local out
    out=$(cd "$tmp" && timeout 300 wine "$WINEPREFIX/drive_c/$folder/tidewell.exe" --demo --best-list 2>&1) &&
      grep -q '\[x\]' <<<"$out" ||
      { printf '%s\n' "$out" >&2; echo "the installed tidewell.exe --demo --best-list failed" >&2; exit 1; }
    # The settings the program writes at exit.
    printf '[Station Data]\r\nTop Stations=3\r\n' >"$WINEPREFIX/drive_c/$folder/Tidewell.Ini"

    if [ $round = keep ]; then
      wine "$WINEPREFIX/drive_c/$folder/uninstall.exe" /S
    else
      wine "$WINEPREFIX/drive_c/$folder/uninstall.exe" /S /REMOVESETTINGS
    fi
    wineserver -w
    prefix_listing >"$tmp/after.txt"
    if [ $round = keep ]; then
      printf '%s\n' "$home/AppData/Local/Programs" "$folder" "$folder/Tidewell.Ini" >>"$tmp/before.txt"
      sort -o "$tmp/before.txt" "$tmp/before.txt"
    else
      grep -v -x -F -e "$home/AppData/Local/Programs" -e "$folder" -e "$folder/Tidewell.Ini" \
        "$tmp/before.txt" >"$tmp/before.new"
      mv "$tmp/before.new" "$tmp/before.txt"
    fi
    if ! diff "$tmp/before.txt" "$tmp/after.txt" >&2; then
      echo "the silent uninstall ($round the settings) left or removed other files than these (< expected, > found)" >&2
      exit 1
    fi
    if wine reg query "$key" >/dev/null 2>&1; then
      echo "the uninstaller left Tidewell among the installed programs" >&2
      exit 1
    fi
    echo "installer: installed, ran --demo --best-list and uninstalled silently, $round the settings"
  done
}

# --- engine --------------------------------------------------------------------------
# The zipped tidewell.exe with the real voacapw.exe under Wine against the Linux build
# with the real voacapl, on copies of the demo drive: each command's output must be the
# same on both, or differ only for stations whose circuit the two engines themselves
# print differently (see README, "The real engine under Wine").
engine_results=$repo/build/windows-engine
# At this hour one HAM circuit's MUF differs in its last digit between the two engines
# (25.18 against 25.17 MHz), so every run shows the explanation at work too.
engine_utc=${TIDEWELL_ENGINE_UTC:-2026-09-06T13:00}

# The normalised text of an engine's file: no CR, no form feed, the antenna names as
# voacapl takes them.
engine_text() {
  tr -d '\r\f' <"$1" | sed 's/\[DEFAULT\\CONST17\.VOA/[default\/const17.voa/; s/\[DEFAULT\\SWWHIP\.VOA /[default\/swwhip.voa /'
}

# The station identifier of a row's label: the SAILMAIL display name's key in the system
# file's [Station Info], else the label itself (HAM shows the identifier).
engine_station() {
  local file=$1 label=$2
  tr -d '\r' <"$file" | awk -v label="$label" '
    /^\[/ { info = ($0 == "[Station Info]") ; next }
    info && index($0, "=") {
      key = substr($0, 1, index($0, "=") - 1); value = substr($0, index($0, "=") + 1)
      if (index(value, ":") == 0) next
      name = substr(value, index(value, ":") + 1); sub(/;.*/, "", name)
      gsub(/^[ \t]+|[ \t]+$/, "", name)
      if (name == label) { print key; found = 1; exit }
    }
    END { if (!found) print label }'
}

# engine_needs WINDOWS_ROWS LINUX_ROWS: the engine's table rows that the columns differing
# between two sides' rows of one station come from (each file: the header, then the rows):
# the path line (AZIMUTHS), the MUF line of method 26 (MUF), or a method 20 row by its label.
# A row found on one side only, a check mark or the rows' order come from the SNR; a column
# the engine does not give is named as such, and no engine output explains it.
engine_needs() {
  awk -F'\t' '
    BEGIN {
      n = split("Range=AZIMUTHS|Azimuth=AZIMUTHS|Stn Az=AZIMUTHS|LUF-MUF=MUF|Layer=MODE|" \
                "T Ang=TANGLE|Signal=S DBW|Noise=N DBW|Snr=SNRxx|Slope=SNRxx", pairs, "|")
      for (i = 1; i <= n; i++) { split(pairs[i], kv, "="); source[kv[1]] = kv[2] }
    }
    FNR == 1 {
      side = FILENAME == ARGV[1] ? 1 : 2
      for (i = 1; i <= NF; i++) {
        name[i] = $i
        if ($i == "Frequency" || $i == "Pactor Freq") fc = i
      }
      next
    }
    {
      key = $1
      if (fc) { f = $fc; sub(/ \[[x ]\]$/, "", f); key = key "\t" f }
      order[side] = order[side] "\n" key
      row[side, key] = $0
      keys[key] = 1
    }
    END {
      for (k in keys) {
        if (!((1, k) in row) || !((2, k) in row)) { need["SNRxx"] = 1; continue }
        m = split(row[1, k], x, "\t")
        split(row[2, k], y, "\t")
        for (i = 1; i <= m; i++) {
          if (x[i] == y[i]) continue
          if (i == fc || name[i] ~ /^[0-2][0-9]$/) need["SNRxx"] = 1
          else if (name[i] in source) need[source[name[i]]] = 1
          else need["the column " name[i]] = 1
        }
      }
      if (order[1] != order[2]) need["SNRxx"] = 1
      for (l in need) print l
    }' "$1" "$2" | sort -u
}

# engine_labels DIFF: the table rows of the engines' output lines in a diff, named as
# engine_needs names them.
engine_labels() {
  awk '/^[<>] / {
    l = substr($0, 3)
    if (l ~ /[NS] +[0-9.]+ [EW] - +[0-9.]+ [NS]/) print "AZIMUTHS"
    else if (l ~ /^ *[0-9.]+( +-?[0-9.]+)( +-?[0-9.]+)( +-?[0-9.]+)( +-?[0-9.]+)( +-?[0-9.]+)( +-?[0-9.]+) *$/) print "MUF"
    else if (match(l, /[A-Za-z][A-Za-z ]*$/)) { t = substr(l, RSTART); sub(/ +$/, "", t); print t }
  }' "$1" | sort -u
}

step_engine() {
  local wtree=${TIDEWELL_VOACAPW_TREE:-} lprog=${TIDEWELL_VOACAPL:-} ltree why=""
  ltree=${TIDEWELL_VOACAPL_ITSHFBC:-}
  [ -z "$ltree" ] && [ -n "$lprog" ] && ltree=$(dirname "$lprog")/../itshfbc
  if [ -z "$wtree" ] || [ ! -f "$wtree/bin_win/voacapw.exe" ]; then
    why="TIDEWELL_VOACAPW_TREE names no c:\\itshfbc tree with bin_win/voacapw.exe"
  elif [ -z "$lprog" ] || [ ! -x "$lprog" ]; then
    why="TIDEWELL_VOACAPL names no voacapl program"
  elif [ ! -f "$ltree/antennas/default/const17.voa" ]; then
    why="voacapl's data tree $ltree has no antennas/default/const17.voa (TIDEWELL_VOACAPL_ITSHFBC)"
  fi
  if [ -n "$why" ]; then
    if [ "${CI:-}" = true ]; then
      echo "the real engines under Wine: $why" >&2
      exit 1
    fi
    echo "the real engines under Wine: skipped, $why"
    return 0
  fi

  # The Linux program: the dev build's, else the release build's, brought up to date.
  local preset=dev
  [ ! -f build/dev/CMakeCache.txt ] && [ -f build/release/CMakeCache.txt ] && preset=release
  [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" >/dev/null
  cmake --build "build/$preset" --target tidewell -j"$jobs" >/dev/null
  local linux_exe=$repo/build/$preset/src/program/tidewell

  # The Wine server is kept running (below), so it is stopped on every way out.
  engine_tmp=$(mktemp -d)
  local tmp=$engine_tmp
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$engine_tmp"; trap - RETURN EXIT' RETURN EXIT
  export WINEPREFIX=$tmp/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  unzip -q "$zipfile" -d "$tmp"
  local exe=$tmp/Tidewell/tidewell.exe

  # The two drives: the zipped demo drive with the voacapw.exe tree as c:\itshfbc (its
  # run folder is the drive's own RUN), and the same drive with voacapl as install-voacapl.sh
  # lays it out, its data folders linked.
  local win=$tmp/windows lin=$tmp/linux folder name
  cp -R "$tmp/Tidewell/demo" "$win"
  cp -R data/demo "$lin"
  for folder in "$wtree"/*/; do
    name=$(basename "$folder")
    [ "${name,,}" = run ] || cp -R "$folder" "$win/drive_c/itshfbc/$name"
  done
  mkdir -p "$lin/drive_c/itshfbc/bin_linux"
  ln -s "$(cd "$(dirname "$lprog")" && pwd)/$(basename "$lprog")" "$lin/drive_c/itshfbc/bin_linux/voacapl"
  for folder in "$ltree"/*/; do
    name=$(basename "$folder")
    [ "${name,,}" = run ] || ln -s "$(cd "$folder" && pwd)" "$lin/drive_c/itshfbc/$name"
  done

  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  wineserver -w
  wineserver -p  # kept running between the runs: a Wine start costs seconds
  local windrive
  windrive=$(winepath -w "$win")

  rm -rf "$engine_results"
  mkdir -p "$engine_results"

  # run SIDE OUTPUT_PREFIX SYSTEM ARGS...: one run of tidewell on a side's drive and
  # profile; keeps its output, its messages and the engine's last deck and output.
  run() {
    local side=$1 keep=$2 system=$3 drive=$tmp/$1 rc=0
    shift 3
    local args=(--utc "$engine_utc" --system "$system" "$@")
    if [ "$side" = windows ]; then
      (cd "$tmp" && timeout 300 wine "$exe" --drive-c "$windrive\\drive_c" \
        --profile "$windrive\\Tidewell.Ini" "${args[@]}") >"$keep.txt" 2>"$keep.err" || rc=$?
      sed -i 's/\r$//' "$keep.txt" "$keep.err"
    else
      timeout 300 "$linux_exe" --drive-c "$drive/drive_c" --profile "$drive/Tidewell.Ini" \
        "${args[@]}" >"$keep.txt" 2>"$keep.err" </dev/null || rc=$?
    fi
    cp "$drive/drive_c/itshfbc/RUN/sound.dat" "$keep.dat" 2>/dev/null || true
    cp "$drive/drive_c/itshfbc/RUN/sound.out" "$keep.out" 2>/dev/null || true
    if [ $rc -ne 0 ] || ! grep -q 'END OF RUN' "$keep.out" 2>/dev/null; then
      cat "$keep.err" >&2
      echo "$side tidewell ${args[*]}: exit code $rc, or no engine output" >&2
      exit 1
    fi
  }

  # explain CASE SYSTEM ARGS...: each station whose rows differ between the two sides,
  # run alone on both (the same command with only that station selected), keeping both
  # decks and outputs: explained when the decks are the same and the engines' outputs
  # differ in every table row that the differing columns come from.
  explain() {
    local dir=$1 system=$2 label station file ok=0 stations needs labels missing
    shift 2
    if [ "$(head -n 1 "$dir/windows.txt")" != "$(head -n 1 "$dir/linux.txt")" ]; then
      echo "  the headers differ: not explained by the engines" >&2
      return 1
    fi
    stations=$(diff <(sort "$dir/windows.txt") <(sort "$dir/linux.txt") | sed -n 's/^[<>] //p' |
      cut -f1 | sort -u)
    if [ -z "$stations" ]; then
      echo "  the same rows in another order: not explained by the engines" >&2
      return 1
    fi
    file="Program Files/AirMail/System.$system.ini"
    while IFS= read -r label; do
      station=$(engine_station "$lin/drive_c/$file" "$label")
      mkdir -p "$dir/$station"
      for side in windows linux; do
        awk -F'\t' -v l="$label" 'NR == 1 || $1 == l' "$dir/$side.txt" >"$dir/$station/$side.rows"
        cp "$tmp/$side/drive_c/$file" "$tmp/system.ini"
        sed -i "s/^Selected=.*\r\$/Selected=$station,\r/" "$tmp/$side/drive_c/$file"
        run "$side" "$dir/$station/$side" "$system" "$@"
        cp "$tmp/system.ini" "$tmp/$side/drive_c/$file"
      done
      echo "  $label ($station):"
      diff "$dir/$station/windows.rows" "$dir/$station/linux.rows" |
        sed -n 's/^</    windows:/p; s/^>/    linux:  /p'
      diff <(engine_text "$dir/$station/windows.out") <(engine_text "$dir/$station/linux.out") \
        >"$dir/$station/engines.diff" || true
      needs=$(engine_needs "$dir/$station/windows.rows" "$dir/$station/linux.rows")
      labels=$(engine_labels "$dir/$station/engines.diff")
      missing=$(comm -23 <(printf '%s\n' "$needs") <(printf '%s\n' "$labels"))
      echo "    the differing columns come from: $(paste -sd, <<<"$needs" | sed 's/,/, /g')"
      echo "    the engines' outputs (< voacapw.exe, > voacapl; $dir/$station) differ in:" \
        "$(paste -sd, <<<"${labels:-nothing}" | sed 's/,/, /g')"
      sed 's/^/      /' "$dir/$station/engines.diff" | head -n 40
      if ! cmp -s <(engine_text "$dir/$station/windows.dat") <(engine_text "$dir/$station/linux.dat"); then
        echo "    the two builds wrote different decks: not explained by the engines" >&2
        ok=1
      elif [ -n "$missing" ]; then
        echo "    not explained by the engines: $(paste -sd, <<<"$missing" | sed 's/,/, /g')" >&2
        ok=1
      fi
    done <<<"$stations"
    return $ok
  }

  local system combined command dir cases=0 same=0 failed=0 t0=$SECONDS
  for system in HAM SAILMAIL; do
    for combined in True False; do
      for command in list time; do
        dir=$engine_results/$system-$command-combined-$combined
        mkdir -p "$dir"
        local profile="[Propagation Data]\r\nModel=2\r\nCombined Runs=$combined\r\n"
        [ $command = list ] && profile+="Additional Data=True\r\n"
        profile+="[Station Data]\r\nTop Stations=40\r\nTop Frequencies=20\r\n"
        local args=(--best-list)
        [ $command = time ] && args=(--best-time --long)
        for side in windows linux; do
          printf "$profile" >"$tmp/$side/Tidewell.Ini"
          run "$side" "$dir/$side" "$system" "${args[@]}"
        done
        grep -q $'\r' "$dir/windows.out" && ! grep -q $'\r' "$dir/linux.out" ||
          { echo "$dir: the outputs are not voacapw.exe's and voacapl's" >&2; exit 1; }
        cases=$((cases + 1))
        if cmp -s "$dir/windows.txt" "$dir/linux.txt"; then
          same=$((same + 1))
          echo "engine $system ${args[*]}, Combined Runs=$combined: the same ($(wc -l <"$dir/linux.txt") lines)"
        else
          echo "engine $system ${args[*]}, Combined Runs=$combined: rows differ"
          explain "$dir" "$system" "${args[@]}" || failed=$((failed + 1))
        fi
      done
    done
  done
  echo "engine: $cases commands, $same the same, $((cases - same - failed)) differing as the engines do," \
    "$failed not explained ($((SECONDS - t0)) s; $engine_results)"
  [ $failed -eq 0 ] || exit 1
}

steps=("$@")
[ ${#steps[@]} -eq 0 ] && steps=(deps qt program zip wine user installer engine)
for s in "${steps[@]}"; do
  case $s in
    deps | qt | program | zip | wine | user | installer | engine) ;;
    *) echo "unknown step: $s (deps qt program zip wine user installer engine)" >&2; exit 2 ;;
  esac
  start=$SECONDS
  "step_$s"
  step_time "$s" $((SECONDS - start))
done
