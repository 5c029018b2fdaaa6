#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (a build folder of its own, build-fuzz) and
# runs each for the given minutes (default 30), at most FUZZ_JOBS at a time (default: the
# machine's cores), one core each. Each target starts from its seed corpus (fuzz/corpus/<target>)
# and its past reproducers (fuzz/crashes/<target>); what it learns stays in
# build-fuzz/corpus/<target>. A new crash, timeout (10 s) or memory above 2 GB is written to
# fuzz/crashes/<target>/ for the reproducer test of the suite. The last status lines of each run
# are kept in build-fuzz/logs/<target>.log.
#   scripts/fuzz.sh [--build-only] [--keep-going] [minutes] [target...]
#     --build-only  build the targets and stop (what the test command does, so they keep building)
#     --keep-going  go on after a crash, a timeout or too much memory (each input is still kept)
# On a shared machine: nice -n 19 scripts/fuzz.sh ...
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

ALL=(workbook datafile formula number_text xlsx_part ods_part keystore command_line)
BUILD_ONLY=0
KEEP_GOING=0
while [ $# -gt 0 ]; do
  case $1 in
    --build-only) BUILD_ONLY=1 ;;
    --keep-going) KEEP_GOING=1 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
  shift
done
MINUTES=30
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then MINUTES=$1; shift; fi
[ "$MINUTES" -ge 1 ] || { echo "minutes must be at least 1" >&2; exit 2; }
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || TARGETS=("${ALL[@]}")
JOBS=${FUZZ_JOBS:-$(nproc)}
BUILD=${VANTREL_FUZZ_BUILD_DIR:-build-fuzz}
case $BUILD in /*) ;; *) BUILD=$ROOT/$BUILD ;; esac

LAUNCHER=()
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON \
  -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF "${LAUNCHER[@]}" >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target "${TARGETS[@]/#/fuzz_}"
[ "$BUILD_ONLY" -eq 0 ] || exit 0

mkdir -p "$BUILD/logs"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
GO_ON=()
[ "$KEEP_GOING" -eq 0 ] || GO_ON=(-fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1)

run() {
  local t=$1
  local corpus="$BUILD/corpus/$t"
  mkdir -p "$corpus" "fuzz/crashes/$t"
  # Absolute folders: a target may change its current folder.
  "$BUILD/fuzz/fuzz_$t" "$corpus" "$ROOT/fuzz/corpus/$t" "$ROOT/fuzz/crashes/$t" \
    -dict="$ROOT/fuzz/dict/$t.dict" -max_total_time=$((MINUTES * 60)) -timeout=10 -rss_limit_mb=2048 \
    -malloc_limit_mb=2048 -max_len=1048576 -print_final_stats=1 -reload=0 "${GO_ON[@]}" \
    -artifact_prefix="$ROOT/fuzz/crashes/$t/" >"$BUILD/logs/$t.log" 2>&1 || true
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
