// The Calc backend's spreadsheet objects over a scripted session: what the road reads, the
// search order, copies kept in memory, writes refused, and the choice of backend.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "platform/runtime/vb.h"
#include "platform/spreadsheet/calc.h"
#include "platform/spreadsheet/calc/calc_eval.h"
#include "platform/spreadsheet/model.h"
#include "tests/support/guards.h"

namespace ss = vantrel::spreadsheet;
using ss::CellValue;
using vantrel::rt::RtError;
using vantrel::rt::Try;

namespace {

// One document of two sheets, its cells in a map; records the cursor moves and the reads.
class FakeDocument : public ss::calc::Document {
 public:
  std::map<std::tuple<int64_t, int64_t, int64_t>, std::pair<std::string, CellValue>> cells;  // formula, value
  ss::calc::CellAt cursor{1, 3, 1};
  std::vector<ss::formula::Rect> found;  // what FindAll gives
  std::vector<ss::formula::Rect> valueReads;
  int selects = 0;

  std::string Title() override { return "orbit.ods"; }
  int64_t SheetCount() override { return 2; }
  std::string SheetName(int64_t s) override { return s == 0 ? "Notes" : "Data"; }
  int64_t ActiveSheet() override { return cursor.sheet; }
  ss::calc::CellAt ActiveCell() override { return cursor; }
  std::string Formula(const ss::calc::CellAt& c) override { return At(c).first; }
  CellValue Value(const ss::calc::CellAt& c) override { return At(c).second; }
  std::string Text(const ss::calc::CellAt& c) override { return At(c).second.AsString(); }
  std::vector<CellValue> Values(int64_t sheet, const ss::formula::Rect& r) override {
    valueReads.push_back(r);
    std::vector<CellValue> out;
    for (int64_t row = r.r1; row <= r.r2; ++row)
      for (int64_t col = r.c1; col <= r.c2; ++col) out.push_back(At({sheet, row, col}).second);
    return out;
  }
  ss::calc::CellAt UsedEnd(int64_t sheet) override { return {sheet, 4, 6}; }
  std::vector<ss::formula::Rect> FindAll(int64_t, const ss::FindArgs&) override { return found; }
  void Select(const ss::calc::CellAt& c) override {
    cursor = c;
    ++selects;
  }
  int64_t RowCount(int64_t) override { return 1048576; }
  bool Modified() override { return false; }

  void Put(int64_t row, int64_t col, std::string formula, CellValue v) {
    cells[{1, row, col}] = {std::move(formula), std::move(v)};
  }

 private:
  std::pair<std::string, CellValue> At(const ss::calc::CellAt& c) {
    auto it = cells.find({c.sheet, c.row, c.column});
    return it == cells.end() ? std::pair<std::string, CellValue>{} : it->second;
  }
};

class FakeSession : public ss::calc::Session {
 public:
  std::shared_ptr<FakeDocument> doc = std::make_shared<FakeDocument>();
  bool alive = true, hasDocument = true;
  std::string ProductVersion() override { return "7.4.7.2"; }
  std::shared_ptr<ss::calc::Document> ActiveDocument() override { return hasDocument ? doc : nullptr; }
  std::vector<std::shared_ptr<ss::calc::Document>> Documents() override {
    if (!hasDocument) return {};
    return {doc};
  }
  bool Alive() override { return alive; }
  // Calc's evaluation in the session's own document: each call, and what it gives (by default
  // this connection evaluates nothing).
  struct OwnCall {
    std::string formula, firstSheet;
    std::vector<ss::calc::OwnRange> cells;
  };
  std::vector<OwnCall> ownCalls;
  std::function<CellValue()> own;
  CellValue EvaluateOwn(const std::string& formula, const std::string& firstSheet,
                        const std::vector<ss::calc::OwnRange>& cells) override {
    ownCalls.push_back({formula, firstSheet, cells});
    return own ? own() : Session::EvaluateOwn(formula, firstSheet, cells);
  }
};

struct CalcLayer : ::testing::Test {
  std::shared_ptr<FakeSession> session = std::make_shared<FakeSession>();
  ss::CalcConnector connector{std::shared_ptr<ss::calc::Session>(session)};
  FakeDocument& doc = *session->doc;

  CalcLayer() {
    doc.Put(1, 1, "X", CellValue::Str("X"));
    doc.Put(2, 1, "1000", CellValue::Num(1000));
    doc.Put(2, 2, "=1/0", CellValue::Err("#DIV/0!"));
    doc.Put(3, 1, "1001.5", CellValue::Num(1001.5));
    doc.Put(3, 2, "burn", CellValue::Str("burn"));
    doc.Put(2, 6, "=MAX($Data.A2:B3;Notes.A1)", CellValue::Num(1001.5));
  }
};

TEST(ApiFormula, TakesTheFormOfTheFileReaders) {
  const struct {
    const char* api;
    const char* a1;
  } cases[] = {
      {"=MAX(A2:C60)", "=MAX(A2:C60)"},
      {"=SUM(A2;B2)+MAX($A$2:$C$6)", "=SUM(A2,B2)+MAX($A$2:$C$6)"},
      {"=$Sheet2.B1&Sheet2.$C$3", "=Sheet2!B1&Sheet2!$C$3"},
      {"='My sheet'.B1+$'It''s'.A1:B2", "='My sheet'!B1+'It''s'!A1:B2"},
      {"=LEN(\"a;b Sheet2.B1\")+1.5", "=LEN(\"a;b Sheet2.B1\")+1.5"},
      {"=IF(A1;\"x\"\"y\";2.5E3)", "=IF(A1,\"x\"\"y\",2.5E3)"},
      {"1000", "1000"},
      {"Sheet2.B1; notes", "Sheet2.B1; notes"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ss::formula::ApiToA1(c.api), c.a1) << c.api;
}

TEST_F(CalcLayer, ReadsWhatTheRoadAsks) {
  ss::Application app = connector.Attach();
  ss::Workbook wb = app.ActiveWorkbook();
  EXPECT_EQ(wb.Name(), "orbit.ods");
  EXPECT_EQ(wb.Windows().Count(), 1);
  EXPECT_EQ(wb.Windows()(1).Caption(), "orbit.ods");
  EXPECT_EQ(wb.ActiveSheet().Name(), "Data");
  EXPECT_EQ(Try([&] { wb.Windows()(2); }), 9);
  doc.cursor = {1, 2, 6};
  ss::Range cell = wb.Windows()(1).ActiveCell();
  EXPECT_EQ(cell.Formula(), "=MAX(Data!A2:B3,Notes!A1)");
  EXPECT_EQ(cell.Value().AsDouble(), 1001.5);
  EXPECT_EQ(cell.Row(), 2);
  EXPECT_EQ(cell.Column(), 6);
  EXPECT_EQ(wb.ActiveSheet().Cells(3, 2).Value().AsString(), "burn");
  EXPECT_EQ(app.Name(), "LibreOffice Calc 7.4.7.2");
  EXPECT_GE(vantrel::rt::Val(app.Version()), 12);
  // Evaluated here from the cells it names; nothing is written.
  EXPECT_EQ(app.Evaluate("\"at \"&B3&Data!A2").AsString(), "at burn1000");
  EXPECT_EQ(Try([&] { app.Evaluate("Nowhere!A1"); }), 1004);
  cell.Select();
  EXPECT_EQ(doc.selects, 1);
}

TEST_F(CalcLayer, NoDocumentIsNoObjectAndALostCalcIsNotRunning) {
  session->hasDocument = false;
  ss::Application app = connector.Attach();
  EXPECT_TRUE(app.ActiveWorkbook().IsNothing());
  EXPECT_EQ(Try([&] { app.ActiveWorkbook().Name(); }), 91);
  session->alive = false;
  EXPECT_EQ(Try([&] { connector.Attach(); }), 429);
}

TEST_F(CalcLayer, FindGoesByRowsAfterTheStartAndWraps) {
  ss::Application app = connector.Attach();
  ss::Worksheet sheet = app.ActiveWorkbook().ActiveSheet();
  // Found: C5:D6 and B2, the start cell among them.
  doc.found = {{5, 3, 6, 4}, {2, 2, 2, 2}};
  const struct {
    int64_t row, col;  // of a one-cell range: the whole sheet is searched
    int64_t foundRow, foundCol;
  } cases[] = {{1, 1, 2, 2}, {2, 2, 5, 3}, {5, 3, 5, 4}, {5, 4, 6, 3}, {6, 4, 2, 2}, {9, 9, 2, 2}};
  for (const auto& c : cases) {
    ss::Range r = sheet.Cells(c.row, c.col).Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true);
    EXPECT_EQ(r.Row(), c.foundRow) << c.row << "," << c.col;
    EXPECT_EQ(r.Column(), c.foundCol) << c.row << "," << c.col;
  }
  // A larger range searches only itself.
  EXPECT_EQ(sheet.GetRange("C1:D9").Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true).Address(), "$C$5");
  EXPECT_TRUE(sheet.GetRange("E1:F9").Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true).IsNothing());
  doc.found.clear();
  EXPECT_EQ(Try([&] { sheet.Cells(1, 1).Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true).Activate(); }), 91);
}

TEST_F(CalcLayer, CopiesArePastedIntoOurOwnWorkbookAndTheDocumentIsNeverWritten) {
  ss::Application app = connector.Attach();
  ss::Worksheet src = app.ActiveWorkbook().ActiveSheet();
  ss::Workbook gather = app.GetWorkbooks().Add();
  EXPECT_NE(gather.Name(), "orbit.ods");
  // Whole columns are read up to the used end, in one read.
  src.GetRange("A:B").Copy();
  ASSERT_EQ(doc.valueReads.size(), 1u);
  EXPECT_EQ(doc.valueReads[0].r2, 4);
  EXPECT_EQ(doc.valueReads[0].c2, 2);
  gather.ActiveSheet().GetRange("B2").PasteSpecial();
  app.SetCutCopyMode(false);
  gather.ActiveSheet().GetRange("A2:C5").Copy();
  EXPECT_EQ(app.CopiedText(), "\tX\t\r\n\t1000\t#DIV/0!\r\n\t1001.5\tburn\r\n\t\t\r\n");
  app.SetCutCopyMode(false);
  EXPECT_EQ(app.CopiedText(), "");
  gather.Close(false);

  ss::Range cell = src.Cells(2, 1);
  for (auto write : std::initializer_list<std::function<void()>>{
           [&] { cell.SetValue(5.0); }, [&] { cell.SetFormula("=1"); }, [&] { cell.PasteSpecial(); },
           [&] { cell.SetNumberFormat("0.00"); }, [&] { cell.SetColumnWidth(20); },
           [&] { app.ActiveWorkbook().Close(false); }, [&] { app.ActiveWindow().Close(); }})
    EXPECT_EQ(Try(write), 1004);
  EXPECT_EQ(cell.Value().AsDouble(), 1000);
}

// VANTREL_WORKBOOK set (or unset) for the guard's life.
struct NamedWorkbook {
  explicit NamedWorkbook(const char* path) {
    if (path) setenv("VANTREL_WORKBOOK", path, 1);
    else unsetenv("VANTREL_WORKBOOK");
  }
  ~NamedWorkbook() { unsetenv("VANTREL_WORKBOOK"); }
};

// Attaches to one in-memory instance, or fails with 429.
struct Fixed : ss::Connector {
  std::shared_ptr<ss::model::App> app;
  int attaches = 0;
  ss::Application Attach() override {
    ++attaches;
    if (!app) throw RtError(429);
    return app->handle();
  }
};

TEST(ChoosingConnector, NamedFileThenCalcThenTheLastFile) {
  auto file = std::make_shared<Fixed>(), calc = std::make_shared<Fixed>();
  file->app = ss::model::App::Create();
  file->app->appName = "file";
  ss::ChoosingConnector choose(file, calc);
  NamedWorkbook none(nullptr);
  EXPECT_EQ(choose.Attach().Name(), "file");  // no Calc answers
  calc->app = ss::model::App::Create();
  calc->app->appName = "calc";
  EXPECT_EQ(choose.Attach().Name(), "calc");
  {
    NamedWorkbook named("/tmp/orbit.xlsx");
    const int before = calc->attaches;
    EXPECT_EQ(choose.Attach().Name(), "file");
    EXPECT_EQ(calc->attaches, before);
  }
  NamedWorkbook again(nullptr);
  calc->app.reset();
  file->app.reset();
  EXPECT_EQ(Try([&] { choose.Attach(); }), 429);
}

TEST(CalcConnector, WithoutTheModuleCalcIsNotRunning) {
  ss::CalcConnector::Options o;
  o.module = "/nonexistent/libvantrel_calc.so";
  o.connection = "pipe,name=vantrel_none;urp;StarOffice.ComponentContext";
  ss::CalcConnector c(o);
  EXPECT_EQ(Try([&] { c.Attach(); }), 429);
}

}  // namespace

namespace {

TEST(CalcSyntax, SeparatorsAndSheetsAsCalcWritesThemAndTheReferencesMade) {
  using Ref = std::tuple<std::string, int64_t, int64_t, int64_t, int64_t>;  // sheet, r1, c1, r2, c2
  const struct {
    const char* a1;
    const char* calc;
    std::vector<Ref> refs;
  } cases[] = {
      {R"("Orbit "&ROMAN(H1)&" days")", R"("Orbit "&ROMAN(H1)&" days")", {{"", 1, 8, 1, 8}}},
      {R"(TEXT(B1,"0,0")&Data!A2:B3)", R"(TEXT(B1;"0,0")&$Data.A2:B3)", {{"", 1, 2, 1, 2}, {"Data", 2, 1, 3, 2}}},
      {R"('It''s'!$C$3&"a!b, B9")", R"($'It''s'.$C$3&"a!b, B9")", {{"It's", 3, 3, 3, 3}}},
      {"DEC2HEX(255, 4)&1.5E3&TRUE", "DEC2HEX(255; 4)&1.5E3&TRUE", {}},
      {"COM.SUN.STAR.SHEET.ADDIN.ANALYSIS!GETDEC2HEX(H1,4)",
       "COM.SUN.STAR.SHEET.ADDIN.ANALYSIS.GETDEC2HEX(H1;4)",
       {{"", 1, 8, 1, 8}}},
      {"SUM(A:A)/Sheet.2!B1", "SUM(A:A)/$Sheet.2.B1", {{"", 1, 1, 1048576, 1}, {"Sheet.2", 1, 2, 1, 2}}},
  };
  for (const auto& c : cases) {
    const ss::calc::CalcExpression e = ss::calc::ToCalcSyntax(c.a1);
    EXPECT_EQ(e.text, c.calc) << c.a1;
    std::vector<Ref> refs;
    for (const auto& r : e.references) refs.emplace_back(r.sheet, r.r.r1, r.r.c1, r.r.r2, r.r.c2);
    EXPECT_EQ(refs, c.refs) << c.a1;
  }
}

TEST_F(CalcLayer, CalcEvaluatesTitlesOnCopiesOfTheCellsTheyName) {
  ss::Application app = connector.Attach();
  app.ActiveWorkbook().Activate();
  session->own = [] { return CellValue::Str("M Calc"); };
  // ROMAN is unknown to our own evaluator: Calc's value stands.
  EXPECT_EQ(app.Evaluate(R"(ROMAN(A2)&" "&Notes!A1&SUM(C:C)&Z99)").AsString(), "M Calc");
  ASSERT_EQ(session->ownCalls.size(), 1u);
  const FakeSession::OwnCall& call = session->ownCalls[0];
  EXPECT_EQ(call.formula, R"(=ROMAN(A2)&" "&$Notes.A1&SUM(C:C)&Z99)");
  EXPECT_EQ(call.firstSheet, "Data");
  // The cells named, as far as the sheet's used area goes; Z99 lies past it.
  ASSERT_EQ(call.cells.size(), 3u);
  EXPECT_EQ(call.cells[0].sheet, "Data");
  EXPECT_EQ(call.cells[0].values, std::vector<CellValue>{CellValue::Num(1000)});
  EXPECT_EQ(call.cells[1].sheet, "Notes");
  EXPECT_EQ(call.cells[1].values, std::vector<CellValue>{CellValue{}});
  EXPECT_EQ(call.cells[2].r.r2, 4);
  EXPECT_EQ(call.cells[2].values.size(), 4u);
}

TEST_F(CalcLayer, OurOwnEvaluationStandsWhereCalcCannotEvaluate) {
  ss::Application app = connector.Attach();
  const struct {
    const char* why;
    std::function<CellValue()> own;
  } failures[] = {
      {"an error value", []() -> CellValue { throw RtError(1004, "Calc gives #NAME?"); }},
      {"no answer", []() -> CellValue { throw RtError(ss::calc::kErrConnectionLost, "not answering"); }},
      {"no own document", nullptr},
  };
  for (const auto& f : failures) {
    SCOPED_TRACE(f.why);
    session->own = f.own;
    session->ownCalls.clear();
    EXPECT_EQ(app.Evaluate("\"at \"&B3&UPPER(Data!A3)").AsString(), "at burn1001.5");
    EXPECT_EQ(session->ownCalls.size(), 1u);
    // Neither evaluates it: our own refusal, which names the function.
    RtError refused(0);
    try {
      app.Evaluate("ROMAN(A2)");
    } catch (const RtError& e) {
      refused = e;
    }
    EXPECT_EQ(refused.number(), 1004);
    EXPECT_NE(refused.description().find("function ROMAN"), std::string::npos) << refused.description();
  }
  // A cell showing an error is not copied: our own evaluation carries it.
  session->own = [] { return CellValue::Str("copied"); };
  session->ownCalls.clear();
  EXPECT_EQ(app.Evaluate("B2&\"x\"").kind, CellValue::Kind::Error);
  EXPECT_TRUE(session->ownCalls.empty());
}

}  // namespace
