#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "datastore/association.h"
#include "datastore/load_queue.h"
#include "datastore/loader.h"
#include "datastore/sheet_link.h"
#include "datastore/state.h"
#include "platform/runtime/rterror.h"
#include "tests/support/fake_services.h"
#include "tests/support/fake_sheet_link.h"

namespace vantrel::datastore {
namespace {

TEST(Tables, UnwrittenRowsReadZeroAndWritesGrowToTheLastRow) {
  NumTable<5> t;
  EXPECT_EQ(t.Get(10, 2), 0.0);
  t.Set(10, 2, 7.5);
  EXPECT_EQ(t.Get(10, 2), 7.5);
  EXPECT_EQ(t.Get(9, 2), 0.0);
  t.Set(kLastTableRow, 4, -1);
  EXPECT_EQ(t.Get(kLastTableRow, 4), -1.0);
  EXPECT_EQ(t.Get(10, 2), 7.5);  // growth keeps what was written
  EXPECT_EQ(rt::Try([&] { t.Set(kTableRows, 0, 1); }), rt::kErrSubscript);
  EXPECT_EQ(rt::Try([&] { t.Set(-1, 0, 1); }), rt::kErrSubscript);
  EXPECT_EQ(t.Get(kTableRows, 0), 0.0);

  TextColumn labels;
  EXPECT_EQ(labels.Get(3), "");
  labels.Set(3, "A");
  EXPECT_EQ(labels.Get(3), "A");
  EXPECT_EQ(rt::Try([&] { labels.Set(kTableRows, "x"); }), rt::kErrSubscript);
}

TEST(Tables, ReservedRowsKeepWhatWasWrittenAndReadZeroOrEmpty) {
  // As the reader takes storage for a whole file after its first line.
  NumTable<5> t;
  t.Set(0, 1, 2.5);
  t.Reserve(kTableRows);
  EXPECT_EQ(t.StoredRows(), kTableRows);
  EXPECT_EQ(t.Get(0, 1), 2.5);
  EXPECT_EQ(t.Get(500000, 3), 0.0);
  EXPECT_EQ(t.Get(kLastTableRow, 4), 0.0);
  t.Set(kLastTableRow, 4, -1);
  EXPECT_EQ(t.Get(kLastTableRow, 4), -1.0);

  TextColumn labels;
  labels.Set(0, "Burn");
  labels.Reserve(kTableRows);
  EXPECT_EQ(labels.Get(0), "Burn");
  EXPECT_EQ(labels.Get(1), "");
  EXPECT_EQ(labels.Get(700000), "");
  labels.Set(700000, "Coast");
  EXPECT_EQ(labels.Get(700000), "Coast");
  EXPECT_EQ(labels.Get(699999), "");
  EXPECT_EQ(labels.StoredRows(), 700001);
  EXPECT_EQ(labels.Get(0), "Burn");
}

TEST(Store, EachScopeGetsAFreshStoreAndRestoresThePrevious) {
  Store().LastDataRow = 5;
  {
    ScopedStore s;
    EXPECT_EQ(Store().LastDataRow, 0);
    EXPECT_EQ(Store().StringSettings.FormulaKeyWord, "MAX");
    Store().DataTable.Set(3, 1, 2.0);
  }
  EXPECT_EQ(Store().LastDataRow, 5);
  EXPECT_EQ(Store().DataTable.Get(3, 1), 0.0);
  Store().LastDataRow = 0;
}

// What a test puts in place of the load, the spreadsheet and the desktop tools belongs to its
// store: a fresh store runs the real ones, and the scope's come back when the fresh one ends.
TEST(Store, StandInsEndWithTheirStore) {
  ScopedStore outer;
  int loads = 0;
  auto sheet = std::make_shared<FakeSheetLink>();
  SetLoadBody([&] { ++loads; });
  SetSheetConnector([&]() -> std::shared_ptr<SheetLink> { return sheet; });
  SetLoaderSteps({[](DataStore&, LoadWork&) {}, nullptr});
  SetAssociationToolRunner([](const std::vector<std::string>&) { return 0; });
  {
    ScopedStore fresh;
    const LoadSeams& seams = fresh.store().Seams;
    EXPECT_FALSE(seams.loadBody || seams.sheetConnector || seams.loaderSteps.reader || seams.associationTools);
    EXPECT_EQ(rt::Try([] { AttachRunningSheet(); }), rt::kErrCannotCreate);  // no spreadsheet runs
  }
  RequestLoad();
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(AttachRunningSheet(), sheet);
}

TEST(Settings, RecordsAreCopiedWholeWithTheirLoadAndMovieFields) {
  ScopedStore s;
  DataStore& d = Store();
  d.FactorySettingsBlock = d.SettingsBlock;
  d.SettingsBlock.MovieFrameNo = 12;
  d.SettingsBlock.LoadDone = 1.0;
  d.SettingsBlock.ColourBackground = {1, 2, 3};
  d.SettingsBlock = d.FactorySettingsBlock;
  EXPECT_EQ(d.SettingsBlock.MovieFrameNo, 0);
  EXPECT_EQ(d.SettingsBlock.LoadDone, 0);
  EXPECT_EQ(d.SettingsBlock.ColourBackground, (Rgb{10, 20, 70}));
}

TEST(Settings, PersistedEntriesMapOntoTheFieldsInOrder) {
  SettingsRecord r;
  struct Case {
    int entry;
    double SettingsRecord::*field;
  } cases[] = {{0, &SettingsRecord::OptNoEarth},    {10, &SettingsRecord::LabelPositionFactor},
               {29, &SettingsRecord::MoonFactor},   {33, &SettingsRecord::OptSolarPanel},
               {34, &SettingsRecord::SunRayLength}, {36, &SettingsRecord::SatShapeIndex},
               {37, &SettingsRecord::OptCubicView}};
  for (const auto& c : cases) {
    SetSettingsField(r, c.entry, 100 + c.entry);
    EXPECT_EQ(r.*c.field, 100 + c.entry) << c.entry;
    EXPECT_EQ(SettingsField(r, c.entry), 100 + c.entry);
  }
  SetSettingsField(r, 11, 1);
  SetSettingsField(r, 16, 2);
  SetSettingsField(r, 28, 3);
  EXPECT_EQ(r.ColourAxisLabels[0], 1);
  EXPECT_EQ(r.ColourAxis[2], 2);
  EXPECT_EQ(r.ColourBackground[2], 3);
  EXPECT_EQ(SettingsField(r, 38), 0);
}

TEST(Services, LogLinesAppendAfterTheLineBreakAndTheFakeRunsHandlersOnChange) {
  auto main = std::make_shared<FakeMainWindow>();
  ScopedStore s(main);
  AddLogLine(Store().Main(), "one");
  AddLogLine(Store().Main(), "two");
  EXPECT_EQ(main->text20, "\r\none\r\ntwo");
  int runs = 0;
  main->handlers["HScroll2"] = [&] { ++runs; };
  Store().Main().SetHScroll2Value(9);
  Store().Main().SetHScroll2Value(9);
  EXPECT_EQ(runs, 1);
}

TEST(Services, LogTextStaysBounded) {
  auto main = std::make_shared<FakeMainWindow>();
  std::string line(1000, 'x');
  for (int i = 0; i < 400; ++i) AddLogLine(*main, line);
  EXPECT_LE(main->text20.size(), kMaxLogText);
  EXPECT_EQ(main->text20.substr(main->text20.size() - 1002), "\r\n" + line);
}

}  // namespace
}  // namespace vantrel::datastore
