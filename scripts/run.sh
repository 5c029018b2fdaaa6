#!/usr/bin/env bash
# Builds the program alone (no tests, no benchmarks) in a folder of its own, build-run (or
# VANTREL_RUN_BUILD_DIR), and starts it with the arguments given: a workbook (.xlsx, .ods) is
# taken by the program as the running spreadsheet; any other file is opened as on a
# double-click (a data file). Without an argument the program
# attaches to the Calc listening on VANTREL_CALC (default: the pipe "vantrel"), else reads the
# last workbook attached; when neither answers, the box "Excel not running!" comes first, and
# after Cancel the data of the last load from a spreadsheet (else the demo data).
set -euo pipefail
# Files named from the caller's folder, with their whole paths (the build runs from the top).
args=()
for a in "$@"; do
  if [ -e "$a" ]; then args+=("$(realpath "$a")"); else args+=("$a"); fi
done
cd "$(dirname "$0")/.."
bash scripts/setup.sh

BUILD=${VANTREL_RUN_BUILD_DIR:-build-run}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF
cmake --build "$BUILD" -j "$(nproc)" --target vantrel

exec "$BUILD/vantrel" "${args[@]}"
