#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace vantrel::test {

namespace fs = std::filesystem;

fs::path MakeUniqueFolder(std::string_view prefix) {
  std::error_code ec;
  fs::path tmp = fs::temp_directory_path(ec);
  if (ec) tmp = "/tmp";
  const std::string pattern = (tmp / (std::string(prefix) + "-XXXXXX")).string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (!::mkdtemp(buf.data())) throw std::runtime_error("cannot make a temporary folder like " + pattern);
  return fs::path(buf.data());
}

void RemoveTree(const fs::path& path) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(path, fs::directory_options::skip_permission_denied, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
    if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
  fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path, ec);
}

namespace {
std::string RunningTestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  if (!info) return "vantrel";
  std::string name = "vantrel_" + std::string(info->test_suite_name()) + "_" + info->name();
  for (char& c : name)
    if (c == '/') c = '_';  // parameterised cases are named "Suite/Case/0"
  return name;
}
}  // namespace

TempDir::TempDir() : TempDir(RunningTestName()) {}

TempDir::TempDir(std::string_view prefix) : path_(MakeUniqueFolder(prefix)) {}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(File(name), std::ios::binary);
  out << bytes;
  return File(name);
}

std::string TempDir::Read(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace vantrel::test
