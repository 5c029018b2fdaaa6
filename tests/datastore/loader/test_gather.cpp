#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "loader_harness.h"
#include "tests/support/fake_sheet_link.h"

namespace vantrel::datastore {
namespace {

// The spreadsheet layer's link with calls that fail or misbehave on request; records pastes.
class FaultyLink : public FakeSheetLink {
 public:
  using FakeSheetLink::FakeSheetLink;
  bool addGivesSource = false;
  std::vector<BookId> pastedInto;

  BookId ActiveWorkbook() override { return source = FakeSheetLink::ActiveWorkbook(); }
  std::string ActiveSheetName(BookId b) override {
    if (b != source) Fail("GatherSheetName");
    return FakeSheetLink::ActiveSheetName(b);
  }
  BookId AddWorkbook() override {
    if (!addGivesSource) return FakeSheetLink::AddWorkbook();
    Fail("AddWorkbook");
    return source;
  }
  void SetCellText(BookId b, int64_t r, int64_t c, const std::string& t) override {
    pastedInto.push_back(b);
    FakeSheetLink::SetCellText(b, r, c, t);
  }
  void PasteValues(BookId b, const std::string& c) override {
    pastedInto.push_back(b);
    FakeSheetLink::PasteValues(b, c);
  }
  void FormatColumns(BookId b, const std::string& c, double w, const std::string& f) override {
    pastedInto.push_back(b);
    FakeSheetLink::FormatColumns(b, c, w, f);
  }

 private:
  BookId source = 0;
};

class Gather : public LoaderTest {
 protected:
  Gather() {
    book = Run("loader.xlsx", 0, 2, 20);
    SetSheetConnector([this]() -> std::shared_ptr<SheetLink> {
      link = std::make_shared<FaultyLink>(AttachSpreadsheetLayer());
      link->failures = fail;
      link->addGivesSource = addGivesSource;
      return link;
    });
    dir.Write("_Vantrel.vnx", previous);
  }
  // The user's workbook is as it was read and is the only one open.
  void ExpectUserWorkbookUntouched() {
    EXPECT_EQ(connector->app->handle().GetWorkbooks().Count(), 1);
    EXPECT_EQ(book->sheet(0).GetFormula(2, 20), "=MAX(A2:C6)");
    EXPECT_EQ(book->sheet(0).GetValue(1, 1).AsString(), "X");
    EXPECT_TRUE(book->sheet(0).GetValue(8, 1).IsEmpty());
  }

  const std::string previous =
      "From: \tBook1\tSheet1\t=MAX(A2:C2)\t1.0000000000\tOld\tDate 2024/03/05 14:07:09\tVantrel data file 2024\t" +
      std::string(16, '\t') + "\r\n7\t8\t9" + std::string(14, '\t') + "\r\n\r\n";
  std::shared_ptr<spreadsheet::model::Book> book;
  std::shared_ptr<FaultyLink> link;
  std::map<std::string, rt::RtError> fail;
  bool addGivesSource = false;
};

TEST_F(Gather, FailuresKeepThePreviousDataFileAndTheUsersWorkbook) {
  const struct {
    const char* what;
    const char* call;
    int number;
    const char* description;
    const char* box;  // nullptr: none
  } cases[] = {
      {"adding refused", "AddWorkbook", 1004, "Rejected", nullptr},
      {"busy after adding", "GatherSheetName", 50290, "Busy", nullptr},
      {"cells of the block lost", "ForEachCopiedRow", 1004, "Rejected", nullptr},
      {"clipboard fault", "ForEachCopiedRow", 521, "Can't open Clipboard", "Can't open Clipboard"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::MsgBoxGuard box;
    fail.clear();
    fail.emplace(c.call, rt::RtError(c.number, c.description));
    LoadExcelDataXls();
    EXPECT_EQ(ReadCurrent(), previous);
    EXPECT_EQ(s().DataTable.Get(0, 1), 0.007);
    ExpectUserWorkbookUntouched();
    if (c.box) {
      ASSERT_EQ(box.boxes().boxes().size(), 1u);
      EXPECT_EQ(box.boxes().boxes()[0].text, c.box);
      EXPECT_EQ(box.boxes().boxes()[0].title, "Error");
      EXPECT_EQ(box.boxes().boxes()[0].style, 16);
    } else {
      EXPECT_TRUE(box.boxes().boxes().empty());
    }
  }
}

TEST_F(Gather, AnAddThatGivesBackTheSourceWorkbookPastesNothingIntoIt) {
  addGivesSource = true;
  LoadExcelDataXls();
  EXPECT_TRUE(link->pastedInto.empty());
  EXPECT_EQ(ReadCurrent(), previous);
  ExpectUserWorkbookUntouched();
  EXPECT_EQ(s().SettingsBlock.LoadDone, 1.0);
}

TEST_F(Gather, ASuccessfulGatheringClosesItsWorkbookAndLeavesTheUsersOne) {
  LoadExcelDataXls();
  EXPECT_NE(ReadCurrent(), previous);
  EXPECT_FALSE(link->pastedInto.empty());
  for (BookId b : link->pastedInto) EXPECT_NE(b, 1);
  ExpectUserWorkbookUntouched();
}

TEST_F(Gather, TheLenStepLeavesTheCellsFormula) {
  book->sheet(0).SetActiveCell(6, 20);
  LoadExcelDataXls();
  EXPECT_EQ(book->sheet(0).GetFormula(6, 20), "=LEN(\"Orbit of \"&B1)+MAX(A2:C6)");
  EXPECT_EQ(s().PlotTitle, "Orbit of Y");
  EXPECT_EQ(connector->app->handle().GetWorkbooks().Count(), 1);
}

}  // namespace
}  // namespace vantrel::datastore
