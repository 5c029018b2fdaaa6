// A sheet of 1,048,576 rows by 24 columns of numbers (25,165,824 cells, more than the reader's
// former fixed limit of 24,000,000) loads through the worksheet road into the tables.
#include <gtest/gtest.h>

#include <string>

#include "loader_harness.h"
#include "tests/platform/spreadsheet/zip_parts.h"

namespace vantrel::datastore {
namespace {

constexpr int kCols = 24, kGroups = 1024;

// In rows 2 to 1,048,576, groups of 1024 rows; in group g, column c holds g * 100 + c + 0.5.
double Value(int64_t row, int col) { return static_cast<double>((row - 2) / 1024 * 100 + col) + 0.5; }

// The sheet as an ods (its rows repeated, so the file stays small), the specification in Z2.
std::string WideOds(const test::TempDir& dir) {
  std::string rows = "<table:table-row>";
  for (int c = 1; c <= kCols; ++c)
    rows += "<table:table-cell office:value-type=\"string\"><text:p>c" + std::to_string(c) +
            "</text:p></table:table-cell>";
  rows += "</table:table-row>";
  auto numbers = [](int g) {
    std::string cells;
    for (int c = 1; c <= kCols; ++c)
      cells += "<table:table-cell office:value-type=\"float\" office:value=\"" + std::to_string(g * 100 + c) + ".5\"/>";
    return cells;
  };
  // Row 2 alone, with the specification; then the rest of each group as one repeated row.
  rows += "<table:table-row>" + numbers(0) +
          "<table:table-cell/><table:table-cell table:formula=\"of:=MAX([.A2:.C1048576])\" "
          "office:value-type=\"float\" office:value=\"1\"/></table:table-row>";
  for (int g = 0; g < kGroups; ++g)
    rows += "<table:table-row table:number-rows-repeated=\"1023\">" + numbers(g) + "</table:table-row>" +
            (g + 1 < kGroups ? "<table:table-row>" + numbers(g + 1) + "</table:table-row>" : "");
  const std::string content =
      "<?xml version=\"1.0\"?><office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
      "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>"
      "<table:table table:name=\"Wide\">" +
      rows + "</table:table></office:spreadsheet></office:body></office:document-content>";
  const std::string path = dir.File("wide.ods");
  test::WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content}});
  return path;
}

class WideSheet : public LoaderTest {};

TEST_F(WideSheet, LoadsIntoTheTablesToItsLastRow) {
  const std::string path = WideOds(dir);
  connector->app = spreadsheet::model::App::Create();
  auto book = spreadsheet::OpenWorkbookFile(*connector->app, path);
  book->sheet(0).EnsureLoaded();
  ASSERT_GT(book->sheet(0).CellCount(), size_t{24'000'000});
  book->sheet(0).SetActiveCell(2, 26);
  LoadExcelDataXls();
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(s().LastFormula, "=MAX(A2:C1048576)");
  ASSERT_EQ(s().LastDataRow, 1048574);
  // The tables hold kilometres: the sheet's numbers are metres.
  for (int64_t row : {int64_t{2}, int64_t{1025}, int64_t{1026}, int64_t{524289}, int64_t{1048576}})
    for (int col = 1; col <= 3; ++col)
      EXPECT_DOUBLE_EQ(s().DataTable.Get(row - 2, col), Value(row, col) / 1000) << row << " " << col;
  EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
}

}  // namespace
}  // namespace vantrel::datastore
