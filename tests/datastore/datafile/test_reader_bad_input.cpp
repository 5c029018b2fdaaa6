// Data files that would mislead the reader or bury the user in boxes.

#include <string>

#include "reader_harness.h"

namespace vantrel::datastore {
namespace {

std::string HeaderWithSheet(const std::string& sheet, const std::string& fields4on) {
  return "From: \tBook1\t" + sheet + "\t" + fields4on + "\tDate 2024/03/05 14:07:09\tVantrel data file 2024\t" +
         std::string(16, '\t');
}

TEST_F(ReaderTest, TheFormulaIsHeaderField4WhateverTheSheetNameHolds) {
  const struct {
    const char* sheet;
    const char* fields4on;  // header fields 4 to 6
    const char* formula;
    double scale;
    const char* title;
  } cases[] = {
      {"r=1", "=1000*MAX(A2:C2)+LEN(\"Orbit\")\t1000.0000000000\tOrbit", "=1000*MAX(A2:C2)+LEN(\"Orbit\")", 1000,
       "Orbit"},
      {"a=\"b\"", "=2*MAX(A2:C2)\t2.0000000000\tVantrel", "=2*MAX(A2:C2)", 2, "Vantrel"},
      // A file whose field 4 holds no formula: the first "=" from field 3 on, as before.
      {"Sheet1", "x\t=3*MAX(A2:C2)\tVantrel", "=3*MAX(A2:C2)", 3, "Vantrel"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sheet);
    ReadCurrent(HeaderWithSheet(c.sheet, c.fields4on) + "\r\n1000\t2000\t3000\t86400\r\n\r\n");
    EXPECT_EQ(w->cellFormula, c.formula);
    EXPECT_EQ(w->SpecScale, c.scale);
    EXPECT_EQ(s().PlotTitle, c.title);
    EXPECT_DOUBLE_EQ(s().DataTable(0, 1), c.scale);  // 1000 m times the scale, in km
  }
}

TEST_F(ReaderTest, OverflowingFieldsGiveOneBoxForTheWholeFile) {
  std::string file = Header("=MAX(A2:C2)", "Vantrel") + "\r\n";
  for (int i = 0; i < 50; ++i) file += std::to_string(i) + "\t1E999\t2\t86400\t\t\t\t\t\t\t\t\t\t\t\t\t1E999\r\n";
  file += "\r\n";
  ReadCurrent(file);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].title, "ERROR n\xC2\xB0 6");
  EXPECT_EQ(boxes()[0].style, 64);
  EXPECT_NE(boxes()[0].text.find("Overflow"), std::string::npos) << boxes()[0].text;
  EXPECT_NE(boxes()[0].text.find("line 2, column B"), std::string::npos) << boxes()[0].text;
  EXPECT_NE(boxes()[0].text.find("99 more fields"), std::string::npos) << boxes()[0].text;
  // Every line is read, each refused field as the number reader leaves it after its error.
  EXPECT_EQ(w->ReadRows, 50);
  EXPECT_EQ(s().DataTable(49, 1), 0.049);
  EXPECT_EQ(s().DataTable(49, 2), 0);
  EXPECT_EQ(s().DataTable(49, 3), 0.002);
  // The log names the next ones, a bounded number of lines.
  EXPECT_TRUE(LogHas("ERROR n\xC2\xB0 6 Overflow, line 2, column Q"));
  EXPECT_TRUE(LogHas("79 more number errors not logged"));
}

TEST_F(ReaderTest, ALineLongerThanAnyDataLineEndsTheReadingWithItsReason) {
  const struct {
    const char* what;
    std::string file;
    int64_t rows;
  } cases[] = {
      {"a header without a line end", Header("=MAX(A2:C2)", "Vantrel") + std::string(kMaxLineBytes, '\t'), 0},
      {"a data line",
       Header("=MAX(A2:C2)", "Vantrel") + "\r\n1\t2\t3\r\n" + std::string(kMaxLineBytes + 1, '7') + "\r\n4\t5\t6\r\n",
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    msg.boxes().Answer({});
    const size_t before = boxes().size();
    ReadCurrent(c.file);
    EXPECT_EQ(w->ReadRows, c.rows);
    ASSERT_EQ(boxes().size(), before + 1);
    EXPECT_NE(boxes().back().text.find("a line is longer than 4 MB"), std::string::npos) << boxes().back().text;
  }
}

}  // namespace
}  // namespace vantrel::datastore
