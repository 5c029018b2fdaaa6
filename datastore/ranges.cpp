// The ranges of a specification: their rows and columns, the probe of a one-row XYZ range, the
// split of a wide XYZ range along the fixed column layout, and the values-only marks.

#include "datastore/a1.h"
#include "datastore/load_errors.h"
#include "datastore/worksheet_road.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

namespace {

constexpr const char* kNarrowText1 =
    "Warning: an Excel sheet is already open without a correct specification for Vantrel:    ";
constexpr const char* kNarrowText2 =
    "   . You should open only the one with a correct specification or you can write or use a previous "
    "specification in the scolling textbox";
constexpr const char* kTooWideText =
    "Specification VanexExcel: too many columns, truncated to :3 + 1 + 2 + 5 + 2 + 2 + 2";

std::string RangeText(double row1, double col1, double row2, double col2) {
  return CellAddressXls(row1, col1) + ":" + CellAddressXls(row2, col2);
}

// A range text made only of cell addresses ("A02:C6", "b2"; blanks and "$" aside) whose
// columns and rows, as read, name cells of a sheet (a single cell has 0 as its last ones).
bool PlainCells(const std::string& text, double c1, double c2, double r1, double r2) {
  std::string t;
  for (char c : text)
    if (c != ' ' && c != '$') t += c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  size_t i = 0;
  auto cell = [&] {
    const size_t l = i;
    while (i < t.size() && t[i] >= 'A' && t[i] <= 'Z') ++i;
    const size_t d = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
    return d > l && d - l <= 2 && i > d;
  };
  if (!cell()) return false;
  if (i < t.size() && t[i] == ':') {
    ++i;
    if (!cell()) return false;
  }
  if (i != t.size()) return false;
  auto col = [](double c) { return c >= 1 && c <= 256; };
  auto row = [](double r) { return r >= 1 && r <= 1048576; };
  return col(c1) && row(r1) && ((c2 == 0 && r2 == 0) || (col(c2) && row(r2)));
}

void Log(DataStore& s, const std::string& label, const std::string& text) { AddLogLine(s.Main(), label + text); }

// Events, SApY, SAmY, ValZ: values only when given as one cell or one column.
void OneColumnPart(DataStore& s, LoadWork& w, int part, const char* label) {
  std::string& text = w.ranges[part];
  RangeBounds& b = w.bounds[part];
  bool& mark = w.valuesOnly[part - kPartEvents];
  if (!text.empty()) {
    Log(s, label, text);
    Stmt(w, [&] { ConvertA1LC(text, b.firstCol, b.lastCol, b.firstRow, b.lastRow); });
    const bool single = b.lastCol == 0;
    if (single || b.lastCol - b.firstCol + 1 == 1) {
      mark = true;
      if (single) {
        b.lastCol = b.firstCol;
        b.lastRow = b.firstRow;
      }
    } else {
      mark = false;
    }
  }
  Stmt(w, [&] {
    GrowRangeXls(text, b.firstCol, b.lastCol, b.firstRow, b.lastRow, w.SpecFound, w.num1, w.num2, w.cellFormula);
  });
}

}  // namespace

double ProbeLastRowXls(SheetLink& app, BookId book, double zCol, double startRow, const std::string& versionText,
                       LoadWork* w) {
  double version = 0;
  rt::Try([&] { version = rt::Val(versionText); });
  const double limit = version >= 12 ? 1048576 : 65536;
  const int64_t col = static_cast<int64_t>(rt::RoundHalfEven(zCol));
  double row = startRow;
  std::string t;
  int reported = 0;
  struct Pass {
    double step;
    bool down;
  };
  for (const Pass p : {Pass{1000, true}, Pass{100, false}, Pass{10, true}, Pass{1, false}}) {
    for (;;) {
      try {
        t = app.CellValue(book, static_cast<int64_t>(row), col).text;
      } catch (const rt::RtError& e) {
        // The load's error rule sees every failed read; the same error again only updates
        // LastErrNumber, so that a sheet that fails every read shows its box once.
        if (w && e.number() != reported) {
          OnGeneralError(*w, e);
          reported = e.number();
        } else if (w) {
          w->LastErrNumber = e.number();
        }
      }
      row += p.down ? p.step : -p.step;
      if (p.down ? (t.empty() || row >= limit) : (!t.empty() || row < startRow)) break;
    }
    row -= p.down ? p.step : -p.step;
  }
  return row;
}

void PasteTimeColumnXls(LoadWork& w, RoadWork& r, BookId gather, const std::string& rangeT, std::string& dest) {
  Stmt(w, [&] { App(r).CopyRange(r.source, rangeT); });
  Stmt(w, [&] { App(r).PasteValues(gather, dest); });
  Stmt(w, [&] { App(r).SetCutCopyMode(false); });
  Stmt(w, [&] { dest = OffsetCellXls(dest, 1); });
}

namespace {

// 1. XYZ: its rows and columns; a single cell stands for X, Y, Z on one row; a single row is
// probed down its Z column and grown, in the formula too. False when the range gives no rows.
bool XyzPart(DataStore& s, LoadWork& w, RoadWork& r) {
  auto& R = w.ranges;
  Log(s, " part NcolumnsUpdated rangeXYZ$", R[kPartXYZ]);
  bool readable = false;
  double c1 = 0, c2 = 0, r1 = 0, r2 = 0;
  Stmt(w, [&] { readable = ConvertA1LC(R[kPartXYZ], c1, c2, r1, r2); });
  w.Ncol1 = c1, w.Ncol2 = c2, w.num1 = r1, w.num2 = r2;
  // A text the reader reports but still reads into cells of the sheet (a leading zero, as in
  // A02:C6) goes on with those rows; a name or a sheet-qualified reference gives none, and the
  // load ends, keeping the data.
  if (!readable && !PlainCells(R[kPartXYZ], c1, c2, r1, r2)) return false;
  if (w.Ncol2 == 0) {
    w.Ncol2 = w.Ncol1 + 2;
    w.num2 = w.num1;
  }
  const double zCol = w.Ncol1 + 2;
  w.SpecFound = 0;
  if (w.num1 == w.num2) {
    double start = w.num2;
    Stmt(w, [&] { w.num2 = ProbeLastRowXls(App(r), r.source, zCol, start, r.versionText, &w); });
    w.SpecFound = 1;
    Stmt(w, [&] {
      GrowRangeXls(R[kPartXYZ], w.Ncol1, w.Ncol2, w.num1, start, w.SpecFound, w.num1, w.num2, w.cellFormula);
    });
  }
  return true;
}

// 2. A wide XYZ range is cut along the column layout.
void CutWideXyzRange(LoadWork& w) {
  auto& R = w.ranges;
  if (w.Ncol2 - w.Ncol1 + 1 <= 3) return;
  const double e = w.Ncol2 - w.Ncol1 - 2;
  const double c = w.Ncol1, a = w.num1, b = w.num2;
  Stmt(w, [&] {
    R[kPartXYZ] = RangeText(a, c, b, c + 2);
    const std::array<std::string, kSpecParts> kept = R;
    R[kPartT] = RangeText(a, c + 3, b, c + 3);
    R[kPartEvents] = RangeText(a, c + 4, b, c + 5);
    R[kPartQuater] = RangeText(a, c + 6, b, c + 10);
    R[kPartSApY] = RangeText(a, c + 11, b, c + 12);
    R[kPartSAmY] = RangeText(a, c + 13, b, c + 14);
    if (e == 1) {
      R[kPartEvents] = kept[kPartT];
      R[kPartQuater] = kept[kPartEvents];
      R[kPartSApY] = kept[kPartQuater];
      R[kPartSAmY] = kept[kPartSApY];
    } else if (e == 3) {
      R[kPartQuater] = kept[kPartT];
      R[kPartSApY] = kept[kPartEvents];
      R[kPartSAmY] = kept[kPartQuater];
    } else if (e == 8) {
      R[kPartSApY] = kept[kPartT];
      R[kPartSAmY] = kept[kPartEvents];
    } else if (e == 10) {
      R[kPartSAmY] = kept[kPartT];
    } else if (e == 12) {
      R[kPartValZ] = kept[kPartT];
    }
  });
  if (e > 14) forms::MsgBox(kTooWideText, 64, kProgramTitle);
}

// 3. T: a single cell becomes a column as long as the XYZ range.
void TimePart(DataStore& s, LoadWork& w) {
  std::string& text = w.ranges[kPartT];
  RangeBounds& t = w.bounds[kPartT];
  if (!text.empty()) {
    s.SettingsBlock.TimeRangeGiven = 1.0;
    Log(s, " part rangeT$ ", text);
    Stmt(w, [&] {
      ConvertA1LC(text, t.firstCol, t.lastCol, t.firstRow, t.lastRow);
      if (t.lastCol == 0) {
        t.lastRow = t.firstRow + (w.num2 - w.num1);
        t.lastCol = t.firstCol;
        text = RangeText(t.firstRow, t.firstCol, t.lastRow, t.firstCol);
      }
    });
  } else {
    s.SettingsBlock.TimeRangeGiven = 0.0;
  }
  Stmt(w, [&] {
    GrowRangeXls(text, t.firstCol, t.lastCol, t.firstRow, t.lastRow, w.SpecFound, w.num1, w.num2, w.cellFormula);
  });
}

// 5. Quater: values only as one cell or four columns.
void QuaterPart(DataStore& s, LoadWork& w) {
  std::string& text = w.ranges[kPartQuater];
  RangeBounds& q = w.bounds[kPartQuater];
  if (!text.empty()) {
    Log(s, " part rangeQuater$ ", text);
    Stmt(w, [&] { ConvertA1LC(text, q.firstCol, q.lastCol, q.firstRow, q.lastRow); });
    s.QuaterRows = 1;
    if (q.lastCol == 0) {
      q.lastCol = q.firstCol + 3;
      q.lastRow = q.firstRow;
    }
  }
  Stmt(w, [&] {
    GrowRangeXls(text, q.firstCol, q.lastCol, q.firstRow, q.lastRow, w.SpecFound, w.num1, w.num2, w.cellFormula);
  });
  w.valuesOnly[kPartQuater - kPartEvents] = !text.empty() && q.lastCol - q.firstCol + 1 == 4;
}

}  // namespace

bool LayoutSpecRanges(DataStore& s, LoadWork& w, RoadWork& r) {
  if (!XyzPart(s, w, r)) return false;
  CutWideXyzRange(w);
  TimePart(s, w);
  // 4. Events.
  OneColumnPart(s, w, kPartEvents, " part rangeEvents$ ");
  QuaterPart(s, w);

  // 6. SApY, SAmY, ValZ.
  OneColumnPart(s, w, kPartSApY, " part rangeSApY$ ");
  OneColumnPart(s, w, kPartSAmY, " part rangeSAmY$ ");
  OneColumnPart(s, w, kPartValZ, " part rangeValZ$ ");

  // 7. Shape check: X, Y and Z need three columns unless the title asks for one-column data.
  s.OneColumnMode = rt::InStr(rt::LCase(s.PlotTitle), "column") > 0 ? 1 : 0;
  if (w.Ncol2 < w.Ncol1 + 2 && s.OneColumnMode != 1) {
    forms::MsgBox(kNarrowText1 + w.cellFormula + kNarrowText2, 64, "Information");
    return false;
  }

  // 8.
  s.Main().SetProgressBar1Value(10.0f);
  w.scaleText = rt::Format(w.SpecScale, "#0.0000000000");
  return true;
}

}  // namespace vantrel::datastore
