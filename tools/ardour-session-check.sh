#!/usr/bin/env bash
# A real DAW keeps the reverb's VST 3 classes in a project: Ardour 7, headless
# (ardour7-lua, Dummy backend), puts each class on a track, loads an IR through
# the plug-in's IR_FileSelect as a host's generic editor presses it, sets two
# settings, saves the session and opens it afresh in a new process, where the
# class, its latency, the settings and the IR must be back (the IR shows as the
# file that CopyToLocal offers to copy, and copies, into the bundle's library).
# Then, for each class, Ardour renders a take of impulses through it with the
# latency compensated: its export must equal our own host's render of the
# same take (within 1e-6 of full scale).
# Needs Debian's ardour package (apt-get install ardour). About a minute and a
# half; not part of ./build.sh test. Builds the bundle unsanitised into build/plain.
#   tools/ardour-session-check.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for tool in ardour7-lua /usr/lib/ardour7/ardour-vst3-scanner; do
  if ! command -v "$tool" >/dev/null; then
    echo "ardour-session-check: no $tool (apt-get install ardour)" >&2
    exit 2
  fi
done
cmake -S "$root" -B "$root/build/plain" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRVB_BUILD_BENCH=OFF >/dev/null
ninja -C "$root/build/plain" -j2 KestrelReverb_vst3 rvbhost >/dev/null

# Ardour's settings, plug-in cache and VST 3 folder in a home of its own.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home
mkdir -p "$HOME/.vst3"
cp -r "$root/build/plain/KestrelReverb.vst3" "$HOME/.vst3/"
library=$HOME/.vst3/KestrelReverb.vst3/Contents/Resources/data
cp "$root/resources/demo/demo_ir.wav" "$work/room.wav"
echo "file $work/room.wav" >"$work/choose.txt"
printf 'yes\nyes\n' >"$work/agree.txt"
# Ardour's "BWAV 32float Export" format at the session's rate, as a preset.
mkdir -p "$HOME/.config/ardour7/export"
cat >"$HOME/.config/ardour7/export/float.preset" <<'PRESET'
<?xml version="1.0" encoding="UTF-8"?>
<ExportPreset id="3a9c1e0e-5b7a-4f7d-9a52-7e1f2b6c0d41" name="float32 at session rate">
  <ExportFormat id="20b4ab09-6452-4cb3-bd66-b921cdbd2942"/>
  <ExportFilename>
    <Folder relative="1" path="export"/>
    <Field name="timespan" enabled="1"/>
  </ExportFilename>
</ExportPreset>
PRESET

failed=0
check() { # what, output, expected line
  if grep -qxF -- "$3" <<<"$2"; then
    echo "  ok: $1 ($3)"
  else
    echo "  FAILED: $1: no line \"$3\"" >&2
    failed=1
  fi
}
lua() { # phase, session folder, class, dialog script
  PHASE=$1 SESSION_DIR=$2 CLASS=$3 RVB_DIALOG_SCRIPT=$4 timeout 300 ardour7-lua "$root/tools/ardour-session-check.lua" 2>&1
}
# Ardour finds the new bundle once, then its scanner indexes it, as a DAW's first start does.
lua discover "$work/discover" "" /dev/null >/dev/null
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst3-scanner --force "$HOME/.vst3/KestrelReverb.vst3" >/dev/null 2>&1
for class in "KS [TALU-01] Convolution Reverb:65536" "KS [TALU-01] Convolution Reverb Live:0"; do
  name=${class%:*}
  latency=${class##*:}
  session=$work/session-$latency
  rm -f "$library/room.wav"
  echo "$name"
  made=$(lua create "$session" "$name" "$work/choose.txt") || { echo "$made" >&2; exit 1; }
  check "the IR file dialog answered" "$(grep -o 'file dialog "IR File Select".*' <<<"$made" | sed 's/ in ".*" types.* -> / -> /')" \
    "file dialog \"IR File Select\" -> $work/room.wav"
  check "latency when made" "$made" "latency $latency"
  reopened=$(lua reopen "$session" "$name" "$work/agree.txt") || { echo "$reopened" >&2; exit 1; }
  check "class after reopening" "$reopened" "class $name"
  check "latency after reopening" "$reopened" "latency $latency"
  check "Decay after reopening" "$reopened" "Decay 10.0"
  check "WetLevel after reopening" "$reopened" "WetLevel -6.0"
  check "the IR in force after reopening" "$(grep -o 'question "Copy to Local".*' <<<"$reopened" | head -n 1 | grep -o "$work/room.wav" | head -n 1)" \
    "$work/room.wav"
  if [ -f "$library/room.wav" ] && cmp -s "$library/room.wav" "$work/room.wav"; then
    echo "  ok: the restored IR copied into the bundle's library"
  else
    echo "  FAILED: the restored IR was not copied into $library" >&2
    failed=1
  fi
done
# Ardour's render of a take through each class against our host's.
for name in "KS [TALU-01] Convolution Reverb" "KS [TALU-01] Convolution Reverb Live"; do
  echo "$name: a take of impulses rendered by Ardour"
  session=$work/render-${#name}
  mkdir -p "$work/export-${#name}"
  rendered=$(EXPORT_DIR=$work/export-${#name} lua render "$session" "$name" "$work/choose.txt") ||
    { echo "$rendered" >&2; exit 1; }
  take=$(ls "$session"/interchange/*/audiofiles/*%L.wav | head -n 1)
  sox -V1 -M "$take" "${take/\%L/%R}" -e floating-point -b 32 "$work/take.wav"
  "$root/build/plain/rvbhost" render "$work/take.wav" "$work/ours.wav" --plugin "$HOME/.vst3/KestrelReverb.vst3" \
    --class "$name" --set IR_FileSelect=1 --dialog-script "$work/choose.txt" --no-tail --quiet 2>/dev/null
  difference=$(sox -V1 -m -v 1 "$work/export-${#name}/render.wav" -v -1 "$work/ours.wav" -n stat 2>&1 |
    sed -n 's/^Maximum amplitude: *//p')
  peak=$(sox -V1 "$work/ours.wav" -n stat 2>&1 | sed -n 's/^Maximum amplitude: *//p')
  if awk -v d="$difference" -v p="$peak" 'BEGIN { exit !(d <= 1e-6 && p > 0.1) }'; then
    echo "  ok: Ardour's export equals our render (largest difference $difference, peak $peak)"
  else
    echo "  FAILED: Ardour's export differs from our render by $difference (peak $peak)" >&2
    failed=1
  fi
done
[ $failed -eq 0 ] || exit 1
echo "ardour-session-check: both classes restored and rendered by Ardour 7"
