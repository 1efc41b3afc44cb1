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
# The steps live in scripts/windows/, one file each, sharing scripts/windows/common.sh.
# shellcheck source=scripts/windows/common.sh
source scripts/windows/common.sh
for s in deps qt program zip wine user installer engine; do
  # shellcheck source=/dev/null
  source "scripts/windows/$s.sh"
done

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
