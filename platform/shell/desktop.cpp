#include "platform/shell/desktop.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/runtime/replace_file.h"
#include "platform/runtime/rterror.h"
#include "platform/shell/shell.h"

extern char** environ;

namespace vantrel::platform {
namespace fs = std::filesystem;

namespace {

bool OnPath(const std::string& tool) {
  if (tool.find('/') != std::string::npos) return access(tool.c_str(), X_OK) == 0;
  const char* path = std::getenv("PATH");
  std::string p = path ? path : "/usr/bin:/bin";
  size_t b = 0;
  for (;;) {
    size_t e = p.find(':', b);
    std::string dir = p.substr(b, e == std::string::npos ? std::string::npos : e - b);
    if (!dir.empty() && access((fs::path(dir) / tool).c_str(), X_OK) == 0) return true;
    if (e == std::string::npos) return false;
    b = e + 1;
  }
}

std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

// Replaces the file (the program's one way, replace_file.h), making its folder first.
void WriteFile(const std::string& path, const std::string& text) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (const int err = rt::ReplaceFile(path, text))
    throw rt::RtError(rt::kErrPathAccess, "Cannot write " + path + ": " + std::strerror(err));
}

std::string XmlEscape(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// A string value of a desktop entry: no line breaks, "\" written as "\\".
std::string DesktopString(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

// A string of a MIME magic rule: "\\" and the control characters escaped as the MIME
// database reads them.
std::string MagicString(std::string_view s) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c < 0x20 || c == 0x7f) out += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
    else out += static_cast<char>(c);
  }
  return out;
}

std::string Glob(const DesktopAssociation& a) {
  std::string ext = a.extension;
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  return "*." + ext;
}

// Marks the .desktop file this program writes for one user: only that file is rewritten.
constexpr std::string_view kOwnMark = "X-Vantrel-Per-User=true";

// The folders of an XDG list variable (absolute entries only), or its default.
std::vector<fs::path> FolderList(const char* var, const char* fallback) {
  const char* v = std::getenv(var);
  const std::string list = v && *v ? v : fallback;
  std::vector<fs::path> out;
  size_t b = 0;
  for (;;) {
    const size_t e = list.find(':', b);
    const std::string dir = list.substr(b, e == std::string::npos ? std::string::npos : e - b);
    if (!dir.empty() && dir[0] == '/') out.emplace_back(dir);
    if (e == std::string::npos) return out;
    b = e + 1;
  }
}

// $XDG_DATA_HOME (when withHome), then the folders of $XDG_DATA_DIRS, in the order they count.
std::vector<fs::path> DataFolders(bool withHome) {
  std::vector<fs::path> out;
  if (withHome) out.emplace_back(DataHome());
  for (auto& f : FolderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share")) out.push_back(f);
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return lines;
}

// The key of a "key=value" line (blanks before "=" dropped), "" for any other line.
std::string KeyOf(const std::string& line, std::string* value = nullptr) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos || line.empty() || line[0] == '#' || line[0] == '[') return {};
  size_t k = eq;
  while (k > 0 && (line[k - 1] == ' ' || line[k - 1] == '\t')) --k;
  if (value) {
    size_t v = eq + 1;
    while (v < line.size() && (line[v] == ' ' || line[v] == '\t')) ++v;
    *value = line.substr(v);
  }
  return line.substr(0, k);
}

// The value of key in the [Desktop Entry] group of a .desktop file.
std::string EntryValue(const std::string& text, std::string_view key) {
  bool inEntry = false;
  for (const auto& l : Lines(text)) {
    if (!l.empty() && l[0] == '[') {
      inEntry = l == "[Desktop Entry]";
      continue;
    }
    std::string value;
    if (inEntry && KeyOf(l, &value) == key) return value;
  }
  return {};
}

bool ListHas(const std::string& list, const std::string& item) {
  size_t b = 0;
  for (;;) {
    const size_t e = list.find(';', b);
    if (list.compare(b, e == std::string::npos ? std::string::npos : e - b, item) == 0) return true;
    if (e == std::string::npos) return false;
    b = e + 1;
  }
}

// A mimeapps.list (or defaults.list) with an entry for the type in any group.
bool ListFileNamesType(const fs::path& file, const std::string& mime) {
  for (const auto& l : Lines(ReadAll(file.string())))
    if (KeyOf(l) == mime) return true;
  return false;
}

bool IsListFile(const std::string& name) {
  static constexpr std::string_view kSuffix = "-mimeapps.list";
  return name == "mimeapps.list" || name == "defaults.list" ||
         (name.size() > kSuffix.size() && name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0);
}

bool AnyListFileNamesType(const fs::path& folder, const std::string& mime) {
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (IsListFile(it->path().filename().string()) && ListFileNamesType(it->path(), mime)) return true;
  }
  return false;
}

}  // namespace

int RunTool(const std::vector<std::string>& argv) {
  if (argv.empty() || !OnPath(argv[0])) return -1;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) < 0) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string DesktopExecLine(std::string_view programPath) {
  // Inside double quotes the characters " ` $ \ take a backslash; a literal % is doubled.
  std::string q = "\"";
  for (char c : programPath) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') q += '\\';
    if (c == '%') q += '%';
    q += c;
  }
  q += "\" %f";
  return DesktopString(q);
}

std::string MimePackageText(const DesktopAssociation& a) {
  std::ostringstream s;
  s << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    << "  <mime-type type=\"" << XmlEscape(a.mimeType) << "\">\n"
    << "    <comment>" << XmlEscape(a.comment) << "</comment>\n"
    << "    <sub-class-of type=\"text/plain\"/>\n";
  if (!a.magic.empty()) {
    // Above the e-mail type's rules (priority 50), whose "From:" a data file also begins with.
    s << "    <magic priority=\"60\">\n";
    for (const auto& m : a.magic)
      s << "      <match type=\"string\" value=\"" << XmlEscape(MagicString(m)) << "\" offset=\"0\"/>\n";
    s << "    </magic>\n";
  }
  s << "    <glob pattern=\"" << XmlEscape(Glob(a)) << "\"/>\n"
    << "  </mime-type>\n"
    << "</mime-info>\n";
  return s.str();
}

std::string DesktopFileText(const DesktopAssociation& a) {
  std::ostringstream s;
  s << "[Desktop Entry]\n"
    << "Type=Application\n"
    << "Name=" << DesktopString(a.appName) << "\n"
    << "Comment=" << DesktopString(a.comment) << "\n"
    << "Exec=" << DesktopExecLine(a.programPath) << "\n"
    << "MimeType=" << a.mimeType << ";\n";
  if (!a.iconPath.empty()) s << "Icon=" << DesktopString(a.iconPath) << "\n";
  s << "Terminal=false\n"
    << "NoDisplay=true\n"
    << kOwnMark << "\n";
  return s.str();
}

std::string MimePackagePath(const DesktopAssociation& a) {
  std::string name = a.desktopId;
  if (name.size() > 8 && name.compare(name.size() - 8, 8, ".desktop") == 0) name.resize(name.size() - 8);
  return (fs::path(DataHome()) / "mime" / "packages" / (name + ".xml")).string();
}

std::string DesktopFilePath(const DesktopAssociation& a) {
  return (fs::path(DataHome()) / "applications" / a.desktopId).string();
}

std::string MimeAppsListPath() { return (fs::path(ConfigHome()) / "mimeapps.list").string(); }

bool OtherHandlerExists(const DesktopAssociation& a) {
  std::vector<fs::path> configs{fs::path(ConfigHome())};
  for (auto& f : FolderList("XDG_CONFIG_DIRS", "/etc/xdg")) configs.push_back(f);
  for (const auto& f : configs)
    if (AnyListFileNamesType(f, a.mimeType)) return true;

  const std::vector<fs::path> datas = DataFolders(true);
  const fs::path own = fs::path(DesktopFilePath(a)).lexically_normal();
  std::set<std::string> seen;  // desktop ids: the first file of an id hides the later ones
  for (const auto& data : datas) {
    const fs::path apps = data / "applications";
    if (AnyListFileNamesType(apps, a.mimeType)) return true;
    std::error_code ec;
    fs::recursive_directory_iterator it(apps, fs::directory_options::skip_permission_denied, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
      const fs::path& p = it->path();
      if (p.extension() != ".desktop" || !it->is_regular_file(ec)) continue;
      std::string id = p.lexically_relative(apps).string();
      for (char& c : id)
        if (c == '/') c = '-';
      if (!seen.insert(id).second) continue;
      const std::string text = ReadAll(p.string());
      if (EntryValue(text, "Hidden") == "true" || !ListHas(EntryValue(text, "MimeType"), a.mimeType)) continue;
      if (p.lexically_normal() == own && text.find(kOwnMark) != std::string::npos) continue;
      return true;
    }
  }
  return false;
}

std::string ExecProgram(std::string_view exec) {
  // The string value's escapes first, then the quoting of the Exec rules.
  std::string value;
  for (size_t i = 0; i < exec.size(); ++i) {
    if (exec[i] == '\\' && i + 1 < exec.size()) {
      const char c = exec[++i];
      value += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == 's' ? ' ' : c;
    } else {
      value += exec[i];
    }
  }
  std::string program;
  size_t i = 0;
  if (!value.empty() && value[0] == '"') {
    for (i = 1; i < value.size() && value[i] != '"'; ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      else if (value[i] == '%' && i + 1 < value.size() && value[i + 1] == '%') ++i;
      program += value[i];
    }
    if (i >= value.size()) return {};  // no closing quote
  } else {
    for (; i < value.size() && value[i] != ' '; ++i) program += value[i];
  }
  return program;
}

bool MimeTypeKnown(const std::string& mimeType, bool userDatabase) {
  for (const auto& data : DataFolders(userDatabase))
    for (const auto& l : Lines(ReadAll((data / "mime" / "types").string())))
      if (l == mimeType) return true;
  return false;
}

bool RegisterDesktopAssociation(const DesktopAssociation& a, const ToolRunner& run) {
  const std::string desktopPath = DesktopFilePath(a);
  const std::string desktopText = DesktopFileText(a);
  const std::string mimePath = MimePackagePath(a);
  const std::string mimeText = MimePackageText(a);
  std::error_code ec;

  // Our entry for a program that no longer exists (an install since removed) goes first: it
  // would hide the entry of an install the desktop knows.
  const std::string entry = ReadAll(desktopPath);
  const bool ours = entry.find(kOwnMark) != std::string::npos;
  bool desktopChanged = false, mimeChanged = false;
  if (ours) {
    const std::string program = ExecProgram(EntryValue(entry, "Exec"));
    const bool gone = program.empty() || !fs::is_regular_file(program, ec) || access(program.c_str(), X_OK) != 0;
    if (gone && program != a.programPath) desktopChanged = fs::remove(desktopPath, ec);
  }

  // The desktop entry where no application is known for the type; the MIME package also where
  // one is but the MIME database does not know the type (its caches were not refreshed). Our
  // own package does not count as the database knowing it.
  const bool otherHandler = OtherHandlerExists(a);
  const bool ourMime = ReadAll(mimePath) == mimeText;
  const bool needMime = !otherHandler || !MimeTypeKnown(a.mimeType, !ourMime);
  if (needMime && !ourMime) {
    WriteFile(mimePath, mimeText);
    mimeChanged = true;
  } else if (!needMime && ourMime && desktopChanged) {
    mimeChanged = fs::remove(mimePath, ec);  // it went with the stale entry
  }
  const bool userOwnEntry = !ours && Exists(desktopPath);  // never replaced
  if (!otherHandler && !userOwnEntry && ReadAll(desktopPath) != desktopText) {
    WriteFile(desktopPath, desktopText);
    desktopChanged = true;
  }
  if (mimeChanged && run) run({"update-mime-database", (fs::path(DataHome()) / "mime").string()});
  if (desktopChanged && run) run({"update-desktop-database", (fs::path(DataHome()) / "applications").string()});
  return mimeChanged || desktopChanged;
}

}  // namespace vantrel::platform
