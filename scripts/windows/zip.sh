#!/usr/bin/env bash
# Step zip of scripts/windows-build.sh: gathers the program, the Qt libraries and plugins, the
# MinGW runtime, the licences, the demo data and the stand-ins in build/windows-dist/Tidewell
# and zips that folder to build/tidewell-windows-x64.zip.
# Needs: the program step (build/windows), the qt step, zip.

# shellcheck source=scripts/windows/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

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

# Run alone (bash scripts/windows/zip.sh): this step only, as scripts/windows-build.sh zip runs it.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  start=$SECONDS
  step_zip
  step_time zip $((SECONDS - start))
fi
