// Parts of zip archives read through Archive, against libzip's own reading of the same entries,
// and a sheet read while the window's event loop keeps running.
#include <gtest/gtest.h>
#include <zip.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/events/events.h"
#include "platform/runtime/rterror.h"
#include "platform/spreadsheet/model.h"
#include "platform/spreadsheet/workbook_file.h"
#include "platform/spreadsheet/zipxml.h"
#include "tests/platform/spreadsheet/zip_parts.h"
#include "tests/support/temp_dir.h"

namespace ss = vantrel::spreadsheet;
namespace fs = std::filesystem;

namespace {

fs::path Dir() {
  static const vantrel::test::TempDir d("vantrel_zipread");  // removed when the tests end
  return d.path();
}

std::string Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& p, const std::string& s) {
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out << s;
}

// Text that deflates well but not to nothing: rows of numbers, as in a sheet.
std::string SheetLikeText(size_t bytes) {
  std::string s;
  uint64_t x = 88172645463325252ull;
  while (s.size() < bytes) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    s += "<c r=\"A" + std::to_string(s.size()) + "\"><v>" + std::to_string(x % 1000003) + "</v></c>";
  }
  s.resize(bytes);
  return s;
}

// One entry "part" written by libzip, deflated or stored.
void WriteEntry(const fs::path& path, const std::string& data, bool stored) {
  fs::remove(path);
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
  ASSERT_NE(z, nullptr);
  zip_source_t* s = zip_source_buffer(z, data.data(), data.size(), 0);
  zip_int64_t i = zip_file_add(z, "part", s, ZIP_FL_OVERWRITE);
  ASSERT_GE(i, 0);
  if (stored) {
    ASSERT_EQ(zip_set_file_compression(z, static_cast<zip_uint64_t>(i), ZIP_CM_STORE, 0), 0);
  }
  ASSERT_EQ(zip_close(z), 0);
}

uint32_t Get32(const std::string& b, size_t at) {
  uint32_t v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void Put32(std::string& b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); }

// The offsets of the one entry's headers in the archive's bytes.
struct Headers {
  size_t local, central, data;
};
Headers Find(const std::string& b) {
  Headers h{};
  h.local = b.find("PK\x03\x04");
  h.central = b.find("PK\x01\x02");
  uint16_t nameLen, extraLen;
  std::memcpy(&nameLen, b.data() + h.local + 26, 2);
  std::memcpy(&extraLen, b.data() + h.local + 28, 2);
  h.data = h.local + 30 + nameLen + extraLen;
  return h;
}

// libzip's reading of the entry: its bytes, or "" and fault = true.
std::string LibzipRead(const fs::path& path, bool& fault) {
  fault = false;
  int err = 0;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  if (!z) {
    fault = true;
    return {};
  }
  std::string out;
  zip_file_t* f = zip_fopen(z, "part", 0);
  if (!f) fault = true;
  std::vector<char> buf(64 * 1024);
  for (zip_int64_t n; f && (n = zip_fread(f, buf.data(), buf.size())) != 0;) {
    if (n < 0) {
      fault = true;
      break;
    }
    out.append(buf.data(), static_cast<size_t>(n));
  }
  if (f) zip_fclose(f);
  zip_discard(z);
  return fault ? std::string() : out;
}

TEST(ArchiveRead, DeflatedAndStoredPartsAndDamagedOnesAsLibzipReadsThem) {
  const std::string small = SheetLikeText(300000);
  const std::string large = SheetLikeText(12u << 20);  // read on a second thread
  const struct {
    const char* name;
    const std::string& data;
    bool stored;
    std::function<void(std::string&)> damage;
    const char* fault;         // in the description; nullptr: read whole
    bool libzipFaults = true;  // libzip reads an entry whose stated size is wrong
  } cases[] = {
      {"deflated", small, false, nullptr, nullptr},
      {"deflated large", large, false, nullptr, nullptr},
      {"stored", small, true, nullptr, nullptr},
      {"stored large", large, true, nullptr, nullptr},
      {"empty", std::string(), false, nullptr, nullptr},
      {"a corrupted compressed byte", small, false, [](std::string& b) { b[Find(b).data + 5000] ^= 0x55; }, "damaged"},
      {"a corrupted byte of a large part", large, false,
       [](std::string& b) { b[Find(b).data + Get32(b, Find(b).central + 20) / 2] ^= 0x01; }, "damaged"},
      {"a wrong CRC", small, false,
       [](std::string& b) {
         Headers h = Find(b);
         Put32(b, h.local + 14, Get32(b, h.local + 14) ^ 1);
         Put32(b, h.central + 16, Get32(b, h.central + 16) ^ 1);
       },
       "CRC"},
      {"a wrong CRC of a stored part", small, true,
       [](std::string& b) {
         Headers h = Find(b);
         Put32(b, h.local + 14, Get32(b, h.local + 14) ^ 1);
         Put32(b, h.central + 16, Get32(b, h.central + 16) ^ 1);
       },
       "damaged"},
      {"truncated compressed data", large, false,
       [](std::string& b) {
         Headers h = Find(b);
         uint32_t half = Get32(b, h.central + 20) / 2;
         Put32(b, h.local + 18, half);
         Put32(b, h.central + 20, half);
       },
       "damaged"},
      {"a size stated too small", small, false,
       [](std::string& b) {
         Headers h = Find(b);
         Put32(b, h.local + 22, 1000);
         Put32(b, h.central + 24, 1000);
       },
       "longer than the archive states", false},
      {"a size stated too large", small, false,
       [](std::string& b) {
         Headers h = Find(b);
         Put32(b, h.local + 22, 400000);
         Put32(b, h.central + 24, 400000);
       },
       "shorter than the archive states", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = Dir() / "entry.zip";
    WriteEntry(path, c.data, c.stored);
    if (c.damage) {
      std::string b = Bytes(path);
      c.damage(b);
      WriteBytes(path, b);
    }
    bool libzipFault = false;
    const std::string expected = LibzipRead(path, libzipFault);
    EXPECT_EQ(libzipFault, c.fault != nullptr && c.libzipFaults);
    ss::zipxml::Archive zip(path.string(), "entry.zip");
    std::string got;
    size_t chunks = 0;
    try {
      zip.Stream("part", 64u << 20, [&](const char* p, size_t n) {
        got.append(p, n);
        ++chunks;
      });
      EXPECT_EQ(c.fault, nullptr) << "read " << got.size() << " bytes";
      EXPECT_TRUE(got == expected) << got.size() << " bytes against " << expected.size();
      EXPECT_TRUE(got == c.data);
    } catch (const vantrel::rt::RtError& e) {
      EXPECT_EQ(e.number(), 1004);
      ASSERT_NE(c.fault, nullptr) << e.description();
      EXPECT_NE(e.description().find(c.fault), std::string::npos) << e.description();
      EXPECT_NE(e.description().find("entry.zip: part:"), std::string::npos) << e.description();
    }
  }
}

TEST(ArchiveRead, TheLimitStopsADeflatedPartAsItGrows) {
  const fs::path path = Dir() / "bomb.zip";
  WriteEntry(path, std::string(40u << 20, '0'), false);
  ss::zipxml::Archive zip(path.string(), "bomb.zip");
  uint64_t got = 0;
  for (uint64_t limit : {uint64_t{1} << 20, uint64_t{9} << 20}) {
    got = 0;
    try {
      zip.Stream("part", limit, [&](const char*, size_t n) { got += n; });
      ADD_FAILURE() << "read whole at " << limit;
    } catch (const vantrel::rt::RtError& e) {
      EXPECT_EQ(e.number(), 1004);
      EXPECT_NE(e.description().find("expands beyond " + std::to_string(limit >> 20) + " MB"), std::string::npos)
          << e.description();
    }
    EXPECT_LE(got, limit);
  }
}

// --- a sheet read while the window lives ------------------------------------------------------

using vantrel::test::WriteZip;

// A workbook of one sheet of `rows` rows of 8 numbers, xlsx or ods.
fs::path BigBook(bool ods, int rows) {
  fs::path path = Dir() / (ods ? "big.ods" : "big.xlsx");
  if (fs::exists(path)) return path;
  std::string cells;
  if (!ods) {
    for (int r = 1; r <= rows; ++r) {
      cells += "<row r=\"" + std::to_string(r) + "\">";
      for (int c = 0; c < 8; ++c) cells += "<c><v>" + std::to_string(r * 10 + c) + ".5</v></c>";
      cells += "</row>";
    }
    WriteZip(path,
             {{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
              {"xl/workbook.xml",
               "<?xml version=\"1.0\"?><workbook xmlns:r=\"r\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>"
               "</sheets></workbook>"},
              {"xl/_rels/workbook.xml.rels",
               "<?xml version=\"1.0\"?><Relationships><Relationship Id=\"rId1\" Type=\"x/worksheet\" "
               "Target=\"worksheets/sheet1.xml\"/></Relationships>"},
              {"xl/worksheets/sheet1.xml",
               "<?xml version=\"1.0\"?><worksheet><sheetData>" + cells + "</sheetData></worksheet>"}});
  } else {
    for (int r = 1; r <= rows; ++r) {
      cells += "<table:table-row>";
      for (int c = 0; c < 8; ++c)
        cells += "<table:table-cell office:value-type=\"float\" office:value=\"" + std::to_string(r * 10 + c) +
                 ".5\"/>";
      cells += "</table:table-row>";
    }
    WriteZip(path,
             {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
              {"content.xml",
               "<?xml version=\"1.0\"?><office:document-content xmlns:office=\"o\" xmlns:table=\"t\"><office:body>"
               "<office:spreadsheet><table:table table:name=\"S\">" +
                   cells + "</table:table></office:spreadsheet></office:body></office:document-content>"}});
  }
  return path;
}

TEST(SheetRead, TheEventLoopPassesAndCallsMeanwhileAreRefusedAsBusy) {
  constexpr int kRows = 200000;
  for (bool ods : {false, true}) {
    SCOPED_TRACE(ods ? "ods" : "xlsx");
    const fs::path path = BigBook(ods, kRows);
    auto app = ss::model::App::Create();
    std::shared_ptr<ss::model::Book> book;
    int refused = 0, answered = 0, other = 0;
    auto pump = std::make_shared<vantrel::platform::FakeEventPump>();
    // What a handler of the window might do in a pass: ask the spreadsheet again.
    pump->SetOnPass([&] {
      for (const auto& call : std::vector<std::function<void()>>{
               [&] { app->handle().ActiveCell().Value(); },
               [&] {
                 if (book) book->sheet(0).GetValue(kRows, 1);
               },
               [&] {
                 if (book) book->sheet(0).CellCount();
               },
           }) {
        try {
          call();
          ++answered;
        } catch (const vantrel::rt::RtError& e) {
          if (e.number() == ss::kErrBusy) ++refused;
          else ++other;
        }
      }
      throw std::runtime_error("a handler's own fault");  // not the read's
    });
    vantrel::platform::EventPumpGuard guard(pump);
    book = ss::OpenWorkbookFile(*app, path.string());
    if (!ods) {
      EXPECT_EQ(pump->passes(), 0);  // an xlsx sheet is read on first use
      EXPECT_EQ(book->sheet(0).GetValue(kRows, 8), ss::CellValue::Num(kRows * 10 + 7.5));
    }
    EXPECT_GT(pump->passes(), 0);
    EXPECT_GT(refused, 0);
    EXPECT_EQ(other, 0);
    // The only answers come from the ods book before it holds its sheet, through no interface.
    if (!ods) {
      EXPECT_EQ(answered, 0);
    }
    ss::model::Sheet& sheet = book->sheet(0);
    EXPECT_EQ(sheet.CellCount(), size_t{8} * kRows);
    EXPECT_EQ(sheet.GetValue(kRows, 8), ss::CellValue::Num(kRows * 10 + 7.5));
    EXPECT_EQ(sheet.GetValue(1, 1), ss::CellValue::Num(10.5));
    EXPECT_EQ(app->handle().ActiveCell().Value(), ss::CellValue::Num(10.5));
  }
}

}  // namespace
