#pragma once
// A fresh folder of a test's own, removed with all it holds when the guard ends.

#include <filesystem>
#include <string>
#include <string_view>

namespace vantrel::test {

// Makes a new folder under the system's temporary folder, its name prefix "-" and six random
// characters (mkdtemp); throws std::runtime_error when it cannot.
std::filesystem::path MakeUniqueFolder(std::string_view prefix);

// Removes path and all it holds, read-only folders a test left included; a failure is passed over.
void RemoveTree(const std::filesystem::path& path);

class TempDir {
 public:
  // Named after the running test (or "vantrel" outside one).
  TempDir();
  explicit TempDir(std::string_view prefix);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Writes bytes to the file name in the folder; returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const;
  // The whole file ("" when it cannot be read).
  static std::string Read(const std::string& file);

 private:
  std::filesystem::path path_;
};

}  // namespace vantrel::test
