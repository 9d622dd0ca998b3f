#!/usr/bin/env bash
# ./build.sh demo   build the plug-in and render the bundled demo through it
# ./build.sh test   build everything and run all tests (sanitizers included)
# ./build.sh install  build a release plug-in and install it into ~/.vst (VST 2.4), ~/.vst3 (VST 3) and ~/.lv2 (LV2)
# ./build.sh windows  cross-build the Windows DLL and host (and their tests) into build/windows
# ./build.sh screenshot  make the README's picture of the editor, docs/editor.png
# ./build.sh bench    release builds of the benchmarks -> build/bench/bench/ (run each by hand)
# ./build.sh package  release builds -> build/dist/kestrel-reverb_<version>_amd64.deb and
#                     KestrelReverb-<version>-win64.zip (tools/test-packages.sh tests them)
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

if [ "${1:-}" = "package" ]; then tools/install-deps.sh --packaging; else tools/install-deps.sh; fi

configure() { # folder, extra cmake args...
  local dir=$1; shift
  cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
}

# The Windows build: mingw-w64, the C and C++ runtimes linked in; its test
# programs run under Wine (tools/wine-run.sh).
build_windows() { # targets (all when none)...
  configure build/windows -DCMAKE_TOOLCHAIN_FILE="$root/tools/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DRVB_BUILD_BENCH=OFF
  ninja -C build/windows -j"$jobs" "$@"
}

case "${1:-}" in
  demo)
    configure build/release -DCMAKE_BUILD_TYPE=Release -DRVB_BUILD_TESTS=OFF -DRVB_BUILD_BENCH=OFF
    ninja -C build/release -j"$jobs" KestrelReverb rvbhost
    build/release/rvbhost info --plugin build/release/KestrelReverb.so | head -n 8
    build/release/rvbhost render resources/demo/demo_input.wav build/demo_output.wav \
      --plugin build/release/KestrelReverb.so --ir "$root/resources/demo/demo_ir.wav" \
      --set WetLevel=0.75 --set DryLevel=0.8333333
    ;;
  test)
    # Debug build under AddressSanitizer and UndefinedBehaviorSanitizer: every test.
    configure build/asan -DCMAKE_BUILD_TYPE=Debug -DRVB_SANITIZE=address
    ninja -C build/asan -j"$jobs"
    # The Windows DLL, host and tests, cross-built; the Linux tests compare with them.
    build_windows
    ctest --test-dir build/asan --output-on-failure -j"$jobs"
    # Wine's services outlive the comparisons above on an X display that is gone: a fresh start.
    tools/wine-run.sh --stop
    # Then the Windows tests under Wine, on one X display (the editor's need one).
    tools/with-display.sh ctest --test-dir build/windows --output-on-failure -j"$jobs"
    tools/wine-run.sh --stop
    # Every IR reader and the path decoding under libFuzzer, for a bounded time each.
    tools/fuzz.sh "${RVB_FUZZ_SECONDS:-30}"
    # The concurrency tests again under ThreadSanitizer.
    if compgen -G "tests/threads/*.cpp" >/dev/null; then
      configure build/tsan -DCMAKE_BUILD_TYPE=Debug -DRVB_SANITIZE=thread -DRVB_BUILD_BENCH=OFF
      ninja -C build/tsan -j"$jobs" test_threads
      TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
        tools/with-display.sh ctest --test-dir build/tsan --output-on-failure -L threads
    fi
    ;;
  install)
    configure build/release -DCMAKE_BUILD_TYPE=Release -DRVB_BUILD_TESTS=OFF -DRVB_BUILD_BENCH=OFF
    ninja -C build/release -j"$jobs" KestrelReverb KestrelReverbLive KestrelReverb_lv2 KestrelReverb_vst3
    mkdir -p ~/.vst/data
    cp build/release/KestrelReverb.so build/release/KestrelReverbLive.so ~/.vst/
    cp resources/demo/demo_ir.wav ~/.vst/data/
    echo "installed ~/.vst/KestrelReverb.so, ~/.vst/KestrelReverbLive.so and their IR folder ~/.vst/data"
    # The bundle's files are replaced; IR files copied into its data folder stay.
    mkdir -p ~/.lv2/KestrelReverb.lv2/data
    cp build/release/KestrelReverb.lv2/*.ttl build/release/KestrelReverb.lv2/KestrelReverb.so ~/.lv2/KestrelReverb.lv2/
    cp build/release/KestrelReverb.lv2/data/demo_ir.wav ~/.lv2/KestrelReverb.lv2/data/
    echo "installed ~/.lv2/KestrelReverb.lv2 and its IR folder ~/.lv2/KestrelReverb.lv2/data"
    # Likewise the VST 3 bundle: its binary replaced, its IR library kept.
    vst3=~/.vst3/KestrelReverb.vst3/Contents
    mkdir -p "$vst3/x86_64-linux" "$vst3/Resources/data"
    cp build/release/KestrelReverb.vst3/Contents/x86_64-linux/KestrelReverb.so "$vst3/x86_64-linux/"
    cp build/release/KestrelReverb.vst3/Contents/Resources/data/demo_ir.wav "$vst3/Resources/data/"
    echo "installed ~/.vst3/KestrelReverb.vst3 and its IR folder ~/.vst3/KestrelReverb.vst3/Contents/Resources/data"
    ;;
  windows)
    build_windows KestrelReverb KestrelReverbLive KestrelReverb_vst3 rvbhost
    ls -l build/windows/KestrelReverb.dll build/windows/KestrelReverbLive.dll \
      build/windows/KestrelReverb.vst3/Contents/x86_64-win/KestrelReverb.vst3 build/windows/rvbhost.exe
    ;;
  package)
    # What packaging/CMakeLists.txt lists, built in release mode and packaged
    # (the .deb checked by lintian on the way).
    configure build/release -DCMAKE_BUILD_TYPE=Release -DRVB_BUILD_TESTS=OFF -DRVB_BUILD_BENCH=OFF
    ninja -C build/release -j"$jobs" package_deb
    build_windows package_zip
    ls -l build/dist
    ;;
  screenshot)
    # The editor as an installed copy shows it (the demo IR in the plug-in's
    # data folder), on an X server of its own. The copy lives at a fixed place
    # so that the picture names the same folder on every machine.
    configure build/release -DCMAKE_BUILD_TYPE=Release -DRVB_BUILD_TESTS=OFF -DRVB_BUILD_BENCH=OFF
    ninja -C build/release -j"$jobs" KestrelReverb rvbhost
    stage=/tmp/KestrelReverb/.vst
    rm -rf /tmp/KestrelReverb
    mkdir -p "$stage/data" docs
    cp build/release/KestrelReverb.so "$stage/"
    cp resources/demo/demo_ir.wav "$stage/data/"
    tools/with-display.sh --own build/release/rvbhost editor --plugin "$stage/KestrelReverb.so" \
      --ir "$stage/data/demo_ir.wav" --set PreDelay=0.1 --set Enabled_HPF=1 --set HPF=0.3 \
      --set Enabled_LPF=1 --set LPF=0.7 --set WetLevel=0.75 --seconds 2 --screenshot docs/editor.png
    rm -rf /tmp/KestrelReverb
    ;;
  bench)
    # A folder of their own, so that the other release builds leave them be.
    configure build/bench -DCMAKE_BUILD_TYPE=Release -DRVB_BUILD_TESTS=OFF -DRVB_BUILD_BENCH=ON
    ninja -C build/bench -j"$jobs"
    ls build/bench/bench/bench_*
    ;;
  *)
    echo "usage: ./build.sh demo | test | install | windows | package | screenshot | bench" >&2
    exit 2
    ;;
esac
