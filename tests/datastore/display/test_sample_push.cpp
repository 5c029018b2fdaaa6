#include <gtest/gtest.h>

#include <string>

#include "datastore/sample.h"
#include "datastore/state.h"
#include "datastore/text_push.h"
#include "platform/runtime/rterror.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

TEST(Sample, FillsTheFigureAndItsLastRow) {
  ScopedStore scope;
  DataStore& s = scope.store();
  s.DataTable.Set(8, 1, 42);
  s.DataTable.Set(3, 4, -1);
  double counter = 0, step = 0;
  FillSampleDataW(counter, step);
  EXPECT_EQ(counter, 10);
  EXPECT_EQ(step, 0.001);
  EXPECT_EQ(s.LastDataRow, 7);
  const struct {
    int row;
    double x, y;
  } rows[] = {{0, 0, 0}, {1, 0, 0}, {2, 307049.106105, 0}, {3, 94883.70, -292020.95}, {7, 307049.1061, 1.6296}};
  for (const auto& r : rows) {
    EXPECT_NEAR(s.DataTable.Get(r.row, 1), r.x, 0.01) << r.row;
    EXPECT_NEAR(s.DataTable.Get(r.row, 2), r.y, 0.01) << r.row;
    EXPECT_EQ(s.DataTable.Get(r.row, 3), 0);
    EXPECT_EQ(s.DataTable.Get(r.row, 0), 0);
  }
  EXPECT_NE(s.DataTable.Get(7, 2), s.DataTable.Get(2, 2));  // the short pi leaves the pentagon open
  EXPECT_EQ(s.DataTable.Get(8, 1), 42);                     // rows from 8 on untouched
  EXPECT_EQ(s.DataTable.Get(3, 4), -1);                     // break flags untouched
}

struct Push : ::testing::Test {
  ScopedStore scope;
  DataStore& s = scope.store();
  test::MsgBoxGuard boxes;
  ClassInterface push;
};

TEST_F(Push, TitleAndEventsFlag) {
  push.InterFaceXls("Transfer", 1);
  EXPECT_EQ(s.PlotTitle, "Transfer");
  EXPECT_EQ(s.EventsGiven, 1);
}

TEST_F(Push, RowsAreScaledAndAppendedAcrossCalls) {
  const struct {
    const char* text;
    int lastRow;
  } endings[] = {{"1\t2\t3\r\n4\t5\t6\r\n", 1}, {"1\t2\t3\n4\t5\t6\n", 1}, {"1\t2\t3\r4\t5\t6\r", 1}};
  for (const auto& e : endings) {
    ScopedStore fresh;
    ClassInterface p;
    p.GlrayonXls(e.text, 2);
    DataStore& t = fresh.store();
    EXPECT_EQ(t.LastDataRow, e.lastRow);
    EXPECT_EQ(t.ScaleFactor, 2);
    const double want[2][3] = {{2, 4, 6}, {8, 10, 12}};
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 3; ++c) EXPECT_EQ(t.DataTable.Get(r, c + 1), want[r][c]);
  }
  push.GlrayonXls("1\t2\t3\r\n", 1);
  push.GlrayonXls(" 7 \t 8\t9 \r\n10\t11\t12", 1);  // the last row has no line end: dropped
  EXPECT_EQ(s.LastDataRow, 1);
  EXPECT_EQ(s.DataTable.Get(1, 1), 7);
  EXPECT_EQ(s.DataTable.Get(1, 3), 9);
  EXPECT_EQ(s.DataTable.Get(2, 1), 0);
}

TEST_F(Push, EmptyTextOrZeroScaleLeavesTheTables) {
  s.LastDataRow = 5;
  s.ScaleFactor = 3;
  push.GlrayonXls("", 2);
  push.GlrayonXls("1\t2\t3\r\n", 0);
  EXPECT_EQ(s.LastDataRow, 5);
  EXPECT_EQ(s.ScaleFactor, 3);
  EXPECT_EQ(InterfaceGrid()[1][2], "2");  // the cells are kept
  // Text without any line end: no row, nothing counted.
  ClassInterface other;
  other.GlrayonXls("1\t2\t3", 1);
  EXPECT_EQ(s.LastDataRow, 5);
}

TEST_F(Push, TimesFillColumnZeroForTheRowsPushed) {
  test::LocaleGuard loc(",", " ");
  push.GlrayonXls("1\t1\t1\r\n2\t2\t2\r\n", 1);
  push.GlrayonXlsT("45356,25\r\n45356.5\r\n", 1);
  EXPECT_DOUBLE_EQ(s.DataTable.Get(0, 0), 45356.25);
  EXPECT_DOUBLE_EQ(s.DataTable.Get(1, 0), 45356.5);
  EXPECT_EQ(s.LastDataRow, 1);
}

TEST_F(Push, EventsTakeTheirValueFromTheLabelsLastCharacter) {
  push.GlEventsXls("1.5\tburn S\r\n2\tburn E\r\n3\tstage 7\r\n4\tX\r\n", 1);
  EXPECT_EQ(s.EventCount, 4);  // the number of events
  const double want[4][2] = {{1.5, 1}, {2, 0}, {3, 7}, {4, 0}};
  for (int r = 0; r < 4; ++r) {
    EXPECT_DOUBLE_EQ(s.EventsTable.Get(r, 0), want[r][0]);
    EXPECT_EQ(s.EventsTable.Get(r, 1), want[r][1]);
  }
  EXPECT_EQ(s.EventsList.Label(0), "burn S");
  EXPECT_EQ(s.EventsList.Time(2), 3);
  // A fifth event lies past the grid: the subscript error reaches the caller.
  EXPECT_EQ(rt::Try([&] { push.GlEventsXls("5\tlate\r\n", 1); }), rt::kErrSubscript);
}

TEST_F(Push, FifthCellOrRowPastTheGridIsASubscriptError) {
  EXPECT_EQ(rt::Try([&] { push.GlrayonXls("1\t2\t3\t4\t5\r\n", 1); }), rt::kErrSubscript);
  EXPECT_EQ(InterfaceGrid()[1][4], "4");  // cells before the failure stay
  ClassInterface many;
  std::string text;
  for (int i = 0; i < 64; ++i) text += std::to_string(i) + "\t0\t0\r\n";
  many.GlrayonXls(text, 1);
  EXPECT_EQ(s.LastDataRow, 63);
  EXPECT_EQ(rt::Try([&] { many.GlrayonXls("1\t1\t1\r\n", 1); }), rt::kErrSubscript);
}

TEST_F(Push, LongTextWarnsOnceAndIsStillRead) {
  std::string text = "1\t2\t3\r\n";
  text += std::string(65001, ' ');
  text += "\r\n";
  push.GlrayonXls(text, 1);
  ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes().boxes()[0].text, "Overflow");
  EXPECT_EQ(boxes.boxes().boxes()[0].style, 16);
  EXPECT_EQ(boxes.boxes().boxes()[0].title, "Some Data are to be lost");
  EXPECT_EQ(s.DataTable.Get(0, 3), 3);
}

}  // namespace
}  // namespace vantrel::datastore
