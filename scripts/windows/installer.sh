#!/usr/bin/env bash
# Step installer of scripts/windows-build.sh: builds the NSIS installer and checks its silent
# install and uninstall under Wine (below).
# Needs: the zip step (its folder build/windows-dist/Tidewell); NSIS, Wine.

# shellcheck source=scripts/windows/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

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

# Run alone (bash scripts/windows/installer.sh): this step only, as scripts/windows-build.sh installer runs it.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  start=$SECONDS
  step_installer
  step_time installer $((SECONDS - start))
fi
