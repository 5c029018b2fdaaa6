#!/usr/bin/python3
"""Runs a LibreOffice Calc for the tests and acts in it as its user would, one command a line on
stdin, one answer a line on stdout ("ok [value]" or "err message"):

    open PATH              close every document, open PATH in a window
    select SHEET CELL      show SHEET and put the cell cursor on CELL
    set SHEET CELL NUMBER [FORMAT]  type a number into a cell, shown in a number format
    unmodified             mark the document saved
    modified               0 or 1
    cells SHEET RANGE      the formulas of a range, as one line
    pid                    the process id of Calc (the process group it leads)
    close                  end Calc (its documents unsaved)

    calc_driver.py PIPE PROFILE_DIR

The first line it writes says whether Calc started: "ok", or "err" and the reason.
"""
import os
import sys

import uno

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support"))
from calc_start import CalcStartError, start  # noqa: E402


def main():
    pipe, profile = sys.argv[1], sys.argv[2]
    try:
        calc = start(pipe, profile)
    except CalcStartError as e:
        print("err " + str(e).replace("\n", " "), flush=True)
        return
    desktop = calc.desktop
    print("ok", flush=True)
    doc = None
    for line in sys.stdin:
        words = line.split()
        if not words:
            continue
        try:
            cmd = words[0]
            answer = ""
            if cmd == "open":
                comps = desktop.Components.createEnumeration()
                while comps.hasMoreElements():
                    c = comps.nextElement()
                    if hasattr(c, "setModified"):
                        c.setModified(False)
                    c.close(True)
                doc = desktop.loadComponentFromURL(uno.systemPathToFileUrl(" ".join(words[1:])), "_default", 0, ())
                doc.CurrentController.Frame.ContainerWindow.setFocus()
            elif cmd == "select":
                sheet = doc.Sheets.getByName(words[1])
                doc.CurrentController.setActiveSheet(sheet)
                doc.CurrentController.select(sheet.getCellRangeByName(words[2]))
            elif cmd == "set":
                cell = doc.Sheets.getByName(words[1]).getCellRangeByName(words[2])
                cell.setValue(float(words[3]))
                if len(words) > 4:
                    formats, locale = doc.NumberFormats, uno.createUnoStruct("com.sun.star.lang.Locale")
                    key = formats.queryKey(words[4], locale, False)
                    cell.NumberFormat = key if key >= 0 else formats.addNew(words[4], locale)
            elif cmd == "unmodified":
                doc.setModified(False)
            elif cmd == "modified":
                answer = "1" if doc.isModified() else "0"
            elif cmd == "cells":
                rows = doc.Sheets.getByName(words[1]).getCellRangeByName(words[2]).getFormulaArray()
                answer = "|".join("\t".join(r) for r in rows)
            elif cmd == "pid":
                answer = str(calc.proc.pid)
            elif cmd == "close":
                calc.close()
                print("ok", flush=True)
                return
            else:
                raise ValueError("unknown command " + cmd)
            print(("ok " + answer).rstrip(), flush=True)
        except Exception as e:  # the test reads the failure
            print("err " + str(e).replace("\n", " "), flush=True)
    calc.kill()


if __name__ == "__main__":
    main()
