#include "datastore/text_push.h"

#include "datastore/number_text.h"
#include "datastore/state.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

InterfaceGridT& InterfaceGrid() { return Store().InterfaceCells; }

InterfaceEventGridT& InterfaceEventGrid() { return Store().InterfaceEventCells; }

namespace {

// Splits str into rows and cells of grid, from row counter n + 1 on. Rows end in CR LF, CR or
// LF; the text after the last line break is not stored. Returns false for an empty text.
// A row past the grid or a fifth cell raises the subscript error; the cells before it stay.
template <class Grid>
bool SplitInto(const std::string& str, Grid& grid, long& n) {
  if (str.empty()) return false;
  if (rt::Len(str) > 65000) forms::MsgBox("Overflow", 16, "Some Data are to be lost");
  std::string_view s(str);
  const long maxRow = static_cast<long>(grid.size()) - 1;
  while (s.size() >= 2) {
    const size_t p = s.find_first_of("\r\n");
    if (p == std::string_view::npos) break;
    std::string line = rt::Trim(s.substr(0, p));
    ++n;
    int c = 0;
    do {
      std::string cell;
      const size_t q = line.find('\t');
      if (q != std::string::npos) {
        cell = rt::Trim(std::string_view(line).substr(0, q));
        line = rt::Trim(std::string_view(line).substr(q + 1));
      } else {
        cell = rt::Trim(line);
        line.clear();
      }
      ++c;
      if (n < 1 || n > maxRow || c > kInterfaceCols) throw rt::RtError(rt::kErrSubscript);
      grid[n][c] = cell;
    } while (!line.empty());
    // The line break: CR LF, or a lone CR or LF.
    size_t next = p + 1;
    if (s[p] == '\r' && next < s.size() && s[next] == '\n') ++next;
    s.remove_prefix(next);
  }
  return true;
}

}  // namespace

void ClassInterface::InterFaceXls(const std::string& messageUserToPlot, double flagOptionToPlot) {
  Store().PlotTitle = messageUserToPlot;
  Store().EventsGiven = flagOptionToPlot;
}

void ClassInterface::GlrayonXls(const std::string& str, double factorScale) {
  InterfaceGridT& grid = InterfaceGrid();
  if (!SplitInto(str, grid, rowsXyz_)) return;
  if (factorScale == 0) return;
  // No row pushed yet: nothing to count, the tables stay as they are.
  if (rowsXyz_ == 0) return;
  DataStore& s = Store();
  s.LastDataRow = static_cast<int32_t>(rowsXyz_);
  for (long j = 1; j <= s.LastDataRow; ++j)
    for (int k = 1; k <= 3; ++k) s.DataTable.Set(j - 1, k, rt::Val(grid[j][k]) * factorScale);
  s.LastDataRow -= 1;
  s.ScaleFactor = factorScale;
}

void ClassInterface::GlrayonXlsT(const std::string& str, double factorScale) {
  InterfaceGridT& grid = InterfaceGrid();
  if (!SplitInto(str, grid, rowsT_)) return;
  if (factorScale == 0) return;
  DataStore& s = Store();
  for (long j = 1; j <= static_cast<long>(s.LastDataRow) + 1; ++j) {
    if (j > kInterfaceRows) throw rt::RtError(rt::kErrSubscript);
    s.DataTable.Set(j - 1, 0, UserWrittenNumber(grid[j][1]));
  }
}

void ClassInterface::GlEventsXls(const std::string& str, double factorScale) {
  InterfaceEventGridT& grid = InterfaceEventGrid();
  if (!SplitInto(str, grid, rowsEvents_)) return;
  if (factorScale == 0) return;
  DataStore& s = Store();
  const long n = rowsEvents_;
  for (long j = 1; j <= n; ++j) {
    const double t = UserWrittenNumber(grid[j][1]);
    s.EventsTable.Set(j - 1, 0, t);
    const std::string& label = grid[j][2];
    const std::string x = rt::Right(label, 1);
    double v;
    if (x == "1" || x == "S") v = 1;
    else if (x == "0" || x == "E") v = 0;
    else v = rt::Val(x);
    s.EventsTable.Set(j - 1, 1, v);
    s.EventsList.SetTime(j - 1, t);
    s.EventsList.SetLabel(j - 1, label);
  }
  // The number of events (the list the view draws holds exactly these).
  s.EventCount = static_cast<int32_t>(n);
  s.ScaleFactor = factorScale;
}

}  // namespace vantrel::datastore
