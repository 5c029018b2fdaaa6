#!/usr/bin/env bash
# Builds the program and starts it. An argument that names a workbook (.xlsx, .ods) is taken
# as the running spreadsheet; any other argument is passed on as the command line (a data
# file). Without an argument the program shows its demo data.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

BUILD=${VANTREL_BUILD_DIR:-build}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j "$(nproc)" --target vantrel

args=()
if [ $# -gt 0 ]; then
  case "$1" in
    *.xlsx|*.XLSX|*.ods|*.ODS) export VANTREL_WORKBOOK="$(realpath "$1")"; shift ;;
  esac
  args=("$@")
fi
exec "$BUILD/vantrel" "${args[@]}"
