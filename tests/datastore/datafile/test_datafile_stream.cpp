#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "datastore/datafile_stream.h"
#include "datastore/datafile_writer.h"
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

int Stream(const std::string& path, const std::vector<Row>& rows, int64_t expected, unsigned threads) {
  DataFileStream out(expected, ",", {}, threads);
  if (int e = out.Open(path, kHead)) return e;
  for (const Row& row : rows) out.Add(row);
  EXPECT_EQ(out.Rows(), static_cast<int64_t>(rows.size()));
  return out.Finish("\r\n");
}

TEST(DataFileStream, EveryPathWritesTheBytesOfTheOneStringRoute) {
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
       Block(kBatch + 5, [](int64_t r) -> Row { return r % 1000 ? Row{} : Row{Text("K\xC3\xA9o \xE2\x82\xAC"), Num(r)}; }),
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

TEST(DataFileStream, AFolderThatCannotBeWrittenIsTheOpenError) {
  test::TempDir dir;
  DataFileStream out(10, ",", {}, 1);
  EXPECT_EQ(out.Open(dir.File("nofolder/_Vantrel.vnx"), kHead), 76);
  out.Add(Row{Num(1)});
  EXPECT_EQ(out.Rows(), 1);
  EXPECT_EQ(out.Finish("\r\n"), 76);
}

}  // namespace
}  // namespace vantrel::datastore
