#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "datastore/datafile_writer.h"
#include "platform/runtime/vb.h"
#include "reader_harness.h"

namespace vantrel::datastore {
namespace {

TEST(FormatDataNumber, TenDecimalsWithTheLocaleSeparator) {
  struct Case {
    double x;
    const char* dot;
  } cases[] = {
      {2.5, "2.5000000000"},
      {-1.5, "-1.5000000000"},
      {0.00000000004, "0.0000000000"},
      {-0.00000000004, "-0.0000000000"},
      {0.00000000005, "0.0000000001"},
      {0.99999999999, "1.0000000000"},
      {0, "0.0000000000"},
      {-0.0, "0.0000000000"},
      {123456.78901234567, "123456.7890123460"},
      {1e20, "100000000000000000000.0000000000"},
      {86400, "86400.0000000000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDataNumber(c.x, "."), c.dot) << c.x;
    std::string comma = c.dot;
    comma[comma.find('.')] = ',';
    EXPECT_EQ(FormatDataNumber(c.x, ","), comma) << c.x;
  }
}

TEST(FormatDataNumber, AgreesWithTheRunTimeFormat) {
  test::LocaleGuard loc(".", ",");
  std::mt19937_64 rng(42);
  std::uniform_real_distribution<double> mant(-1, 1);
  std::uniform_int_distribution<int> expo(-14, 16);
  for (int i = 0; i < 20000; ++i) {
    const double x = mant(rng) * std::pow(10.0, expo(rng));
    ASSERT_EQ(FormatDataNumber(x, "."), rt::Format(x, "0.0000000000")) << x;
  }
}

HeaderFields KnownHeader() {
  HeaderFields h;
  h.sourceCaption = "Transfer.xlsx";
  h.sheetName = "Sheet1";
  h.cellFormula = "=2.5*MAX(A2:C3)+MAX(D2:D3)+MAX(E2:F3)+LEN(\"GTO km\")";
  h.specScale = 2.5;
  h.plotTitle = "GTO km";
  return h;
}

GatheredBlock KnownBlock() {
  GatheredBlock b;
  b.SetNumber(0, 0, 6578.137);
  b.SetNumber(0, 1, 0);
  b.SetNumber(0, 2, -1.5);
  b.SetNumber(0, 3, 86400);
  b.SetNumber(0, 4, 86400);
  b.SetText(0, 5, "Burn S");
  b.SetNumber(1, 0, 42164.0000000001);
  b.SetNumber(1, 1, 0.00000000004);
  b.SetNumber(1, 3, 172800);
  return b;
}

TEST(DataFileWriter, KnownBlockGivesTheExpectedBytes) {
  test::LocaleGuard loc(",", "\xC2\xA0");  // a decimal-comma locale
  test::ClockGuard clock(rt::DateSerial(2024, 3, 5) + rt::TimeSerial(14, 7, 9));
  test::TempDir dir;
  const std::string path = dir.Write("_Vantrel.vnx", "old contents");
  ASSERT_EQ(WriteDataFile(path, KnownHeader(), KnownBlock()), 0);
  const std::string expected =
      "From: \tTransfer.xlsx\tSheet1\t=2.5*MAX(A2:C3)+MAX(D2:D3)+MAX(E2:F3)+LEN(\"GTO km\")\t"
      "2,5000000000\tGTO km\tDate 2024/03/05 14:07:09\tVantrel data file 2024\t"
      "\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n"
      "6578,1370000000\t0,0000000000\t-1,5000000000\t86400,0000000000\t86400,0000000000\tBurn S"
      "\t\t\t\t\t\t\t\t\t\t\t\r\n"
      "42164,0000000001\t0,0000000000\t\t172800,0000000000"
      "\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n"
      "\r\n";
  EXPECT_EQ(test::TempDir::Read(path), expected);
}

TEST_F(ReaderTest, WrittenFilesReadBackToTheSameTablesInEveryLocale) {
  test::ClockGuard clock(rt::DateSerial(2024, 3, 5));
  const std::pair<const char*, const char*> locales[] = {{".", ","}, {",", "."}, {",", "\xC2\xA0"}};
  for (auto [wd, wt] : locales) {
    test::TempDir files;
    const std::string path = files.File("_Vantrel.vnx");
    {
      test::LocaleGuard loc(wd, wt);
      ASSERT_EQ(WriteDataFile(path, KnownHeader(), KnownBlock()), 0);
    }
    for (auto [rd, rth] : locales) {
      test::LocaleGuard loc(rd, rth);
      ReadNamed(path);
      const std::string where = std::string("written ") + wd + wt + " read " + rd + rth;
      EXPECT_EQ(w->ReadRows, 2) << where;
      EXPECT_DOUBLE_EQ(s().DataTable(0, 1), 6578.137 * 2.5) << where;
      EXPECT_DOUBLE_EQ(s().DataTable(0, 3), -1.5 * 2.5) << where;
      EXPECT_DOUBLE_EQ(s().DataTable(0, 0), 1) << where;
      EXPECT_DOUBLE_EQ(s().DataTable(1, 1), 42164.0000000001 * 2.5) << where;
      EXPECT_EQ(s().DataTable(1, 3), 0) << where;
      EXPECT_EQ(s().DataTable(1, 0), 2) << where;
      EXPECT_EQ(s().EventsTable(0, 1), 1) << where;  // "Burn S"
      EXPECT_EQ(s().EventsList.Label(0), "1") << where;
      EXPECT_EQ(w->EventRows, 1) << where;
      EXPECT_EQ(s().PlotTitle, "GTO ") << where;
      EXPECT_EQ(w->SpecScale, 2.5) << where;
    }
  }
}

}  // namespace
}  // namespace vantrel::datastore

namespace vantrel::datastore {
namespace {

TEST(DataFileWriter, TabsAndLineBreaksInsideTextsCannotShiftFieldsOrCutLines) {
  HeaderFields h;
  h.cellFormula = "=MAX(A2:C3)+\nLEN(\"a\tb\")";
  h.plotTitle = "a\tb";
  GatheredBlock b;
  b.SetText(0, 5, "two\r\nlines\there");
  b.SetNumber(0, 6, 1);
  const std::string text = RenderDataFile(h, b, 45356.5, ".");
  const size_t eol = text.find("\r\n");
  EXPECT_EQ(std::count(text.begin(), text.begin() + eol, '\t'), 24);
  EXPECT_NE(text.find("=MAX(A2:C3)+ LEN(\"a b\")\t"), std::string::npos);
  const std::string row = text.substr(eol + 2, text.find("\r\n", eol + 2) - eol - 2);
  EXPECT_EQ(std::count(row.begin(), row.end(), '\t'), 16);
  EXPECT_NE(row.find("two lines here\t1.0000000000"), std::string::npos);  // CR LF is one break
}

}  // namespace
}  // namespace vantrel::datastore
