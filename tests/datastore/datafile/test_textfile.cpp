#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <vector>

#include "datastore/textfile.h"
#include "tests/support/temp_dir.h"

namespace vantrel::datastore {
namespace {

std::vector<std::string> Lines(const std::string& path) {
  InputFile f;
  EXPECT_EQ(f.Open(path), 0);
  std::vector<std::string> out;
  std::string_view v;
  while (f.NextLine(v)) out.emplace_back(v);
  EXPECT_EQ(f.error(), 62);
  EXPECT_TRUE(f.Eof());
  return out;
}

// Only a regular text file is opened: anything else is refused at once, with its reason, and a
// named pipe never blocks the open.
TEST(InputFile, RefusesWhatIsNotARegularTextFile) {
  test::TempDir dir;
  const std::string fifo = dir.File("pipe.vnx");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::string random(100000, '\0');
  uint32_t x = 12345;
  for (char& c : random) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
  std::string latin = "Plot\tx\r\n";
  latin += "\xE9t\xE9\t\x81\r\n";  // neither UTF-8 nor Windows-1252 (0x81 is unassigned)
  const struct {
    std::string path;
    const char* reason;  // nullptr: opened
  } cases[] = {
      {fifo, "named pipe"},
      {dir.File(""), "folder"},
      {"/dev/null", "device"},
      {dir.Write("book.vnx", std::string("PK\x03\x04\x14\x00\x06\x00", 8) + "[Content_Types].xml"), "zip archive"},
      {dir.Write("nul.vnx", std::string("From:\tA\r\n1\0\x02\r\n", 13)), "NUL"},
      {dir.Write("random.vnx", random), "not a data file"},
      {dir.Write("mixed.vnx", latin), "neither UTF-8 nor Windows-1252"},
      {dir.Write("cp1252.vnx", "Plot\t\xE9t\xE9 \x80\r\n"), nullptr},
      {dir.Write("utf8.vnx", "Plot\t\xC3\xA9t\xC3\xA9\r\n"), nullptr},
      {dir.Write("empty.vnx", ""), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    InputFile f;
    const int e = f.Open(c.path);
    if (!c.reason) {
      EXPECT_EQ(e, 0);
      EXPECT_TRUE(f.refusal().empty());
      continue;
    }
    EXPECT_EQ(e, 75);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_NE(f.refusal().find(c.reason), std::string::npos) << f.refusal();
  }
  // A missing file is still "file not found", with no refusal.
  InputFile f;
  EXPECT_EQ(f.Open(dir.File("missing.vnx")), 53);
  EXPECT_TRUE(f.refusal().empty());
}

TEST(InputFile, LineEndsCrLfCrAndLf) {
  test::TempDir dir;
  using V = std::vector<std::string>;
  struct Case {
    const char* bytes;
    V lines;
  } cases[] = {
      {"a\r\nb\r\n", V{"a", "b"}},
      {"a\rb\rc", V{"a", "b", "c"}},
      {"a\nb\n", V{"a", "b"}},
      {"a\r\n\r\nb", V{"a", "", "b"}},
      {"a\n\rb", V{"a", "", "b"}},
      {"", V{}},
      {"\r\n", V{""}},
  };
  for (const Case& c : cases) EXPECT_EQ(Lines(dir.Write("f.txt", c.bytes)), c.lines) << c.bytes;
}

TEST(InputFile, LinesAcrossTheReadBufferAndACrLfSplitByIt) {
  test::TempDir dir;
  // A CR as the last byte of the first 1 MiB read, its LF the first byte of the next one.
  std::string first(1 << 20, 'x');
  first[(1 << 20) - 1] = '\r';
  std::string longLine(3 << 20, 'y');
  std::string bytes = first + "\n" + longLine + "\r\nend";
  auto lines = Lines(dir.Write("f.txt", bytes));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].size(), (1u << 20) - 1);
  EXPECT_EQ(lines[1], longLine);
  EXPECT_EQ(lines[2], "end");
}

TEST(InputFile, Utf8WhenValidElseWindows1252AndNoByteOrderMark) {
  test::TempDir dir;
  EXPECT_EQ(Lines(dir.Write("u.txt", "\xEF\xBB\xBFK\xC3\xA9o\r\n\xE2\x82\xAC")),
            (std::vector<std::string>{"K\xC3\xA9o", "\xE2\x82\xAC"}));
  // 0xE9 alone is not UTF-8: the whole file is Windows-1252, also its valid-looking lines.
  EXPECT_EQ(Lines(dir.Write("w.txt", "\xC3\xA9\r\nK\xE9o\r\n\x80\x85")),
            (std::vector<std::string>{"\xC3\x83\xC2\xA9", "K\xC3\xA9o", "\xE2\x82\xAC\xE2\x80\xA6"}));
}

TEST(InputFile, OpenErrorsAreTheFileErrorNumbers) {
  test::TempDir dir;
  InputFile f;
  EXPECT_EQ(f.Open(dir.File("missing.vnx")), 53);
  EXPECT_EQ(f.Open(dir.File("nofolder/missing.vnx")), 76);
  EXPECT_EQ(f.Open(dir.path().string()), 75);
  EXPECT_FALSE(f.IsOpen());
  std::string_view v;
  EXPECT_FALSE(f.NextLine(v));
  EXPECT_EQ(f.error(), 52);
  if (::geteuid() != 0) {
    std::string p = dir.Write("locked.vnx", "x");
    ::chmod(p.c_str(), 0);
    EXPECT_EQ(f.Open(p), 70);
  }
}

TEST(AtomicTextWriter, ReplacesTheFileWholeAndPicksTheEncoding) {
  test::TempDir dir;
  const std::string p = dir.Write("out.vnx", "old");
  EXPECT_EQ(WriteTextFileAtomic(p, "plain\r\n"), 0);
  EXPECT_EQ(test::TempDir::Read(p), "plain\r\n");
  EXPECT_EQ(WriteTextFileAtomic(p, "K\xC3\xA9o \xE2\x82\xAC"), 0);  // fits Windows-1252
  EXPECT_EQ(test::TempDir::Read(p), "K\xE9o \x80");
  EXPECT_EQ(WriteTextFileAtomic(p, "\xCE\xB1 \xC3\xA9"), 0);  // Greek alpha does not fit
  EXPECT_EQ(test::TempDir::Read(p), "\xCE\xB1 \xC3\xA9");
  // Nothing but the file itself is left in the folder.
  int n = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) n += !e.path().empty();
  EXPECT_EQ(n, 1);
}

TEST(AtomicTextWriter, LongTextsAreReencodedAcrossChunks) {
  test::TempDir dir;
  std::string text;
  while (text.size() < (3u << 20)) text += "\xC3\xA9t\xC3\xA9 ";
  const std::string p = dir.File("long.vnx");
  EXPECT_EQ(WriteTextFileAtomic(p, text), 0);
  std::string expect;
  Utf8ToWindows1252(text, expect);
  EXPECT_TRUE(test::TempDir::Read(p) == expect);
}

TEST(AtomicTextWriter, AFailedWriteLeavesTheOldFile) {
  test::TempDir dir;
  EXPECT_EQ(WriteTextFileAtomic(dir.File("nofolder/x.vnx"), "new"), 76);
  // A target that is a folder cannot be replaced: the folder stays, no temporary file is left.
  std::filesystem::create_directory(dir.File("target"));
  std::filesystem::path keep = dir.path() / "target" / "keep";
  test::TempDir::Read(keep.string());
  { std::ofstream(keep.string()) << "k"; }
  EXPECT_NE(WriteTextFileAtomic(dir.File("target"), "new"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("target")));
  int n = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) n += !e.path().empty();
  EXPECT_EQ(n, 1);
}

}  // namespace
}  // namespace vantrel::datastore
