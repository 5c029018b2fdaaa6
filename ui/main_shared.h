#pragma once
// Module values of the main window that other parts of the program read: one object for the
// run, reachable with MainShared(); tests install a fresh one with ScopedMainShared.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/runtime/service_slot.h"
#include "ui/version.h"

namespace vantrel::ui {

struct MainSharedValues {
  std::string LineSep = "\r\n";
  std::string VersionDigits;  // "002008006" for version 2.8, revision 6
  std::string UserName;       // the logged-on user's name (toolbar layout key)
  int LastKeyCode = 0;        // key being pressed in the main window, 0 when none
  int LastShift = 0;          // its shift state (Shift 1, Ctrl 2, Alt 4)
};

MainSharedValues& MainShared();

class ScopedMainShared {
 public:
  ScopedMainShared();
  ~ScopedMainShared();
  ScopedMainShared(const ScopedMainShared&) = delete;
  ScopedMainShared& operator=(const ScopedMainShared&) = delete;

 private:
  rt::ServiceSlot<MainSharedValues>::Scoped scope_;
};

// The maker's banner of the caption (the version is in ui/version.h).
inline constexpr const char* kMakerBanner = "Vantrel Space Software";

// VersionDigits of a version: each number with three digits.
std::string VersionDigitsOf(int major, int minor, int revision);
// The window caption for a version comment and the clock's year.
std::string MainCaption(const std::string& comment, const std::string& banner, int year);

// The items of a command line: trimmed of blanks, cut at every comma when it holds one, else at
// every blank; pieces trimmed, empty ones dropped.
std::vector<std::string> SplitList(const std::string& text);

// What the command line sets.
struct CommandLineValues {
  std::string DataFilePath;
  std::string CmdLineFirst;
  int DataFileMode = 0;
};
// The arguments after the program's path, as the system hands them over (already split): the
// first is the data file, its surrounding quotes removed; data-file mode when it has at least
// 8 characters.
CommandLineValues ReadCommandLineArgs(const std::vector<std::string>& arguments);

// The command line as a file manager hands it over, before the rules above see it: a first
// argument ending in .xlsx or .ods (either case) names the running spreadsheet; it leaves the
// list and `workbook` receives its absolute path. Every other argument that names an existing
// file becomes that file's absolute path; one that names no file is kept as typed.
std::vector<std::string> PrepareCommandLine(std::vector<std::string> arguments, std::string& workbook);

}  // namespace vantrel::ui
