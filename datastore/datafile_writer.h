#pragma once
// Writing the program's data file: a header line, then one line of 17 TAB-separated fields per
// row of the gathered block (columns A to Q), every line ended by CR LF, and one more CR LF at
// the end. Numbers are written as "0.0000000000" with the user locale's decimal separator.

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "datastore/line_split.h"

namespace vantrel::datastore {

// The maker's marker of header field 8, before the year.
inline constexpr const char* kMakerMarker = "Vantrel data file ";

struct HeaderFields {
  std::string sourceCaption;  // caption of the workbook window of the specification
  std::string sheetName;      // its active sheet
  std::string cellFormula;    // the specification formula, beginning with "="
  double specScale = 1.0;     // the scale factor the formula parser gave
  std::string plotTitle;      // the title the formula parser gave
};

// A number as the spreadsheet displays it in the format "0.0000000000": rounded to its 15
// significant digits, then to ten decimals (halves away from zero), no grouping, decimal
// separator `decimal`.
std::string FormatDataNumber(double x, std::string_view decimal);
void AppendDataNumber(std::string& out, double x, std::string_view decimal);

// One cell of a data line.
struct DataCell {
  enum Kind : uint8_t { kEmpty = 0, kNumber, kText };
  Kind kind = kEmpty;
  double number = 0;
  std::string_view text;
};

// Appends one data line without its line end: exactly 17 fields, the cells of columns A to Q
// (missing cells are empty fields, cells past Q are dropped). Numbers as "0.0000000000" with
// the separator `decimal`; in texts every TAB and every line break (CR LF, CR or LF) becomes
// one blank, so that no cell can shift or cut the line. The one renderer of data lines.
void AppendDataLine(std::string& out, const DataCell* cells, size_t count, std::string_view decimal);

// Line 1 without its line end: the eight header fields, each followed by a TAB, then the 16
// empty cells B1 to Q1. `now` is the date serial of writing (rt::Now()).
std::string RenderHeaderLine(const HeaderFields& h, double now);

// The cells of columns A to Q, from the block's row 2 on (row 0 here). A cell is empty, a
// number or a text.
class GatheredBlock {
 public:
  void SetNumber(int64_t row, int col, double v);
  void SetText(int64_t row, int col, std::string text);
  void SetEmpty(int64_t row, int col);
  int64_t Rows() const { return rows_; }
  // Appends the fields of one row (no line end) to out.
  void RenderRow(int64_t row, std::string& out, std::string_view decimal) const;

 private:
  enum Kind : uint8_t { kEmpty = 0, kNumber, kText };
  struct Column {
    std::vector<double> values;
    std::vector<uint8_t> kinds;
    std::map<int64_t, std::string> texts;
  };
  Column& Col(int col);
  void Ensure(Column& c, int64_t row);
  std::array<Column, kDataFileColumns> cols_;
  int64_t rows_ = 0;
};

// The whole file text (header, rows, the final empty line).
std::string RenderDataFile(const HeaderFields& h, const GatheredBlock& block, double now, std::string_view decimal);

// Replaces the file at path (through a temporary file renamed over it). Uses rt::Now() for the
// date field and the user locale's decimal separator. 0 or a run-time error number.
int WriteDataFile(const std::string& path, const HeaderFields& h, const GatheredBlock& block);

}  // namespace vantrel::datastore
