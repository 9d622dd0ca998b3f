#!/usr/bin/env bash
# Fuzzes the IR file readers and the path parameters with libFuzzer.
#
#   tools/fuzz.sh [seconds-per-target] [target...]
#
# Configures and builds build/fuzz with clang (ASan + UBSan + libFuzzer), then
# runs each target (all five by default) for the given time (default 60 s) on
# a fresh copy of its corpus from tests/fuzz/corpus/. Inputs that crash, hang
# or run out of memory are kept in build/fuzz/artifacts/; the script exits
# non-zero when any target failed, and ends with the executions per target.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-60}
shift || true
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: tools/fuzz.sh [seconds-per-target] [target...]" >&2
  exit 2
fi
all_targets=(fuzz_wave_reader fuzz_aiff_reader fuzz_split_pair fuzz_dispatch fuzz_path_params)
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

declare -A max_len=([fuzz_wave_reader]=32768 [fuzz_aiff_reader]=32768 [fuzz_split_pair]=8192
                    [fuzz_dispatch]=8192 [fuzz_path_params]=1024)
declare -A dict=([fuzz_wave_reader]=riff.dict [fuzz_aiff_reader]=aiff.dict [fuzz_dispatch]=dispatch.dict)
for t in "${targets[@]}"; do
  if [ -z "${max_len[$t]:-}" ]; then
    echo "unknown target $t (known: ${all_targets[*]})" >&2
    exit 2
  fi
done

tools/install-deps.sh
build=build/fuzz
# -O1 with assertions kept: RelWithDebInfo's default flags would define NDEBUG.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g" -DRVB_SANITIZE=none \
  -DRVB_BUILD_FUZZ=ON -DRVB_BUILD_TESTS=OFF -DRVB_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" -j"$(nproc 2>/dev/null || echo 2)" "${targets[@]}"

mkdir -p "$build/artifacts" "$build/logs"
# The file targets make a private folder each; keep them (and any a crash
# leaves behind) inside the build folder.
rm -rf "$build/tmp"
mkdir -p "$build/tmp"
export TMPDIR="$root/$build/tmp"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
failed=()
declare -A executions
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  cp tests/fuzz/corpus/"$t"/* "$corpus"/
  log="$build/logs/$t.log"
  args=(-max_total_time="$seconds" -max_len="${max_len[$t]}" -rss_limit_mb=2048 -timeout=10
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-")
  [ -z "${dict[$t]:-}" ] || args+=(-dict="tests/fuzz/${dict[$t]}")
  echo "== $t: ${seconds}s"
  rc=0
  "$build/tests/fuzz/$t" "${args[@]}" "$corpus" >"$log" 2>&1 || rc=$?
  executions[$t]=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ "$rc" -ne 0 ]; then
    failed+=("$t")
    echo "!! $t failed (exit $rc); log $log, input in $build/artifacts/"
    grep -E "ERROR|invariant|runtime error|Test unit written|SUMMARY" "$log" | head -n 20 || true
  fi
done

echo "== executions per target"
for t in "${targets[@]}"; do
  printf '%-18s %s\n' "$t" "${executions[$t]:-?}"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}"
  exit 1
fi
echo "fuzzing passed: ${#targets[@]} targets, ${seconds}s each"
