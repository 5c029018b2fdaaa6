#include "platform/spreadsheet/workbook_file.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/events/events.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/event_guard.h"
#include "platform/runtime/memory.h"
#include "platform/runtime/parallel.h"
#include "platform/runtime/vb.h"
#include "platform/spreadsheet/zipxml.h"

namespace vantrel::spreadsheet {

using model::Book;
using model::Sheet;
using zipxml::Archive;
using zipxml::Parser;

namespace {

using zipxml::kMaxCellTextBytes;
// Counts no real workbook reaches: the spreadsheets' own limit on sheets is far lower, and a
// sheet of 1,048,576 rows of 8 different texts holds this many texts.
constexpr size_t kMaxSheets = 10000;
constexpr size_t kMaxSharedStrings = 8u << 20;
// The most cells a sheet's columns get room for before they are read, on the word of its
// dimension or of its first rows (the room is filled in ahead of the reader): 128 full columns,
// 2 GB. Columns of a larger sheet grow as their cells come.
constexpr uint64_t kMaxReservedCells = uint64_t{128} * formula::kMaxRows;

bool ParseDouble(std::string_view s, double& x) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\n' || s.front() == '\r' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\n' || s.back() == '\r' || s.back() == '\t'))
    s.remove_suffix(1);
  if (!s.empty() && s[0] == '+') s.remove_prefix(1);
  auto r = std::from_chars(s.data(), s.data() + s.size(), x);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseInt(std::string_view s, int64_t& x) {
  auto r = std::from_chars(s.data(), s.data() + s.size(), x);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// "2024-03-05T14:07:25.5" or "2024-03-05" as a day serial.
bool ParseIsoDate(std::string_view s, double& serial) {
  int64_t y = 0, mo = 0, d = 0;
  if (s.size() < 10 || s[4] != '-' || s[7] != '-') return false;
  if (!ParseInt(s.substr(0, 4), y) || !ParseInt(s.substr(5, 2), mo) || !ParseInt(s.substr(8, 2), d)) return false;
  serial = rt::DateSerial(static_cast<int>(y), static_cast<int>(mo), static_cast<int>(d));
  if (s.size() > 10 && s[10] == 'T' && s.size() >= 19) {
    int64_t h = 0, mi = 0;
    double sec = 0;
    size_t end = s.find_first_of("Z+", 17);
    if (!ParseInt(s.substr(11, 2), h) || !ParseInt(s.substr(14, 2), mi) ||
        !ParseDouble(s.substr(17, end == std::string_view::npos ? std::string_view::npos : end - 17), sec))
      return false;
    serial += (h * 3600.0 + mi * 60.0 + sec) / 86400.0;
  }
  return true;
}

// "PT14H07M25S" or "PT1234H00M00.5S" as a fraction of days.
bool ParseIsoDuration(std::string_view s, double& days) {
  if (s.substr(0, 2) != "PT") return false;
  double total = 0, num = 0;
  size_t i = 2, start = 2;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c == 'H' || c == 'M' || c == 'S') {
      if (!ParseDouble(s.substr(start, i - start), num)) return false;
      total += num * (c == 'H' ? 3600.0 : c == 'M' ? 60.0 : 1.0);
      start = i + 1;
    }
  }
  days = total / 86400.0;
  return true;
}

// The cell reference "AB12" as (row, column); false when malformed.
bool ParseCellRef(const char* s, int64_t& row, int64_t& col) {
  col = 0;
  const char* p = s;
  while (*p >= 'A' && *p <= 'Z') {
    col = col * 26 + (*p - 'A' + 1);
    if (col > formula::kMaxColumns) return false;
    ++p;
  }
  if (p == s || !*p) return false;
  row = 0;
  for (; *p; ++p) {
    if (*p < '0' || *p > '9') return false;
    row = row * 10 + (*p - '0');
    if (row > formula::kMaxRows) return false;
  }
  return row >= 1;
}

std::string JoinPath(std::string_view base, std::string_view target) {
  if (!target.empty() && target[0] == '/') return std::string(target.substr(1));
  std::vector<std::string> parts;
  auto push = [&](std::string_view s) {
    size_t i = 0;
    while (i <= s.size()) {
      size_t j = s.find('/', i);
      if (j == std::string_view::npos) j = s.size();
      std::string_view seg = s.substr(i, j - i);
      if (seg == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!seg.empty() && seg != ".") {
        parts.emplace_back(seg);
      }
      i = j + 1;
    }
  };
  push(base);
  push(target);
  std::string out;
  for (auto& p : parts) {
    if (!out.empty()) out += '/';
    out += p;
  }
  return out;
}

std::string DirOf(std::string_view part) {
  size_t s = part.rfind('/');
  return s == std::string_view::npos ? std::string() : std::string(part.substr(0, s));
}

// --- xlsx ------------------------------------------------------------------------------------

// Relationships: id -> target part, and type -> first target.
struct Rels : Parser {
  Rels(const Archive& a, std::string part, std::string base) : Parser(a, std::move(part)), base_(std::move(base)) {}
  void Start(std::string_view name, const char** atts) override {
    if (name != "Relationship") return;
    const char* id = Attr(atts, "Id");
    const char* target = Attr(atts, "Target");
    const char* type = Attr(atts, "Type");
    const char* mode = Attr(atts, "TargetMode");
    if (!target || (mode && std::string_view(mode) == "External")) return;
    std::string t = JoinPath(base_, target);
    if (id) byId[id] = t;
    if (type) {
      std::string_view ty(type);
      size_t s = ty.rfind('/');
      std::string key(s == std::string_view::npos ? ty : ty.substr(s + 1));
      byType.emplace(key, t);
    }
  }
  void End(std::string_view) override {}
  std::string base_;
  std::map<std::string, std::string> byId;
  std::multimap<std::string, std::string> byType;
};

struct WorkbookXml : Parser {
  using Parser::Parser;
  struct SheetRef {
    std::string name, rid;
  };
  std::vector<SheetRef> sheets;
  int64_t activeTab = 0;
  bool views = false;
  bool date1904 = false;
  void Start(std::string_view name, const char** atts) override {
    if (name == "sheet") {
      const char* n = Attr(atts, "name");
      const char* id = Attr(atts, "id");
      if (!n || !id) Stop("a sheet without name or relationship");
      else if (sheets.size() >= kMaxSheets) Stop("more sheets than the reader accepts");
      else sheets.push_back({n, id});
    } else if (name == "workbookView" && !views) {
      views = true;
      if (const char* t = Attr(atts, "activeTab")) ParseInt(t, activeTab);
    } else if (name == "workbookPr") {
      const char* d = Attr(atts, "date1904");
      date1904 = d && (std::string_view(d) == "1" || std::string_view(d) == "true");
    }
  }
  void End(std::string_view) override {}
};

struct SharedStrings : Parser {
  SharedStrings(const Archive& a, std::string part, Book& b) : Parser(a, std::move(part)), book(b) {}
  Book& book;
  std::string cur;
  int depthRph = 0;
  bool inSi = false, inT = false;
  void Start(std::string_view name, const char**) override {
    if (name == "si") {
      inSi = true;
      cur.clear();
    } else if (name == "rPh") {
      ++depthRph;  // phonetic runs are not part of the text
    } else if (name == "t" && inSi && !depthRph) {
      inT = true;
    }
  }
  void End(std::string_view name) override {
    if (name == "si") {
      if (book.strings().size() >= kMaxSharedStrings) return Stop("more shared texts than the reader accepts");
      book.AddString(cur);
      inSi = false;
    } else if (name == "rPh") {
      --depthRph;
    } else if (name == "t") {
      inT = false;
    }
  }
  void Text(const char* s, int n) override {
    if (!inT) return;
    cur.append(s, n);
    if (cur.size() > kMaxCellTextBytes) Stop("a shared text longer than the spreadsheets allow");
  }
};

const char* BuiltinFormat(int64_t id) {
  switch (id) {
    case 0: return "General";
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 12: return "# ?/?";
    case 13: return "# ?\?/??";
    case 14: return "mm-dd-yy";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "m/d/yy h:mm";
    case 37: return "#,##0 ;(#,##0)";
    case 38: return "#,##0 ;[Red](#,##0)";
    case 39: return "#,##0.00;(#,##0.00)";
    case 40: return "#,##0.00;[Red](#,##0.00)";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mmss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    default: return "General";
  }
}

struct Styles : Parser {
  Styles(const Archive& a, std::string part, Book& b) : Parser(a, std::move(part)), book(b) {}
  Book& book;
  std::unordered_map<int64_t, std::string> custom;
  std::vector<uint32_t> xf;  // cellXfs index -> book format index
  bool inCellXfs = false;
  void Start(std::string_view name, const char** atts) override {
    if (name == "numFmt") {
      const char* id = Attr(atts, "numFmtId");
      const char* code = Attr(atts, "formatCode");
      int64_t k = 0;
      if (id && code && ParseInt(id, k)) custom[k] = code;
    } else if (name == "cellXfs") {
      inCellXfs = true;
    } else if (name == "xf" && inCellXfs) {
      int64_t k = 0;
      const char* id = Attr(atts, "numFmtId");
      if (id) ParseInt(id, k);
      auto it = custom.find(k);
      std::string code = it != custom.end() ? it->second : BuiltinFormat(k);
      xf.push_back(book.FormatIndex(code == "General" ? std::string_view() : std::string_view(code)));
    }
  }
  void End(std::string_view name) override {
    if (name == "cellXfs") inCellXfs = false;
  }
};

struct XlsxSource {
  std::unique_ptr<Archive> zip;
  std::string wbDir;
  std::string sstPart, stylesPart;
  bool shared = false;  // strings and styles read
  std::vector<uint32_t> xf;
  uint64_t sstCount = 0;
  bool date1904 = false;
  ReadLimits limits;
  uint64_t cells = 0;
};

// The attributes of a cell element that the readers use, found in one pass: this runs for
// every cell.
struct CellAttrs {
  const char *r = nullptr, *t = nullptr, *s = nullptr;
};
CellAttrs ReadCellAttrs(const char** atts) {
  CellAttrs c;
  for (const char** a = atts; *a; a += 2) {
    std::string_view an = Parser::Local(a[0]);
    if (an.size() != 1) continue;
    if (an[0] == 'r') c.r = a[1];
    else if (an[0] == 't') c.t = a[1];
    else if (an[0] == 's') c.s = a[1];
  }
  return c;
}
// The cell's type: n(umber) s(hared string) b(oolean) e(rror) i(nline string) t (formula
// string) d(ate); a number when the attribute is absent or unknown.
char CellType(const char* t) {
  if (!t) return 'n';
  std::string_view ts(t);
  if (ts == "s") return 's';
  if (ts == "b") return 'b';
  if (ts == "e") return 'e';
  if (ts == "inlineStr") return 'i';
  if (ts == "str") return 't';
  if (ts == "d") return 'd';
  return 'n';
}
// The number format of a style index (0 when absent or not in the styles).
uint32_t StyleFormat(const XlsxSource& src, const char* sty) {
  int64_t k = 0;
  if (sty && ParseInt(sty, k) && k >= 0 && static_cast<size_t>(k) < src.xf.size()) return src.xf[k];
  return 0;
}

// Maps the pages of the room reserved for a sheet's columns on a second thread, a slice of
// every column at a time, so that the reader finds them ready. It only asks the kernel to map
// them: a column that moves meanwhile costs nothing but a wasted call.
class Prefault {
 public:
  void Start(Sheet& sheet) {
    worker_.Stop();
    std::vector<std::pair<char*, size_t>> spans;
    for (auto& c : sheet.columns())
      c.cells.ForEachBlock([&](char* p, size_t bytes) {
        if (bytes >= (1u << 20)) spans.emplace_back(p, bytes);
      });
    if (spans.empty()) return;
    worker_.Start([spans = std::move(spans)](std::stop_token stop) {
      const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
      constexpr size_t kSlice = 1u << 20;
      for (size_t off = 0; !stop.stop_requested(); off += kSlice) {
        bool any = false;
        for (auto [p, n] : spans) {
          if (off >= n || stop.stop_requested()) continue;
          any = true;
          auto a = (reinterpret_cast<uintptr_t>(p) + off + page - 1) / page * page;
          auto b = std::min(reinterpret_cast<uintptr_t>(p) + n, reinterpret_cast<uintptr_t>(p) + off + kSlice) / page *
                   page;
          if (b > a) ::madvise(reinterpret_cast<void*>(a), b - a, MADV_POPULATE_WRITE);
        }
        if (!any) break;
      }
    });
  }
  void Stop() { worker_.Stop(); }

 private:
  rt::BackgroundTask worker_;  // stopped and joined with its owner
};

// A chunk of a sheet's rows read on a work thread: the plain cells (numbers, shared texts,
// booleans and formats, with their references) as the sheet's reader would append them.
// Anything else (formulas, other cell types, rows or first cells without a reference, faults,
// other elements) is left to that reader: the chunk is deferred.
struct SheetChunk : Parser {
  SheetChunk(const XlsxSource& src, const std::string& part) : Parser(*src.zip, part), src(src) {}
  const XlsxSource& src;
  std::vector<model::Cells> cols;  // by column from 1
  std::vector<uint32_t> touched;   // columns with cells, in first-use order
  int64_t row = 0, col = 0;
  bool rowKnown = false;
  uint64_t cells = 0, rows = 0;
  char type = 'n';
  uint32_t fmt = 0;
  std::string v;
  bool hasV = false, collect = false;

  void Put(uint32_t c, const model::Cell& cell) {
    if (cols.size() < c) cols.resize(c);
    auto& k = cols[c - 1];
    if (k.empty()) {
      touched.push_back(c);
      k.reserve(1024);
    }
    k.push_back(cell);
  }
  void Start(std::string_view name, const char** atts) override {
    if (deferred()) return;
    if (name.size() == 1 && name[0] == 'c') {
      const CellAttrs a = ReadCellAttrs(atts);
      if (a.r) {
        if (!ParseCellRef(a.r, row, col) || row == 0) return Defer();
        rowKnown = true;
      } else {
        if (!rowKnown || ++col > formula::kMaxColumns) return Defer();
      }
      type = CellType(a.t);
      if (type != 'n' && type != 's' && type != 'b') return Defer();
      fmt = StyleFormat(src, a.s);
      v.clear();
      hasV = false;
    } else if (name.size() == 1 && name[0] == 'v') {
      collect = hasV = true;
    } else if (name == "row") {
      ++rows;
      const char* r = Attr(atts, "r");
      int64_t k = 0;
      if (r) {
        if (!ParseInt(r, k) || k < 1 || k > formula::kMaxRows) return Defer();
        row = k;
        rowKnown = true;
      } else if (!rowKnown || ++row > formula::kMaxRows) {
        return Defer();
      }
      col = 0;
    } else if (name == "f" || name == "is" || name == "rPh" || name == "dimension" || name == "sheetView" ||
               name == "pane" || name == "selection" || name == "col") {
      Defer();
    }
  }
  void End(std::string_view name) override {
    if (deferred()) return;
    if (name.size() == 1 && (name[0] == 'v' || name[0] == 't')) {
      collect = false;
      return;
    }
    if (name == "sheetView") return Defer();
    if (name.size() != 1 || name[0] != 'c') return;
    ++cells;
    uint32_t r = static_cast<uint32_t>(row), c = static_cast<uint32_t>(col);
    switch (type) {
      case 's': {
        if (!hasV) break;
        int64_t k = -1;
        if (!ParseInt(v, k) || k < 0 || static_cast<uint64_t>(k) >= src.sstCount) return Defer();
        return Put(c, model::Cell{std::bit_cast<double>(static_cast<uint64_t>(k)), r, model::kText | (fmt << 4)});
      }
      case 'b': return Put(c, model::Cell{(v == "1" || v == "true") ? 1.0 : 0.0, r, model::kBoolean | (fmt << 4)});
      default:
        if (hasV && !v.empty()) {
          double x = 0;
          if (!ParseDouble(v, x)) return Defer();
          return Put(c, model::Cell{x, r, model::kNumber | (fmt << 4)});
        }
    }
    if (fmt) Put(c, model::Cell{0, r, fmt << 4});
  }
  void Text(const char* s, int n) override {
    if (!collect || deferred()) return;
    v.append(s, static_cast<size_t>(n));
    if (v.size() > kMaxCellTextBytes) Defer();
  }
};

struct SheetXml : Parser {
  SheetXml(XlsxSource& src, std::string part, Sheet& s, Book& b)
      : Parser(*src.zip, std::move(part)), src(src), sheet(s), book(b) {}
  ~SheetXml() override { prefault.Stop(); }
  Prefault prefault;
  // The one-letter names of the cells, compared without a call.
  static bool Is(std::string_view name, char c) { return name.size() == 1 && name[0] == c; }
  XlsxSource& src;
  Sheet& sheet;
  Book& book;

  int64_t row = 0, col = 0;
  // The cell being read.
  char type = 'n';  // n s b e i(nline) t(str) d
  uint32_t fmt = 0;
  std::string v, f, is;
  bool hasV = false, hasF = false, sharedF = false;
  int64_t si = -1;
  enum { None, V, F, T } collect = None;
  bool inIs = false;
  int rph = 0;
  std::unordered_map<int64_t, uint32_t> sharedIndex;
  // Room for the columns, estimated from the first rows when the sheet states no dimension.
  bool reserved = false;
  int64_t rowsSeen = 0;
  // The room a dimension allows for each of its columns, taken once the first rows show which
  // columns hold cells, and how densely: a column the dimension spans but that holds nothing
  // (a blank column between the data and a note) costs nothing.
  int64_t dimC1 = 0, dimC2 = -1;
  size_t dimRows = 0;
  void ReserveByDimension() {
    auto& cols = sheet.columns();
    const double seen = static_cast<double>(std::max<int64_t>(rowsSeen, 1));
    for (int64_t c = dimC1; c <= dimC2 && c <= static_cast<int64_t>(cols.size()); ++c) {
      auto& cells = cols[c - 1].cells;
      if (cells.empty()) continue;
      const double share = std::min(1.0, static_cast<double>(cells.size()) / seen * 1.05);
      cells.Reserve(std::min(dimRows, static_cast<size_t>(static_cast<double>(dimRows) * share) + 16));
    }
    dimRows = 0;
    prefault.Start(sheet);
  }
  // Called as the 256th row begins (or a chunk of rows takes the count past it).
  void ReserveAfterFirstRows() {
    if (dimRows) ReserveByDimension();
    else if (!reserved) ReserveByEstimate();
  }
  void ReserveByEstimate() {
    reserved = true;
    int64_t used = ByteIndex();
    uint64_t size = src.zip->Size(part_);
    if (used <= 0 || size == 0) return;
    double scale = static_cast<double>(size) / static_cast<double>(used);
    uint64_t total = 0;
    auto& cols = sheet.columns();
    for (auto& c : cols) total += static_cast<uint64_t>(c.cells.size() * scale);
    if (total == 0 || total > std::min(src.limits.maxCells, kMaxReservedCells)) return;
    for (auto& c : cols) {
      size_t want = std::min<size_t>(static_cast<size_t>(c.cells.size() * scale * 1.02) + 16, formula::kMaxRows);
      if (!c.cells.empty()) c.cells.Reserve(want);
    }
    prefault.Start(sheet);
  }
  // The view.
  bool firstView = true, inView = false;
  std::string activePane;
  std::string selActive;
  bool selFound = false;

  void Start(std::string_view name, const char** atts) override {
    if (Is(name, 'c')) {
      const CellAttrs a = ReadCellAttrs(atts);
      if (a.r) {
        if (!ParseCellRef(a.r, row, col) || row == 0) return Stop(std::string("a bad cell reference ") + a.r);
      } else {
        ++col;
        if (col > formula::kMaxColumns) return Stop("a cell beyond the last column");
      }
      if (row < 1) row = 1;
      type = CellType(a.t);
      fmt = StyleFormat(src, a.s);
      v.clear();
      f.clear();
      is.clear();
      hasV = hasF = sharedF = false;
      si = -1;
    } else if (Is(name, 'v')) {
      collect = V;
      hasV = true;
    } else if (Is(name, 'f')) {
      collect = F;
      hasF = true;
      const char* t = Attr(atts, "t");
      if (t && std::string_view(t) == "shared") {
        sharedF = true;
        if (const char* s = Attr(atts, "si")) ParseInt(s, si);
      }
    } else if (name == "is") {
      inIs = true;
    } else if (name == "rPh") {
      ++rph;
    } else if (Is(name, 't') && inIs && !rph) {
      collect = T;
    } else if (name == "row") {
      if (++rowsSeen == 256) ReserveAfterFirstRows();
      const char* r = Attr(atts, "r");
      int64_t k = 0;
      if (r) {
        if (!ParseInt(r, k) || k < 1 || k > formula::kMaxRows) return Stop(std::string("a bad row number ") + r);
        row = k;
      } else {
        ++row;
        if (row > formula::kMaxRows) return Stop("a row beyond the last row");
      }
      col = 0;
    } else if (name == "dimension") {
      // Room for the cells the sheet says it holds, as far as the part's size allows.
      const char* ref = Attr(atts, "ref");
      auto rect = ref ? formula::ParseRange(ref) : std::nullopt;
      if (rect) {
        uint64_t ncols = static_cast<uint64_t>(rect->c2 - rect->c1 + 1);
        uint64_t rows = static_cast<uint64_t>(rect->r2 - rect->r1 + 1);
        uint64_t byBytes = src.zip->Size(part_) / 20;
        uint64_t total = std::min({rows * ncols, byBytes, src.limits.maxCells, kMaxReservedCells});
        if (ncols <= 256 && total > 0) {
          dimC1 = rect->c1;
          dimC2 = rect->c2;
          dimRows = static_cast<size_t>(total / ncols);
          reserved = true;
        }
      }
    } else if (name == "sheetView") {
      inView = firstView;
    } else if (name == "pane" && inView) {
      if (const char* p = Attr(atts, "activePane")) activePane = p;
    } else if (name == "selection" && inView) {
      const char* pane = Attr(atts, "pane");
      const char* ac = Attr(atts, "activeCell");
      bool match = activePane.empty() ? true : (pane && activePane == pane);
      if (ac && (!selFound || match)) {
        selActive = ac;
        if (match) selFound = true;
      }
    } else if (name == "col") {
      // Column formats: <col min max style>.
      const char* mn = Attr(atts, "min");
      const char* mx = Attr(atts, "max");
      const char* st = Attr(atts, "style");
      int64_t a = 0, b = 0, s = 0;
      if (mn && mx && st && ParseInt(mn, a) && ParseInt(mx, b) && ParseInt(st, s) && a >= 1 &&
          b <= formula::kMaxColumns && s >= 0 && static_cast<size_t>(s) < src.xf.size() && src.xf[s] && b - a < 20000)
        for (int64_t c = a; c <= b; ++c) sheet.SetColumnFormat(c, src.xf[s]);
    }
  }

  void End(std::string_view name) override {
    if (Is(name, 'v') || Is(name, 'f') || Is(name, 't')) {
      collect = None;
      return;
    }
    if (name == "is") {
      inIs = false;
      return;
    }
    if (name == "rPh") {
      --rph;
      return;
    }
    if (name == "sheetView") {
      inView = false;
      firstView = false;
      return;
    }
    if (!Is(name, 'c')) return;
    if (++src.cells > src.limits.maxCells) return Stop("more cells than the reader accepts");
    uint32_t r = static_cast<uint32_t>(row), c = static_cast<uint32_t>(col);
    bool formulaCell = false;
    if (hasF) {
      if (!f.empty()) {
        std::string text = "=" + f;
        if (sharedF && si >= 0) sharedIndex[si] = sheet.AddSharedMaster(r, c, text);
        sheet.SetFormulaText(r, c, std::move(text));
        formulaCell = true;
      } else if (sharedF && si >= 0) {
        auto it = sharedIndex.find(si);
        if (it != sharedIndex.end()) {
          sheet.SetSharedFormula(r, c, it->second);
          formulaCell = true;
        }
      }
    }
    double x = 0;
    switch (type) {
      case 's': {
        int64_t k = -1;
        if (!hasV) break;
        if (!ParseInt(v, k) || k < 0 || static_cast<uint64_t>(k) >= src.sstCount)
          return Stop("a shared string index out of range in " + formula::ColumnLetters(col) + std::to_string(row));
        sheet.AppendText(r, c, static_cast<uint32_t>(k), fmt, formulaCell);
        return;
      }
      case 'i': sheet.AppendText(r, c, book.AddString(is), fmt, formulaCell); return;
      case 't': sheet.AppendText(r, c, book.AddString(v), fmt, formulaCell); return;
      case 'b':
        sheet.AppendCell(c, model::Cell{(v == "1" || v == "true") ? 1.0 : 0.0, r,
                                        model::kBoolean | (formulaCell ? 8u : 0u) | (fmt << 4)});
        return;
      case 'e':
        sheet.AppendCell(c, model::Cell{std::bit_cast<double>(static_cast<uint64_t>(book.AddString(v))), r,
                                        model::kError | (formulaCell ? 8u : 0u) | (fmt << 4)});
        return;
      case 'd':
        if (hasV && ParseIsoDate(v, x)) {
          sheet.AppendNumber(r, c, x, fmt, formulaCell);
          return;
        }
        break;
      default:
        if (hasV && !v.empty()) {
          if (!ParseDouble(v, x)) return Stop("a bad number in " + formula::ColumnLetters(col) + std::to_string(row));
          if (src.date1904 && book.FormatIsDate(fmt)) x += 1462;
          sheet.AppendNumber(r, c, x, fmt, formulaCell);
          return;
        }
    }
    if (formulaCell) sheet.AppendNumber(r, c, 0, fmt, true);
    else if (fmt) sheet.AppendCell(c, model::Cell{0, r, fmt << 4});
  }

  std::unique_ptr<Parser> NewChunk() override { return std::make_unique<SheetChunk>(src, part_); }
  void ApplyChunk(Parser& p) override {
    auto& k = static_cast<SheetChunk&>(p);
    src.cells += k.cells;
    if (src.cells > src.limits.maxCells) return Stop("more cells than the reader accepts");
    for (uint32_t c : k.touched) sheet.AppendCells(c, k.cols[c - 1].data(), k.cols[c - 1].size());
    if (k.rowKnown) {
      row = k.row;
      col = k.col;
    }
    bool first = rowsSeen < 256 && rowsSeen + static_cast<int64_t>(k.rows) >= 256;
    rowsSeen += static_cast<int64_t>(k.rows);
    if (first) ReserveAfterFirstRows();
  }

  void Text(const char* s, int n) override {
    switch (collect) {
      case V: v.append(s, n); break;
      case F: f.append(s, n); break;
      case T: is.append(s, n); break;
      default: return;
    }
    if (v.size() > kMaxCellTextBytes || f.size() > kMaxCellTextBytes || is.size() > kMaxCellTextBytes)
      Stop("a cell text longer than the spreadsheets allow");
  }
};

void LoadXlsxShared(XlsxSource& src, Book& book) {
  if (src.shared) return;
  src.shared = true;
  if (!src.sstPart.empty() && src.zip->Has(src.sstPart)) {
    SharedStrings p(*src.zip, src.sstPart, book);
    p.Run(src.limits.maxPartBytes);
    src.sstCount = book.strings().size();
  }
  if (!src.stylesPart.empty() && src.zip->Has(src.stylesPart)) {
    Styles p(*src.zip, src.stylesPart, book);
    p.Run(src.limits.maxSmallPartBytes);
    src.xf = std::move(p.xf);
  }
}

void ReadXlsxSheet(XlsxSource& src, Book& book, Sheet& s, const std::string& part, std::string& selActive);

// Set on a thread that reads a workbook away from the window (a prefetch): its reads run on it
// directly, with no pass of the event loop.
thread_local bool tAwayFromTheWindow = false;

// Runs a long read on a work thread while this thread (the window's) runs a pass of the event
// loop about every 20 ms. A handler's fault in a pass is its own: it does not end the read; it
// leaves a line on standard error.
void WhileTheWindowLives(const std::function<void()>& read) {
  if (tAwayFromTheWindow) return read();
  rt::ParallelFor(
      1, 1, [&](size_t) { read(); },
      [] {
        try {
          platform::DoEvents();
        } catch (...) {
          std::fprintf(stderr, "vantrel: event pass during a workbook read: %s\n",
                       rt::FailureDescription(std::current_exception()).c_str());
        }
      },
      20);
}

void OpenXlsx(Book& book, std::unique_ptr<Archive> zip, const ReadLimits& limits) {
  auto src = std::make_shared<XlsxSource>();
  src->limits = limits;
  std::string wbPart = "xl/workbook.xml";
  if (zip->Has("_rels/.rels")) {
    Rels root(*zip, "_rels/.rels", "");
    root.Run(limits.maxSmallPartBytes);
    auto it = root.byType.find("officeDocument");
    if (it != root.byType.end()) wbPart = it->second;
  }
  if (!zip->Has(wbPart)) zip->Fail(wbPart, "the workbook part is missing");
  src->wbDir = DirOf(wbPart);
  std::string relsPart = JoinPath(src->wbDir, "_rels/" + wbPart.substr(wbPart.rfind('/') + 1) + ".rels");
  if (!zip->Has(relsPart)) zip->Fail(relsPart, "the workbook relationships are missing");
  Rels rels(*zip, relsPart, src->wbDir);
  rels.Run(limits.maxSmallPartBytes);
  WorkbookXml wb(*zip, wbPart);
  wb.Run(limits.maxSmallPartBytes);
  if (wb.sheets.empty()) zip->Fail(wbPart, "the workbook has no sheet");
  src->date1904 = wb.date1904;
  auto sst = rels.byType.find("sharedStrings");
  src->sstPart = sst != rels.byType.end() ? sst->second : JoinPath(src->wbDir, "sharedStrings.xml");
  auto sty = rels.byType.find("styles");
  src->stylesPart = sty != rels.byType.end() ? sty->second : JoinPath(src->wbDir, "styles.xml");
  src->zip = std::move(zip);
  for (auto& ref : wb.sheets) {
    Sheet& s = book.AddSheet(ref.name);
    auto it = rels.byId.find(ref.rid);
    std::string part = it != rels.byId.end() ? it->second : std::string();
    std::weak_ptr<Book> wbook = book.shared_from_this();
    s.SetLoader([src, part, &s, wbook]() {
      auto b = wbook.lock();
      if (!b) return;
      if (part.empty() || !src->zip->Has(part))
        src->zip->Fail(part.empty() ? s.name() : part, "the sheet part is missing");
      std::string selActive;
      WhileTheWindowLives([&] { ReadXlsxSheet(*src, *b, s, part, selActive); });
      // What the reading threads allocated and freed stays in their arenas otherwise.
      rt::ReturnFreeMemory();
      int64_t r = 1, c = 1;
      if (!selActive.empty()) {
        auto rect = formula::ParseRange(selActive);
        if (rect) {
          r = rect->r1;
          c = rect->c1;
        }
      }
      s.SetActiveCell(r, c);
    });
  }
  int64_t tab = wb.activeTab;
  book.SetActiveSheet(tab >= 0 && tab < static_cast<int64_t>(wb.sheets.size()) ? static_cast<size_t>(tab) : 0);
}

// Reads a sheet's part into s (on a work thread: no Qt, no event pump).
void ReadXlsxSheet(XlsxSource& srcRef, Book& bookRef, Sheet& s, const std::string& part, std::string& selActive) {
  XlsxSource* src = &srcRef;
  Book* b = &bookRef;
  LoadXlsxShared(*src, *b);
  // The scanner first; what it leaves to expat is read again from the start.
  bool done = false;
  if (zipxml::FastScan()) {
    size_t strings = b->strings().size();
    uint64_t cells = src->cells;
    SheetXml p(*src, part, s, *b);
    // The rows of a sheet of several chunks are read on several threads (a 1904 date
    // system asks for more than a chunk knows).
    if (src->date1904 || src->zip->Size(part) < 4 * zipxml::SplitBytes()) done = p.RunFast(src->limits.maxPartBytes);
    else done = p.RunFastSplit(src->limits.maxPartBytes, "row", "sheetData");
    if (done) {
      selActive = p.selActive;
    } else {
      p.prefault.Stop();
      s.DropCells();
      b->strings().resize(strings);
      src->cells = cells;
    }
  }
  if (!done) {
    SheetXml p(*src, part, s, *b);
    p.Run(src->limits.maxPartBytes);
    selActive = p.selActive;
  }
  s.Finish();
}

// --- ods -------------------------------------------------------------------------------------

// Number styles and cell styles of styles.xml and content.xml.
struct OdsStyles {
  std::unordered_map<std::string, std::string> dataStyle;  // number style name -> format code
  std::unordered_map<std::string, std::string> cellData;   // cell style name -> data style name
  std::unordered_map<std::string, std::string> cellParent;
  std::unordered_map<std::string, uint32_t> resolved;
};

struct OdsParser : Parser {
  OdsParser(const Archive& a, std::string part, Book& b, OdsStyles& st, const ReadLimits& lim)
      : Parser(a, std::move(part)), book(b), styles(st), limits(lim) {}
  Book& book;
  OdsStyles& styles;
  const ReadLimits& limits;
  uint64_t cells = 0;

  // Number style under construction.
  std::string styleName, code, mapCode;
  bool inNumberStyle = false, inText = false, inCurrency = false;
  std::string literal;
  bool truncate = true;

  // Tables.
  Sheet* sheet = nullptr;
  int64_t row = 0, col = 0;
  std::vector<uint32_t> colStyle;  // column default formats of the current table
  struct Pending {
    uint32_t col;
    model::Cell cell;
    std::string formula;
    std::string text;
    bool isText;
  };
  std::vector<Pending> rowCells;
  int64_t rowRepeat = 1;
  // Cell under construction.
  bool inCell = false;
  int64_t cellRepeat = 1;
  std::string vtype, value, dateValue, timeValue, boolValue, stringValue, formulaText, cellText;
  uint32_t cellFmt = 0;
  int pDepth = 0, pCount = 0;
  bool hasStringValue = false;
  int annotation = 0;

  uint32_t FormatOfStyle(const std::string& cellStyle) {
    auto it = styles.resolved.find(cellStyle);
    if (it != styles.resolved.end()) return it->second;
    std::string s = cellStyle;
    uint32_t f = 0;
    for (int depth = 0; depth < 16 && !s.empty(); ++depth) {
      auto d = styles.cellData.find(s);
      if (d != styles.cellData.end()) {
        auto ds = styles.dataStyle.find(d->second);
        if (ds != styles.dataStyle.end() && ds->second != "General") f = book.FormatIndex(ds->second);
        break;
      }
      auto p = styles.cellParent.find(s);
      if (p == styles.cellParent.end()) break;
      s = p->second;
    }
    styles.resolved[cellStyle] = f;
    return f;
  }

  static std::string Quote(const std::string& t) {
    if (t.empty()) return t;
    std::string out = "\"";
    for (char c : t) out += c == '"' ? std::string("\\\"") : std::string(1, c);
    return out + "\"";
  }

  void Start(std::string_view name, const char** atts) override {
    if (inCell) return CellChild(name, atts);
    if (name == "number-style" || name == "percentage-style" || name == "currency-style" || name == "date-style" ||
        name == "time-style" || name == "text-style" || name == "boolean-style") {
      const char* n = Attr(atts, "name");
      styleName = n ? n : "";
      code.clear();
      mapCode.clear();
      inNumberStyle = true;
      const char* tr = Attr(atts, "truncate-on-overflow");
      truncate = !(tr && std::string_view(tr) == "false");
      if (name == "text-style") code = "@";
      if (name == "boolean-style") code = "General";
      return;
    }
    if (inNumberStyle) return NumberChild(name, atts);
    if (name == "style") {
      const char* n = Attr(atts, "name");
      const char* fam = Attr(atts, "family");
      if (!n || !fam || std::string_view(fam) != "table-cell") return;
      if (const char* d = Attr(atts, "data-style-name")) styles.cellData[n] = d;
      if (const char* p = Attr(atts, "parent-style-name")) styles.cellParent[n] = p;
      return;
    }
    if (name == "default-style") return;
    if (name == "table") {
      const char* n = Attr(atts, "name");
      if (book.sheets().size() >= kMaxSheets) return Stop("more sheets than the reader accepts");
      std::string nm = n ? n : "Sheet" + std::to_string(book.sheets().size() + 1);
      sheet = &book.AddSheet(nm);
      row = 0;
      colStyle.clear();
      return;
    }
    if (!sheet) return;
    if (name == "table-column") {
      int64_t rep = 1;
      if (const char* r = Attr(atts, "number-columns-repeated")) ParseInt(r, rep);
      const char* ds = Attr(atts, "default-cell-style-name");
      uint32_t f = ds ? FormatOfStyle(ds) : 0;
      rep = std::clamp<int64_t>(rep, 1, formula::kMaxColumns);
      if (static_cast<int64_t>(colStyle.size()) + rep > formula::kMaxColumns)
        rep = formula::kMaxColumns - colStyle.size();
      colStyle.insert(colStyle.end(), static_cast<size_t>(rep), f);
      return;
    }
    if (name == "table-row") {
      rowRepeat = 1;
      if (const char* r = Attr(atts, "number-rows-repeated")) ParseInt(r, rowRepeat);
      rowRepeat = std::clamp<int64_t>(rowRepeat, 1, formula::kMaxRows);
      col = 0;
      rowCells.clear();
      return;
    }
    if (name == "table-cell" || name == "covered-table-cell") {
      inCell = true;
      cellRepeat = 1;
      if (const char* r = Attr(atts, "number-columns-repeated")) ParseInt(r, cellRepeat);
      cellRepeat = std::clamp<int64_t>(cellRepeat, 1, formula::kMaxColumns);
      const char* vt = Attr(atts, "value-type");
      vtype = vt ? vt : "";
      for (const char** a = atts; *a; a += 2)
        if (Local(a[0]) == "value-type" && std::string_view(a[1]) == "error") vtype = "error";
      auto get = [&](const char* a) {
        const char* x = Attr(atts, a);
        return std::string(x ? x : "");
      };
      value = get("value");
      dateValue = get("date-value");
      timeValue = get("time-value");
      boolValue = get("boolean-value");
      const char* sv = Attr(atts, "string-value");
      hasStringValue = sv != nullptr;
      stringValue = sv ? sv : "";
      formulaText = get("formula");
      const char* st = Attr(atts, "style-name");
      int64_t c0 = col;
      cellFmt = st ? FormatOfStyle(st) : (c0 < static_cast<int64_t>(colStyle.size()) ? colStyle[c0] : 0);
      cellText.clear();
      pDepth = 0;
      pCount = 0;
      annotation = 0;
      return;
    }
  }

  void NumberChild(std::string_view name, const char** atts) {
    auto attr = [&](const char* a) {
      const char* x = Attr(atts, a);
      return std::string(x ? x : "");
    };
    bool longStyle = attr("style") == "long";
    if (name == "number" || name == "scientific-number") {
      int64_t dec = 0, minDec = -1, minInt = 1, minExp = 2;
      ParseInt(attr("decimal-places"), dec);
      std::string md = attr("min-decimal-places");
      if (!md.empty()) ParseInt(md, minDec);
      ParseInt(attr("min-integer-digits"), minInt);
      ParseInt(attr("min-exponent-digits"), minExp);
      if (minDec < 0 || minDec > dec) minDec = dec;
      std::string ip = std::string(static_cast<size_t>(std::clamp<int64_t>(minInt, 0, 30)), '0');
      if (attr("grouping") == "true") {
        while (ip.size() < 4) ip.insert(ip.begin(), '#');
        ip.insert(ip.size() - 3, ",");
      }
      if (ip.empty()) ip = "#";
      code += ip;
      if (dec > 0)
        code += "." + std::string(static_cast<size_t>(std::min<int64_t>(minDec, 30)), '0') +
                std::string(static_cast<size_t>(std::min<int64_t>(dec - minDec, 30)), '#');
      if (name == "scientific-number")
        code += "E+" + std::string(static_cast<size_t>(std::clamp<int64_t>(minExp, 1, 5)), '0');
    } else if (name == "text" || name == "currency-symbol") {
      inText = true;
      literal.clear();
    } else if (name == "year") {
      code += longStyle ? "yyyy" : "yy";
    } else if (name == "month") {
      bool textual = attr("textual") == "true";
      code += textual ? (longStyle ? "mmmm" : "mmm") : (longStyle ? "mm" : "m");
    } else if (name == "day") {
      code += longStyle ? "dd" : "d";
    } else if (name == "day-of-week") {
      code += longStyle ? "dddd" : "ddd";
    } else if (name == "hours") {
      std::string h = longStyle ? "hh" : "h";
      code += truncate ? h : "[" + h + "]";
    } else if (name == "minutes") {
      code += longStyle ? "mm" : "m";
    } else if (name == "seconds") {
      code += longStyle ? "ss" : "s";
      int64_t dec = 0;
      ParseInt(attr("decimal-places"), dec);
      if (dec > 0) code += "." + std::string(static_cast<size_t>(std::min<int64_t>(dec, 9)), '0');
    } else if (name == "am-pm") {
      code += "AM/PM";
    } else if (name == "map") {
      std::string cond = attr("condition");
      std::string apply = attr("apply-style-name");
      auto it = styles.dataStyle.find(apply);
      if (it != styles.dataStyle.end() && (cond == "value()>=0" || cond == "value()>0")) mapCode = it->second;
    } else if (name == "fraction") {
      code += "0";
    }
  }

  void CellChild(std::string_view name, const char**) {
    if (name == "p") {
      if (pDepth == 0 && annotation == 0) {
        if (pCount++) cellText += '\n';
      }
      ++pDepth;
    } else if (name == "annotation") {
      ++annotation;
    } else if (annotation == 0 && pDepth > 0) {
      if (name == "tab") cellText += '\t';
      else if (name == "line-break") cellText += '\n';
    }
  }

  void SpaceElement(const char** atts) {
    int64_t n = 1;
    if (const char* c = Attr(atts, "c")) ParseInt(c, n);
    cellText.append(static_cast<size_t>(std::clamp<int64_t>(n, 1, 1000)), ' ');
    if (cellText.size() > kMaxCellTextBytes) Stop("a cell text longer than the spreadsheets allow");
  }

  void End(std::string_view name) override {
    if (inNumberStyle) {
      if ((name == "text" || name == "currency-symbol") && inText) {
        inText = false;
        if (literal == "%" && name == "text") code += "%";
        else code += Quote(literal);
        return;
      }
      if (name == "number-style" || name == "percentage-style" || name == "currency-style" || name == "date-style" ||
          name == "time-style" || name == "text-style" || name == "boolean-style") {
        inNumberStyle = false;
        if (code.empty()) code = "General";
        if (!mapCode.empty()) code = mapCode + ";" + code;
        styles.dataStyle[styleName] = code;
      }
      return;
    }
    if (inCell) {
      if (name == "p") --pDepth;
      else if (name == "annotation") --annotation;
      else if (name == "table-cell" || name == "covered-table-cell") FinishCell();
      return;
    }
    if (name == "table-row" && sheet) FinishRow();
    if (name == "table" && sheet) {
      sheet->Finish();
      sheet = nullptr;
    }
  }

  void Text(const char* s, int n) override {
    if (inNumberStyle && inText) literal.append(s, n);
    else if (inCell && pDepth > 0 && annotation == 0) {
      cellText.append(s, n);
      if (cellText.size() > kMaxCellTextBytes) Stop("a cell text longer than the spreadsheets allow");
    }
  }

  void FinishCell() {
    inCell = false;
    bool content = !vtype.empty() || !formulaText.empty() || !cellText.empty();
    int64_t c0 = col;
    col += cellRepeat;
    if (!content) {
      if (cellFmt == 0 || cellRepeat > 1) return;
    }
    if (c0 >= formula::kMaxColumns) {
      if (content) Stop("a cell beyond the last column");
      return;
    }
    Pending p{static_cast<uint32_t>(c0 + 1), model::Cell{0, 0, 0}, {}, {}, false};
    uint32_t kind = model::kFormatOnly;
    double x = 0;
    if (vtype == "float" || vtype == "percentage" || vtype == "currency") {
      if (!ParseDouble(value, x)) return Stop("a bad number \"" + value + "\"");
      kind = model::kNumber;
    } else if (vtype == "date") {
      if (!ParseIsoDate(dateValue, x)) return Stop("a bad date \"" + dateValue + "\"");
      kind = model::kNumber;
    } else if (vtype == "time") {
      if (!ParseIsoDuration(timeValue, x)) return Stop("a bad time \"" + timeValue + "\"");
      kind = model::kNumber;
    } else if (vtype == "boolean") {
      x = (boolValue == "true" || boolValue == "1") ? 1 : 0;
      kind = model::kBoolean;
    } else if (vtype == "error") {
      p.isText = true;
      p.text = cellText.empty() ? "#N/A" : cellText;
      kind = model::kError;
    } else if (vtype == "string") {
      p.isText = true;
      p.text = hasStringValue ? stringValue : cellText;
      kind = model::kText;
    } else if (!formulaText.empty() && !cellText.empty()) {
      // A formula whose result is an error shows the error code as its text.
      p.isText = true;
      p.text = cellText;
      kind = cellText[0] == '#' || cellText.substr(0, 4) == "Err:" ? model::kError : model::kText;
    } else if (!cellText.empty()) {
      p.isText = true;
      p.text = cellText;
      kind = model::kText;
    } else if (!formulaText.empty()) {
      kind = model::kNumber;
    }
    bool hasFormula = !formulaText.empty();
    if (hasFormula) {
      auto a1 = formula::OdfToA1(formulaText);
      p.formula = a1 ? *a1 : "\x01" + formulaText;
    }
    p.cell = model::Cell{x, 0, kind | (hasFormula ? 8u : 0u) | (cellFmt << 4)};
    // One copy of the text, whatever the repetitions of the cell and of its row.
    if (p.isText) {
      p.cell.num = std::bit_cast<double>(static_cast<uint64_t>(book.AddString(std::move(p.text))));
      p.text.clear();
    }
    int64_t rep = std::min<int64_t>(cellRepeat, formula::kMaxColumns - c0);
    for (int64_t k = 0; k < rep; ++k) {
      Pending q = p;
      q.col = static_cast<uint32_t>(c0 + 1 + k);
      rowCells.push_back(std::move(q));
      if (++cells > limits.maxCells) return Stop("more cells than the reader accepts");
    }
  }

  void FinishRow() {
    int64_t first = row + 1;
    row += rowRepeat;
    // Formatted empty cells of repeated rows are the sheet's unused area: not kept.
    if (rowRepeat > 1)
      rowCells.erase(std::remove_if(rowCells.begin(), rowCells.end(),
                                    [](const Pending& p) { return (p.cell.meta & 7u) == model::kFormatOnly; }),
                     rowCells.end());
    if (rowCells.empty()) return;
    if (first > formula::kMaxRows) return Stop("a row beyond the last row");
    int64_t last = std::min<int64_t>(row, formula::kMaxRows);
    if (static_cast<uint64_t>(last - first + 1) * rowCells.size() + cells > limits.maxCells)
      return Stop("more cells than the reader accepts");
    cells += static_cast<uint64_t>(last - first) * rowCells.size();
    for (int64_t r = first; r <= last; ++r)
      for (auto& p : rowCells) {
        model::Cell c = p.cell;
        c.row = static_cast<uint32_t>(r);
        sheet->AppendCell(p.col, c);
        if (!p.formula.empty()) sheet->SetFormulaText(c.row, p.col, p.formula);
      }
    rowCells.clear();
  }
};

struct OdsContent : OdsParser {
  using OdsParser::OdsParser;
  void Start(std::string_view name, const char** atts) override {
    if (inCell && name == "s" && pDepth > 0 && annotation == 0) return SpaceElement(atts);
    OdsParser::Start(name, atts);
  }
};

// settings.xml: the active table and each table's cursor.
struct OdsSettings : Parser {
  using Parser::Parser;
  int depth = 0;
  int viewsDepth = -1;  // depth of the "Views" map
  int entryDepth = -1;  // depth of its first entry
  bool firstEntryDone = false;
  int tablesDepth = -1;
  std::string table;
  int tableDepth = -1;
  std::string item;
  std::string text;
  std::string activeTable;
  std::map<std::string, std::pair<int64_t, int64_t>> cursor;  // name -> (x, y), 0-based

  void Start(std::string_view name, const char** atts) override {
    ++depth;
    const char* n = Attr(atts, "name");
    if (name == "config-item-map-indexed" && n && std::string_view(n) == "Views" && viewsDepth < 0) viewsDepth = depth;
    else if (name == "config-item-map-entry" && viewsDepth >= 0 && depth == viewsDepth + 1 && !firstEntryDone &&
             entryDepth < 0)
      entryDepth = depth;
    else if (name == "config-item-map-named" && entryDepth >= 0 && n && std::string_view(n) == "Tables")
      tablesDepth = depth;
    else if (name == "config-item-map-entry" && tablesDepth >= 0 && depth == tablesDepth + 1) {
      table = n ? n : "";
      tableDepth = depth;
    } else if (name == "config-item" && entryDepth >= 0) {
      item = n ? n : "";
      text.clear();
    }
  }
  void End(std::string_view name) override {
    if (name == "config-item" && entryDepth >= 0) {
      if (tableDepth >= 0 && depth == tableDepth + 1) {
        int64_t v = 0;
        if (ParseInt(text, v)) {
          if (item == "CursorPositionX") cursor[table].first = v;
          else if (item == "CursorPositionY") cursor[table].second = v;
        }
      } else if (tablesDepth < 0 && depth == entryDepth + 1 && item == "ActiveTable") {
        activeTable = text;
      }
      item.clear();
    }
    if (depth == tableDepth) tableDepth = -1;
    else if (depth == tablesDepth) tablesDepth = -1;
    else if (depth == entryDepth) {
      entryDepth = -1;
      firstEntryDone = true;
    } else if (depth == viewsDepth) viewsDepth = -1;
    --depth;
  }
  void Text(const char* s, int n) override {
    if (!item.empty()) text.append(s, n);
  }
};

void OpenOds(Book& book, std::unique_ptr<Archive> zip, const ReadLimits& limits) {
  if (!zip->Has("content.xml")) zip->Fail("content.xml", "the part is missing");
  OdsStyles styles;
  if (zip->Has("styles.xml")) {
    OdsContent s(*zip, "styles.xml", book, styles, limits);
    s.Run(limits.maxSmallPartBytes);
  }
  OdsContent c(*zip, "content.xml", book, styles, limits);
  if (auto app = book.app()) {
    ++app->loading;
    struct Done {
      model::App& a;
      ~Done() { --a.loading; }
    } done{*app};
    WhileTheWindowLives([&] { c.Run(limits.maxPartBytes); });
  } else {
    c.Run(limits.maxPartBytes);
  }
  if (book.sheets().empty()) zip->Fail("content.xml", "the workbook has no sheet");
  if (zip->Has("settings.xml")) {
    OdsSettings st(*zip, "settings.xml");
    st.Run(limits.maxSmallPartBytes);
    for (size_t k = 0; k < book.sheets().size(); ++k) {
      Sheet& s = *book.sheets()[k];
      if (s.name() == st.activeTable) book.SetActiveSheet(k);
      auto it = st.cursor.find(s.name());
      if (it != st.cursor.end()) {
        int64_t col = it->second.first + 1, row = it->second.second + 1;
        if (row >= 1 && row <= formula::kMaxRows && col >= 1 && col <= formula::kMaxColumns) s.SetActiveCell(row, col);
      }
    }
  }
}

}  // namespace

uint64_t DefaultMaxCells() {
  constexpr uint64_t kMostCells = uint64_t{512} * formula::kMaxRows;
  const long pages = ::sysconf(_SC_PHYS_PAGES), page = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || page <= 0) return kMostCells;
  const uint64_t half = static_cast<uint64_t>(pages) / 2 * static_cast<uint64_t>(page);
  return std::min(kMostCells, half / sizeof(model::Cell));
}

std::shared_ptr<Book> OpenWorkbookFile(model::App& app, const std::string& path, const ReadLimits& limits) {
  std::string name = std::filesystem::path(path).filename().string();
  auto zip = std::make_unique<Archive>(path, name);
  bool ods = false;
  if (zip->Has("mimetype")) {
    std::string mt = zip->Read("mimetype", 4096);
    ods = mt.find("opendocument.spreadsheet") != std::string::npos;
    if (!ods && !zip->Has("content.xml")) zip->Fail("mimetype", "not a spreadsheet (" + mt + ")");
  } else if (!zip->Has("[Content_Types].xml") && zip->Has("content.xml")) {
    ods = true;
  }
  if (!ods && !zip->Has("[Content_Types].xml") && !zip->Has("xl/workbook.xml"))
    zip->Fail("[Content_Types].xml", "not an xlsx or ods workbook");
  // A name already open gets a number, as a second copy would.
  std::string bookName = name;
  for (int k = 2; app.BookNamed(bookName); ++k) bookName = name + " (" + std::to_string(k) + ")";
  auto book = app.AddBook(bookName);
  try {
    if (ods) OpenOds(*book, std::move(zip), limits);
    else OpenXlsx(*book, std::move(zip), limits);
  } catch (const std::bad_alloc&) {
    app.CloseBook(book);
    throw rt::RtError(rt::kErrOutOfMemory, "Out of memory while reading the workbook " + name);
  } catch (...) {
    app.CloseBook(book);
    throw;
  }
  return book;
}

// --- the running spreadsheet -------------------------------------------------------------------

void WorkbookFileConnector::Unreadable(const std::string& path, const std::string& why) {
  if (!app_ || app_->quit || path != path_) return;
  const double now = rt::CurrentClock().Monotonic();
  if (unreadableSince_ < 0) unreadableSince_ = now;
  if (unreadableTold_ || now - unreadableSince_ < o_.staleSeconds) return;
  unreadableTold_ = true;
  if (o_.unreadable) o_.unreadable(why);
}

struct WorkbookFileConnector::Prefetched {
  std::string path;
  Stamp stamp;
  std::shared_ptr<model::App> app;  // null when the reading failed
  std::thread thread;
};

namespace {

template <class Stamp>
Stamp StampOf(const struct stat& st) {
  return Stamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size),
               static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace

WorkbookFileConnector::WorkbookFileConnector() = default;
WorkbookFileConnector::WorkbookFileConnector(Options o) : o_(std::move(o)) {}

WorkbookFileConnector::~WorkbookFileConnector() {
  if (prefetched_ && prefetched_->thread.joinable()) prefetched_->thread.join();
}

void WorkbookFileConnector::Prefetch() {
  const char* env = std::getenv("VANTREL_WORKBOOK");
  if (!env || !*env || prefetched_) return;
  const std::string path = env;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;  // the attach tells why
  const Stamp stamp = StampOf<Stamp>(st);
  if (app_ && !app_->quit && path == path_ && stamp == stamp_) return;
  auto job = std::make_unique<Prefetched>();
  job->path = path;
  job->stamp = stamp;
  Prefetched* p = job.get();
  const ReadLimits limits = o_.limits;
  try {
    job->thread = std::thread([p, limits] {
      tAwayFromTheWindow = true;
      try {
        auto app = model::App::Create();
        auto book = OpenWorkbookFile(*app, p->path, limits);
        if (!book->sheets().empty()) book->sheet(book->activeSheet()).EnsureLoaded();
        p->app = std::move(app);
      } catch (...) {
        // No reading is kept: the attach reads the file again and tells what stops it.
      }
    });
  } catch (const std::system_error&) {
    return;  // no thread: the attach reads the file itself
  }
  prefetched_ = std::move(job);
}

std::shared_ptr<model::App> WorkbookFileConnector::TakePrefetched(const std::string& path, const Stamp& now) {
  if (!prefetched_) return nullptr;
  std::unique_ptr<Prefetched> job = std::move(prefetched_);
  // The window stays alive while the reading ends.
  WhileTheWindowLives([&] { job->thread.join(); });
  if (!job->app || job->path != path || !(job->stamp == now)) return nullptr;
  return std::move(job->app);
}

Application WorkbookFileConnector::Attach() {
  std::string path;
  const char* env = std::getenv("VANTREL_WORKBOOK");
  const bool named = env && *env;
  if (named) path = env;
  else if (o_.lastAttached) path = o_.lastAttached();
  if (path.empty())
    throw rt::RtError(rt::kErrCannotCreate, "No workbook to attach: name one in VANTREL_WORKBOOK or open one");
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool there = ::stat(path.c_str(), &st) == 0;
    const std::string why = "The workbook " + path + (there ? " is not a file" : " cannot be found");
    Unreadable(path, why);
    // The file the user named: told as any workbook that cannot be read.
    if (named) throw rt::FileFault(rt::kErrCannotCreate, why + " (VANTREL_WORKBOOK)");
    throw rt::RtError(rt::kErrCannotCreate, why);
  }
  const Stamp now = StampOf<Stamp>(st);
  std::shared_ptr<model::App> app = TakePrefetched(path, now);
  if (!app && app_ && !app_->quit && path == path_ && now == stamp_) {
    unreadableSince_ = -1;
    unreadableTold_ = false;
    return app_->handle();
  }
  // The file is there: whatever stops its reading is a fault of that workbook, told with its reason.
  std::string fault;
  if (!app) {
    app = model::App::Create();
    try {
      OpenWorkbookFile(*app, path, o_.limits);
    } catch (const rt::RtError& e) {
      fault = e.description();
    } catch (const std::bad_alloc&) {
      fault = "Cannot read the workbook " + path + ": out of memory";
    }
  }
  if (!fault.empty()) {
    // A save under way: go on with what was read before.
    Unreadable(path, fault.find(path) == std::string::npos ? fault + " (" + path + ")" : fault);
    if (app_ && !app_->quit && path == path_) return app_->handle();
    if (fault.find(path) == std::string::npos) fault += " (" + path + ")";
    throw rt::FileFault(rt::kErrCannotCreate, fault);
  }
  bool newPath = path != path_;
  unreadableSince_ = -1;
  unreadableTold_ = false;
  app_ = app;
  path_ = path;
  stamp_ = now;
  ++revision_;
  if (newPath && o_.rememberAttached) o_.rememberAttached(path);
  return app_->handle();
}

}  // namespace vantrel::spreadsheet
