#!/usr/bin/env bash
# Step wine of scripts/windows-build.sh: runs the zipped program under Wine in a fresh 64-bit
# prefix: the headless commands, AirMail installed but not started, the station map and the
# demo's main window on Xvfb (its screenshot, its exit on Ctrl+Q), a Cyrillic folder name.
# Needs: the zip step (build/tidewell-windows-x64.zip); Wine, Xvfb, xdotool, ImageMagick.

# shellcheck source=scripts/windows/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

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

# Run alone (bash scripts/windows/wine.sh): this step only, as scripts/windows-build.sh wine runs it.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  start=$SECONDS
  step_wine
  step_time wine $((SECONDS - start))
fi
