#include "platform/shell/shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/runtime/replace_file.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/service_slot.h"
#include "platform/runtime/vb.h"

namespace vantrel::platform {
namespace fs = std::filesystem;

// --- folders ------------------------------------------------------------------------------

namespace {

std::string Home() {
  const char* h = std::getenv("HOME");
  return h && *h ? h : "/";
}

std::string XdgFolder(const char* var, const char* underHome) {
  const char* v = std::getenv(var);
  if (v && *v == '/') return v;
  return (fs::path(Home()) / underHome).string();
}

// The program path a test installed in place of the real one; none by default.
constinit rt::ServiceSlot<const std::string> g_programPath;

}  // namespace

std::string ConfigHome() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }
std::string DataHome() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string SpecialFolder(int index) {
  switch (index) {
    case 4: return (fs::path(Home()) / "Desktop").string();
    case 5: return ConfigHome();
    case 16: return (fs::path(Home()) / "Documents").string();
    default: return "";
  }
}

std::string ProgramPath() {
  if (const auto installed = g_programPath.shared()) return *installed;
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : p.string();
}

std::string ProgramFolder() { return fs::path(ProgramPath()).parent_path().string(); }
std::string ProgramExeName() { return fs::path(ProgramPath()).stem().string(); }
void SetProgramPath(std::string path) {
  g_programPath.set(path.empty() ? nullptr : std::make_shared<const std::string>(std::move(path)));
}

namespace {

// The install's data folder seen from the folder of an installed program.
fs::path InstalledDataFolder(const fs::path& programFolder) {
  return (programFolder / VANTREL_DATA_FROM_PROGRAM).lexically_normal();
}

bool IsFolder(const fs::path& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

}  // namespace

std::string DataFolderOf(const std::string& programPath) {
  const std::string folder = fs::path(programPath).parent_path().string();
  if (folder.empty()) return folder;
  const fs::path installed = InstalledDataFolder(folder);
  return IsFolder(installed) ? installed.string() : folder;
}

std::string DataFolder() { return DataFolderOf(ProgramPath()); }

bool IsInstalledProgram(const std::string& path) {
  const fs::path p(path);
  if (!p.is_absolute() || p.filename() != "vantrel") return false;
  std::error_code ec;
  if (!fs::is_regular_file(p, ec) || access(p.c_str(), X_OK) != 0) return false;
  const fs::path folder = p.parent_path();
  return folder.filename() == VANTREL_PROGRAM_FOLDER_NAME && IsFolder(InstalledDataFolder(folder));
}

// --- registry -----------------------------------------------------------------------------

namespace {

struct SplitPath {
  std::string key;   // up to and with the last "\"
  std::string name;  // after it; "" for the key's default value
};

SplitPath Split(std::string_view path) {
  size_t p = path.rfind('\\');
  if (p == std::string_view::npos) return {"", std::string(path)};
  return {std::string(path.substr(0, p + 1)), std::string(path.substr(p + 1))};
}

std::string Lower(std::string_view s) { return rt::LCase(s); }

[[noreturn]] void NotFound(std::string_view path, const char* what) {
  throw rt::RtError(kErrRegistryOpen, "Unable to open registry key \"" + std::string(path) + "\" for " + what + ".");
}

std::string Escape(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char n = s[++i];
      out += n == 't' ? '\t' : n == 'n' ? '\n' : n == 'r' ? '\r' : n;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> f;
  size_t b = 0;
  for (;;) {
    size_t t = line.find('\t', b);
    f.push_back(Unescape(std::string_view(line).substr(b, t == std::string::npos ? std::string::npos : t - b)));
    if (t == std::string::npos) break;
    b = t + 1;
  }
  return f;
}

}  // namespace

KeyStoreRegistry::KeyStoreRegistry(std::string file) : file_(std::move(file)) { Load(); }

void KeyStoreRegistry::Load() {
  if (file_.empty()) return;
  struct stat st {};
  if (::stat(file_.c_str(), &st) != 0) return;  // none yet
  auto refuse = [&](const std::string& why) {
    keys_.clear();
    names_.clear();
    fault_ = "The registry store " + file_ + " is not read: " + why + ". It is left as it is.";
    std::fprintf(stderr, "vantrel: %s\n", fault_.c_str());
  };
  if (!S_ISREG(st.st_mode)) return refuse("it is not a regular file");
  if (static_cast<uint64_t>(st.st_size) > kMaxKeyStoreBytes)
    return refuse("it is larger than " + std::to_string(kMaxKeyStoreBytes >> 20) + " MB");
  std::ifstream in(file_, std::ios::binary);
  std::string line;
  size_t lines = 0;
  stored_ = 0;
  try {
    while (std::getline(in, line)) {
      if (++lines > kMaxKeyStoreLines)
        return refuse("it has more than " + std::to_string(kMaxKeyStoreLines) + " lines");
      auto f = Fields(line);
      // Key paths are stored whole, ending in a backslash; a line with another is not ours.
      if (f.size() < 2 || f[1].empty() || f[1].back() != '\\') continue;
      if (f.size() == 2 && f[0] == "K") {
        EnsureKey(f[1]);
      } else if (f.size() == 4 && f[0] == "V") {
        EnsureKey(f[1]);
        keys_[Lower(f[1])].values[Lower(f[2])] = {f[2], f[3]};
      }
    }
  } catch (const rt::RtError& e) {
    return refuse("line " + std::to_string(lines) + ": " + e.description());
  } catch (const std::bad_alloc&) {
    return refuse("line " + std::to_string(lines) + ": out of memory");
  }
}

void KeyStoreRegistry::Save() const {
  if (file_.empty()) return;
  // A store that was not read is not written over: what it held would be lost.
  if (!fault_.empty()) throw rt::RtError(kErrRegistryDenied, fault_);
  std::ostringstream out;
  for (const auto& [lower, key] : keys_) {
    const std::string& path = names_.at(lower);
    out << "K\t" << Escape(path) << '\n';
    for (const auto& [ln, nv] : key.values)
      out << "V\t" << Escape(path) << '\t' << Escape(nv.first) << '\t' << Escape(nv.second) << '\n';
  }
  std::error_code ec;
  fs::create_directories(fs::path(file_).parent_path(), ec);
  if (const int err = rt::ReplaceFile(file_, out.str()))
    throw rt::RtError(kErrRegistryDenied, "Registry store cannot be written: " + file_ + ": " + std::strerror(err));
}

bool KeyStoreRegistry::Denied(const std::string& lowerPath) const {
  for (const auto& d : denied_)
    if (lowerPath.compare(0, d.size(), d) == 0) return true;
  return false;
}

void KeyStoreRegistry::EnsureKey(const std::string& keyPath) {
  // The key and every parent key, each kept with its whole path: bounded in depth and in all.
  size_t depth = 0;
  for (size_t p = keyPath.find('\\'); p != std::string::npos; p = keyPath.find('\\', p + 1))
    if (++depth > kMaxKeyDepth)
      throw rt::RtError(kErrRegistryDenied, "a key deeper than " + std::to_string(kMaxKeyDepth) + " levels");
  for (size_t p = keyPath.find('\\'); p != std::string::npos; p = keyPath.find('\\', p + 1)) {
    std::string k = keyPath.substr(0, p + 1);
    std::string lk = Lower(k);
    if (!names_.count(lk)) {
      stored_ += 3 * k.size();
      if (stored_ > kMaxKeyStoreBytes)
        throw rt::RtError(kErrRegistryDenied,
                          "its keys take more than " + std::to_string(kMaxKeyStoreBytes >> 20) + " MB");
      names_[lk] = k;
      keys_[lk];
    }
  }
}

void KeyStoreRegistry::DenyPrefix(std::string_view prefix) { denied_.push_back(Lower(prefix)); }

bool KeyStoreRegistry::HasKey(std::string_view keyPath) const {
  std::string k(keyPath);
  if (k.empty() || k.back() != '\\') k += '\\';
  return keys_.count(Lower(k)) > 0;
}

std::string KeyStoreRegistry::RegRead(std::string_view path) {
  SplitPath s = Split(path);
  auto it = keys_.find(Lower(s.key));
  if (it == keys_.end()) NotFound(path, "reading");
  auto v = it->second.values.find(Lower(s.name));
  if (v == it->second.values.end()) NotFound(path, "reading");
  return v->second.second;
}

void KeyStoreRegistry::RegWrite(std::string_view path, std::string_view value) {
  log_.push_back("write " + std::string(path) + "=" + std::string(value));
  SplitPath s = Split(path);
  if (s.key.empty()) throw rt::RtError(kErrRegistryOpen, "Invalid root in registry key \"" + std::string(path) + "\".");
  if (Denied(Lower(path)))
    throw rt::RtError(kErrRegistryDenied,
                      "Unable to save registry key \"" + std::string(path) + "\": access is denied.");
  EnsureKey(s.key);
  keys_[Lower(s.key)].values[Lower(s.name)] = {s.name, std::string(value)};
  Save();
}

void KeyStoreRegistry::RegDelete(std::string_view path) {
  log_.push_back("delete " + std::string(path));
  SplitPath s = Split(path);
  const std::string lk = Lower(s.key);
  auto it = keys_.find(lk);
  if (it == keys_.end()) NotFound(path, "deleting");
  if (Denied(Lower(path)))
    throw rt::RtError(kErrRegistryDenied,
                      "Unable to remove registry key \"" + std::string(path) + "\": access is denied.");
  if (s.name.empty()) {
    // A key: only when it has no sub keys.
    auto next = std::next(it);
    if (next != keys_.end() && next->first.compare(0, lk.size(), lk) == 0)
      throw rt::RtError(kErrRegistryDenied,
                        "Unable to remove registry key \"" + std::string(path) + "\": it has sub keys.");
    keys_.erase(it);
    names_.erase(lk);
  } else {
    if (!it->second.values.erase(Lower(s.name))) NotFound(path, "deleting");
  }
  Save();
}

namespace {

std::shared_ptr<Registry> MakeRegistry() {
  return std::make_shared<KeyStoreRegistry>((fs::path(ConfigHome()) / "Vantrel" / "registry.txt").string());
}

constinit rt::ServiceSlot<Registry> g_registry{&MakeRegistry};

}  // namespace

Registry& CurrentRegistry() { return g_registry.get(); }

void SetRegistry(std::shared_ptr<Registry> registry) { g_registry.set(std::move(registry)); }

}  // namespace vantrel::platform
