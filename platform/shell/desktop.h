#pragma once
// The file-type association written the freedesktop way, for one user: a shared-mime-info
// package that maps the extension to a MIME type and a .desktop file that opens such files
// with the program; the desktop's caches are then refreshed with update-mime-database and
// update-desktop-database when these tools are installed. It is written only where no
// application at all is known for the type; the user's mimeapps.list is never changed.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::platform {

struct DesktopAssociation {
  std::string extension;           // ".vnx"
  std::string mimeType;            // "application/x-vantrel-data"
  std::string comment;             // description of the file type
  std::string appName;             // Name= of the .desktop file
  std::string desktopId;           // "vantrel.desktop"
  std::string programPath;         // absolute path of the executable, may hold blanks
  std::string iconPath;            // Icon= of the .desktop file; "" for none
  std::vector<std::string> magic;  // texts a file of the type begins with ("From: \t")
};

// Runs a tool with its arguments (argv[0] is the tool's name, looked up in PATH); returns its
// exit code, or -1 when the tool is not installed.
using ToolRunner = std::function<int(const std::vector<std::string>& argv)>;
int RunTool(const std::vector<std::string>& argv);

// The Exec= value that starts path with the file as its argument: the path quoted and escaped
// as the Desktop Entry rules require (then escaped once more as a string value).
std::string DesktopExecLine(std::string_view programPath);

// The texts of the two files, and where they go under $XDG_DATA_HOME.
std::string MimePackageText(const DesktopAssociation& a);
std::string DesktopFileText(const DesktopAssociation& a);
std::string MimePackagePath(const DesktopAssociation& a);
std::string DesktopFilePath(const DesktopAssociation& a);
std::string MimeAppsListPath();  // $XDG_CONFIG_HOME/mimeapps.list

// Whether an application other than the per-user association written by
// RegisterDesktopAssociation is known for the MIME type: a .desktop file that lists the type
// (the first one of each desktop id in $XDG_DATA_HOME, then $XDG_DATA_DIRS, counts unless it
// is hidden), or any entry for the type in a mimeapps.list or defaults.list (a default, an
// added or a removed association: the user's choice).
bool OtherHandlerExists(const DesktopAssociation& a);

// The program an Exec= value (as it stands in the file) starts: the inverse of
// DesktopExecLine for a quoted path, the first word of an unquoted one; "" when unreadable.
std::string ExecProgram(std::string_view exec);

// Whether the MIME database (mime/types of a folder of $XDG_DATA_DIRS, and of $XDG_DATA_HOME
// when userDatabase is true, as update-mime-database makes it) knows the type.
bool MimeTypeKnown(const std::string& mimeType, bool userDatabase = true);

// Keeps the user's association for the program of a.programPath. First removes the user's
// .desktop file that we wrote for another program which no longer exists. Where no other
// application is known for the type, writes the two files when they are missing or differ (a
// .desktop file at that place is replaced only when we wrote it); where one is known but the
// MIME database does not know the type, writes the MIME package only; where the database knows
// it, a MIME package of ours that went with a removed stale entry is removed too. Refreshes the
// caches of what changed. Returns true when something was written or removed. Throws
// rt::RtError when a file cannot be written.
bool RegisterDesktopAssociation(const DesktopAssociation& a, const ToolRunner& run = RunTool);

}  // namespace vantrel::platform
