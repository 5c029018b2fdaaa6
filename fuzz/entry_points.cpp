#include "fuzz/entry_points.h"

#include <unistd.h>

#include <zip.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "datastore/a1.h"
#include "datastore/datafile_reader.h"
#include "tests/support/fake_services.h"
#include "datastore/formula_parser.h"
#include "datastore/line_split.h"
#include "datastore/state.h"
#include "numerics/valloc.h"
#include "numerics/warnings.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/warning_boxes.h"
#include "platform/locale/locale.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/shell/shell.h"
#include "platform/spreadsheet/model.h"
#include "platform/spreadsheet/numfmt.h"
#include "platform/spreadsheet/workbook_file.h"
#include "platform/spreadsheet/zipxml.h"
#include "ui/main_shared.h"

namespace vantrel::fuzz {

namespace {

// A file of this process holding the input, for the readers that take a path.
class InputOnDisk {
 public:
  InputOnDisk(const uint8_t* data, size_t size, const char* suffix) {
    const char* dir = std::getenv("TMPDIR");
    path_ = std::string(dir && *dir ? dir : "/tmp") + "/vantrel-fuzz-" + std::to_string(getpid()) + suffix;
    if (FILE* f = std::fopen(path_.c_str(), "wb")) {
      if (size) std::fwrite(data, 1, size, f);
      std::fclose(f);
    }
  }
  ~InputOnDisk() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string_view Text(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// Two reads that must agree did not: both told on stderr from where they part, then an abort
// (the fuzzer keeps the input).
[[noreturn]] void Disagree(const char* what, const std::string& a, const std::string& b) {
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  const size_t from = at > 200 ? at - 200 : 0;
  std::fprintf(stderr, "%s disagree at byte %zu:\n--- first\n%s\n--- second\n%s\n", what, at,
               a.substr(from, 600).c_str(), b.substr(from, 600).c_str());
  std::abort();
}

// Every box answered OK at once, nothing kept (a fuzzer runs millions of inputs).
class QuietBoxes : public forms::MessageBoxService {
 public:
  int Show(const std::string& text, int, const std::string& title) override {
    last = title + ": " + text;
    return forms::kOK;
  }
  std::string last;
};

std::shared_ptr<QuietBoxes> g_boxes;

}  // namespace

void InstallQuietServices() {
  static bool done = false;
  if (done) return;
  done = true;
  g_boxes = std::make_shared<QuietBoxes>();
  forms::SetMessageBoxService(g_boxes);
  numerics::SetWarningSink(std::make_shared<forms::WarningBoxes>());
  platform::SetFixedLocale(platform::LocaleSeparators{".", ","});
}

std::string WorkbookFile(const char* path) {
  InstallQuietServices();
  auto app = spreadsheet::model::App::Create();
  std::shared_ptr<spreadsheet::model::Book> book;
  try {
    book = spreadsheet::OpenWorkbookFile(*app, path);
  } catch (const rt::RtError& e) {
    return e.description();
  }
  std::string fault;
  if (!book) return fault;
  for (size_t k = 0; k < book->sheets().size(); ++k) {
    try {
      spreadsheet::model::Sheet& sheet = book->sheet(k);
      sheet.EnsureLoaded();
      const int64_t rows = std::min<int64_t>(sheet.MaxRow(), 64);
      const int64_t cols = std::min<int64_t>(sheet.MaxColumn(), 20);
      for (int64_t r = 1; r <= rows; ++r)
        for (int64_t c = 1; c <= cols; ++c) {
          rt::Try([&] { (void)sheet.GetValue(r, c).AsString(); });
          rt::Try([&] { (void)sheet.GetFormula(r, c); });
          rt::Try([&] { (void)sheet.DisplayText(r, c); });
        }
    } catch (const rt::RtError& e) {
      if (fault.empty()) fault = e.description();
    }
  }
  // The text copy the gathering makes, over the first sheet's used range.
  rt::Try([&] {
    spreadsheet::Application xl = app->handle();
    spreadsheet::Worksheet ws = xl.ActiveSheet();
    ws.GetRange("A1:Q64").Copy();
    (void)xl.CopiedText();
    xl.ForEachCopiedRow([](const std::vector<spreadsheet::CellValue>&) {});
  });
  return fault;
}

namespace {
// The reader step of a load with the file named as the command line names it, the current and
// demo files given; the box and the lines read, and the log box's text.
std::string ReadNamedDataFile(const std::string& named, int dataFileMode, const std::string& current,
                              const std::string& demo, const datastore::ReaderHooks& hooks, std::string* log) {
  InstallQuietServices();
  g_boxes->last.clear();
  auto main = std::make_shared<datastore::FakeMainWindow>();
  datastore::ScopedStore scope(main);
  datastore::DataStore& s = scope.store();
  s.CmdLineInfo.DataFileMode = dataFileMode;
  s.CmdLineFirst = named;
  datastore::LoadWork w;
  w.CurrentDataFile = current;
  w.DemoDataFile = demo;
  datastore::ReadDataFileStep(s, w, hooks);
  if (log) *log = main->text20;
  return g_boxes->last + (g_boxes->last.empty() ? "" : " / ") + std::to_string(static_cast<int64_t>(w.ReadRows)) +
         " data lines read";
}

// Reads the file as File Open does.
std::string ReadDataFileAt(const char* path, const datastore::ReaderHooks& hooks, std::string* log) {
  return ReadNamedDataFile(path, 1, std::string(path) + ".none", std::string(path) + ".nodemo", hooks, log);
}
}  // namespace

std::string DataFileAt(const char* path) { return ReadDataFileAt(path, {}, nullptr); }

void Workbook(const uint8_t* data, size_t size) {
  InputOnDisk file(data, size, ".book");
  // Sheets of a few hundred bytes already have their rows read in chunks on several threads.
  spreadsheet::zipxml::SetSplitBytes(64);
  (void)WorkbookFile(file.path().c_str());
}

namespace {
void ReadDataFile(const uint8_t* data, size_t size, bool compare) {
  InputOnDisk file(data, size, ".vnx");
  datastore::ReaderHooks serial, parallel;
  serial.readThreads = 1;
  std::string serialLog, parallelLog;
  const std::string a = ReadDataFileAt(file.path().c_str(), serial, &serialLog);
  if (!compare) return;
  // The reading on several threads, in chunks of a few bytes, must tell what the serial one does.
  parallel.readThreads = 3;
  parallel.chunkBytes = 1 + size % 61;
  const std::string b = ReadDataFileAt(file.path().c_str(), parallel, &parallelLog);
  if (a != b || serialLog != parallelLog)
    Disagree("the data file read on several threads", a + "\n" + serialLog, b + "\n" + parallelLog);
}
}  // namespace

void DataFile(const uint8_t* data, size_t size) {
  ReadDataFile(data, size, std::hash<std::string_view>{}(Text(data, size)) % 16 == 0);
}

void DataFileCompared(const uint8_t* data, size_t size) { ReadDataFile(data, size, true); }

namespace {

namespace zx = spreadsheet::zipxml;
using Parts = std::vector<std::pair<std::string, std::string>>;

// A folder of this process for the inputs that are more than one file, removed at exit.
const std::string& ProcessFolder() {
  struct Folder {
    std::string path;
    Folder() {
      const char* t = std::getenv("TMPDIR");
      path = std::string(t && *t ? t : "/tmp") + "/vantrel-fuzz-" + std::to_string(getpid()) + ".d";
      std::error_code ec;
      std::filesystem::create_directories(path, ec);
    }
    ~Folder() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static const Folder folder;
  return folder.path;
}

// A zip archive of the parts, stored (not deflated: the fuzzer's bytes reach the XML as they are).
bool WriteStoredZip(const std::string& path, const Parts& parts) {
  std::remove(path.c_str());
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  if (!z) return false;
  for (const auto& [name, bytes] : parts) {
    zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
    const zip_int64_t k = src ? zip_file_add(z, name.c_str(), src, ZIP_FL_OVERWRITE) : -1;
    if (k < 0) {
      if (src) zip_source_free(src);
      zip_discard(z);
      return false;
    }
    zip_set_file_compression(z, static_cast<zip_uint64_t>(k), ZIP_CM_STORE, 0);
  }
  return zip_close(z) == 0;
}

std::string Number(double x) {
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  return std::string(buf, r.ptr);
}

// What a reader made of a workbook: each sheet's name, active cell, and cells (value, formula,
// format and displayed text), or the fault that ended the opening or a sheet's reading.
std::string DumpWorkbook(const std::string& path) {
  auto app = spreadsheet::model::App::Create();
  std::shared_ptr<spreadsheet::model::Book> book;
  try {
    book = spreadsheet::OpenWorkbookFile(*app, path);
  } catch (const rt::RtError& e) {
    return "fault " + std::to_string(e.number()) + " " + e.description();
  }
  std::string out = "active sheet " + std::to_string(book->activeSheet()) + "\n";
  for (auto& sheet : book->sheets()) {
    spreadsheet::model::Sheet& s = *sheet;
    out += "sheet [" + s.name() + "]\n";
    try {
      s.EnsureLoaded();
    } catch (const rt::RtError& e) {
      out += "fault " + std::to_string(e.number()) + " " + e.description() + "\n";
      continue;
    }
    out += "active " + std::to_string(s.activeRow()) + "," + std::to_string(s.activeCol()) + " cells " +
           std::to_string(s.CellCount()) + "\n";
    size_t shown = 0;
    for (size_t c = 0; c < s.columns().size() && shown < 4000; ++c) {
      // Rows first: reading a cell may share the column's storage.
      std::vector<int64_t> rows;
      const spreadsheet::model::ColumnCells& cells = s.columns()[c].cells;
      for (size_t i = 0; i < cells.size(); ++i) rows.push_back(cells.RowAt(i));
      for (int64_t row : rows) {
        if (++shown > 4000) break;
        const int64_t col = static_cast<int64_t>(c) + 1;
        out += std::to_string(row) + "," + std::to_string(col);
        rt::Try([&] {
          const spreadsheet::CellValue v = s.GetValue(row, col);
          out += " k" + std::to_string(static_cast<int>(v.kind)) + " " + Number(v.number) + " [" + v.text + "]";
        });
        rt::Try([&] { out += " [" + s.GetFormula(row, col) + "]"; });
        rt::Try([&] { out += " [" + s.GetFormat(row, col) + "]"; });
        rt::Try([&] { out += " [" + s.DisplayText(row, col) + "]"; });
        out += "\n";
      }
    }
  }
  return out;
}

// Writes down the parser's calls; texts between two tags are joined (expat may cut them).
struct CallLog : zx::Parser {
  using Parser::Parser;
  std::string log, text;
  void Flush() {
    if (!text.empty()) log += "T[" + text + "]\n";
    text.clear();
  }
  void Start(std::string_view name, const char** atts) override {
    Flush();
    log += "S " + std::string(name);
    for (; *atts; atts += 2) log += std::string(" ") + atts[0] + "=[" + atts[1] + "]";
    log += "\n";
  }
  void End(std::string_view name) override {
    Flush();
    log += "E " + std::string(name) + "\n";
  }
  void Text(const char* s, int n) override {
    text.append(s, static_cast<size_t>(n));
    if (text.size() > (8u << 20)) Stop("a text too long for the log");
  }
};

// The parser's calls on one part of the archive, by expat or by the scanner; "" when the scanner
// left the part to expat.
std::string ParserCalls(const std::string& path, const std::string& part, bool scanner) {
  try {
    zx::Archive a(path, "fuzz.zip");
    CallLog p(a, part);
    try {
      if (scanner) {
        if (!p.RunFast(64u << 20)) return "";
      } else {
        p.Run(64u << 20);
      }
    } catch (const rt::RtError& e) {
      p.Flush();
      return p.log + "fault " + e.description();
    }
    p.Flush();
    return p.log;
  } catch (const rt::RtError& e) {
    return "archive fault " + e.description();
  }
}

void CompareParserCalls(const std::string& path, const std::string& part) {
  const std::string scanned = ParserCalls(path, part, true);
  if (scanned.empty()) return;
  const std::string expat = ParserCalls(path, part, false);
  if (scanned != expat) Disagree("the scanner's and expat's parser calls", expat, scanned);
}

// A selector byte and a part's XML.
struct PartInput {
  unsigned pick;
  std::string xml;
};
PartInput SplitPartInput(const uint8_t* data, size_t size) {
  if (size == 0) return {0, {}};
  return {data[0], std::string(Text(data + 1, size - 1))};
}

// The small xlsx the sheet, string, workbook and style inputs are put into.
Parts XlsxParts() {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  std::string sst = "<sst count=\"40\" uniqueCount=\"40\">";
  for (int k = 0; k < 40; ++k) sst += "<si><t>s" + std::to_string(k) + "</t></si>";
  sst += "</sst>";
  return {
      {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
      {"_rels/.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel +
                          "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
      {"xl/workbook.xml",
       "<workbook xmlns:r=\"r\"><workbookPr date1904=\"false\"/><bookViews><workbookView activeTab=\"1\"/></bookViews>"
       "<sheets><sheet name=\"Notes\" sheetId=\"1\" r:id=\"rId2\"/><sheet name=\"Orbit\" sheetId=\"2\" r:id=\"rId3\"/>"
       "</sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"" + rel +
                                         "styles\" Target=\"styles.xml\"/>"
                                         "<Relationship Id=\"rId2\" Type=\"" +
                                         rel +
                                         "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                                         "<Relationship Id=\"rId3\" Type=\"" +
                                         rel +
                                         "worksheet\" Target=\"worksheets/sheet2.xml\"/>"
                                         "<Relationship Id=\"rId4\" Type=\"" +
                                         rel +
                                         "worksheet\" Target=\"worksheets/sheet3.xml\"/>"
                                         "<Relationship Id=\"rId5\" Type=\"" +
                                         rel + "sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
      {"xl/sharedStrings.xml", sst},
      {"xl/styles.xml",
       "<styleSheet><numFmts><numFmt numFmtId=\"164\" formatCode=\"0.0000\"/><numFmt numFmtId=\"165\" "
       "formatCode=\"yyyy/mm/dd hh:mm:ss\"/></numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/>"
       "<xf numFmtId=\"14\"/><xf numFmtId=\"165\"/></cellXfs></styleSheet>"},
      {"xl/worksheets/sheet1.xml",
       "<worksheet><sheetViews><sheetView><selection activeCell=\"B2\"/></sheetView></sheetViews><sheetData>"
       "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" s=\"1\"><v>1.5</v></c><c r=\"C1\" s=\"3\"><v>45356.5</v>"
       "</c></row><row r=\"2\"><c r=\"A2\"><f>B1*2</f><v>3</v></c><c r=\"B2\" t=\"s\"><v>39</v></c></row></sheetData>"
       "</worksheet>"},
      {"xl/worksheets/sheet2.xml",
       "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>x</t></is></c><c r=\"B1\" s=\"2\"><v>2</v>"
       "</c></row></sheetData></worksheet>"},
  };
}

// The small ods the content, settings and style inputs are put into.
Parts OdsParts() {
  const std::string ns = " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                         " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
                         " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
                         " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
                         " xmlns:number=\"urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0\""
                         " xmlns:config=\"urn:oasis:names:tc:opendocument:xmlns:config:1.0\""
                         " xmlns:of=\"urn:oasis:names:tc:opendocument:xmlns:of:1.2\"";
  return {
      {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
      {"styles.xml",
       "<office:document-styles" + ns +
           "><office:styles><number:number-style style:name=\"N2\">"
           "<number:number number:decimal-places=\"2\" number:min-integer-digits=\"1\"/></number:number-style>"
           "</office:styles></office:document-styles>"},
      {"content.xml",
       "<office:document-content" + ns +
           "><office:automatic-styles><style:style style:name=\"ce1\" "
           "style:family=\"table-cell\" style:data-style-name=\"N2\"/></office:automatic-styles><office:body>"
           "<office:spreadsheet><table:table table:name=\"Notes\"><table:table-row><table:table-cell office:value-type="
           "\"string\"><text:p>a</text:p></table:table-cell><table:table-cell table:style-name=\"ce1\" office:value-type="
           "\"float\" office:value=\"1.5\"><text:p>1.50</text:p></table:table-cell></table:table-row></table:table>"
           "<table:table table:name=\"Orbit\"><table:table-row table:number-rows-repeated=\"2\"><table:table-cell "
           "table:formula=\"of:=[.A1]*2\" office:value-type=\"float\" office:value=\"3\"><text:p>3</text:p>"
           "</table:table-cell></table:table-row></table:table></office:spreadsheet></office:body>"
           "</office:document-content>"},
      {"settings.xml",
       "<office:document-settings" + ns +
           "><office:settings><config:config-item-set config:name=\"ooo:view-settings\">"
           "<config:config-item-map-indexed config:name=\"Views\"><config:config-item-map-entry><config:config-item "
           "config:name=\"ActiveTable\" config:type=\"string\">Orbit</config:config-item><config:config-item-map-named "
           "config:name=\"Tables\"><config:config-item-map-entry config:name=\"Orbit\"><config:config-item config:name="
           "\"CursorPositionX\" config:type=\"int\">1</config:config-item><config:config-item config:name="
           "\"CursorPositionY\" config:type=\"int\">2</config:config-item></config:config-item-map-entry>"
           "</config:config-item-map-named></config:config-item-map-entry></config:config-item-map-indexed>"
           "</config:config-item-set></office:settings></office:document-settings>"},
  };
}

// The parts with the one of that name replaced by xml; the archive's path ("" when it could not
// be written).
std::string WritePartArchive(Parts parts, const std::string& name, std::string xml, const char* suffix) {
  for (auto& [n, bytes] : parts)
    if (n == name) bytes = std::move(xml);
  const std::string path = ProcessFolder() + "/part" + suffix;
  return WriteStoredZip(path, parts) ? path : std::string();
}

}  // namespace

void XlsxPart(const uint8_t* data, size_t size) {
  InstallQuietServices();
  static const char* const kParts[] = {"xl/worksheets/sheet1.xml", "xl/sharedStrings.xml", "xl/workbook.xml",
                                       "xl/styles.xml", "xl/_rels/workbook.xml.rels"};
  PartInput in = SplitPartInput(data, size);
  const std::string part = kParts[in.pick % std::size(kParts)];
  const std::string path = WritePartArchive(XlsxParts(), part, std::move(in.xml), ".xlsx");
  if (path.empty()) return;
  CompareParserCalls(path, part);
  zx::SetFastScan(true);
  zx::SetSplitBytes(0);
  const std::string scanned = DumpWorkbook(path);
  // Only sheets go through the scanner: the workbook also by expat, and by the scanner in chunks
  // of 64 bytes (a sheet of 256 bytes and more is then read on several threads).
  if (in.pick % std::size(kParts) != 0) return;
  zx::SetFastScan(false);
  const std::string expat = DumpWorkbook(path);
  zx::SetFastScan(true);
  if (scanned != expat) Disagree("the workbook read by expat and by the scanner", expat, scanned);
  if (size < 4 * 64 + 1) return;
  zx::SetSplitBytes(64);
  const std::string split = DumpWorkbook(path);
  zx::SetSplitBytes(0);
  if (split != expat) Disagree("the workbook read by expat and by the scanner in chunks", expat, split);
}

void OdsPart(const uint8_t* data, size_t size) {
  InstallQuietServices();
  static const char* const kParts[] = {"content.xml", "settings.xml", "styles.xml"};
  PartInput in = SplitPartInput(data, size);
  const std::string part = kParts[in.pick % std::size(kParts)];
  const std::string path = WritePartArchive(OdsParts(), part, std::move(in.xml), ".ods");
  if (path.empty()) return;
  CompareParserCalls(path, part);
  (void)DumpWorkbook(path);
}

namespace {

constexpr const char* kLastWritePath =
    "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.vnx\\Application";
constexpr const char* kLastWriteValue = "/opt/vantrel/bin/vantrel";

// Loads the store from its file, and uses it as the file association does (each step's refusal
// passed over); false when the store could not save.
bool UseKeyStore(const std::string& file, const std::vector<std::string>& paths) {
  platform::KeyStoreRegistry reg(file);
  auto step = [](auto&& f) {
    try {
      f();
    } catch (const rt::RtError&) {}
  };
  const std::string exts = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.vnx\\";
  step([&] { (void)reg.RegRead("HKCR\\.vnx\\"); });
  step([&] { reg.RegWrite("HKCR\\.vnx\\", "Vantrel.Data"); });
  step([&] { reg.RegWrite("HKCR\\Vantrel.Data\\shell\\open\\command\\", "\"/opt/vantrel/bin/vantrel\" %L"); });
  step([&] { reg.RegDelete(exts + "Application"); });
  step([&] { reg.RegDelete(exts + "OpenWithList"); });
  // Keys and values the store itself names.
  for (const std::string& p : paths) {
    step([&] { (void)reg.RegRead(p); });
    (void)reg.HasKey(p);
  }
  if (!paths.empty()) step([&] { reg.RegDelete(paths.front()); });
  try {
    reg.RegWrite(kLastWritePath, kLastWriteValue);
  } catch (const rt::RtError&) {
    return false;
  }
  return true;
}

std::string FileText(const std::string& path) {
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

}  // namespace

void KeyStore(const uint8_t* data, size_t size) {
  const std::string file = ProcessFolder() + "/registry.txt";
  {
    InputOnDisk raw(data, size, ".keys");
    std::error_code ec;
    std::filesystem::rename(raw.path(), file, ec);
    if (ec) return;
  }
  // The second and third fields of the first lines, unescaped as the store reads them: a key path
  // and a value name.
  auto unescape = [](std::string_view f) {
    std::string out;
    for (size_t i = 0; i < f.size(); ++i) {
      char c = f[i];
      if (c == '\\' && i + 1 < f.size()) {
        c = f[++i];
        c = c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
      }
      out += c;
    }
    return out;
  };
  std::vector<std::string> paths;
  const std::string_view text = Text(data, size);
  for (size_t b = 0; b < text.size() && paths.size() < 4;) {
    size_t e = text.find('\n', b);
    if (e == std::string_view::npos) e = text.size();
    const std::string_view line = text.substr(b, e - b);
    const size_t t1 = line.find('\t');
    if (t1 != std::string_view::npos) {
      const size_t t2 = line.find('\t', t1 + 1);
      const size_t t3 = t2 == std::string_view::npos ? t2 : line.find('\t', t2 + 1);
      std::string p = unescape(line.substr(t1 + 1, t2 == std::string_view::npos ? t2 : t2 - t1 - 1));
      if (t2 != std::string_view::npos)
        p += unescape(line.substr(t2 + 1, t3 == std::string_view::npos ? t3 : t3 - t2 - 1));
      paths.push_back(std::move(p));
    }
    b = e + 1;
  }
  if (!UseKeyStore(file, paths)) return;
  // What it saved, loaded and saved again unchanged (the last write once more), is the same.
  const std::string saved = FileText(file);
  try {
    platform::KeyStoreRegistry again(file);
    again.RegWrite(kLastWritePath, kLastWriteValue);
  } catch (const rt::RtError& e) {
    Disagree("the key store saved, then loaded and saved", saved, e.description());
  }
  const std::string resaved = FileText(file);
  if (resaved != saved) Disagree("the key store saved, then loaded and saved", saved, resaved);
}

namespace {

// The folder the command line's files are named in (the current folder of the process): a data
// file, names with blanks, commas and quotes, an empty file, a folder, a workbook.
const std::string& CommandLineFolder() {
  static const std::string dir = [] {
    const std::string d = ProcessFolder() + "/cli";
    std::error_code ec;
    std::filesystem::create_directories(d + "/folder.vnx", ec);
    const std::string track =
        "From: \tBook1\tSheet1\t=MAX(A2:C3)+LEN(\"Track km\")\t1.0000000000\tTrack km\tDate 2024/03/05 14:07:09\t"
        "Vantrel data file 2024\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n1\t2\t3\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n"
        "4\t5\t6\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n";
    for (const char* name :
         {"current.vnx", "demo.vnx", "track.vnx", "my track.vnx", "a,b.vnx", "q\"uote.vnx", "TRACK.VNX", "track"}) {
      if (FILE* f = std::fopen((d + "/" + name).c_str(), "wb")) {
        std::fwrite(track.data(), 1, track.size(), f);
        std::fclose(f);
      }
    }
    if (FILE* f = std::fopen((d + "/empty.vnx").c_str(), "wb")) std::fclose(f);
    (void)WriteStoredZip(d + "/book.xlsx", XlsxParts());
    std::filesystem::current_path(d, ec);
    return d;
  }();
  return dir;
}

}  // namespace

void CommandLine(const uint8_t* data, size_t size) {
  const std::string& dir = CommandLineFolder();
  std::vector<std::string> args;
  const std::string_view text = Text(data, size);
  for (size_t b = 0; b <= text.size();) {
    size_t e = text.find('\0', b);
    if (e == std::string_view::npos) e = text.size();
    args.emplace_back(text.substr(b, e - b));
    b = e + 1;
  }
  if (size == 0) args.clear();
  const ui::CommandLineValues v = ui::ReadCommandLineArgs(args);
  // The named file stays inside the folder.
  std::string named = v.CmdLineFirst;
  if (named.find("..") != std::string::npos) return;
  const size_t lead = named.compare(0, 1, "\"") == 0 ? 1 : 0;
  if (named.compare(lead, 1, "/") == 0) named.insert(lead, dir);
  (void)ReadNamedDataFile(named, v.DataFileMode, dir + "/current.vnx", dir + "/demo.vnx", {}, nullptr);
}

void Formula(const uint8_t* data, size_t size) {
  InstallQuietServices();
  const std::string formula(Text(data, size));
  double scale = 1;
  std::string title;
  std::array<std::string, datastore::kSpecParts> parts;
  std::string keyWord = "MAX";
  rt::Try([&] { datastore::Extraction_info(formula, "", scale, title, parts, keyWord); });
  for (const std::string& p : parts) {
    double c1 = 0, c2 = 0, r1 = 0, r2 = 0;
    rt::Try([&] { datastore::ConvertA1LC(p, c1, c2, r1, r2); });
  }
  double c1 = 0, c2 = 0, r1 = 0, r2 = 0;
  rt::Try([&] { datastore::ConvertA1LC(formula, c1, c2, r1, r2); });
}

void NumberText(const uint8_t* data, size_t size) {
  InstallQuietServices();
  const std::string_view all = Text(data, size);
  // The first line is the number text, the rest a format code.
  const size_t cut = all.find('\n');
  const std::string_view text = all.substr(0, cut);
  const std::string_view code = cut == std::string_view::npos ? std::string_view("0.0000000000") : all.substr(cut + 1);
  int flag = -1;
  const double v = numerics::ValLocale(text, flag);
  (void)datastore::ValNumW(text);
  datastore::SplitFields f;
  datastore::SplitTabLineW(text, f, (size & 1) != 0);
  double x = 0;
  rt::Try([&] { x = rt::Val(text); });
  for (double y : {v, x}) {
    rt::Try([&] { (void)rt::CStr(y); });
    rt::Try([&] { (void)spreadsheet::numfmt::FormatNumber(y, code); });
    rt::Try([&] { (void)rt::Format(y, std::string(code)); });
    rt::Try([&] { (void)rt::FormatDate(y, std::string(code)); });
  }
}

}  // namespace vantrel::fuzz
