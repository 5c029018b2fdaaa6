#pragma once
// A class through which text tables (cells separated by tabs, rows ended by a line break, the
// text form of a copied spreadsheet range) can be pushed into the shared tables: the plot title
// and events flag, trajectory rows X Y Z, their times, and up to four events.

#include <array>
#include <string>

namespace vantrel::datastore {

inline constexpr int kInterfaceRows = 64, kInterfaceEventRows = 4, kInterfaceCols = 4;

// The cells of the pushed texts, rows and columns from 1, shared by every instance.
using InterfaceGridT = std::array<std::array<std::string, kInterfaceCols + 1>, kInterfaceRows + 1>;
using InterfaceEventGridT = std::array<std::array<std::string, kInterfaceCols + 1>, kInterfaceEventRows + 1>;
InterfaceGridT& InterfaceGrid();
InterfaceEventGridT& InterfaceEventGrid();

class ClassInterface {
 public:
  // PlotTitle := message; EventsGiven := flag.
  void InterFaceXls(const std::string& messageUserToPlot, double flagOptionToPlot);
  // Rows of X, Y, Z (times factorScale) into DataTable from row 0, after the rows of the earlier
  // calls of this instance; LastDataRow covers them all. factorScale 0 only stores the cells.
  void GlrayonXls(const std::string& str, double factorScale);
  // Times into DataTable column 0 for rows 0 to LastDataRow (not scaled).
  void GlrayonXlsT(const std::string& str, double factorScale);
  // Events (time, and a value from the last character of the label) into EventsTable and
  // EventsList; EventCount := the number of events.
  void GlEventsXls(const std::string& str, double factorScale);

 private:
  long rowsXyz_ = 0, rowsT_ = 0, rowsEvents_ = 0;
};

}  // namespace vantrel::datastore
