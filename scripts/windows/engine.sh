#!/usr/bin/env bash
# Step engine of scripts/windows-build.sh: the real VOACAP engines, the zipped program under
# Wine against the Linux build (below).
# Needs: the zip step (build/tidewell-windows-x64.zip); TIDEWELL_VOACAPW_TREE and
# TIDEWELL_VOACAPL (else skipped, or under CI=true failed); the Linux build in build/dev or
# build/release (configured and brought up to date here); Wine.

# shellcheck source=scripts/windows/common.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

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

# Run alone (bash scripts/windows/engine.sh): this step only, as scripts/windows-build.sh engine runs it.
if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  start=$SECONDS
  step_engine
  step_time engine $((SECONDS - start))
fi
