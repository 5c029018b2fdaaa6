#pragma once
// The script shell's services: special folders, the running program's folder and name, and
// the registry (RegRead / RegWrite / RegDelete over a key store of our own).

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

// --- folders ------------------------------------------------------------------------------

// $XDG_CONFIG_HOME, $XDG_DATA_HOME (their defaults under $HOME when unset or not absolute).
std::string ConfigHome();
std::string DataHome();

// The shell's special folder by index: 4 the desktop, 5 the user's application-data folder
// (here $XDG_CONFIG_HOME), 16 the documents folder; "" for an index it does not know.
std::string SpecialFolder(int index);

// Folder (without a final "/") and executable name (without folder and extension) of the
// running program, from /proc/self/exe unless a test set them.
std::string ProgramFolder();
std::string ProgramExeName();
std::string ProgramPath();
void SetProgramPath(std::string path);  // "" restores the real one

// The folder of the program's read-only data (textures, demo data file, icon): the install's
// data folder beside the program's folder when there is one (<prefix>/bin/vantrel reads
// <prefix>/share/vantrel), else the program's own folder (the build folder).
std::string DataFolder();
std::string DataFolderOf(const std::string& programPath);

// Whether path is the installed program: a file named "vantrel" in an install's program
// folder ("bin") with the install's data folder beside it. Test and benchmark programs, and
// the program run from its build folder, are not.
bool IsInstalledProgram(const std::string& path);

// --- registry -----------------------------------------------------------------------------

// A path that ends with "\" names a key (read and written as its default value); any other
// path names the value called by its last part, under the key before it. Paths compare
// without regard to letter case. Failures throw rt::RtError: a missing key or value on read
// or delete, a key that still has sub keys on delete, a refused write.
class Registry {
 public:
  virtual ~Registry() = default;
  virtual std::string RegRead(std::string_view path) = 0;
  virtual void RegWrite(std::string_view path, std::string_view value) = 0;
  virtual void RegDelete(std::string_view path) = 0;
};

// Error numbers of the shell's registry methods.
inline constexpr int kErrRegistryOpen = -2147024894;    // key or value not found
inline constexpr int kErrRegistryDenied = -2147024891;  // access is denied

// Keys and values in memory, optionally kept in a file (rewritten whole on every change,
// through a temporary file renamed over the old one). Writes and deletes under a denied
// prefix are refused, as a user's rights refuse them.
// Limits no store of the program's own reaches (it holds a few dozen keys a few levels deep).
inline constexpr uint64_t kMaxKeyStoreBytes = 64u << 20;  // the file, and its key paths in memory
inline constexpr size_t kMaxKeyStoreLines = 100000;
inline constexpr size_t kMaxKeyDepth = 512;

class KeyStoreRegistry : public Registry {
 public:
  explicit KeyStoreRegistry(std::string file = "");
  std::string RegRead(std::string_view path) override;
  void RegWrite(std::string_view path, std::string_view value) override;
  void RegDelete(std::string_view path) override;

  void DenyPrefix(std::string_view prefix);
  bool HasKey(std::string_view keyPath) const;  // keyPath ends with "\" or not
  // Every change made, in order ("write <path>=<value>", "delete <path>"), refused ones included.
  const std::vector<std::string>& log() const { return log_; }
  // Why the store's file was not read ("" when it was, or when there is none): not a regular
  // file, or over one of the limits below. Such a store starts empty and is never written over.
  const std::string& fault() const { return fault_; }

 private:
  struct Key {
    std::map<std::string, std::pair<std::string, std::string>> values;  // lower name -> (name, value)
  };
  void Load();
  void Save() const;
  bool Denied(const std::string& lowerPath) const;
  void EnsureKey(const std::string& keyPath);

  std::string file_;
  std::map<std::string, Key> keys_;           // lower key path (ending "\") -> key
  std::map<std::string, std::string> names_;  // lower key path -> key path as written
  std::vector<std::string> denied_;
  std::vector<std::string> log_;
  std::string fault_;
  uint64_t stored_ = 0;  // bytes the key paths take
};

// The registry in force: a KeyStoreRegistry kept in $XDG_CONFIG_HOME/Vantrel/registry.txt,
// made on first use, unless the program or a test installed another.
Registry& CurrentRegistry();
void SetRegistry(std::shared_ptr<Registry> registry);  // nullptr: the file one again

}  // namespace vantrel::platform
