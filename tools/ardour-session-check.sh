#!/usr/bin/env bash
# A real DAW keeps the reverb's VST 3 classes in a project: Ardour 7, headless
# (ardour7-lua, Dummy backend), puts each class on a track, loads an IR through
# the plug-in's IR_FileSelect as a host's generic editor presses it, sets two
# settings, saves the session and opens it afresh in a new process, where the
# class, its latency, the settings and the IR must be back (the IR shows as the
# file that CopyToLocal offers to copy, and copies, into the bundle's library).
# Needs Debian's ardour package (apt-get install ardour). About a minute; not
# part of ./build.sh test. Builds the bundle unsanitised into build/plain.
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
ninja -C "$root/build/plain" -j2 KestrelReverb_vst3 >/dev/null

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
[ $failed -eq 0 ] || exit 1
echo "ardour-session-check: both classes restored by Ardour 7"
