#!/usr/bin/env bash
# Starts LibreOffice Calc listening on the connection the program looks for, with the workbook
# given if any: the one in VANTREL_CALC when it is set (a pipe or a socket, as the program
# takes it), else the pipe "vantrel". Then says how to start the program beside it.
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
# The program's connection names the object it asks for after the protocol
# ("pipe,name=vantrel;urp;StarOffice.ComponentContext"); Calc's --accept takes the connection
# and the protocol only.
connection=${VANTREL_CALC:-pipe,name=vantrel;urp;StarOffice.ComponentContext}
connection=${connection#uno:}
case "$connection" in
  pipe,*\;urp*|socket,*\;urp*) accept="${connection%%;urp*};urp;" ;;
  *)
    echo "VANTREL_CALC must be a pipe or a socket connection, for example" >&2
    echo "  pipe,name=vantrel;urp;StarOffice.ComponentContext" >&2
    echo "  socket,host=localhost,port=2002;urp;StarOffice.ComponentContext" >&2
    exit 2
    ;;
esac
# A Calc already running takes the option over and starts listening too.
nohup soffice --calc --accept="$accept" "${book[@]}" >/dev/null 2>&1 &

cat <<TEXT
LibreOffice Calc is starting and listens on "${accept%;urp;}".
Start the program beside it, without a workbook argument (and with the same VANTREL_CALC):

    bash scripts/run.sh

It shows the specification of the active cell of the active Calc document. Check
OptionsInteractive > Interactive in the program: when another cell with a specification
formula (for example =MAX(A2:C60)), another sheet or another workbook window becomes active,
the view follows within a few seconds. An edit of the data is not followed: use UpdateExcel,
or make another specification cell active and then this one again, to read the data again.
TEXT
