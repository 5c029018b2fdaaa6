#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "datastore/datafile_stream.h"
#include "datastore/datafile_writer.h"
#include "reader_harness.h"
#include "tests/support/temp_dir.h"

namespace vantrel::datastore {
namespace {

using Row = std::vector<SheetCell>;
constexpr int64_t kBatch = static_cast<int64_t>(DataFileStream::kBatchRows);
const std::string kHead = "From: \tBook1\tSheet1\t=MAX(A2:C3)\t1.0000000000\tT\tDate 2026/12/10 12:00:00\t" +
                          std::string(17, '\t') + "\r\n";

SheetCell Num(double v) { return {true, v, ""}; }
SheetCell Text(std::string t) { return {false, 0, std::move(t)}; }

// Rows of numbers, with the cells of `special` rows replaced by what `cells` gives.
std::vector<Row> Block(int64_t rows, const std::function<Row(int64_t)>& cells = {}) {
  std::vector<Row> out;
  for (int64_t r = 0; r < rows; ++r) {
    Row row = cells ? cells(r) : Row{};
    if (row.empty())
      for (int k = 0; k < 17; ++k) row.push_back(Num(r * 17 + k + 0.123456789012345 * k));
    out.push_back(std::move(row));
  }
  return out;
}

// The file as the one-string route writes it: every line through AppendDataLine, the whole
// text through WriteTextFileAtomic.
std::string OneStringFile(const test::TempDir& dir, const std::vector<Row>& rows) {
  std::string text = kHead;
  for (const Row& row : rows) {
    std::vector<DataCell> cells(row.size());
    for (size_t k = 0; k < row.size(); ++k) {
      cells[k].kind = row[k].numeric ? DataCell::kNumber : row[k].text.empty() ? DataCell::kEmpty : DataCell::kText;
      cells[k].number = row[k].number;
      cells[k].text = row[k].text;
    }
    AppendDataLine(text, cells.data(), cells.size(), ",");
    text += "\r\n";
  }
  text += "\r\n";
  const std::string path = dir.File("one_string.vnx");
  EXPECT_EQ(WriteTextFileAtomic(path, text), 0);
  return test::TempDir::Read(path);
}

// kept: when given, the stream keeps the tables and they go there.
int Stream(const std::string& path, const std::vector<Row>& rows, int64_t expected, unsigned threads,
           std::shared_ptr<MemoryTables>* kept = nullptr) {
  DataFileStream out(expected, ",", {}, threads);
  if (kept) out.KeepTables();
  if (int e = out.Open(path, kHead)) return e;
  for (const Row& row : rows) out.Add(row);
  EXPECT_EQ(out.Rows(), static_cast<int64_t>(rows.size()));
  const int err = out.Finish("\r\n");
  if (kept) *kept = out.TakeTables();
  return err;
}

// What the reader leaves but for its progress (which follows the file read, if it is).
std::vector<std::string> WithoutProgress(std::vector<std::string> snapshot) {
  if (!snapshot.empty() && snapshot.back().rfind("progress", 0) == 0) snapshot.pop_back();
  return snapshot;
}

TEST(DataFileStream, EveryPathWritesTheBytesOfTheOneStringRoute) {
  test::LocaleGuard locale{".", ","};
  const struct {
    const char* what;
    std::vector<Row> rows;
    int64_t expected;  // the rows the stream is told of
  } cases[] = {
      {"one row", Block(1), 1},
      // Over more batches than the formatting keeps at once: short rows follow long ones in
      // the same storage.
      {"empty cells, short rows, cells past Q",
       Block(10 * kBatch + 300,
             [](int64_t r) -> Row {
               if (r % 5 == 0) return {Num(1.5), SheetCell{}, Text(""), Num(-0.25)};
               if (r % 5 == 1) return Row(20, Num(r + 0.5));
               return {};
             }),
       10 * kBatch + 300},
      {"texts with TAB, CR and LF",
       Block(500,
             [](int64_t r) -> Row {
               if (r % 2) return {};
               return {Text("a\tb"), Text("c\r\nd"), Text("e\rf\ng"), Num(r), Text("\r\n\t")};
             }),
       500},
      {"texts that fit Windows-1252 (the file is re-encoded)",
       Block(kBatch + 5,
             [](int64_t r) -> Row {
               return r % 1000 ? Row{} : Row{Text("K\xC3\xA9o \xE2\x82\xAC"), Num(r)};
             }),
       kBatch + 5},
      {"a text past Windows-1252 in the last batch only (the file stays UTF-8)",
       Block(2 * kBatch + 3,
             [](int64_t r) -> Row {
               if (r == 2 * kBatch + 1) return {Text("\xCE\xB1 \xC3\xA9")};
               return r % 700 ? Row{} : Row{Text("\xC3\xA9t\xC3\xA9")};
             }),
       2 * kBatch + 3},
      {"one row less than a batch", Block(kBatch - 1), kBatch - 1},
      {"exactly one batch", Block(kBatch), kBatch},
      {"one batch and one row", Block(kBatch + 1), kBatch + 1},
      {"more rows than announced", Block(3 * kBatch + 7), 10},
      {"fewer rows than announced", Block(kBatch + 2), 5 * kBatch},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    const std::string expect = OneStringFile(dir, c.rows);
    for (unsigned threads : {1u, 2u, 5u}) {
      SCOPED_TRACE(threads);
      const std::string path = dir.File("streamed.vnx");
      ASSERT_EQ(Stream(path, c.rows, c.expected, threads), 0);
      ASSERT_TRUE(test::TempDir::Read(path) == expect);
      // Keeping the tables changes no byte, and they are those the file gives.
      std::shared_ptr<MemoryTables> kept;
      ASSERT_EQ(Stream(path, c.rows, c.expected, threads, &kept), 0);
      ASSERT_TRUE(test::TempDir::Read(path) == expect);
      ASSERT_TRUE(kept);
      EXPECT_EQ(WithoutProgress(ReadSnapshot(dir, path, 1, 0, kept)), WithoutProgress(ReadSnapshot(dir, path, 1, 0)));
    }
  }
}

// Files may not grow past a limit: a write fails part-way with EFBIG.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit lim = old_;
    lim.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &lim);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = nullptr;
};

TEST(DataFileStream, AWriteThatFailsPartWayLeavesThePreviousFile) {
  const std::vector<Row> rows = Block(6 * kBatch);  // about 12 MB
  for (unsigned threads : {1u, 4u}) {
    SCOPED_TRACE(threads);
    test::TempDir dir;
    const std::string path = dir.Write("_Vantrel.vnx", "previous\r\n");
    int err = 0;
    {
      FileSizeLimit limit(3u << 20);
      err = Stream(path, rows, static_cast<int64_t>(rows.size()), threads);
    }
    EXPECT_EQ(err, 75);
    EXPECT_EQ(test::TempDir::Read(path), "previous\r\n");
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += !e.path().empty();
    EXPECT_EQ(files, 1) << "a temporary file was left";
  }
}

TEST(DataFileStream, AnAbortedStreamLeavesThePreviousFile) {
  for (unsigned threads : {1u, 3u}) {
    SCOPED_TRACE(threads);
    test::TempDir dir;
    const std::string path = dir.Write("_Vantrel.vnx", "previous\r\n");
    {
      DataFileStream out(4 * kBatch, ",", {}, threads);
      ASSERT_EQ(out.Open(path, kHead), 0);
      for (const Row& row : Block(3 * kBatch + 11)) out.Add(row);
      // The walk of the block failed: the stream is dropped without Finish.
    }
    EXPECT_EQ(test::TempDir::Read(path), "previous\r\n");
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += !e.path().empty();
    EXPECT_EQ(files, 1);
  }
}

// What comes before the write (the spreadsheet's steps, a repaint of the progress bar) ran
// without a pass of the event loop: the write's first look at the clock runs one at once rather
// than a pump interval later.
TEST(DataFileStream, TheWindowRunsAPassAtTheWritesFirstRows) {
  for (unsigned threads : {1u, 3u}) {
    SCOPED_TRACE(threads);
    test::TempDir dir;
    int passes = 0;
    DataFileStream out(
        4 * kBatch, ",", [&] { ++passes; }, threads);
    ASSERT_EQ(out.Open(dir.File("_Vantrel.vnx"), kHead), 0);
    const std::vector<Row> rows = Block(300);
    for (const Row& row : rows) out.Add(row);
    EXPECT_GE(passes, 1);
    out.Abort();
  }
}

TEST(DataFileStream, AFolderThatCannotBeWrittenIsTheOpenError) {
  test::TempDir dir;
  DataFileStream out(10, ",", {}, 1);
  EXPECT_EQ(out.Open(dir.File("nofolder/_Vantrel.vnx"), kHead), 76);
  out.Add(Row{Num(1)});
  EXPECT_EQ(out.Rows(), 1);
  EXPECT_EQ(out.Finish("\r\n"), 76);
}

// --- The tables stored while the file is written -------------------------------------------

// Streams rows into path, keeping the tables; the tables, null when the write failed.
std::shared_ptr<MemoryTables> StreamKeepingTables(const std::string& path, const std::string& head,
                                                  const std::vector<Row>& rows, unsigned threads, int& err) {
  DataFileStream out(static_cast<int64_t>(rows.size()), ",", {}, threads);
  out.KeepTables();
  err = out.Open(path, head);
  if (err) return nullptr;
  for (const Row& row : rows) out.Add(row);
  err = out.Finish("\r\n");
  return out.TakeTables();
}

// Rows as a gathering gives them: events with labels that change now and then, every length of
// line, empty rows and cells, texts where numbers are expected, numbers too large to read back.
std::vector<Row> VariedBlock(int64_t rows) {
  return Block(rows, [](int64_t r) -> Row {
    Row row;
    for (int k = 0; k < 17; ++k) row.push_back(Num(r * 0.5 + k * 1000.0 - 3e4));
    row[5] = Text(r / 37 % 2 ? "Burn " + std::to_string(r / 100) : "Coast");
    switch (r % 23) {
      case 0: return {};  // 17 numbers
      case 1: return Row(3, Num(1e300 * r));
      case 2: return Row{};  // an empty line
      case 3: row.resize(2); break;
      case 4: row.resize(5); break;
      case 5: row.resize(7); break;
      case 6: row.resize(10); break;
      case 7: row.resize(12); break;
      case 8: row.resize(14); break;
      case 9: row.resize(16); break;
      case 10:
        row[1] = Text("1E999");
        row[16] = Text("-1E999");
        break;  // refused by the number reader
      case 11:
        row[0] = SheetCell{};
        row[4] = SheetCell{};
        break;  // a break, an empty event time
      case 12:
        row[6] = SheetCell{};
        row[11] = SheetCell{};
        row[13] = SheetCell{};
        break;
      case 13: row[2] = Text("x\ty\r\nz"); break;
      case 14: row.resize(22, Num(9)); break;  // cells past Q
      case 15:
        row[3] = Num(-0.0);
        row[0] = Num(-1e-300);
        break;
      case 16: row[5] = SheetCell{}; break;
      default: break;
    }
    return row;
  });
}

const std::string kKmDays =
    Header("=MAX(A2:C2)+MAX(D2:D2)+MAX(E2:F2)+MAX(G2:K2)+MAX(L2:M2)+MAX(N2:O2)+MAX(P2:Q2)+LEN(\"Orbit km days\")",
           "Orbit km days") +
    "\r\n";

// What the reader leaves from the lines stored while writing is what reading the file back
// leaves, field by field; but for the progress, which has no file to follow.
TEST(MemoryTables, AreWhatReadingTheFileBackGives) {
  test::LocaleGuard locale{".", ","};
  const struct {
    const char* what;
    std::string head;
    std::function<Row(int64_t)> label;  // replaces field 6 of some rows, or nothing
    bool fromMemory;
  } cases[] = {
      {"seconds and metres, every range",
       Header("=MAX(A2:C2)+MAX(D2:D2)+MAX(E2:F2)+MAX(G2:K2)+MAX(L2:M2)+MAX(N2:O2)+MAX(P2:Q2)+LEN(\"Orbit\")", "Orbit") +
           "\r\n",
       {},
       true},
      {"days, km and a scale, no ValZ range",
       Header("=MAX(A2:C2)+MAX(D2:D2)+MAX(E2:F2)+MAX(G2:K2)+LEN(\"Orbit km days\")*0.001", "Orbit km days") + "\r\n",
       {},
       true},
      {"every range in km and days", kKmDays, {}, true},
      {"labels that fit Windows-1252", kKmDays,
       [](int64_t r) {
         return Row{Text("Apog\xC3\xA9"
                         "e " +
                         std::to_string(r % 3))};
       },
       true},
      {"labels that do not", kKmDays, [](int64_t r) { return Row{Text(r % 2 ? "\xF0\x9F\x9A\x80" : "\xE2\x82\xAC")}; },
       true},
      {"a header that does not fit Windows-1252",
       Header("=MAX(A2:C2)+MAX(D2:D2)+MAX(E2:F2)+LEN(\"Orbit \xE2\x86\x92\")", "Orbit \xE2\x86\x92") + "\r\n",
       [](int64_t r) { return Row{Text(r % 2 ? "\xC3\xA9t\xC3\xA9" : "x")}; }, true},
      {"pen-up mode reads the file",
       Header("=MAX(A2:C2)+MAX(G2:K2)+LEN(\"Orbit penup\")", "Orbit penup") + "\r\n",
       {},
       false},
      {"one-column mode reads the file",
       Header("=MAX(A2:A2)+LEN(\"Orbit column\")", "Orbit column") + "\r\n",
       {},
       false},
  };
  for (const auto& c : cases) {
    std::vector<Row> rows = VariedBlock(3 * kBatch + 17);
    if (c.label)
      for (size_t r = 0; r < rows.size(); ++r)
        if (rows[r].size() > 5 && r % 5) rows[r][5] = c.label(static_cast<int64_t>(r))[0];
    for (unsigned threads : {1u, 4u}) {
      SCOPED_TRACE(std::string(c.what) + ", threads " + std::to_string(threads));
      test::TempDir dir;
      const std::string path = dir.File("_Vantrel.vnx");
      int err = -1;
      std::shared_ptr<MemoryTables> filled = StreamKeepingTables(path, c.head, rows, threads, err);
      ASSERT_EQ(err, 0);
      ASSERT_TRUE(filled);
      std::vector<std::string> back = ReadSnapshot(dir, path, 2, 1u << 16);
      std::vector<std::string> memory = ReadSnapshot(dir, path, 2, 1u << 16, filled);
      ASSERT_GT(back.size(), 10u);
      ASSERT_EQ(back.back().rfind("progress", 0), 0u);
      // Reading the file shows its progress line by line; the lines from memory have none.
      const bool stepped = back.back().size() > memory.back().size();
      EXPECT_EQ(stepped, c.fromMemory) << memory.back();
      back = WithoutProgress(std::move(back));
      memory = WithoutProgress(std::move(memory));
      const size_t n = std::min(back.size(), memory.size());
      size_t k = 0;
      while (k < n && back[k] == memory[k]) ++k;
      if (k < n)
        ADD_FAILURE() << "first difference, read back: " << back[k].substr(0, 300)
                      << "\nfrom memory: " << memory[k].substr(0, 300);
      else EXPECT_EQ(back.size(), memory.size());
    }
  }
}

// The lines are taken from memory only for the file they were written to, as it was written.
TEST(MemoryTables, AreTakenOnlyForTheFileWritten) {
  test::LocaleGuard locale{".", ","};
  const std::vector<Row> rows = Block(100);
  const struct {
    const char* what;
    std::function<std::string(const std::string& written)> bytes;  // what replaces the file
  } cases[] = {
      {"a shorter file", [](const std::string&) { return kHead + "1\t2\t3\r\n"; }},
      {"another file of the same size",
       [](const std::string& written) {
         std::string bytes = written;
         std::replace(bytes.begin() + static_cast<ptrdiff_t>(kHead.size()), bytes.end(), '1', '2');
         return bytes;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    const std::string path = dir.File("_Vantrel.vnx");
    int err = -1;
    std::shared_ptr<MemoryTables> filled = StreamKeepingTables(path, kHead, rows, 1, err);
    ASSERT_EQ(err, 0);
    const std::vector<std::string> written = ReadSnapshot(dir, path, 1, 0);
    ASSERT_EQ(WriteTextFileAtomic(path, c.bytes(test::TempDir::Read(path))), 0);
    const std::vector<std::string> back = ReadSnapshot(dir, path, 1, 0);
    ASSERT_NE(back, written);
    EXPECT_EQ(ReadSnapshot(dir, path, 1, 0, filled), back);
  }
}

// A write that fails keeps no tables: the reader then reads the previous data file, which the
// failure left in place, and the user sees what they had.
TEST(MemoryTables, AWriteThatFailsLeavesWhatTheUserHad) {
  test::LocaleGuard locale{".", ","};
  const std::vector<Row> rows = Block(6 * kBatch);  // about 12 MB
  for (unsigned threads : {1u, 4u}) {
    SCOPED_TRACE(threads);
    test::TempDir dir;
    const std::string previous = kHead + "7\t8\t9\r\n\r\n";
    const std::string path = dir.Write("_Vantrel.vnx", previous);
    const std::vector<std::string> before = ReadSnapshot(dir, path, 1, 0);
    int err = 0;
    std::shared_ptr<MemoryTables> filled;
    {
      FileSizeLimit limit(3u << 20);
      filled = StreamKeepingTables(path, kHead, rows, threads, err);
    }
    EXPECT_EQ(err, 75);
    EXPECT_FALSE(filled);
    EXPECT_EQ(ReadSnapshot(dir, path, 1, 0, filled), before);
  }
}

}  // namespace
}  // namespace vantrel::datastore
