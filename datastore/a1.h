#pragma once
// A1 cell addressing of the worksheet link: range and cell texts ("A10:C200", "$B$12", "AB7")
// to rows and columns and back. Text only; no spreadsheet call. Limits are those of the old
// sheet size: 256 columns (A to IV), 65,536 rows.

#include <string>

namespace vantrel::datastore {

// Title of the boxes that name no situation of their own.
inline constexpr const char* kProgramTitle = "Vantrel";

// Column letters of column c (1 = A, 27 = AA, 256 = IV); letter codes rounded half to even, so a
// fractional column (the whole-row marker 1.255 plus an offset) gives whole letters.
std::string ColumnLetters(double column);

// The A1 text of one cell, such as "C60". A column above 256 is reported in a box and still
// written.
std::string CellAddressXls(double row, double column);

// First column, last column, first row, last row of an A1 range text; a single cell gives 0 as
// last column and last row. Blanks and "$" are ignored, letters may be of any case. A text of
// another shape is reported in an "Error entry" box and leaves the outputs untouched; a text
// that does not rebuild to itself (three column letters, leading zeros) is reported too, with
// the outputs as read. An empty text leaves them untouched without a box. Returns true only for
// a text read and rebuilt. Throws RtError 9 for a text of more than 100 characters other than
// blanks and "$".
bool ConvertA1LC(const std::string& range, double& Ncol1, double& Ncol2, double& num1, double& num2);

// Reads one A1 cell text (or a bare row number, whose column is the whole-row marker 1.255)
// into row, column and an R1C1 text ("R12C2", "R5C1:R5C255"). "$" is ignored. Bad addresses are
// reported in a box; three column letters give row 0 and column 0.
void CellToR1C1Xls(const std::string& cell, double& row, double& column, std::string& r1c1);

inline constexpr double kWholeRowColumn = 1.255;

// The cell n columns to the right of an A1 cell text.
std::string OffsetCellXls(const std::string& cell, double n);

// Completes a one-row range: when flag = 1, the range text is not empty and lastRow = firstRow,
// lastRow := firstRow + (endRow - baseRow), the range text becomes the range from (firstRow,
// firstCol) to (lastRow, lastCol), and the first "(" & old text in formula becomes "(" & new text.
void GrowRangeXls(std::string& range, double firstCol, double lastCol, double firstRow, double& lastRow, double flag,
                  double baseRow, double endRow, std::string& formula);

}  // namespace vantrel::datastore
