#include "fuzz/entry_points.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "datastore/a1.h"
#include "datastore/datafile_reader.h"
#include "datastore/fake_services.h"
#include "datastore/formula_parser.h"
#include "datastore/line_split.h"
#include "datastore/state.h"
#include "numerics/valloc.h"
#include "platform/forms/msgbox.h"
#include "platform/locale/locale.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/spreadsheet/model.h"
#include "platform/spreadsheet/numfmt.h"
#include "platform/spreadsheet/workbook_file.h"
#include "platform/spreadsheet/zipxml.h"

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
// Reads the file as File Open does; the box and the lines read, and the log box's text.
std::string ReadDataFileAt(const char* path, const datastore::ReaderHooks& hooks, std::string* log) {
  InstallQuietServices();
  g_boxes->last.clear();
  auto main = std::make_shared<datastore::FakeMainWindow>();
  datastore::ScopedStore scope(main);
  datastore::DataStore& s = scope.store();
  s.CmdLineInfo.DataFileMode = 1;
  s.CmdLineFirst = path;
  datastore::LoadWork w;
  w.CurrentDataFile = std::string(path) + ".none";
  w.DemoDataFile = std::string(path) + ".nodemo";
  datastore::ReadDataFileStep(s, w, hooks);
  if (log) *log = main->text20;
  return g_boxes->last + (g_boxes->last.empty() ? "" : " / ") + std::to_string(static_cast<int64_t>(w.ReadRows)) +
         " data lines read";
}
}  // namespace

std::string DataFileAt(const char* path) { return ReadDataFileAt(path, {}, nullptr); }

void Workbook(const uint8_t* data, size_t size) {
  InputOnDisk file(data, size, ".book");
  // Sheets of a few hundred bytes already have their rows read in chunks on several threads.
  spreadsheet::zipxml::SetSplitBytes(64);
  (void)WorkbookFile(file.path().c_str());
}

void DataFile(const uint8_t* data, size_t size) {
  InputOnDisk file(data, size, ".vnx");
  // The reading on several threads, in chunks of a few bytes, must tell what the serial one does.
  datastore::ReaderHooks serial, parallel;
  serial.readThreads = 1;
  parallel.readThreads = 3;
  parallel.chunkBytes = 1 + size % 61;
  std::string serialLog, parallelLog;
  const std::string a = ReadDataFileAt(file.path().c_str(), serial, &serialLog);
  const std::string b = ReadDataFileAt(file.path().c_str(), parallel, &parallelLog);
  if (a != b || serialLog != parallelLog) std::abort();
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
