#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/runtime/replace_file.h"
#include "tests/support/temp_dir.h"

namespace vantrel::rt {
namespace {

namespace fs = std::filesystem;

struct Folder {
  vantrel::test::TempDir dir{"vantrel-replace"};
  fs::path path = dir.path();
  std::string operator/(const std::string& name) const { return (path / name).string(); }
  std::set<std::string> Names() const {
    std::set<std::string> n;
    for (const auto& e : fs::directory_iterator(path)) n.insert(e.path().filename().string());
    return n;
  }
};

std::string Read(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void Put(const std::string& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

long DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(ReplaceFile, NamesOfOurTemporaries) {
  const struct {
    const char* name;
    long owner;
  } cases[] = {
      {".a.vnx.vantrel-123-4.tmp", 123}, {".a b.bmp.vantrel-7-1.tmp", 7}, {"a.vnx.vantrel-123-4.tmp", -1},
      {".a.vnx.vantrel-12x-4.tmp", -1},  {".a.vnx.vantrel-123.tmp", -1},  {".vantrel-1-1.tmp", -1},
      {".a.vnx.vantrel-1-1.tmp~", -1},   {"a.vnx.tmp123456", -1},         {".a.vnx.vantrel-1234567890-1.tmp", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(TemporaryOwner(c.name), c.owner) << c.name;
}

// The file is replaced whole, and nothing of ours is left beside it, whether the write succeeds
// or fails.
TEST(ReplaceFile, ReplacesWholeAndLeavesNoTemporary) {
  Folder d;
  Put(d / "a.vnx", "old");
  EXPECT_EQ(ReplaceFile(d / "a.vnx", "new text"), 0);
  EXPECT_EQ(Read(d / "a.vnx"), "new text");
  EXPECT_EQ(ReplaceFile(d / "fresh.bmp", std::string(3 << 20, 'x')), 0);
  EXPECT_EQ(fs::file_size(d / "fresh.bmp"), 3u << 20);
  EXPECT_EQ(d.Names(), (std::set<std::string>{"a.vnx", "fresh.bmp"}));

  // A folder in the way: the rename fails, the folder stays, the temporary goes.
  fs::create_directories(d / "busy.vnx/inside");
  EXPECT_NE(ReplaceFile(d / "busy.vnx", "x"), 0);
  EXPECT_TRUE(fs::is_directory(d / "busy.vnx/inside"));
  // No folder at all: nothing is made.
  EXPECT_EQ(ReplaceFile(d / "none/a.vnx", "x"), ENOENT);
  // Given up before the commit: the temporary goes too.
  {
    FileReplacement r;
    ASSERT_EQ(r.Open(d / "a.vnx"), 0);
    EXPECT_EQ(r.Write("half"), 0);
    EXPECT_TRUE(fs::exists(r.temporary()));
  }
  EXPECT_EQ(Read(d / "a.vnx"), "new text");
  EXPECT_EQ(d.Names(), (std::set<std::string>{"a.vnx", "busy.vnx", "fresh.bmp"}));
}

// Temporaries left by a process that ended (killed while it wrote) and the older names of the
// file's temporaries go at the first write into the folder; those of a running process and other
// people's files stay.
TEST(ReplaceFile, TheFirstWriteRemovesStaleTemporariesOfOurs) {
  Folder d;
  const std::string dead = std::to_string(DeadPid());
  const std::string self = std::to_string(::getpid());
  const std::set<std::string> stale = {"._Vantrel.vnx.vantrel-" + dead + "-3.tmp",
                                       ".shot.bmp.vantrel-" + dead + "-1.tmp",
                                       "._Vantrel.vnx.vantrel-" + self + "-999999.tmp",
                                       "_Vantrel.vnx.tmp123456",
                                       "_Vantrel.vnx.tmp042042c",
                                       "_Vantrel.vnx.tmp~",
                                       "_Vantrel.vnx.tmp"};
  const std::set<std::string> kept = {"._Vantrel.vnx.vantrel-1-5.tmp",  // process 1 runs
                                      "notes.tmp", "_Vantrel.vnx.tmpfile", "other.vnx.tmp123456", "_Vantrel.vnx"};
  for (const auto& n : stale) Put(d / n, "stale");
  for (const auto& n : kept) Put(d / n, "kept");
  EXPECT_EQ(ReplaceFile(d / "_Vantrel.vnx", "data"), 0);
  std::set<std::string> want = kept;
  EXPECT_EQ(d.Names(), want);
  EXPECT_EQ(Read(d / "_Vantrel.vnx"), "data");
  // Left again later in the run: the next clean of the folder takes it.
  Put(d / ("._Vantrel.vnx.vantrel-" + dead + "-4.tmp"), "stale");
  RemoveStaleTemporaries(d.path.string());
  EXPECT_EQ(d.Names(), want);
}

// Two processes replacing the same file at once never share a temporary: the file is always
// one writer's text whole.
TEST(ReplaceFile, TwoProcessesWritingAtOnceNeverMixTheirTexts) {
  Folder d;
  const std::string a(1 << 20, 'a'), b(1 << 20, 'b');
  const pid_t child = ::fork();
  if (child == 0) {
    int bad = 0;
    for (int i = 0; i < 40; ++i) bad += ReplaceFile(d / "registry.txt", b) != 0;
    ::_exit(bad);
  }
  int bad = 0;
  for (int i = 0; i < 40; ++i) {
    bad += ReplaceFile(d / "registry.txt", a) != 0;
    const std::string now = Read(d / "registry.txt");
    EXPECT_TRUE(now == a || now == b) << now.size();
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(bad, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(d.Names(), (std::set<std::string>{"registry.txt"}));
}

}  // namespace
}  // namespace vantrel::rt
