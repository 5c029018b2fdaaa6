// Cells that hold the file's own separators, gathered from the worksheet.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "datastore/datafile_writer.h"
#include "loader_harness.h"

namespace vantrel::datastore {
namespace {

std::vector<std::string> DataLines(const std::string& file) {
  std::vector<std::string> lines;
  size_t start = file.find("\r\n") + 2;
  for (size_t end; (end = file.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(file.substr(start, end - start));
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> f;
  size_t a = 0;
  for (size_t b; (b = line.find('\t', a)) != std::string::npos; a = b + 1) f.push_back(line.substr(a, b - a));
  f.push_back(line.substr(a));
  return f;
}

class BadCells : public LoaderTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BadCells, TabsAndLineBreaksInCellsKeepSeventeenFieldsOnEveryLine) {
  // The specification in T4 gathers every group; events are given as one column (E), so the
  // labels land in field 6 and the quaternions from field 7 on.
  auto book = Run(GetParam(), 0, 4, 20);
  auto& sheet = book->sheet(0);
  const struct {
    int64_t row;
    const char* cell;
    const char* field;  // as the data line holds it
  } cases[] = {
      {2, "Burn\tS", "Burn S"},
      {3, "two\r\nlines", "two lines"},
      {4, "a\rb\nc\t\td", "a b c  d"},
      {5, "\t", " "},
  };
  for (const auto& c : cases) sheet.SetText(c.row, 5, c.cell);
  LoadExcelDataXls();
  const std::vector<std::string> lines = DataLines(ReadCurrent());
  ASSERT_EQ(lines.size(), 6u);  // five rows, then the empty last line
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 16) << lines[i];
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].cell);
    EXPECT_EQ(Fields(lines[i])[5], cases[i].field);
    // The fields after the label are where they belong.
    EXPECT_EQ(s().QuaterTable.Get(static_cast<int64_t>(i), 1), 0.5);
    EXPECT_EQ(s().QuaterTable.Get(static_cast<int64_t>(i), 4), -0.5);
    EXPECT_EQ(s().ValZTable.Get(static_cast<int64_t>(i), 1), 1.5 * static_cast<double>(i));
  }
  EXPECT_EQ(s().EventsTable.Get(0, 1), 1);  // "Burn S" still ends in S
}

TEST_P(BadCells, TheRoadRendersItsCellsAsTheDataFileWriterDoes) {
  auto book = Run(GetParam(), 0, 4, 20);
  auto& sheet = book->sheet(0);
  sheet.SetText(2, 5, "Burn\tS\r\n");
  sheet.SetNumber(3, 1, 123456789.123456789);
  sheet.SetNumber(4, 2, -2.5e-11);
  sheet.SetBoolean(5, 5, true);
  sheet.SetError(6, 1, "#N/A");
  LoadExcelDataXls();
  const std::vector<std::string> road = DataLines(ReadCurrent());
  ASSERT_EQ(road.size(), 6u);
  // Sheet columns A to E land in fields 1 to 4 and 6 (E is a values-only events column).
  const int fieldOf[] = {0, 1, 2, 3, 5};
  for (int64_t r = 0; r < 5; ++r) {
    std::vector<std::string> texts(17);
    DataCell cells[17];
    for (int col = 0; col < 5; ++col) {
      const spreadsheet::CellValue v = sheet.GetValue(r + 2, col + 1);
      DataCell& c = cells[fieldOf[col]];
      if (v.kind == spreadsheet::CellValue::Kind::Number) {
        c.kind = DataCell::kNumber;
        c.number = v.number;
      } else if (!v.IsEmpty()) {
        texts[fieldOf[col]] = sheet.DisplayText(r + 2, col + 1);
        c.kind = DataCell::kText;
        c.text = texts[fieldOf[col]];
      }
    }
    std::string line;
    AppendDataLine(line, cells, 17, ".");
    const std::vector<std::string> want = Fields(line), got = Fields(road[static_cast<size_t>(r)]);
    ASSERT_EQ(got.size(), 17u);
    for (int k : fieldOf) EXPECT_EQ(got[k], want[k]) << "line " << r + 2 << " field " << k + 1;
  }
  EXPECT_EQ(Fields(road[0])[5], "Burn S ");
  EXPECT_EQ(Fields(road[1])[0], "123456789.1234570000");
  EXPECT_EQ(Fields(road[3])[5], "TRUE");
  EXPECT_EQ(Fields(road[4])[0], "#N/A");
}

INSTANTIATE_TEST_SUITE_P(Files, BadCells, ::testing::Values("loader.xlsx", "loader.ods"));

}  // namespace
}  // namespace vantrel::datastore
