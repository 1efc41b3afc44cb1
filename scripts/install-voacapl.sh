#!/usr/bin/env bash
# Sets up the real VOACAP engine for Linux (voacapl) for Tidewell, once.
#
#   scripts/install-voacapl.sh SOURCE [--drive-c DIR]
#
# SOURCE   voacapl's source, from its public repository https://github.com/jawatson/voacapl:
#          a release archive (.tar.gz, .tgz, .tar.xz, .zip; the repository's Releases page),
#          or a folder: a clone of the repository or an unpacked archive
# DIR      the folder that stands for drive C: (default: $WINEPREFIX/drive_c, else
#          ~/.wine/drive_c, the drive Tidewell uses without --drive-c)
#
# Builds voacapl (installing gfortran and the autotools with apt-get when missing) and puts
# it where Tidewell looks for it: the program as DIR/itshfbc/bin_linux/voacapl and the
# engine's data tree (antennas, coefficients, ...) in DIR/itshfbc, as in an ITS HF
# installation. Files already there are kept. Then it runs the engine once on a small deck
# to check it. From then on Tidewell's VOACAP model (Model=2) runs voacapl directly.
set -euo pipefail

usage() { echo "usage: $0 SOURCE [--drive-c DIR]" >&2; exit 2; }
[ $# -ge 1 ] || usage
source=$1; shift
drive=""
while [ $# -gt 0 ]; do
  case $1 in
    --drive-c) [ $# -ge 2 ] || usage; drive=$2; shift 2 ;;
    *) usage ;;
  esac
done
if [ -z "$drive" ]; then
  if [ -n "${WINEPREFIX:-}" ]; then drive=$WINEPREFIX/drive_c; else drive=$HOME/.wine/drive_c; fi
fi
[ -e "$source" ] || { echo "$0: no such source: $source" >&2; exit 1; }
source=$(cd "$(dirname "$source")" && pwd)/$(basename "$source")

# gfortran and the autotools, with what Tidewell's own build needs, when missing (and unzip
# for a .zip archive).
tools=(gfortran make autoconf automake)
case ${source,,} in *.zip) tools+=(unzip) ;; esac
"$(dirname "$0")/install-deps.sh" "${tools[@]}"

work=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-voacapl.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The source: the archive unpacked, or the folder copied without a clone's history (the build
# writes into it, and the user's folder stays as it is).
mkdir "$work/src"
if [ -d "$source" ]; then
  (cd "$source" && tar -cf - --exclude=./.git .) | tar -xf - -C "$work/src"
else
  case ${source,,} in
    *.zip) unzip -q "$source" -d "$work/src" ;;
    *) tar -xf "$source" -C "$work/src" ;;
  esac
fi
top=$work/src
while [ ! -e "$top/configure.ac" ] && [ "$(find "$top" -mindepth 1 -maxdepth 1 | wc -l)" -eq 1 ]; do
  top=$(find "$top" -mindepth 1 -maxdepth 1)
done
[ -e "$top/configure.ac" ] || { echo "$0: $source holds no voacapl source (no configure.ac)" >&2; exit 1; }

echo "Building voacapl (a minute or two)"
jobs=$(nproc 2>/dev/null || echo 2)
(
  cd "$top"
  autoreconf -fi >"$work/autoreconf.log" 2>&1
  ./configure --prefix="$work/prefix" >"$work/configure.log" 2>&1
  make -j"$jobs" >"$work/make.log" 2>&1
  make install >"$work/install.log" 2>&1
) || { echo "$0: the build failed; its last lines:" >&2; tail -n 20 "$work"/*.log >&2; exit 1; }
# The data tree as the engine's own makeitshfbc lays it out, made under a home of its own.
HOME="$work/prefix" sh "$work/prefix/bin/makeitshfbc" >"$work/makeitshfbc.log" 2>&1
[ -f "$work/prefix/itshfbc/antennas/default/const17.voa" ] ||
  { echo "$0: makeitshfbc made no data tree" >&2; exit 1; }

# Into drive C: the program, and every data folder but the run folder (Tidewell's RUN
# holds its deck and output), copied whole (the tree's links point into the build).
itshfbc=$drive/itshfbc
mkdir -p "$itshfbc/bin_linux"
install -m 755 "$work/prefix/bin/voacapl" "$itshfbc/bin_linux/voacapl"
for folder in "$work/prefix/itshfbc"/*/; do
  name=$(basename "$folder")
  case ${name,,} in run) continue ;; esac
  mkdir -p "$itshfbc/$name"
  cp -RLn "$folder." "$itshfbc/$name/"
done
[ -d "$itshfbc/RUN" ] || [ -d "$itshfbc/run" ] || mkdir -p "$itshfbc/RUN"

# One run on a small deck, in a folder of its own.
mkdir "$work/run"
printf '%s\r\n' "LINEMAX      55" "COEFFS    CCIR" "TIME         12   12    1    1" \
  "MONTH      2026    6" "SUNSPOT   100.0  3.0" "LABEL     XMTR                  RCVR" \
  "CIRCUIT   42.34N    71.06W    37.74N    25.67W        0" \
  "SYSTEM      1.0 145. 10.0 50.0 40.0   .0 10.0" "FPROB      1.00 1.00 1.00  .00" \
  "ANTENNA       1    1    2   30     0.000[default/const17.voa  ]  0.0    0.1000" \
  "ANTENNA       2    2    2   30     0.000[default/swwhip.voa   ]  0.0    0.0000" \
  "METHOD       26    0" "EXECUTE" "FREQUENCY   7.1 14.1" "METHOD       20    0" "EXECUTE" "QUIT" \
  >"$work/run/sound.dat"
"$itshfbc/bin_linux/voacapl" -s --run-dir="$work/run" "$itshfbc" sound.dat sound.out </dev/null \
  >"$work/run/said.txt" 2>&1 || true
if ! grep -q 'END OF RUN' "$work/run/sound.out" 2>/dev/null; then
  echo "$0: voacapl is installed in $itshfbc but did not run a deck:" >&2
  cat "$work/run/said.txt" >&2
  exit 1
fi
echo "voacapl installed: $itshfbc/bin_linux/voacapl, its data in $itshfbc"
echo "Tidewell's VOACAP model (Model=2, Options > Propagation) now runs it directly."
