#!/usr/bin/env bash
# Starts LibreOffice Calc listening on the pipe the program looks for ("vantrel"), with the
# workbook given if any, and says how to start the program beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v soffice >/dev/null 2>&1; then
  echo "LibreOffice is not installed: bash scripts/setup.sh installs it." >&2
  exit 1
fi
book=()
if [ $# -gt 0 ]; then
  book=("$(realpath "$1")")
fi
# A Calc already running takes the option over and starts listening too.
nohup soffice --calc --accept="pipe,name=vantrel;urp;" "${book[@]}" >/dev/null 2>&1 &

cat <<TEXT
LibreOffice Calc is starting and listens on the pipe "vantrel".
Start the program beside it, without a workbook argument:

    bash scripts/run.sh

It shows the specification of the active cell of the active Calc document. Check
OptionsInteractive > Interactive in the program, then click another specification cell
(for example =MAX(A2:C60)) and the view follows within a few seconds.
TEXT
