// The reader's sound behaviour where the plain algorithm loses or mixes up data.
#include <unistd.h>

#include <filesystem>

#include "reader_harness.h"

namespace vantrel::datastore {
namespace {

std::string Full17(double base) {
  std::string s;
  for (int k = 1; k <= 17; ++k) s += (k > 1 ? "\t" : "") + std::to_string(static_cast<int>(base + k));
  return s;
}

TEST_F(ReaderTest, ShortLinesLeaveNothingOfAnEarlierLoadInTheirRows) {
  const std::string formula =
      "=MAX(A2:C2)+MAX(D2)+MAX(E2:F2)+MAX(G2:K2)+MAX(L2:M2)+MAX(N2:O2)+MAX(P2:Q2)+LEN(\"km days\")";
  ReadCurrent(Header(formula, "") + "\r\n" + Full17(100) + "\r\n" + Full17(200) + "\r\n" + Full17(300) + "\r\n");
  ASSERT_EQ(w->ReadRows, 3);
  // Same formula, lines that stop early in each group.
  ReadCurrent(Header(formula, "") + "\r\n" +
              "1\t2\r\n"           // X, Y only
              "1\t2\t3\t4\t5\r\n"  // events without a label
              "1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\r\n");
  ASSERT_EQ(w->ReadRows, 3);
  EXPECT_EQ(s().DataTable(0, 3), 0);    // old Z
  EXPECT_EQ(s().DataTable(0, 0), 0);    // old time
  EXPECT_EQ(s().EventsTable(0, 1), 0);  // old event value of the row the line wrote
  EXPECT_EQ(s().EventsList.Label(0), "");
  EXPECT_EQ(s().ValZTable(2, 1), 0);  // old value beside a new time
  EXPECT_EQ(s().ValZTable(2, 0), 16);

  ReadCurrent(Header(formula, "") + "\r\n1\t2\t3\t4\t5\t6\t7\t8\r\n1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\r\n");
  EXPECT_EQ(s().QuaterTable(0, 1), 8);
  EXPECT_EQ(s().QuaterTable(0, 2), 0);
  EXPECT_EQ(s().QuaterTable(0, 4), 0);
  EXPECT_EQ(s().SApYTable(1, 0), 12);
  EXPECT_EQ(s().SApYTable(1, 1), 0);
}

TEST_F(ReaderTest, AnIncompleteOneColumnPointHasNoOldYAndZ) {
  ReadNamed(Fixture("units_days.vnx"));  // row 2 does not exist there; rows 0, 1 do
  ReadCurrent(Header("=MAX(A2:A5)+LEN(\"column km days\")", "") + "\r\n1\r\n2\r\n3\r\n4\r\n");
  EXPECT_EQ(s().LastDataRow, 1);
  EXPECT_EQ(s().DataTable(1, 1), 4);
  EXPECT_EQ(s().DataTable(1, 2), 0);  // was 5 from the first load
  EXPECT_EQ(s().DataTable(1, 3), 0);
}

TEST_F(ReaderTest, AQuotedBareFileNameIsLookedForInTheCurrentFolder) {
  dir.Write("orbit one.vnx", Header("=MAX(A2:C2)", "") + "\r\n1\t2\t3\r\n");
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  ReadNamed("\"orbit one.vnx\"");
  std::filesystem::current_path(cwd);
  EXPECT_EQ(s().CmdLineFirst, dir.File("orbit one.vnx"));
  EXPECT_EQ(w->LastErrNumber, 0);
  EXPECT_EQ(w->ReadRows, 1);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(ReaderTest, AFailedNamedFileIsNamedWithItsReason) {
  struct Case {
    std::string path;
    int err;
  } cases[] = {
      {dir.File("missing.vnx"), 53},
      {dir.File("no/such/folder.vnx"), 76},
      {dir.path().string() + "/", 75},  // a folder
  };
  for (const Case& c : cases) {
    msg.boxes().Answer({});
    const size_t before = boxes().size();
    ReadNamed(c.path);
    EXPECT_EQ(w->LastErrNumber, c.err) << c.path;
    ASSERT_EQ(boxes().size(), before + 1) << c.path;
    const auto& box = boxes().back();
    EXPECT_NE(box.text.find(c.path), std::string::npos) << box.text;
    EXPECT_NE(box.text.find(rt::ErrorDescription(c.err)), std::string::npos) << box.text;
    EXPECT_EQ(box.text.find("The demo will be shown."), std::string::npos);
    EXPECT_EQ(w->ReadRows, 0);
  }
}

TEST_F(ReaderTest, AnUnreadableCurrentDataFileIsReported) {
  std::filesystem::create_directory(dir.File("_Vantrel.vnx"));
  NewLoad();
  ReadDataFileStep(s(), *w);
  EXPECT_EQ(w->LastErrNumber, 75);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_NE(boxes()[0].text.find(dir.File("_Vantrel.vnx")), std::string::npos);
}

TEST_F(ReaderTest, ReadingStopsAtTheLastTableRowAndSaysSo) {
  std::string bytes = Header("=MAX(A2:C2)+LEN(\"km days\")", "") + "\r\n";
  bytes.reserve(bytes.size() + (kTableRows + 2) * 4);
  for (int64_t i = 0; i < kTableRows + 2; ++i) bytes += "7\t\t\n";
  ReadCurrent(bytes);
  EXPECT_EQ(w->ReadRows, kTableRows);
  EXPECT_EQ(s().LastDataRow, kLastTableRow);
  EXPECT_EQ(s().DataTable(kLastTableRow, 1), 7);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_NE(boxes()[0].text.find("1048576"), std::string::npos);
}

TEST_F(ReaderTest, AFileWrittenWithDecimalCommasReadsTheSameInEveryLocale) {
  const std::string bytes = Header("=0.001*MAX(A2:C2)+MAX(D2)+LEN(\"days\")", "") + "\r\n" +
                            "1234,5000000000\t-0,2500000000\t2,0000000000\t1,5000000000\r\n";
  for (auto [dec, th] : {std::pair{".", ","}, std::pair{",", "."}, std::pair{",", "\xC2\xA0"}}) {
    test::LocaleGuard loc(dec, th);
    ReadCurrent(bytes);
    EXPECT_DOUBLE_EQ(w->SpecScale, 0.001) << dec << th;
    EXPECT_DOUBLE_EQ(s().DataTable(0, 1), 1234.5 * 0.001 / 1000) << dec << th;
    EXPECT_DOUBLE_EQ(s().DataTable(0, 2), -0.25 * 0.001 / 1000) << dec << th;
    EXPECT_DOUBLE_EQ(s().DataTable(0, 0), 1.5) << dec << th;
  }
}

}  // namespace
}  // namespace vantrel::datastore
