#!/usr/bin/env bash
# Builds the program alone (no tests, no benchmarks) in a folder of its own, build-run (or
# VANTREL_RUN_BUILD_DIR), and starts it. An argument that names a workbook (.xlsx, .ods) is
# taken as the running spreadsheet (VANTREL_WORKBOOK); any other argument is passed on as the
# command line (a data file, opened as on a double-click). Without an argument the program
# attaches to the Calc listening on VANTREL_CALC (default: the pipe "vantrel"), else reads the
# last workbook attached; when neither answers, the box "Excel not running!" comes first, and
# after Cancel the data of the last load from a spreadsheet (else the demo data).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

BUILD=${VANTREL_RUN_BUILD_DIR:-build-run}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF
cmake --build "$BUILD" -j "$(nproc)" --target vantrel

args=()
if [ $# -gt 0 ]; then
  case "$1" in
    *.xlsx|*.XLSX|*.ods|*.ODS) export VANTREL_WORKBOOK="$(realpath "$1")"; shift ;;
  esac
  args=("$@")
fi
exec "$BUILD/vantrel" "${args[@]}"
