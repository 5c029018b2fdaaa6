// The sheet scanner against expat: the same handler calls on what it reads, and a hand-over
// to expat (which then gives its own answer) on everything else.
#include <gtest/gtest.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>

#include "platform/runtime/rterror.h"
#include "platform/spreadsheet/workbook_file.h"
#include "platform/spreadsheet/zipxml.h"
#include "tests/platform/spreadsheet/zip_parts.h"
#include "tests/support/temp_dir.h"

namespace ss = vantrel::spreadsheet;
namespace fs = std::filesystem;
using ss::zipxml::Archive;
using ss::zipxml::Parser;

namespace {

const std::string kFixtures = std::string(VANTREL_FIXTURES) + "/spreadsheet/";

fs::path Temp(const std::string& name) {
  static const vantrel::test::TempDir d("vantrel_scan");  // removed when the tests end
  return d.path() / name;
}

using vantrel::test::WriteZip;

// Writes down every handler call; texts between two elements are joined (expat may split them).
struct Recorder : Parser {
  using Parser::Parser;
  std::string log, text;
  int stopAt = -1;  // stops the parse at the n-th start tag
  int starts = 0;
  void Flush() {
    if (!text.empty()) log += "T[" + text + "]\n";
    text.clear();
  }
  void Start(std::string_view name, const char** atts) override {
    Flush();
    log += "S " + std::string(name);
    for (; *atts; atts += 2) log += std::string(" ") + atts[0] + "=[" + atts[1] + "]";
    log += "\n";
    if (++starts == stopAt) Stop("stopped by the handler");
  }
  void End(std::string_view name) override {
    Flush();
    log += "E " + std::string(name) + "\n";
  }
  void Text(const char* s, int n) override { text.append(s, static_cast<size_t>(n)); }
};

// The calls (or the error) of one read of the part; fast tells whether the scanner kept it.
std::string Read(const std::string& xml, bool scanner, bool* fast = nullptr, int stopAt = -1) {
  fs::path path = Temp("part.zip");
  WriteZip(path, {{"p.xml", xml}});
  Archive a(path.string(), "part.zip");
  Recorder r(a, "p.xml");
  r.stopAt = stopAt;
  try {
    if (scanner) {
      if (fast) *fast = true;  // a fault thrown through the scanner is its own answer
      bool kept = r.RunFast(1u << 30);
      if (fast) *fast = kept;
      if (!kept) return "(expat)";
    } else {
      r.Run(1u << 30);
    }
  } catch (const vantrel::rt::RtError& e) {
    return r.log + "error " + std::to_string(e.number()) + ": " + e.description();
  }
  r.Flush();
  return r.log;
}

const std::string kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

TEST(SheetScanner, GivesExpatsCallsOrHandsOver) {
  struct {
    const char* what;
    std::string xml;
    bool scanned;
  } cases[] = {
      {"cells of every kind",
       kHead +
           "<worksheet xmlns=\"m\" xmlns:r=\"r\"><dimension ref=\"A1:C3\"/><sheetData>"
           "<row r=\"1\" spans=\"1:3\"><c r=\"A1\" s=\"1\"><v>1.5</v></c><c r=\"B1\" t=\"s\"><v>0</v></c>"
           "<c r=\"C1\" t=\"b\"><v>1</v></c></row>\n"
           "<row r=\"2\"><c r=\"A2\" t=\"e\"><v>#N/A</v></c><c r=\"B2\" t=\"str\"><f>A1&amp;\"x\"</f><v>1.5x</v></c>"
           "<c r='C2' t='inlineStr'><is><r><t xml:space=\"preserve\"> a &lt;b&gt; </t></r><rPh><t>ph</t></rPh></is></c></row>"
           "<row r=\"3\"><c r=\"A3\"><f t=\"shared\" ref=\"A3:A5\" si=\"0\">A1*2</f><v>3</v></c>"
           "<c r=\"B3\"><f t=\"shared\" si=\"0\"/><v>4</v></c><c r=\"C3\" t=\"d\"><v>2024-03-05T12:00:00</v></c></row>"
           "</sheetData></worksheet>",
       true},
      {"references in text and attributes",
       "<a x=\"&quot;&apos;&amp;&#65;&#x42;&#xe9;&#x1F600;\" y = 'tab\there\nline'><b>&#10;&#13;&#9;&#x10FFFF;</b>"
       "\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80 ] ]> </a>",
       true},
      {"prefixed names and empty elements", "<x:a xmlns:x=\"u\"><x:b x:r=\"1\"/><x:b></x:b>\t\n</x:a>\n\n", true},
      {"a byte order mark", "\xEF\xBB\xBF<a>1</a>", true},
      {"no declaration, whitespace first", "\n  <a/>", true},
      {"a '>' in an attribute", "<a b=\"1>2\">t</a>", true},
      {"a text across chunks",
       "<a>" + std::string(700000, 'y') + "&amp;<b c=\"" + std::string(300000, 'z') + "\"/></a>", true},
      {"a comment", "<a><!-- note --></a>", false},
      {"a CDATA section", "<a><![CDATA[x]]></a>", false},
      {"a processing instruction", "<a><?pi x?></a>", false},
      {"a document type", "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>", false},
      {"an encoding other than UTF-8", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a>\xe9</a>", false},
      {"line ends of every kind", kHead + "\r\n<a b=\"1\r\n2\r3\r\" c='\r\n'>1\r\n2\r3\n\r\r\n<b>\r</b>\r</a>\r\n",
       true},
      {"mismatched tags", "<a><b></a></b>", false},
      {"a truncated part", "<a><b>1</b", false},
      {"an unclosed element", "<a><b>1</b>", false},
      {"two root elements", "<a/><b/>", false},
      {"text after the root", "<a/>x", false},
      {"an unknown entity", "<a>&nbsp;</a>", false},
      {"a bad character reference", "<a>&#0;</a>", false},
      {"a bad reference", "<a>& b</a>", false},
      {"a repeated attribute", "<a b=\"1\" b=\"2\"/>", false},
      {"attributes not apart", "<a b=\"1\"c=\"2\"/>", false},
      {"an unquoted attribute", "<a b=1/>", false},
      {"a '<' in an attribute", "<a b=\"<\"/>", false},
      {"bad UTF-8", "<a>\xc3(</a>", false},
      {"an overlong UTF-8 form", "<a>\xc0\xaf</a>", false},
      {"a UTF-8 surrogate", "<a>\xed\xa0\x80</a>", false},
      {"a control character", "<a>\x01</a>", false},
      {"a NUL byte", std::string("<a>\0</a>", 8), false},
      {"']]>' in text", "<a>]]></a>", false},
      {"an empty part", "", false},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    bool fast = false;
    std::string scanned = Read(c.xml, true, &fast);
    std::string expat = Read(c.xml, false);
    EXPECT_EQ(fast, c.scanned) << expat;
    if (fast) {
      EXPECT_EQ(scanned, expat);
      EXPECT_EQ(expat.find("error"), std::string::npos);
    }
  }
}

// A tag or a text longer than any real workbook holds is refused by both readers, before the
// whole of it is read (expat would read it again with every chunk).
TEST(SheetScanner, TokensLongerThanTheLimitAreRefusedByBothReaders) {
  const struct {
    const char* what;
    std::string xml;
  } cases[] = {
      {"a text", "<a>" + std::string(2 * ss::zipxml::kMaxTokenBytes, 'x') + "</a>"},
      {"a tag", "<a b=\"" + std::string(2 * ss::zipxml::kMaxTokenBytes, 'x') + "\"/>"},
      {"a name", "<a" + std::string(2 * ss::zipxml::kMaxTokenBytes, 'x') + "/>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (bool scanner : {true, false}) {
      const std::string got = Read(c.xml, scanner);
      EXPECT_NE(got.find("a tag or text longer than the reader accepts"), std::string::npos) << got.substr(0, 200);
    }
  }
  // Just within the limit, both read it.
  const std::string within = "<a>" + std::string(ss::zipxml::kMaxTokenBytes - 64, 'x') + "</a>";
  bool fast = false;
  EXPECT_EQ(Read(within, true, &fast), Read(within, false));
  EXPECT_TRUE(fast);
}

// Elements nested to the bounds are read; one past them is refused by both readers alike,
// before its handler sees it.
TEST(SheetScanner, NestingPastTheBoundsIsRefusedByBothReaders) {
  auto nested = [](size_t depth, const std::string& name, const std::string& inner = "x") {
    std::string open, close;
    for (size_t k = 0; k < depth; ++k) {
      open += "<" + name + ">";
      close = "</" + name + ">" + close;
    }
    return open + inner + close;
  };
  const std::string longName(2000, 'n');  // 2 kB names: the name bound before the depth bound
  const size_t byNames = ss::zipxml::kMaxOpenNameBytes / longName.size();
  const struct {
    const char* what;
    std::string xml;
    bool refused;
  } cases[] = {
      {"at the depth bound", nested(ss::zipxml::kMaxNestingDepth, "a"), false},
      {"one past the depth bound", nested(ss::zipxml::kMaxNestingDepth + 1, "a"), true},
      {"an empty element one past", nested(ss::zipxml::kMaxNestingDepth, "x:a", "<x:b/>"), true},
      {"an empty element at the bound", nested(ss::zipxml::kMaxNestingDepth - 1, "x:a", "<x:b/>"), false},
      {"long names at the name bound", nested(byNames, longName), false},
      {"long names one past the name bound", nested(byNames + 1, longName), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bool fast = false;
    const std::string scanned = Read(c.xml, true, &fast);
    const std::string expat = Read(c.xml, false);
    EXPECT_TRUE(fast);
    EXPECT_EQ(scanned, expat);
    EXPECT_EQ(expat.find(ss::zipxml::kNestingFault) != std::string::npos, c.refused)
        << expat.substr(expat.size() - std::min<size_t>(expat.size(), 200));
  }
}

TEST(SheetScanner, AStopFromAHandlerEndsTheReadAsWithExpat) {
  std::string xml = kHead + "<a><b>1</b><b>2</b><b>3</b></a>";
  bool fast = false;
  std::string scanned = Read(xml, true, &fast, 3);
  std::string expat = Read(xml, false, nullptr, 3);
  EXPECT_TRUE(fast);
  EXPECT_EQ(scanned, expat);
  EXPECT_NE(scanned.find("error 1004: Cannot read the workbook part.zip: p.xml: stopped by the handler"),
            std::string::npos)
      << scanned;
}

// Tags, references and multi-byte characters cut across the chunks the part is read in.
TEST(SheetScanner, LongPartsAcrossChunks) {
  std::string xml = kHead + "<worksheet><sheetData>";
  for (int r = 1; r <= 100000; ++r) {  // beyond 8 MB: decompressed on a second thread
    std::string rs = std::to_string(r);
    xml += "<row r=\"" + rs + "\"><c r=\"A" + rs + "\" s=\"2\"><v>" + rs + ".25</v></c><c r=\"B" + rs +
           "\" t=\"inlineStr\"><is><t>&#233;\xe2\x82\xac &amp; " + rs + "</t></is></c></row>";
  }
  xml += "</sheetData></worksheet>";
  bool fast = false;
  std::string scanned = Read(xml, true, &fast);
  EXPECT_TRUE(fast);
  EXPECT_EQ(scanned, Read(xml, false));
}

// A recorder whose chunks are read on other threads; a chunk that meets a formula ("f") leaves
// itself to the main recorder, which then reads the chunk's bytes again in order.
struct SplitRecorder : Recorder {
  using Recorder::Recorder;
  bool chunk = false;
  void Start(std::string_view name, const char** atts) override {
    if (chunk && name == "f") Defer();
    Recorder::Start(name, atts);
  }
  std::unique_ptr<Parser> NewChunk() override {
    auto c = std::make_unique<SplitRecorder>(archive_, part_);
    c->chunk = true;
    return c;
  }
  void ApplyChunk(Parser& p) override {
    auto& c = static_cast<SplitRecorder&>(p);
    c.Flush();
    Flush();
    log += c.log;
  }
};

// The rows cut into chunks: the scanner keeps the part (chunks read where they lie are read
// again in order, byte for byte, when they leave themselves to the main reader) and makes
// expat's calls.
TEST(SheetScanner, ChunksLeftToTheMainReaderAreReadAgainAsTheyWere) {
  std::string rows;
  for (int r = 1; r <= 200; ++r) {
    const std::string rs = std::to_string(r);
    rows += "<row r=\"" + rs + "\" spans='1:2'><c r=\"A" + rs + "\" s = \"1\" t=\"n\"><v>" + rs + "</v></c>" +
            (r % 50 == 0 ? "<c r=\"B" + rs + "\"><f>A" + rs + "*2</f><v>0</v></c>" : "<c r=\"B" + rs + "\"/>") +
            "</row>";
  }
  const std::string xml = kHead + "<worksheet><sheetData>" + rows + "</sheetData></worksheet>";
  fs::path path = Temp("split.zip");
  WriteZip(path, {{"p.xml", xml}});
  Archive a(path.string(), "split.zip");
  Recorder expat(a, "p.xml");
  expat.Run(1u << 30);
  expat.Flush();
  for (size_t chunk : {1, 64, 300, 4096}) {
    ss::zipxml::SetSplitBytes(chunk);
    SplitRecorder r(a, "p.xml");
    EXPECT_TRUE(r.RunFastSplit(1u << 30, "row", "sheetData")) << chunk;
    r.Flush();
    EXPECT_EQ(r.log, expat.log) << chunk;
  }
  ss::zipxml::SetSplitBytes(0);
}

// --- whole workbooks: the scanner on, then off -------------------------------------------------

// Every cell of every sheet (or the sheet's error), with the active cell.
std::string Dump(const std::string& path) {
  auto app = ss::model::App::Create();
  std::shared_ptr<ss::model::Book> book;
  try {
    book = ss::OpenWorkbookFile(*app, path);
  } catch (const vantrel::rt::RtError& e) {
    return "open error " + std::to_string(e.number()) + ": " + e.description();
  }
  std::ostringstream out;
  out.precision(17);
  for (auto& s : book->sheets()) {
    out << "sheet " << s->name() << "\n";
    try {
      s->EnsureLoaded();
    } catch (const vantrel::rt::RtError& e) {
      out << "error " << e.number() << ": " << e.description() << "\n";
      continue;
    }
    out << "active " << s->activeRow() << "," << s->activeCol() << " cells " << s->CellCount() << "\n";
    for (size_t c = 0; c < s->columns().size(); ++c)
      for (size_t i = 0; i < s->columns()[c].cells.size(); ++i) {
        int64_t row = s->columns()[c].cells.RowAt(i), col = static_cast<int64_t>(c) + 1;
        ss::CellValue v = s->GetValue(row, col);
        out << row << "," << col << " k" << static_cast<int>(v.kind) << " " << v.number << " [" << v.text << "] ["
            << s->GetFormula(row, col) << "] [" << s->GetFormat(row, col) << "] [" << s->DisplayText(row, col) << "]\n";
      }
  }
  return out.str();
}

std::string DumpBoth(const std::string& path) {
  ss::zipxml::SetFastScan(false);
  std::string expat = Dump(path);
  ss::zipxml::SetFastScan(true);
  std::string scanned = Dump(path);
  EXPECT_EQ(scanned, expat);
  // The rows cut into chunks read on several threads, at every few bytes.
  for (size_t chunk : {1, 7, 64, 500}) {
    ss::zipxml::SetSplitBytes(chunk);
    std::string split = Dump(path);
    ss::zipxml::SetSplitBytes(0);
    EXPECT_EQ(split, expat) << "in chunks of " << chunk << " bytes";
  }
  return scanned;
}

TEST(SheetScanner, SavedWorkbookReadsTheSame) {
  std::string d = DumpBoth(kFixtures + "orbit.xlsx");
  EXPECT_NE(d.find("[=0.01+LEN(\"title kmday\")+MAX(A2:C21)+MAX(D2:D21)]"), std::string::npos);
}

std::map<std::string, std::string> Parts(const std::string& sheet) {
  return {
      {"[Content_Types].xml", "<Types xmlns=\"t\"/>"},
      {"_rels/.rels",
       "<Relationships xmlns=\"r\"><Relationship Id=\"rId1\" Type=\"x/officeDocument\" Target=\"xl/workbook.xml\"/>"
       "</Relationships>"},
      {"xl/workbook.xml",
       "<workbook xmlns:r=\"r\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
       "<Relationship Id=\"rId2\" Type=\"x/sharedStrings\" Target=\"sharedStrings.xml\"/>"
       "<Relationship Id=\"rId3\" Type=\"x/styles\" Target=\"styles.xml\"/></Relationships>"},
      {"xl/sharedStrings.xml", "<sst><si><t>first</t></si><si><r><t>rich </t></r><r><t>text</t></r></si></sst>"},
      {"xl/styles.xml",
       "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"0.0000\"/></numFmts><cellXfs><xf numFmtId=\"0\"/>"
       "<xf numFmtId=\"164\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>"},
      {"xl/worksheets/sheet1.xml", sheet},
  };
}

// Rows first to last of numbers, shared texts, booleans and formats, sep between the rows.
std::string PlainRows(int first, int last, const std::string& sep) {
  std::string out;
  for (int r = first; r <= last; ++r) {
    std::string rs = std::to_string(r);
    out += "<row r=\"" + rs + "\" spans=\"1:4\"><c r=\"A" + rs + "\" s=\"1\"><v>" + rs + ".5</v></c><c r=\"B" + rs +
           "\" t=\"s\"><v>" + std::to_string(r % 2) + "</v></c><c r=\"C" + rs + "\" t=\"b\"><v>1</v></c><c r=\"D" + rs +
           "\" s=\"2\"/><c r=\"E" + rs + "\"><v>-" + rs + "e-3</v></c></row>" + sep;
  }
  return out;
}

TEST(SheetScanner, GeneratedSheetsReadTheSame) {
  const std::string view = "<sheetViews><sheetView workbookViewId=\"0\"><pane xSplit=\"1\" activePane=\"topRight\"/>"
                           "<selection pane=\"topRight\" activeCell=\"C3\" sqref=\"C3\"/></sheetView></sheetViews>"
                           "<cols><col min=\"4\" max=\"5\" style=\"1\"/></cols>";
  const std::string cells =
      "<row r=\"1\"><c r=\"A1\" s=\"1\"><v>1.5</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c t=\"b\"><v>1</v></c>"
      "<c r=\"D1\" s=\"2\"><v>45356.5</v></c><c r=\"E1\" s=\"1\"/></row>"
      "<row r=\"2\"><c r=\"A2\" t=\"e\"><v>#DIV/0!</v></c><c r=\"B2\" t=\"str\"><f>A1&amp;\"&lt;x&gt;\"</f><v>1.5&lt;x&gt;</v></c>"
      "<c r=\"C2\" t=\"inlineStr\"><is><r><t>in &#233;</t></r><r><t>line</t></r><rPh><t>no</t></rPh></is></c>"
      "<c r=\"D2\" t=\"d\"><v>2024-03-05T12:00:00</v></c><c r=\"E2\"><f>1/0</f><v></v></c></row>"
      "<row><c r=\"A3\"><f t=\"shared\" ref=\"A3:A6\" si=\"0\">A1*2+$B$1</f><v>3</v></c>"
      "<c r=\"B3\"><f t=\"shared\" ref=\"B3:C3\" si=\"1\">A3</f><v>3</v></c><c r=\"C3\"><f t=\"shared\" si=\"1\"/><v>3</v></c></row>"
      "<row r=\"4\"><c r=\"A4\"><f t=\"shared\" si=\"0\"/><v>5</v></c><c r=\"B4\" t=\"str\"><v>&quot;q&apos;</v></c></row>"
      "<row r=\"6\"><c r=\"A6\"><f t=\"shared\" si=\"0\"/><v>-1E-5</v></c><c r=\"C6\"><v> 2 </v></c></row>"
      "<row r=\"5\"><c r=\"B5\"><v>7</v></c></row>";
  struct {
    const char* what;
    std::string sheet;
  } sheets[] = {
      {"every kind of cell",
       kHead + "<worksheet xmlns=\"m\">" + view + "<sheetData>" + cells + "</sheetData></worksheet>"},
      {"prefixed", "<x:worksheet xmlns:x=\"m\"><x:sheetData><x:row r=\"2\"><x:c r=\"B2\"><x:v>4</x:v></x:c></x:row>"
                   "</x:sheetData></x:worksheet>"},
      {"handed to expat", "<worksheet><sheetData><!-- c --><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a\r\nb</t>"
                          "</is></c></row></sheetData></worksheet>"},
      {"malformed", "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row></sheetData>"},
      {"mismatched", "<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1</c></v></row></sheetData></worksheet>"},
      {"a bad cell reference",
       "<worksheet><sheetData><row r=\"1\"><c r=\"1A\"><v>1</v></c></row></sheetData></worksheet>"},
      {"a bad number", "<worksheet><sheetData><row><c><v>1,5</v></c></row></sheetData></worksheet>"},
      {"a shared string out of range",
       "<worksheet><sheetData><row><c t=\"s\"><v>9</v></c></row></sheetData></worksheet>"},
      // Rows in chunks: plain ones, then what a chunk leaves to the reader or cannot end on.
      {"plain rows between line ends",
       kHead + "<worksheet>\n<sheetData>\n" + PlainRows(1, 40, "\n  ") + "</sheetData>\n</worksheet>"},
      {"rows out of order and a cell twice", "<worksheet><sheetData>" + PlainRows(20, 40, "") + PlainRows(1, 20, "") +
                                                 "<row r=\"3\"><c r=\"A3\"><v>9</v></c></row>" + PlainRows(41, 60, "") +
                                                 "</sheetData></worksheet>"},
      {"rows and cells without references", "<worksheet><sheetData>" + PlainRows(1, 20, "") +
                                                "<row><c><v>1</v></c><c/><c s=\"1\"/></row><row><c><v>2</v></c></row>" +
                                                PlainRows(30, 50, "") + "</sheetData></worksheet>"},
      {"formulas and inline texts among plain rows",
       "<worksheet><sheetData>" + PlainRows(1, 20, "") + cells + PlainRows(10, 30, "") + "</sheetData></worksheet>"},
      {"a row inside a cell", "<worksheet><sheetData>" + PlainRows(1, 20, "") +
                                  "<row r=\"21\"><c r=\"A21\"><row r=\"7\"><c r=\"A7\"><v>1</v></c></row></c></row>" +
                                  PlainRows(22, 40, "") + "</sheetData></worksheet>"},
      {"a comment after many rows", "<worksheet><sheetData>" + PlainRows(1, 30, "") + "<!-- <row r=\"1\"> -->" +
                                        PlainRows(31, 40, "") + "</sheetData></worksheet>"},
      {"a row start in a text section",
       "<worksheet><sheetData>" + PlainRows(1, 30, "") +
           "<row r=\"31\"><c r=\"A31\" t=\"inlineStr\"><is><t><![CDATA[<row r=\"2\">]]></t></is></c></row>" +
           PlainRows(32, 40, "") + "</sheetData></worksheet>"},
      {"a bad reference deep in the rows", "<worksheet><sheetData>" + PlainRows(1, 30, "") +
                                               "<row r=\"31\"><c r=\"A0\"/></row>" + PlainRows(32, 40, "") +
                                               "</sheetData></worksheet>"},
      {"attributes in other forms deep in the rows",
       "<worksheet><sheetData>" + PlainRows(1, 30, "") +
           "<row r='31' spans = \"1:4\"><c r='A31' s = '1'><v>1</v></c><c r=\"B31\"\ts=\"1\"\n><v>2</v></c>"
           "<c r=\"C31\" s=\"&#49;\"><v>3</v></c><c r=\"D31\" s=\"1\t\"><v>4</v></c><c r=\"E31\" s=\"\"><v>5</v></c>"
           "<c r=\"F31\" s=\"\xc3\xa9\"><v>6</v></c></row>" +
           PlainRows(32, 40, "") + "</sheetData></worksheet>"},
      {"a repeated attribute deep in the rows", "<worksheet><sheetData>" + PlainRows(1, 30, "") +
                                                    "<row r=\"31\"><c r=\"A31\" s=\"1\" r=\"A31\"><v>1</v></c></row>" +
                                                    PlainRows(32, 40, "") + "</sheetData></worksheet>"},
      {"a malformed end after many rows", "<worksheet><sheetData>" + PlainRows(1, 30, "") + "</sheetData>"},
      {"rows after the sheet data", "<worksheet><sheetData>" + PlainRows(1, 30, "") +
                                        "</sheetData><ext><row r=\"5\"><c r=\"A5\"><v>1</v></c></row></ext>" +
                                        "</worksheet>"},
  };
  for (auto& s : sheets) {
    SCOPED_TRACE(s.what);
    fs::path path = Temp("gen.xlsx");
    WriteZip(path, Parts(s.sheet));
    std::string d = DumpBoth(path.string());
    if (std::string_view(s.what) == "malformed" || std::string_view(s.what) == "mismatched") {
      EXPECT_NE(d.find("error 1004: Cannot read the workbook gen.xlsx: xl/worksheets/sheet1.xml: malformed XML"),
                std::string::npos)
          << d;
    }
    if (std::string_view(s.what) == "every kind of cell") {
      EXPECT_NE(d.find("active 3,3 cells"), std::string::npos) << d;
    }
  }
}

// The limit on cells met inside a chunk read on another thread: the same fault as in order.
TEST(SheetScanner, TheCellLimitStopsARowChunkAsItStopsTheRows) {
  fs::path path = Temp("limit.xlsx");
  WriteZip(path, Parts("<worksheet><sheetData>" + PlainRows(1, 200, "\n") + "</sheetData></worksheet>"));
  ss::ReadLimits limits;
  limits.maxCells = 777;
  auto fault = [&](bool fast, size_t chunk) {
    ss::zipxml::SetFastScan(fast);
    ss::zipxml::SetSplitBytes(chunk);
    auto app = ss::model::App::Create();
    std::string what;
    try {
      ss::OpenWorkbookFile(*app, path.string(), limits)->sheet(0).EnsureLoaded();
    } catch (const vantrel::rt::RtError& e) {
      what = std::to_string(e.number()) + " " + e.description();
    }
    ss::zipxml::SetFastScan(true);
    ss::zipxml::SetSplitBytes(0);
    return what;
  };
  const std::string expat = fault(false, 0);
  EXPECT_NE(expat.find("1004 "), std::string::npos) << expat;
  EXPECT_NE(expat.find("more cells than the reader accepts"), std::string::npos) << expat;
  for (size_t chunk : {0, 100, 1000}) EXPECT_EQ(fault(true, chunk), expat) << chunk;
}

}  // namespace
