#!/usr/bin/env bash
# Builds everything and runs every test: the whole suite on a virtual X server; once more in a
# build with AddressSanitizer and UndefinedBehaviorSanitizer (leaks inside the GL driver,
# fontconfig and the Qt platform plugin suppressed by scripts/lsan.supp); the fuzz targets
# built with clang (not run: scripts/fuzz.sh does that); and the unit tests once more under
# ThreadSanitizer, for the readers and writers that work on several threads.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

JOBS=$(nproc)
BUILD=${VANTREL_BUILD_DIR:-build}
ASAN_BUILD=${VANTREL_ASAN_BUILD_DIR:-build-asan}
TSAN_BUILD=${VANTREL_TSAN_BUILD_DIR:-build-tsan}
# A compiler cache, when there is one, makes a later run on the same machine quicker, from
# any folder the repository is cloned into.
LAUNCHER=()
if command -v ccache >/dev/null 2>&1; then
  LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
fi
START=$SECONDS
stage() { echo "== $1 ($((SECONDS - START)) s since the start)"; }

stage "build"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON "${LAUNCHER[@]}"
cmake --build "$BUILD" -j "$JOBS"

# The sanitizer builds go on beside the first run of the suite, at a lower priority, so that
# the cores the suite leaves idle are used.
cmake -S . -B "$ASAN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTREL_WERROR=ON \
  -DVANTREL_SANITIZE=ON -DVANTREL_BUILD_BENCH=OFF "${LAUNCHER[@]}" >/dev/null
cmake -S . -B "$TSAN_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_WERROR=ON \
  -DVANTREL_TSAN=ON -DVANTREL_BUILD_BENCH=OFF "${LAUNCHER[@]}" >/dev/null
BUILDS_LOG=$BUILD/sanitizer-builds.log
(
  set -e
  nice -n 10 cmake --build "$ASAN_BUILD" -j "$JOBS"
  nice -n 10 cmake --build "$TSAN_BUILD" -j "$JOBS" --target vantrel_unit_tests
  # The fuzz targets, built with clang so that they keep building (scripts/fuzz.sh runs them).
  FUZZ_JOBS=$JOBS nice -n 10 bash scripts/fuzz.sh --build-only
) >"$BUILDS_LOG" 2>&1 &
BUILDS=$!

stage "the whole suite"
export LIBGL_ALWAYS_SOFTWARE=1
# xvfb-run -a takes the first free display from the one given: a display of its own, started
# far from those of other X servers on the machine, is less likely to be taken by one of them.
# -noreset: by default the server resets when its last client leaves, and refuses connections
# while it does; with tests starting and ending beside each other, one that connects at that
# moment could not start.
XVFB=(xvfb-run -a -n "$((100 + RANDOM % 800))" -s '-screen 0 1280x1024x24 -noreset')
"${XVFB[@]}" \
  ctest --test-dir "$BUILD" --output-on-failure -j "$JOBS" --no-tests=error

stage "the sanitizer and fuzz builds"
if ! wait "$BUILDS"; then
  cat "$BUILDS_LOG"
  echo "a sanitizer or fuzz build failed" >&2
  exit 1
fi
tail -n 2 "$BUILDS_LOG"

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
stage "unit tests under AddressSanitizer (leak check on)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  ctest --test-dir "$ASAN_BUILD" --output-on-failure -j "$JOBS" -L unit --no-tests=error
# The tests that draw: the software GL driver is unloaded before the leak check, so its leaks
# come with stacks of no module that no suppression can name; they run without the leak
# check (every other check of both sanitizers stays on).
stage "gl, ui and journey tests under AddressSanitizer"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 "${XVFB[@]}" \
  ctest --test-dir "$ASAN_BUILD" --output-on-failure -j "$JOBS" -L 'gl|ui|journey' --no-tests=error

stage "unit tests under ThreadSanitizer"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
  ctest --test-dir "$TSAN_BUILD" --output-on-failure -j "$JOBS" -L unit --no-tests=error
stage "done"
