#include "platform/shell/desktop.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

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

// Replaces the file through a temporary file beside it.
void WriteFile(const std::string& path, const std::string& text) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  const std::string tmp = path + ".tmp";
  {
    std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
    f << text;
    f.close();
    if (!f) throw rt::RtError(rt::kErrPathAccess, "Cannot write " + path);
  }
  fs::rename(tmp, path, ec);
  if (ec) throw rt::RtError(rt::kErrPathAccess, "Cannot write " + path);
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

std::string Glob(const DesktopAssociation& a) {
  std::string ext = a.extension;
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  return "*." + ext;
}

// mimeapps.list with the program as the default application of the type, other lines kept.
std::string WithDefaultApp(const std::string& old, const std::string& mime, const std::string& id) {
  std::vector<std::string> lines;
  std::istringstream in(old);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  const std::string entry = mime + "=" + id + ";";
  int group = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == "[Default Applications]") {
      group = static_cast<int>(i);
      break;
    }
  }
  if (group < 0) {
    if (!lines.empty() && !lines.back().empty()) lines.push_back("");
    lines.push_back("[Default Applications]");
    lines.push_back(entry);
  } else {
    size_t i = group + 1;
    bool done = false;
    for (; i < lines.size() && (lines[i].empty() || lines[i][0] != '['); ++i) {
      if (lines[i].compare(0, mime.size() + 1, mime + "=") == 0) {
        lines[i] = entry;
        done = true;
        break;
      }
    }
    if (!done) {
      size_t at = group + 1;
      while (at < lines.size() && !lines[at].empty() && lines[at][0] != '[') ++at;
      lines.insert(lines.begin() + at, entry);
    }
  }
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
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
    << "    <sub-class-of type=\"text/plain\"/>\n"
    << "    <glob pattern=\"" << XmlEscape(Glob(a)) << "\"/>\n"
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
    << "MimeType=" << a.mimeType << ";\n"
    << "Terminal=false\n"
    << "NoDisplay=true\n";
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

bool RegisterDesktopAssociation(const DesktopAssociation& a, const ToolRunner& run) {
  bool mimeWritten = false, desktopWritten = false;
  const std::string mimeText = MimePackageText(a);
  const std::string mimePath = MimePackagePath(a);
  if (!Exists(mimePath) || ReadAll(mimePath) != mimeText) {
    WriteFile(mimePath, mimeText);
    mimeWritten = true;
  }
  const std::string desktopText = DesktopFileText(a);
  const std::string desktopPath = DesktopFilePath(a);
  if (!Exists(desktopPath) || ReadAll(desktopPath) != desktopText) {
    WriteFile(desktopPath, desktopText);
    desktopWritten = true;
  }
  const std::string listPath = MimeAppsListPath();
  const std::string oldList = ReadAll(listPath);
  const std::string newList = WithDefaultApp(oldList, a.mimeType, a.desktopId);
  bool listWritten = false;
  if (newList != oldList) {
    WriteFile(listPath, newList);
    listWritten = true;
  }
  if (mimeWritten && run) run({"update-mime-database", (fs::path(DataHome()) / "mime").string()});
  if (desktopWritten && run) run({"update-desktop-database", (fs::path(DataHome()) / "applications").string()});
  return mimeWritten || desktopWritten || listWritten;
}

}  // namespace vantrel::platform
