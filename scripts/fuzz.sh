#!/usr/bin/env bash
# Runs every fuzz target (or the ones named) for SECONDS each with its seed
# corpus, then prints the executions and the coverage each reached.
#   bash scripts/fuzz.sh SECONDS [TARGET...]
# Environment: ZAVI_FUZZ_BUILD (build folder, default build-fuzz),
# ZAVI_FUZZ_PARALLEL (targets run at once, default 1),
# ZAVI_FUZZ_MERGE=1 (fold what the run found into the seed corpus in the
# tree, keeping only inputs that reach new code).
# New inputs collect in <build>/corpus/<target>; a failing input is kept in
# <build>/artifacts/<target>/ and listed at the end. The run fails when any
# target found a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz.sh SECONDS [TARGET...]}
shift
build=${ZAVI_FUZZ_BUILD:-build-fuzz}
parallel=${ZAVI_FUZZ_PARALLEL:-1}
export ZAVI_PLATFORM=virtual SDL_AUDIODRIVER=dummy

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZAVI_BUILD_FUZZ=ON -DZAVI_BUILD_TESTS=OFF -DZAVI_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(ls fuzz/corpus)
fi

run_target() {
  local target=$1 log="$build/fuzz-logs/$1.log"
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target" "$build/fuzz-logs"
  "$build/bin/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=60 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target/" "$build/corpus/$target" "fuzz/corpus/$target" >"$log" 2>&1 || true
}

running=0
for target in "${targets[@]}"; do
  [ -x "$build/bin/$target" ] || { echo "no fuzz target $target in $build/bin" >&2; exit 2; }
  run_target "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then wait -n; running=$((running - 1)); fi
done
wait

failed=0
printf '%-22s %12s %8s %8s %s\n' target executions cov ft failures
for target in "${targets[@]}"; do
  log="$build/fuzz-logs/$target.log"
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
  # Crashes, leaks, timeouts and memory blow-ups fail the run; an input
  # that was merely slow (libFuzzer keeps those too) is listed to look at.
  found=$(find "$build/artifacts/$target" -type f ! -name 'slow-unit-*' | wc -l)
  printf '%-22s %12s %8s %8s %s\n' "$target" "${executions:-?}" \
    "$(echo "$coverage" | awk '{print $2}')" "$(echo "$coverage" | awk '{print $4}')" "$found"
  [ "$found" -eq 0 ] || failed=1
  find "$build/artifacts/$target" -type f -printf '  %p\n'
  if [ "${ZAVI_FUZZ_MERGE:-0}" = 1 ]; then
    # Edges only (no hit counts): the corpus in the tree stays a few dozen
    # files a target.
    "$build/bin/$target" -merge=1 -use_counters=0 "fuzz/corpus/$target" "$build/corpus/$target" >/dev/null 2>&1
  fi
done
exit "$failed"
