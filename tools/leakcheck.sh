#!/usr/bin/env bash
# Leak check of the plug-in's whole life, create to destroy, under valgrind.
#
# Builds the plug-in and the host tests without sanitizers (in build/leakcheck,
# or $LEAKCHECK_BUILD) and runs the load/unload test under memcheck: 100 cycles
# of dlopen, VSTPluginMain, IR load, kernel rebuilds, processing, editor open
# and effClose, then dlclose (RVB_LIFECYCLE_CYCLES changes the count). Exits
# non-zero when memcheck finds a definitely or indirectly lost block or a
# memory error. The AddressSanitizer build runs the same test with
# LeakSanitizer as part of ./build.sh test.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LEAKCHECK_BUILD:-build/leakcheck}

if ! command -v valgrind >/dev/null; then
  echo "Installing valgrind"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends valgrind
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRVB_SANITIZE=none \
  -DRVB_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" -j2 KestrelReverb test_host

# The test programs count allocations with a malloc of their own; memcheck must
# replace that one too (somalloc=NONE), or it would not see the plug-in's blocks.
# The few blocks fontconfig and cairo keep for the whole process are suppressed
# (tools/leakcheck.supp); their caches otherwise stay "still reachable", which
# is not counted.
exec valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect \
  --errors-for-leak-kinds=definite,indirect --error-exitcode=1 --num-callers=30 \
  --soname-synonyms=somalloc=NONE --suppressions=tools/leakcheck.supp \
  "$build/tests/test_host" --gtest_filter='HostileHostLifecycle.*'
