#!/usr/bin/env bash
# Runs every libFuzzer target of fuzz/ for the given minutes (default 30), at most FUZZ_JOBS
# at a time (default: the machine's cores), one core each. Each target starts from its seed
# corpus (fuzz/corpus/<target>) and its past reproducers (fuzz/crashes/<target>); what it
# learns stays in build-fuzz/corpus/<target>. A new crash, timeout (10 s) or memory above
# 2 GB is written to fuzz/crashes/<target>/ for the reproducer test of the suite. The last
# status lines of each run are kept in build-fuzz/logs/<target>.log.
#   scripts/fuzz.sh [minutes] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."

MINUTES=${1:-30}
shift || true
[ "$MINUTES" -ge 1 ] || { echo "minutes must be at least 1" >&2; exit 2; }
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=(workbook datafile formula number_text)
JOBS=${FUZZ_JOBS:-$(nproc)}
BUILD=${VANTREL_FUZZ_BUILD_DIR:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON \
  -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target "${TARGETS[@]/#/fuzz_}"

mkdir -p "$BUILD/logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run() {
  local t=$1
  local corpus="$BUILD/corpus/$t"
  mkdir -p "$corpus" "fuzz/crashes/$t"
  "$BUILD/fuzz/fuzz_$t" "$corpus" "fuzz/corpus/$t" "fuzz/crashes/$t" \
    -dict="fuzz/dict/$t.dict" -max_total_time=$((MINUTES * 60)) -timeout=10 -rss_limit_mb=2048 \
    -malloc_limit_mb=2048 -max_len=1048576 -print_final_stats=1 -reload=0 \
    -artifact_prefix="fuzz/crashes/$t/" >"$BUILD/logs/$t.log" 2>&1 || true
  echo "$t: $(grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$BUILD/logs/$t.log" | tr '\n' ' ')"
  grep -E '^#[0-9]+' "$BUILD/logs/$t.log" | tail -n 1 || true
}

pids=()
for t in "${TARGETS[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do sleep 5; done
  run "$t" &
  pids+=($!)
done
wait "${pids[@]}"
echo "Reproducers kept:"
find fuzz/crashes -type f ! -name '.keep' -newer "$BUILD/logs" -print 2>/dev/null || true
