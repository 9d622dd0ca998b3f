#!/usr/bin/env bash
# A real host's view of a VST 3 bundle: Ardour 7's own scanner (built on the
# format's SDK) loads the module, makes each effect's component, reads its
# buses and indexes its classes. Needs Debian's ardour package (large, so not
# in install-deps.sh: apt-get install ardour).
#   tools/ardour-vst3-scan.sh                      the test module, built unsanitised into build/plain
#   tools/ardour-vst3-scan.sh reverb               the reverb's bundle (both editions), built likewise
#   tools/ardour-vst3-scan.sh BUNDLE.vst3 NAME...  a bundle, and the effect names it must index
# Sanitised builds cannot be scanned: the scanner has no sanitiser runtime, and
# with one preloaded the type checks of calls through interfaces fire on the
# host's own objects, whose classes are declared by the SDK, not by us.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scanner=/usr/lib/ardour7/ardour-vst3-scanner
if [ ! -x "$scanner" ]; then
  echo "ardour-vst3-scan: no $scanner (apt-get install ardour)" >&2
  exit 2
fi
if [ $# -eq 0 ] || [ "$1" = reverb ]; then
  cmake -S "$root" -B "$root/build/plain" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRVB_BUILD_BENCH=OFF >/dev/null
  if [ $# -eq 0 ]; then
    ninja -C "$root/build/plain" -j2 vst3_fixture >/dev/null
    set -- "$root/build/plain/GainFixture.vst3" "Fixture Gain" "Fixture Gain Split"
  else
    ninja -C "$root/build/plain" -j2 KestrelReverb_vst3 >/dev/null
    set -- "$root/build/plain/KestrelReverb.vst3" "KS [TALU-01] Convolution Reverb" "KS [TALU-01] Convolution Reverb Live"
  fi
fi
bundle=$1
shift
# The scanner's cache goes to a folder of its own, not the user's.
cache=$(mktemp -d)
trap 'rm -rf "$cache"' EXIT
status=0
output=$(XDG_CACHE_HOME=$cache HOME=$cache LD_LIBRARY_PATH=/usr/lib/ardour7 \
  timeout 120 "$scanner" --verbose --force "$bundle" 2>&1) || status=$?
echo "$output"
if [ $status -ne 0 ]; then
  echo "ardour-vst3-scan: the scanner failed (status $status)" >&2
  exit 1
fi
missing=0
for name in "$@"; do
  if ! grep -qxF "[Info]: Found Plugin: $name" <<<"$output"; then
    echo "ardour-vst3-scan: \"$name\" was not indexed" >&2
    missing=1
  fi
done
[ $missing -eq 0 ] || exit 1
echo "ardour-vst3-scan: $# classes indexed from $bundle"
