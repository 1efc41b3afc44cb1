#!/usr/bin/env bash
# Step user of scripts/windows-build.sh: runs the zipped program under Wine as a user without
# administrator rights (below).
# Needs: the zip step (build/tidewell-windows-x64.zip); Wine, Xvfb, xdotool, ImageMagick,
# script and setpriv (bsdutils, util-linux).

# shellcheck source=scripts/windows/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

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
  local file
  file=$user_home/prefix/drive_c/users/$(as_user sh -c 'echo "${USER:-$(id -un)}"')/AppData/Roaming/Tidewell/Tidewell.Ini

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

# Run alone (bash scripts/windows/user.sh): this step only, as scripts/windows-build.sh user runs it.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  start=$SECONDS
  step_user
  step_time user $((SECONDS - start))
fi
