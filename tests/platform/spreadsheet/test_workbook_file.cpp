// Workbook files saved by a spreadsheet program and written here, read through the layer.
#include <gtest/gtest.h>
#include <xlsxwriter.h>
#include <zip.h>

#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "platform/runtime/clock.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/spreadsheet/numfmt.h"
#include "platform/spreadsheet/workbook_file.h"
#include "platform/spreadsheet/zipxml.h"
#include "tests/platform/spreadsheet/zip_parts.h"
#include "tests/support/guards.h"
#include "tests/support/temp_dir.h"

namespace ss = vantrel::spreadsheet;
namespace fs = std::filesystem;
using ss::CellValue;
using vantrel::rt::Try;

namespace {

const std::string kFixtures = std::string(VANTREL_FIXTURES) + "/spreadsheet/";

fs::path TempDir() {
  static const vantrel::test::TempDir d("vantrel_ss");  // removed when the tests end
  fs::create_directories(d.path());
  return d.path();
}

ss::Application Open(const std::string& path, const ss::ReadLimits& limits = {}) {
  static std::vector<std::shared_ptr<ss::model::App>> keep;
  auto app = ss::model::App::Create();
  keep.push_back(app);
  ss::OpenWorkbookFile(*app, path, limits);
  return app->handle();
}

using vantrel::test::WriteZip;

const char* kContentTypes =
    "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
const char* kRootRels =
    "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
    "Target=\"xl/workbook.xml\"/></Relationships>";
const char* kWorkbookRels =
    "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
    "Target=\"worksheets/sheet1.xml\"/></Relationships>";
const char* kWorkbook =
    "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><bookViews><workbookView "
    "activeTab=\"0\"/></bookViews><sheets><sheet name=\"Feuil1\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";

std::string SheetXml(const std::string& data, const std::string& view = "") {
  return "<?xml version=\"1.0\"?><worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
         view + "<sheetData>" + data + "</sheetData></worksheet>";
}

std::map<std::string, std::string> XlsxParts(const std::string& sheet) {
  return {{"[Content_Types].xml", kContentTypes},
          {"_rels/.rels", kRootRels},
          {"xl/workbook.xml", kWorkbook},
          {"xl/_rels/workbook.xml.rels", kWorkbookRels},
          {"xl/worksheets/sheet1.xml", sheet}};
}

std::string Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& p, const std::string& s) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << s;
}

// The dimension spans columns that hold nothing (a blank column, a note far to the right): only
// the columns the first rows fill get room for the dimension's rows, read in one piece or in
// chunks on several threads.
TEST(WrittenWorkbook, DimensionRoomOnlyForTheColumnsThatHoldCells) {
  std::string data = "<row r=\"1\"><c r=\"A1\"><v>0</v></c><c r=\"B1\"><v>0</v></c><c r=\"D1\"><v>9</v></c></row>";
  for (int r = 2; r <= 3000; ++r) {
    const std::string n = std::to_string(r);
    data += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c><c r=\"B" + n + "\"><v>2.5</v></c></row>";
  }
  fs::path path = TempDir() / "dimension.xlsx";
  WriteZip(path, XlsxParts(SheetXml(data, "<dimension ref=\"A1:E3000\"/>")));
  for (size_t split : {size_t{0}, size_t{4096}}) {
    ss::zipxml::SetSplitBytes(split);
    auto app = ss::model::App::Create();
    auto book = ss::OpenWorkbookFile(*app, path.string(), {});
    ss::model::Sheet& sheet = book->sheet(0);
    ASSERT_EQ(sheet.MaxRow(), 3000) << split;
    EXPECT_EQ(sheet.GetValue(3000, 1), CellValue::Num(3000));
    EXPECT_EQ(sheet.GetValue(1, 4), CellValue::Num(9));
    auto& cols = sheet.columns();
    ASSERT_GE(cols.size(), 4u);
    EXPECT_GE(cols[0].cells.Bytes(), 3000 * sizeof(double));
    EXPECT_EQ(cols[2].cells.Bytes(), 0u) << split;                             // C: no cell
    EXPECT_LT(cols[3].cells.Bytes(), 100 * sizeof(ss::model::Cell)) << split;  // D: one cell
    if (cols.size() > 4) {
      EXPECT_EQ(cols[4].cells.Bytes(), 0u) << split;  // E: no cell
    }
  }
  ss::zipxml::SetSplitBytes(0);
}

// --- the fixtures saved by a spreadsheet program ----------------------------------------------

class SavedWorkbook : public ::testing::TestWithParam<const char*> {};

TEST_P(SavedWorkbook, ActiveSheetCellFormulasValuesAndTexts) {
  vantrel::test::LocaleGuard locale(".", ",");
  ss::Application xl = Open(kFixtures + GetParam());
  ss::Workbook wb = xl.ActiveWorkbook();
  EXPECT_EQ(wb.Name(), GetParam());
  EXPECT_EQ(wb.Windows().Count(), 1);
  EXPECT_EQ(wb.Windows()(wb.Windows().Count()).Caption(), GetParam());
  ASSERT_EQ(wb.SheetsCount(), 3);
  EXPECT_EQ(wb.Sheets(1).Name(), "Notes");
  EXPECT_EQ(wb.ActiveSheet().Name(), "Orbit");
  ss::Range cell = wb.Windows()(1).ActiveCell();
  EXPECT_EQ(cell.Row(), 2);
  EXPECT_EQ(cell.Column(), 8);
  EXPECT_EQ(cell.Formula(), "=0.01+LEN(\"title kmday\")+MAX(A2:C21)+MAX(D2:D21)");
  EXPECT_NEAR(cell.Value().AsDouble(), 0.01 + 11 + 7000.123456789 + 45356.5 + 19 / 1440.0, 1e-6);

  struct {
    const char* a1;
    const char* formula;
    const char* text;
  } cells[] = {
      {"A2", "7000.123456789", "7000.123456789"},
      {"C2", "1.2345678901E-05", "0.0000123457"},
      {"D2", "2024-03-05 12:00:00", "2024-03-05 12:00:00"},
      {"D21", "2024-03-05 12:19:00", "2024-03-05 12:19:00"},
      {"E2", "burn 1", "burn 1"},
      {"F3", "=A3*2+B3", "15478.183167771"},
      {"H3", "=LEN(\"Orbit of \"&Notes!B1)", "20"},
      {"H4", "=\"km \"&Notes!B1&\" \"&A2", "km Smart probe 7000.123456789"},
      {"H5", "=A2>0", "TRUE"},
      {"H6", "=1/0", "#DIV/0!"},
      {"H7", "=SUM($A$2:$A$21,Notes!B3)", nullptr},
      {"H8", "He said \"go\"\tnow", "He said \"go\"\tnow"},
      {"I2", "-1.5", "-1.5000000000"},
      {"I3", "4E-11", "0.0000000000"},
  };
  for (auto& c : cells) {
    SCOPED_TRACE(c.a1);
    ss::Range r = xl.GetRange(c.a1);
    EXPECT_EQ(r.Formula(), c.formula);
    if (c.text) {
      EXPECT_EQ(r.Text(), c.text);
    }
  }
  EXPECT_EQ(xl.GetRange("D2").Value().kind, CellValue::Kind::Date);
  EXPECT_EQ(xl.GetRange("H5").Value(), CellValue::Bool(true));
  EXPECT_EQ(xl.GetRange("H6").Value().kind, CellValue::Kind::Error);
  EXPECT_EQ(xl.GetRange("E3").Value().kind, CellValue::Kind::Empty);
  ss::Worksheet notes = wb.Sheets("Notes");
  EXPECT_EQ(notes.Cells(2, 2).Text(), "2024/03/05 14:07:25");
  EXPECT_EQ(notes.Cells(4, 2).Text(), "12.50%");
  EXPECT_EQ(notes.Cells(5, 1).Value().AsString(), "Line\nbreak");
  const char* shown[] = {"1,234,567.89", "1.23E+04",    "36:30:00", "-3.3", "06:00 PM",
                         "05/03/2024",   "Mar 5, 2024", "2.50 km",  "007"};
  for (int r = 1; r <= 9; ++r) EXPECT_EQ(notes.Cells(r, 3).Text(), shown[r - 1]) << notes.Cells(r, 3).NumberFormat();
  EXPECT_EQ(xl.Evaluate("\"Orbit of \"&Notes!B1").AsString(), "Orbit of Smart probe");

  // The specification is found from another cell, and the empty sheet has none.
  xl.Cells(1, 1).Select();
  ss::Range found = xl.ActiveCell().Cells().Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true);
  ASSERT_FALSE(found.IsNothing());
  EXPECT_EQ(found.Address(), "$H$2");
  wb.Sheets("Empty").Activate();
  // Constants are searched by their text too.
  EXPECT_EQ(xl.Cells().Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true).Address(), "$C$5");
  EXPECT_TRUE(xl.Cells().Find("MAX(", ss::kLookInFormulas, ss::kLookAtPart, true).IsNothing());
}

// The gathering road on a saved workbook: ranges pasted as values into an added workbook,
// formatted and copied as text.
std::string GatheredText(const std::string& file) {
  ss::Application xl = Open(kFixtures + file);
  const std::string source = xl.ActiveWorkbook().Windows()(1).Caption();
  ss::Workbook gather = xl.GetWorkbooks().Add();
  const std::string caption = xl.Windows()(1).Caption();
  xl.GetRange("A1").Select();
  xl.ActiveCell().SetValue("From: \t" + source + "\t" + xl.GetWorkbooks()(source).ActiveSheet().Name() + "\t");
  for (auto [from, to] : {std::pair{"A2:C21", "A2"}, {"D2:D21", "D2"}, {"D2:D21", "E2"}, {"E2:E21", "F2"}}) {
    xl.GetWorkbooks()(source).Activate();
    xl.GetRange(from).Copy();
    xl.GetWorkbooks()(caption).Activate();
    xl.GetRange(to).PasteSpecial(ss::kPasteValues, ss::kPasteOperationNone, false, false);
    xl.SetCutCopyMode(false);
  }
  for (const char* cols : {"A:R", "D:E", "G:G", "L:L", "N:N", "P:P"}) {
    xl.Columns(cols).Select();
    xl.Selection().SetColumnWidth(20);
    xl.SetCutCopyMode(false);
    xl.Selection().SetNumberFormat("0.0000000000");
  }
  xl.GetRange("A1:Q21").Copy();
  std::string text = xl.CopiedText();
  xl.ActiveWindow().Close(false, false);
  EXPECT_EQ(xl.ActiveWorkbook().Name(), source);
  EXPECT_EQ(xl.GetWorkbooks().Count(), 1);
  return text;
}

TEST_P(SavedWorkbook, GatheringRoadGivesTheDataBlock) {
  vantrel::test::LocaleGuard locale(".", ",");
  std::string text = GatheredText(GetParam());
  std::string header = std::string("From: \t") + GetParam() + "\tOrbit\t" + std::string(16, '\t') + "\r\n";
  ASSERT_EQ(text.substr(0, header.size()), header);
  std::string line2 = text.substr(header.size(), text.find("\r\n", header.size()) + 2 - header.size());
  EXPECT_EQ(line2, "7000.1234567890\t0.0000000000\t0.0000123457\t45356.5000000000\t45356.5000000000\tburn 1" +
                       std::string(11, '\t') + "\r\n");
  size_t lines = 0, tabs = 0;
  for (char c : text) {
    lines += c == '\n';
    tabs += c == '\t';
  }
  EXPECT_EQ(lines, 21u);
  EXPECT_EQ(tabs, 3u + 21u * 16u);
}

TEST(SavedWorkbook, GatheringRoadIsTheSameFromXlsxAndOds) {
  vantrel::test::LocaleGuard locale(",", " ");
  std::string a = GatheredText("orbit.xlsx"), b = GatheredText("orbit.ods");
  auto fields = [](const std::string& t) {
    std::vector<std::string> out(1);
    for (char c : t) {
      if (c == '\t' || c == '\n') out.emplace_back();
      else if (c != '\r') out.back() += c;
    }
    return out;
  };
  std::vector<std::string> fa = fields(a.substr(a.find("\r\n"))), fb = fields(b.substr(b.find("\r\n")));
  ASSERT_EQ(fa.size(), fb.size());
  for (size_t k = 0; k < fa.size(); ++k) {
    // The time columns: an ods keeps a date to the second, an xlsx to 15 digits.
    size_t field = (k - 1) % 17;
    if (field == 3 || field == 4) {
      EXPECT_NEAR(vantrel::rt::Val(vantrel::rt::Replace(fa[k], ",", ".")),
                  vantrel::rt::Val(vantrel::rt::Replace(fb[k], ",", ".")), 2e-10)
          << k;
    } else {
      EXPECT_EQ(fa[k], fb[k]) << k;
    }
  }
  EXPECT_NE(a.find("45356,5131944444"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Formats, SavedWorkbook, ::testing::Values("orbit.xlsx", "orbit.ods"));

TEST(SavedWorkbook, XlsxAndOdsGiveTheSameCells) {
  vantrel::test::LocaleGuard locale(",", " ");
  ss::Application a = Open(kFixtures + "orbit.xlsx");
  ss::Application b = Open(kFixtures + "orbit.ods");
  int compared = 0;
  for (int64_t s = 1; s <= 3; ++s) {
    ss::Worksheet sa = a.ActiveWorkbook().Sheets(s), sb = b.ActiveWorkbook().Sheets(s);
    for (int64_t r = 1; r <= 25; ++r)
      for (int64_t c = 1; c <= 10; ++c) {
        SCOPED_TRACE(sa.Name() + " " + sa.Cells(r, c).Address());
        ss::Range x = sa.Cells(r, c), y = sb.Cells(r, c);
        EXPECT_EQ(x.Formula(), y.Formula());
        EXPECT_EQ(x.Value().kind, y.Value().kind);
        EXPECT_EQ(x.Value().text, y.Value().text);
        EXPECT_NEAR(x.Value().number, y.Value().number, 1e-9 * std::max(1.0, std::abs(x.Value().number)));
        if (!(s == 2 && r == 2 && c == 8)) {  // a date shown to the minute
          EXPECT_EQ(x.Text(), y.Text());
        }
        ++compared;
      }
  }
  EXPECT_EQ(compared, 750);
}

// --- workbooks written here -----------------------------------------------------------------------

TEST(WrittenWorkbook, XlsxWriterSheetsActiveCellNumbersAndDates) {
  fs::path path = TempDir() / "written.xlsx";
  lxw_workbook* wb = workbook_new(path.c_str());
  lxw_worksheet* first = workbook_add_worksheet(wb, "First");
  lxw_worksheet* data = workbook_add_worksheet(wb, "Trajectory data");
  lxw_format* date = workbook_add_format(wb);
  format_set_num_format(date, "yyyy/mm/dd hh:mm:ss");
  lxw_format* ten = workbook_add_format(wb);
  format_set_num_format(ten, "0.0000000000");
  worksheet_write_string(first, 0, 0, "nothing here", nullptr);
  worksheet_write_string(data, 0, 0, "X", nullptr);
  for (int r = 1; r <= 100; ++r) {
    worksheet_write_number(data, r, 0, r * 1.23456789012345, nullptr);
    worksheet_write_number(data, r, 1, -r / 7.0, ten);
    worksheet_write_number(data, r, 2, 45356.5 + r / 86400.0, date);
    worksheet_write_string(data, r, 3, r % 10 ? "" : "event", nullptr);
  }
  worksheet_write_formula_num(data, 1, 6, "=MAX(A2:C101)", nullptr, 45356.5011574074);
  worksheet_write_formula_str(data, 2, 6, "=\"Orbit of \"&'First'!A1", nullptr, "Orbit of nothing here");
  worksheet_set_selection(data, 40, 2, 40, 2);
  worksheet_activate(data);
  ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);

  vantrel::test::LocaleGuard locale(".", ",");
  ss::Application xl = Open(path);
  EXPECT_EQ(xl.ActiveSheet().Name(), "Trajectory data");
  EXPECT_EQ(xl.ActiveCell().Address(), "$C$41");
  EXPECT_EQ(xl.ActiveCell().Text(), "2024/03/05 12:00:40");
  EXPECT_EQ(xl.Cells(2, 7).Formula(), "=MAX(A2:C101)");
  EXPECT_DOUBLE_EQ(xl.Cells(2, 7).Value().AsDouble(), 45356.5011574074);
  EXPECT_EQ(xl.Cells(3, 7).Formula(), "=\"Orbit of \"&'First'!A1");
  EXPECT_EQ(xl.Cells(3, 7).Value().AsString(), "Orbit of nothing here");
  EXPECT_DOUBLE_EQ(xl.Cells(101, 1).Value().AsDouble(), 100 * 1.23456789012345);
  EXPECT_EQ(xl.Cells(8, 2).Text(), "-1.0000000000");
  EXPECT_EQ(xl.Cells(11, 4).Value().AsString(), "event");
  EXPECT_EQ(xl.Evaluate("'First'!A1&\" \"&D11").AsString(), "nothing here event");
}

TEST(WrittenWorkbook, SharedFormulasInlineStringsAndCellTypes) {
  fs::path path = TempDir() / "shared.xlsx";
  std::string view =
      "<sheetViews><sheetView workbookViewId=\"0\"><pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" "
      "state=\"frozen\"/><selection pane=\"topLeft\" activeCell=\"A1\"/><selection pane=\"bottomLeft\" "
      "activeCell=\"D3\" sqref=\"D3\"/></sheetView></sheetViews>";
  std::string data =
      "<row r=\"2\"><c r=\"A2\"><v>1</v></c><c r=\"B2\"><v>2</v></c>"
      "<c r=\"D2\"><f t=\"shared\" ref=\"D2:E4\" si=\"0\">A2+$B$2*B2+SUM(A$2:A2)+Feuil1!A2</f><v>7</v></c>"
      "<c r=\"E2\"><f t=\"shared\" si=\"0\"/><v>0</v></c>"
      "<c r=\"F2\" t=\"inlineStr\"><is><r><t>in</t></r><r><t xml:space=\"preserve\">line </t></r><rPh><t>x</t></rPh></is></c>"
      "<c r=\"G2\" t=\"b\"><v>0</v></c><c r=\"H2\" t=\"e\"><v>#N/A</v></c>"
      "<c r=\"I2\" t=\"str\"><f>\"t\"&amp;A2</f><v>t1</v></c><c><v>5</v></c></row>"
      "<row><c r=\"A3\"><v>10</v></c><c r=\"D3\"><f t=\"shared\" si=\"0\"/><v>0</v></c>"
      "<c r=\"E3\"><f t=\"shared\" si=\"0\"/><v>0</v></c></row>"
      "<row r=\"4\"><c r=\"D4\"><f t=\"shared\" si=\"0\"/><v>0</v></c></row>";
  WriteZip(path, XlsxParts(SheetXml(data, view)));
  ss::Application xl = Open(path);
  EXPECT_EQ(xl.ActiveCell().Address(), "$D$3");  // the selection of the active pane
  EXPECT_EQ(xl.GetRange("D2").Formula(), "=A2+$B$2*B2+SUM(A$2:A2)+Feuil1!A2");
  EXPECT_EQ(xl.GetRange("E2").Formula(), "=B2+$B$2*C2+SUM(B$2:B2)+Feuil1!B2");
  EXPECT_EQ(xl.GetRange("D3").Formula(), "=A3+$B$2*B3+SUM(A$2:A3)+Feuil1!A3");
  EXPECT_EQ(xl.GetRange("E3").Formula(), "=B3+$B$2*C3+SUM(B$2:B3)+Feuil1!B3");
  EXPECT_EQ(xl.GetRange("D4").Formula(), "=A4+$B$2*B4+SUM(A$2:A4)+Feuil1!A4");
  EXPECT_EQ(xl.GetRange("F2").Value(), CellValue::Str("inline "));
  EXPECT_EQ(xl.GetRange("G2").Value(), CellValue::Bool(false));
  EXPECT_EQ(xl.GetRange("H2").Value(), CellValue::Err("#N/A"));
  EXPECT_EQ(xl.GetRange("I2").Formula(), "=\"t\"&A2");
  EXPECT_EQ(xl.GetRange("J2").Value(), CellValue::Num(5));   // no reference: the next column
  EXPECT_EQ(xl.GetRange("A3").Value(), CellValue::Num(10));  // no row number: the next row
  ss::Range found = xl.Cells().Find("SUM(A$2:A4)", ss::kLookInFormulas, ss::kLookAtPart, true);
  EXPECT_EQ(found.Address(), "$D$4");
}

TEST(WrittenWorkbook, OdsReferencesTurnIntoA1Form) {
  struct {
    const char* odf;
    const char* a1;
  } cases[] = {
      {"of:=MAX([.A2:.C60])", "=MAX(A2:C60)"},
      {"of:=0.01+LEN(\"t; [.x]\")+MAX([.$A$2:.C$60];[.D2:.D60])", "=0.01+LEN(\"t; [.x]\")+MAX($A$2:C$60,D2:D60)"},
      {"of:=LEN(\"Orbit of \"&[$Notes.B1])", "=LEN(\"Orbit of \"&Notes!B1)"},
      {"of:=['My sheet'.A1]&[$'It''s'.B2:.C3]", "='My sheet'!A1&'It''s'!B2:C3"},
      {"of:=SUM([.A:.A])", "=SUM(A:A)"},
      {"msoxl:=MAX(A1:B2)", "=MAX(A1:B2)"},
  };
  for (auto& c : cases) EXPECT_EQ(ss::formula::OdfToA1(c.odf).value_or("none"), c.a1) << c.odf;
  for (const char* bad : {"ooow:=MAX(<A1:B2>)", "of:=[.A1", "of:=\"open", "of:MAX([.A1])"})
    EXPECT_FALSE(ss::formula::OdfToA1(bad)) << bad;
}

// --- bad files ----------------------------------------------------------------------------------------

TEST(BadWorkbook, OpeningFailsWithAClearError) {
  fs::path dir = TempDir();
  std::string xlsx = Bytes(kFixtures + "orbit.xlsx");
  WriteBytes(dir / "empty.xlsx", "");
  WriteBytes(dir / "truncated.xlsx", xlsx.substr(0, xlsx.size() / 2));
  WriteBytes(dir / "text.xlsx", "X\tY\tZ\r\n1\t2\t3\r\n");
  auto parts = XlsxParts(SheetXml(""));
  parts.erase("xl/workbook.xml");
  WriteZip(dir / "noworkbook.xlsx", parts);
  parts = XlsxParts(SheetXml(""));
  parts["xl/workbook.xml"] = "<workbook><sheets><sheet name=\"a\"";
  WriteZip(dir / "badxml.xlsx", parts);
  WriteZip(dir / "other.zip", {{"readme.txt", "hello"}});
  struct {
    const char* file;
    const char* says;
  } cases[] = {
      {"empty.xlsx", "not a readable zip archive"},
      {"truncated.xlsx", "not a readable zip archive"},
      {"text.xlsx", "not a readable zip archive"},
      {"noworkbook.xlsx", "the workbook part is missing"},
      {"badxml.xlsx", "malformed XML"},
      {"other.zip", "not an xlsx or ods workbook"},
      {"missing.xlsx", "not a readable zip archive"},
  };
  for (auto& c : cases) {
    auto app = ss::model::App::Create();
    try {
      ss::OpenWorkbookFile(*app, dir / c.file);
      ADD_FAILURE() << c.file << " opened";
    } catch (const vantrel::rt::RtError& e) {
      EXPECT_EQ(e.number(), 1004) << c.file;
      EXPECT_NE(e.description().find(c.says), std::string::npos) << c.file << ": " << e.description();
      EXPECT_NE(e.description().find(c.file), std::string::npos) << e.description();
    }
    EXPECT_EQ(app->books().size(), 0u) << c.file;
  }
}

TEST(BadWorkbook, BadSheetsFailOnFirstUseAndStaySo) {
  fs::path dir = TempDir();
  const std::string bomb =
      "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;&lol;\">]>"
      "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>&lol2;</t></is></c></row></sheetData></worksheet>";
  struct {
    const char* name;
    std::string sheet;
    const char* says;
  } cases[] = {
      {"entities.xlsx", bomb, "document type declaration"},
      {"malformed.xlsx", SheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></row>"), "malformed XML"},
      {"badref.xlsx", SheetXml("<row r=\"1\"><c r=\"A0\"><v>1</v></c></row>"), "bad cell reference"},
      {"badrow.xlsx", SheetXml("<row r=\"1048577\"><c><v>1</v></c></row>"), "bad row number"},
      {"badnumber.xlsx", SheetXml("<row r=\"1\"><c r=\"A1\"><v>1,5</v></c></row>"), "bad number in A1"},
      {"badstring.xlsx", SheetXml("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c></row>"), "shared string index"},
      {"bigpart.xlsx", SheetXml(std::string(3 << 20, ' ')), "expands beyond 2 MB"},
  };
  for (auto& c : cases) {
    WriteZip(dir / c.name, XlsxParts(c.sheet));
    ss::ReadLimits limits;
    limits.maxPartBytes = 2 << 20;
    ss::Application xl = Open(dir / c.name, limits);
    EXPECT_EQ(xl.ActiveWorkbook().Name(), c.name);  // the workbook opens: sheets are read on use
    for (int k = 0; k < 2; ++k) {
      try {
        xl.ActiveCell().Formula();
        ADD_FAILURE() << c.name << " read";
      } catch (const vantrel::rt::RtError& e) {
        EXPECT_EQ(e.number(), 1004) << c.name;
        EXPECT_NE(e.description().find(c.says), std::string::npos) << c.name << ": " << e.description();
      }
    }
  }
}

TEST(BadWorkbook, ZipBombAndRepeatedRowsAreBounded) {
  fs::path dir = TempDir();
  // 40 MB of zeros in a few tens of kB: the limit stops it early.
  std::string zeros(40u << 20, '0');
  WriteZip(dir / "zipbomb.xlsx", XlsxParts(SheetXml("<row r=\"1\"><c r=\"A1\"><v>" + zeros + "</v></c></row>")));
  zeros.clear();
  zeros.shrink_to_fit();
  ss::ReadLimits limits;
  limits.maxPartBytes = 4 << 20;
  ss::Application xl = Open(dir / "zipbomb.xlsx", limits);
  EXPECT_EQ(Try([&] { xl.ActiveCell().Value(); }), 1004);

  // An ods row repeated a million times with 1000 filled cells each.
  std::string content =
      "<?xml version=\"1.0\"?><office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
      "<office:body><office:spreadsheet><table:table table:name=\"S\">"
      "<table:table-row table:number-rows-repeated=\"1000000\"><table:table-cell table:number-columns-repeated=\"1000\" "
      "office:value-type=\"float\" office:value=\"1\"/></table:table-row>"
      "<table:table-row table:number-rows-repeated=\"1048575\"><table:table-cell/></table:table-row>"
      "</table:table></office:spreadsheet></office:body></office:document-content>";
  WriteZip(dir / "repeat.ods",
           {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content}});
  auto app = ss::model::App::Create();
  try {
    ss::OpenWorkbookFile(*app, dir / "repeat.ods");
    ADD_FAILURE() << "opened";
  } catch (const vantrel::rt::RtError& e) {
    EXPECT_NE(e.description().find("more cells than the reader accepts"), std::string::npos) << e.description();
  }
}

// An ods whose one table holds `rows` (table rows), as content.xml.
std::string OdsContent(const std::string& tables) {
  return "<?xml version=\"1.0\"?><office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"><office:body><office:spreadsheet>" +
         tables + "</office:spreadsheet></office:body></office:document-content>";
}

// Opens the file; "" when it opened and every sheet read, else the fault's description.
std::string OpenFault(const fs::path& path) {
  auto app = ss::model::App::Create();
  try {
    auto book = ss::OpenWorkbookFile(*app, path.string());
    for (auto& sheet : book->sheets()) sheet->EnsureLoaded();
    return "";
  } catch (const vantrel::rt::RtError& e) {
    return e.description();
  }
}

// A sheet of 1,048,576 rows by 24 columns of numbers (more cells than a fixed 24,000,000-cell
// limit allowed) and a specification beside them: read whole, its last row and the formula that
// Find looks for included. A limit given below its count still stops it with the reason.
TEST(WrittenWorkbook, AFullSheetOfTwentyFourColumnsIsRead) {
  constexpr int kCols = 24, kGroups = 1024;
  std::string rows = "<table:table-row>";
  for (int c = 1; c <= kCols; ++c)
    rows += "<table:table-cell office:value-type=\"string\"><text:p>h" + std::to_string(c) +
            "</text:p></table:table-cell>";
  rows += "<table:table-cell/><table:table-cell table:formula=\"of:=MAX([.A2:.X1048576])\" office:value-type=\"float\" "
          "office:value=\"1\"/></table:table-row>";
  // Rows 2 to 1,048,576 in groups of 1024 rows; in group g, column c holds g * 100 + c + 0.5.
  for (int g = 0; g < kGroups; ++g) {
    rows += "<table:table-row table:number-rows-repeated=\"" + std::to_string(g + 1 < kGroups ? 1024 : 1023) + "\">";
    for (int c = 1; c <= kCols; ++c)
      rows += "<table:table-cell office:value-type=\"float\" office:value=\"" + std::to_string(g * 100 + c) + ".5\"/>";
    rows += "</table:table-row>";
  }
  const fs::path path = TempDir() / "wide.ods";
  WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                  {"content.xml", OdsContent("<table:table table:name=\"Wide\">" + rows + "</table:table>")}});
  {
    auto app = ss::model::App::Create();
    auto book = ss::OpenWorkbookFile(*app, path.string());
    ss::model::Sheet& sheet = book->sheet(0);
    EXPECT_EQ(sheet.MaxRow(), 1048576);
    EXPECT_EQ(sheet.MaxColumn(), 26);
    EXPECT_EQ(sheet.CellCount(), size_t{1048575} * kCols + kCols + 1);
    struct Case {
      int64_t row, col;
      double value;
    };
    for (const Case& k : {Case{2, 1, 1.5}, Case{1025, 24, 24.5}, Case{1026, 1, 101.5}, Case{524289, 7, 51107.5},
                          Case{1048576, 24, 102324.5}})
      EXPECT_EQ(sheet.GetValue(k.row, k.col), CellValue::Num(k.value)) << k.row << " " << k.col;
    EXPECT_EQ(sheet.GetValue(1, 24), CellValue::Str("h24"));
    ss::Application xl = app->handle();
    EXPECT_EQ(xl.Cells().Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true).Address(), "$Z$1");
  }
  auto app = ss::model::App::Create();
  ss::ReadLimits limits;
  limits.maxCells = 25'000'000;
  try {
    ss::OpenWorkbookFile(*app, path.string(), limits);
    ADD_FAILURE() << "opened";
  } catch (const vantrel::rt::RtError& e) {
    EXPECT_NE(e.description().find("more cells than the reader accepts"), std::string::npos) << e.description();
  }
}

TEST(BadWorkbook, HostileCountsAndLengthsEndInAFaultWithItsReason) {
  const fs::path dir = TempDir();
  const std::string cell = "<table:table-cell office:value-type=\"string\"><text:p>x</text:p></table:table-cell>";
  const std::string huge = "9223372036854775807";
  std::string spaces;
  for (int k = 0; k < 200; ++k) spaces += "<text:s text:c=\"1000\"/>";
  std::string sheets;
  for (int k = 0; k < 10001; ++k) sheets += "<table:table/>";
  const struct {
    const char* what;
    std::string file;
    std::map<std::string, std::string> parts;
    const char* fault;  // "" : read
  } cases[] = {
      {"columns repeated past the int64 range",
       "cols.ods",
       {{"content.xml", OdsContent("<table:table table:name=\"S\"><table:table-row><table:table-cell "
                                   "table:number-columns-repeated=\"" +
                                   huge +
                                   "\"/><table:table-cell "
                                   "table:number-columns-repeated=\"" +
                                   huge + "\"/>" + cell + "</table:table-row></table:table>")}},
       "a cell beyond the last column"},
      {"rows repeated past the int64 range",
       "rows.ods",
       {{"content.xml",
         OdsContent("<table:table table:name=\"S\"><table:table-row table:number-rows-repeated=\"" + huge +
                    "\"><table:table-cell/></table:table-row><table:table-row table:number-rows-repeated=\"" + huge +
                    "\"><table:table-cell/></table:table-row><table:table-row>" + cell +
                    "</table:table-row></table:table>")}},
       "a row beyond the last row"},
      {"a cell text of 200,000 blanks",
       "spaces.ods",
       {{"content.xml", OdsContent("<table:table table:name=\"S\"><table:table-row><table:table-cell "
                                   "office:value-type=\"string\"><text:p>" +
                                   spaces + "</text:p></table:table-cell></table:table-row></table:table>")}},
       "a cell text longer than the spreadsheets allow"},
      {"10,001 sheets", "sheets.ods", {{"content.xml", OdsContent(sheets)}}, "more sheets than the reader accepts"},
      {"an xlsx cell value of 200,000 characters", "value.xlsx",
       XlsxParts(SheetXml("<row r=\"1\"><c r=\"A1\" t=\"str\"><v>" + std::string(200000, '7') + "</v></c></row>")),
       "a cell text longer than the spreadsheets allow"},
      {"an xlsx element with 80,000 attributes", "attributes.xlsx",
       XlsxParts(SheetXml("<row r=\"1\"><c r=\"A1\" " +
                          [] {
                            std::string a;
                            for (int k = 0; k < 80000; ++k) a += "a" + std::to_string(k) + "=\"1\" ";
                            return a;
                          }() +
                          "><v>1</v></c></row>")),
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::map<std::string, std::string> parts = c.parts;
    if (c.file.ends_with(".ods")) parts.emplace("mimetype", "application/vnd.oasis.opendocument.spreadsheet");
    WriteZip(dir / c.file, parts);
    const std::string fault = OpenFault(dir / c.file);
    if (*c.fault) EXPECT_NE(fault.find(c.fault), std::string::npos) << fault;
    else EXPECT_EQ(fault, "");
  }
}

// Peak resident memory of the process so far, in MB.
long PeakMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

// Parts that nest elements millions deep (a few kB zipped) are refused with the reason by every
// reader, the scanner's (in order and in chunks) and expat's, holding no stack of them meanwhile.
TEST(BadWorkbook, DeeplyNestedPartsAreRefusedWithTheReasonInBoundedMemory) {
  const fs::path dir = TempDir();
  std::string deep;
  for (int k = 0; k < 3'000'000; ++k) deep += "<a>";
  std::string rows;
  for (int r = 1; r <= 50; ++r) rows += "<row r=\"" + std::to_string(r) + "\"><c><v>1</v></c></row>";
  auto xlsx = [&](const std::string& part, const std::string& xml) {
    auto parts = XlsxParts(SheetXml(rows));
    parts["xl/_rels/workbook.xml.rels"] =
        "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>";
    parts["xl/sharedStrings.xml"] = "<sst><si><t>s</t></si></sst>";
    parts[part] = xml;
    return parts;
  };
  const std::string mimetype = "application/vnd.oasis.opendocument.spreadsheet";
  const std::string table =
      "<table:table table:name=\"S\"><table:table-row><table:table-cell/></table:table-row></table:table>";
  const struct {
    const char* what;
    std::string file;
    std::map<std::string, std::string> parts;
    bool fast;
    size_t split;  // the chunk size of the rows' read on several threads (0: the usual)
  } cases[] = {
      {"an xlsx sheet, scanned", "sheet.xlsx", xlsx("xl/worksheets/sheet1.xml", SheetXml(rows + "<row><c><is>" + deep)),
       true, 0},
      {"an xlsx sheet, scanned in chunks", "chunks.xlsx",
       xlsx("xl/worksheets/sheet1.xml", SheetXml(rows + "<row><c><is>" + deep)), true, 64},
      {"an xlsx sheet, through expat", "expat.xlsx",
       xlsx("xl/worksheets/sheet1.xml", SheetXml(rows + "<row><c><is>" + deep)), false, 0},
      {"the shared strings", "strings.xlsx", xlsx("xl/sharedStrings.xml", "<sst><si>" + deep), true, 0},
      {"the workbook part", "workbook.xlsx", xlsx("xl/workbook.xml", "<workbook>" + deep), true, 0},
      {"an ods content", "content.ods", {{"mimetype", mimetype}, {"content.xml", OdsContent(table + deep)}}, true, 0},
      {"an ods content, through expat",
       "content-expat.ods",
       {{"mimetype", mimetype}, {"content.xml", OdsContent(table + deep)}},
       false,
       0},
      {"an ods settings",
       "settings.ods",
       {{"mimetype", mimetype},
        {"content.xml", OdsContent(table)},
        {"settings.xml", "<office:document-settings>" + deep}},
       true,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteZip(dir / c.file, c.parts);
    ASSERT_LT(fs::file_size(dir / c.file), 200'000u);
    ss::zipxml::SetFastScan(c.fast);
    ss::zipxml::SetSplitBytes(c.split);
    const long before = PeakMb();
    const std::string fault = OpenFault(dir / c.file);
    const long grown = PeakMb() - before;
    ss::zipxml::SetFastScan(true);
    ss::zipxml::SetSplitBytes(0);
    EXPECT_NE(fault.find(ss::zipxml::kNestingFault), std::string::npos) << fault;
    EXPECT_NE(fault.find(c.file), std::string::npos) << fault;
    EXPECT_LT(grown, 100) << "MB more at the peak";
  }
}

TEST(BadWorkbook, RepeatedCellsShareOneCopyOfTheirText) {
  const fs::path dir = TempDir();
  const std::string text(200, 't');
  WriteZip(dir / "shared.ods",
           {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
            {"content.xml",
             OdsContent("<table:table table:name=\"S\"><table:table-row table:number-rows-repeated=\"1000\">"
                        "<table:table-cell table:number-columns-repeated=\"100\" office:value-type=\"string\">"
                        "<text:p>" +
                        text + "</text:p></table:table-cell></table:table-row></table:table>")}});
  auto app = ss::model::App::Create();
  auto book = ss::OpenWorkbookFile(*app, (dir / "shared.ods").string());
  auto& sheet = book->sheet(0);
  sheet.EnsureLoaded();
  EXPECT_EQ(sheet.CellCount(), 100000u);
  EXPECT_EQ(sheet.GetValue(1000, 100).text, text);
  EXPECT_LE(book->strings().size(), 2u);
}

TEST(BadWorkbook, AZipEntryThatLiesAboutItsSizeIsTakenAtWhatItCanHold) {
  const fs::path dir = TempDir();
  WriteZip(dir / "lying.xlsx", XlsxParts(SheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>")));
  // Both headers of the sheet say 2 GB.
  std::string bytes = Bytes(dir / "lying.xlsx");
  const std::string name = "xl/worksheets/sheet1.xml";
  for (size_t p = bytes.find("PK\x01\x02"); p != std::string::npos; p = bytes.find("PK\x01\x02", p + 4))
    if (bytes.compare(p + 46, name.size(), name) == 0) bytes.replace(p + 24, 4, "\xff\xff\xff\x7f");
  for (size_t p = bytes.find("PK\x03\x04"); p != std::string::npos; p = bytes.find("PK\x03\x04", p + 4))
    if (bytes.compare(p + 30, name.size(), name) == 0) bytes.replace(p + 22, 4, "\xff\xff\xff\x7f");
  WriteBytes(dir / "lying.xlsx", bytes);
  ss::zipxml::Archive zip((dir / "lying.xlsx").string(), "lying.xlsx");
  EXPECT_LT(zip.Size(name), 1u << 20);
}

TEST(BadWorkbook, DatesPastTheCalendarShowHashes) {
  vantrel::test::LocaleGuard locale{".", ","};
  const struct {
    double x;
    const char* code;
    const char* shown;
  } cases[] = {
      {1e300, "yyyy-mm-dd", "#######"},        {1e300, "[h]:mm:ss", "#######"}, {2958466, "yyyy-mm-dd", "#######"},
      {2958465.5, "yyyy-mm-dd", "9999-12-31"}, {1.5, "[h]:mm:ss", "36:00:00"},
  };
  for (const auto& c : cases) EXPECT_EQ(ss::numfmt::FormatNumber(c.x, c.code), c.shown) << c.x << " " << c.code;
}

TEST(WrittenWorkbook, LargeSheetIsReadToItsLastRow) {
  fs::path dir = TempDir();
  std::string rows;
  for (int r = 1; r <= 400000; ++r)
    rows += "<row r=\"" + std::to_string(r) + "\"><c><v>" + std::to_string(r) + ".25</v></c></row>";
  WriteZip(dir / "large.xlsx", XlsxParts(SheetXml(rows)));
  ss::Application xl = Open(dir / "large.xlsx");
  EXPECT_EQ(xl.Cells(400000, 1).Value(), CellValue::Num(400000.25));
  EXPECT_EQ(xl.Cells(123457, 1).Value(), CellValue::Num(123457.25));
  EXPECT_TRUE(xl.Cells(400001, 1).Value().IsEmpty());
}

TEST(BadWorkbook, OdsFormulaInAnUnknownSyntax) {
  fs::path dir = TempDir();
  std::string content =
      "<?xml version=\"1.0\"?><office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
      "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
      "<office:body><office:spreadsheet><table:table table:name=\"S\"><table:table-row>"
      "<table:table-cell table:formula=\"ooow:=MAX(&lt;A1:B2&gt;)\" office:value-type=\"float\" office:value=\"3\"/>"
      "<table:table-cell table:number-columns-repeated=\"2\" office:value-type=\"string\"><text:p>a<text:s text:c=\"3\"/>b</text:p>"
      "<text:p>c<text:tab/>d</text:p></table:table-cell>"
      "</table:table-row></table:table></office:spreadsheet></office:body></office:document-content>";
  WriteZip(dir / "unknown.ods",
           {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", content}});
  ss::Application xl = Open(dir / "unknown.ods");
  try {
    xl.Cells(1, 1).Formula();
    ADD_FAILURE();
  } catch (const vantrel::rt::RtError& e) {
    EXPECT_EQ(e.number(), 1004);
    EXPECT_NE(e.description().find("unknown syntax: ooow:=MAX(<A1:B2>)"), std::string::npos) << e.description();
  }
  EXPECT_EQ(xl.Cells(1, 1).Value(), CellValue::Num(3));
  EXPECT_EQ(xl.Cells(1, 3).Value(), CellValue::Str("a   b\nc\td"));
  EXPECT_TRUE(xl.Cells().Find("MAX", ss::kLookInFormulas, ss::kLookAtPart, true).IsNothing());
}

TEST(SavedWorkbook, TheFileIsNeverWritten) {
  fs::path dir = TempDir() / "readonly";
  fs::create_directories(dir);
  for (const char* name : {"orbit.xlsx", "orbit.ods"}) {
    fs::path p = dir / name;
    fs::copy_file(kFixtures + name, p, fs::copy_options::overwrite_existing);
    std::string before = Bytes(p);
    auto stamp = fs::last_write_time(p);
    {
      ss::Application xl = Open(p.string());
      xl.ActiveCell().SetFormula("=1+1");
      xl.GetRange("A2:C21").Copy();
      xl.GetWorkbooks().Add();
      xl.GetRange("A2").PasteSpecial();
      xl.ActiveWindow().Close(true, false);
      xl.ActiveWindow().Close(true, false);
      xl.Quit();
    }
    EXPECT_EQ(Bytes(p), before) << name;
    EXPECT_EQ(fs::last_write_time(p), stamp) << name;
    std::vector<std::string> files;
    for (auto& e : fs::directory_iterator(dir)) files.push_back(e.path().filename().string());
    EXPECT_LE(files.size(), 2u);
  }
}

// --- the running workbook file ------------------------------------------------------------------

using vantrel::test::EnvGuard;

TEST(RunningWorkbook, EnvironmentThenLastAttachedFile) {
  fs::path dir = TempDir() / "running";
  fs::create_directories(dir);
  fs::copy_file(kFixtures + "orbit.xlsx", dir / "orbit.xlsx", fs::copy_options::overwrite_existing);
  fs::copy_file(kFixtures + "orbit.ods", dir / "orbit.ods", fs::copy_options::overwrite_existing);
  std::string stored;
  std::vector<std::string> remembered;
  ss::WorkbookFileConnector::Options o;
  o.lastAttached = [&] { return stored; };
  o.rememberAttached = [&](const std::string& p) { remembered.push_back(p); };
  auto c = std::make_shared<ss::WorkbookFileConnector>(o);
  ss::SetConnector(c);
  {
    EnvGuard env("VANTREL_WORKBOOK", nullptr);
    EXPECT_EQ(Try([] { ss::GetRunning(); }), 429);
    stored = (dir / "gone.xlsx").string();
    EXPECT_EQ(Try([] { ss::GetRunning(); }), 429);
    stored = (dir / "orbit.ods").string();
    EXPECT_EQ(ss::GetRunning().ActiveWorkbook().Name(), "orbit.ods");
  }
  {
    EnvGuard env("VANTREL_WORKBOOK", (dir / "orbit.xlsx").c_str());
    ss::Application xl = ss::GetRunning();
    EXPECT_EQ(xl.ActiveWorkbook().Name(), "orbit.xlsx");
    EXPECT_EQ(remembered, (std::vector<std::string>{(dir / "orbit.ods").string(), (dir / "orbit.xlsx").string()}));
    // The same instance while the file is unchanged.
    xl.GetWorkbooks().Add();
    EXPECT_EQ(ss::GetRunning().GetWorkbooks().Count(), 2);
    uint64_t rev = c->revision();

    // A new save by rename, with another active sheet: a new instance that follows it.
    auto app = ss::model::App::Create();
    fs::path tmp = dir / "saving.xlsx";
    {
      lxw_workbook* wb = workbook_new(tmp.c_str());
      workbook_add_worksheet(wb, "Notes");
      lxw_worksheet* s = workbook_add_worksheet(wb, "Moved");
      worksheet_write_formula_num(s, 4, 1, "=MAX(A2:C9)", nullptr, 2);
      worksheet_set_selection(s, 4, 1, 4, 1);
      worksheet_activate(s);
      ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    }
    fs::rename(tmp, dir / "orbit.xlsx");
    ss::Application again = ss::GetRunning();
    EXPECT_EQ(c->revision(), rev + 1);
    EXPECT_EQ(again.GetWorkbooks().Count(), 1);
    EXPECT_EQ(again.ActiveSheet().Name(), "Moved");
    EXPECT_EQ(again.ActiveCell().Formula(), "=MAX(A2:C9)");

    // A save that cannot be read yet keeps the last instance; Quit starts afresh.
    WriteBytes(dir / "orbit.xlsx", "PK half written");
    EXPECT_EQ(ss::GetRunning().ActiveSheet().Name(), "Moved");
    again.Quit();
    EXPECT_EQ(Try([] { ss::GetRunning(); }), 429);
    EXPECT_NE(Try([&] { again.Name(); }), 0);
  }
  ss::SetConnector(nullptr);
}

// The watched file that stays unreadable for longer than a save takes is told once, while the
// instance read before goes on; a file read again ends it, and the next fault is told again.
TEST(RunningWorkbook, AFileUnreadableForLongerThanASaveIsToldOnce) {
  fs::path dir = TempDir() / "stale";
  fs::create_directories(dir);
  const fs::path book = dir / "orbit.xlsx";
  fs::copy_file(kFixtures + "orbit.xlsx", book, fs::copy_options::overwrite_existing);
  auto clock = std::make_shared<vantrel::rt::FakeClock>();
  vantrel::rt::SetClock(clock);
  std::vector<std::string> told;
  ss::WorkbookFileConnector::Options o;
  o.unreadable = [&](const std::string& why) { told.push_back(why); };
  auto c = std::make_shared<ss::WorkbookFileConnector>(o);
  EnvGuard env("VANTREL_WORKBOOK", book.c_str());
  ASSERT_EQ(Try([&] { (void)c->Attach(); }), 0);
  const struct {
    const char* what;
    std::function<void()> make;
    const char* reason;
  } faults[] = {
      {"garbage", [&] { std::ofstream(book, std::ios::binary) << "PK\x03\x04 not a zip"; }, "orbit.xlsx"},
      {"deleted", [&] { fs::remove(book); }, "cannot be found"},
      {"emptied", [&] { std::ofstream(book, std::ios::binary | std::ios::trunc); }, "orbit.xlsx"},
  };
  for (const auto& f : faults) {
    SCOPED_TRACE(f.what);
    told.clear();
    f.make();
    for (int i = 0; i < 4; ++i) {
      const int e = Try([&] { (void)c->Attach(); });
      if (std::string(f.what) == "deleted") {
        EXPECT_EQ(e, 429);
      } else {
        EXPECT_EQ(e, 0) << "the instance read before goes on";
      }
      EXPECT_EQ(told.size(), i < 2 ? 0u : 1u) << i;
      clock->Advance(3);
    }
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(f.reason), std::string::npos) << told[0];
    // Saved again: read, and nothing more is told.
    fs::copy_file(kFixtures + "orbit.xlsx", book, fs::copy_options::overwrite_existing);
    EXPECT_EQ(Try([&] { (void)c->Attach(); }), 0);
    clock->Advance(10);
    EXPECT_EQ(Try([&] { (void)c->Attach(); }), 0);
    EXPECT_EQ(told.size(), 1u);
  }
  vantrel::rt::SetClock(nullptr);
}

// The workbook named at start is read beside the window's first showing; the attach that comes
// later must give what an attach without it gives: the same instance for the file as it stands
// then (a save in between is read anew), and the same fault for a file that cannot be read.
TEST(RunningWorkbook, APrefetchedReadingGivesWhatTheAttachWouldRead) {
  const fs::path dir = TempDir() / "prefetch";
  fs::create_directories(dir);
  const fs::path book = dir / "orbit.xlsx";
  auto saveMoved = [&] {
    const fs::path tmp = dir / "saving.xlsx";
    lxw_workbook* wb = workbook_new(tmp.c_str());
    lxw_worksheet* s = workbook_add_worksheet(wb, "Moved");
    worksheet_write_formula_num(s, 4, 1, "=MAX(A2:C9)", nullptr, 2);
    worksheet_set_selection(s, 4, 1, 4, 1);
    ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
    fs::rename(tmp, book);
  };
  const struct {
    const char* what;
    std::function<void()> before;  // the file as the prefetch finds it
    std::function<void()> after;   // what happens to it before the attach
  } cases[] = {
      {"unchanged", [&] { fs::copy_file(kFixtures + "orbit.xlsx", book, fs::copy_options::overwrite_existing); },
       [] {}},
      {"saved again meanwhile",
       [&] { fs::copy_file(kFixtures + "orbit.xlsx", book, fs::copy_options::overwrite_existing); }, saveMoved},
      {"not a workbook", [&] { WriteBytes(book, "PK\x03\x04 not a zip"); }, [] {}},
      {"removed meanwhile",
       [&] { fs::copy_file(kFixtures + "orbit.xlsx", book, fs::copy_options::overwrite_existing); },
       [&] { fs::remove(book); }},
      {"a folder", [&] { fs::remove(book), fs::create_directories(book); }, [&] { fs::remove(book); }},
  };
  EnvGuard env("VANTREL_WORKBOOK", book.c_str());
  auto seen = [](ss::WorkbookFileConnector& c) -> std::string {
    try {
      ss::Application xl = c.Attach();
      return xl.ActiveWorkbook().Name() + "|" + xl.ActiveSheet().Name() + "|" + xl.ActiveCell().Formula();
    } catch (const vantrel::rt::RtError& e) {
      return "error " + std::to_string(e.number()) + ": " + e.description();
    }
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    std::error_code ec;
    fs::remove_all(book, ec);
    k.before();
    ss::WorkbookFileConnector prefetching;
    prefetching.Prefetch();
    k.after();
    const std::string got = seen(prefetching);
    ss::WorkbookFileConnector plain;
    EXPECT_EQ(got, seen(plain));
    if (std::string(k.what) == "saved again meanwhile") {
      EXPECT_EQ(got, "orbit.xlsx|Moved|=MAX(A2:C9)");
    }
  }
}

// A workbook the user named in VANTREL_WORKBOOK that is not there is a fault of that workbook,
// told with its name, not the road of a spreadsheet that is not running.
TEST(RunningWorkbook, AMissingNamedWorkbookIsAFaultNamingIt) {
  const std::string missing = (TempDir() / "Orbitt.xlsx").string();
  EnvGuard env("VANTREL_WORKBOOK", missing.c_str());
  ss::WorkbookFileConnector c;
  try {
    (void)c.Attach();
    ADD_FAILURE();
  } catch (const vantrel::rt::FileFault& e) {
    EXPECT_EQ(e.number(), 429);
    EXPECT_NE(e.description().find(missing), std::string::npos) << e.description();
  }
}

}  // namespace
