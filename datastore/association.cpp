#include "datastore/association.h"

#include <cstdio>
#include <exception>
#include <new>
#include <filesystem>

#include "datastore/services.h"
#include "datastore/state.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "platform/shell/shell.h"

namespace vantrel::datastore {

namespace fs = std::filesystem;

namespace {

constexpr const char* kFileExts = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

bool& RecordsSaved() { return Store().Association.recordsSaved; }

platform::ToolRunner& Runner() { return Store().Seams.associationTools; }

// The first failure of the run is logged with its reason; every later one only passed over.
void TellOnce(const std::string& description) {
  bool& told = Store().Association.failureTold;
  if (told) return;
  told = true;
  std::fprintf(stderr, "vantrel: file association: %s\n", description.c_str());
  rt::Try([&] { AddLogLine(Store().Main(), "File association not recorded: " + description); });
}

// Runs one step; a failure of any kind is passed over.
template <class F>
void Step(F&& f) {
  try {
    f();
  } catch (const std::bad_alloc&) {
    TellOnce("out of memory");
  } catch (const std::exception& e) {
    // A value not yet there is what reading it first expects.
    const auto* rt = dynamic_cast<const rt::RtError*>(&e);
    if (!rt || rt->number() != platform::kErrRegistryOpen) TellOnce(e.what());
  }
}

}  // namespace

void SetAssociationToolRunner(platform::ToolRunner runner) { Runner() = std::move(runner); }

std::string ProgramCommand() { return (fs::path(platform::ProgramFolder()) / platform::ProgramExeName()).string(); }

void AssociateFileType(const std::string& ext, const std::string& className, const std::string& command) {
  const std::string exeName = fs::path(command).stem().string();
  Step([&] {
    platform::Registry& reg = platform::CurrentRegistry();
    std::string current;
    Step([&] { current = reg.RegRead("HKCR\\" + ext + "\\"); });
    if (current == className) return;
    Step([&] { reg.RegWrite("HKCR\\" + ext + "\\", className); });
    Step([&] { reg.RegWrite("HKCR\\" + className + "\\", exeName); });
    // The path can hold blanks: quoted, so that the shell passes the file as the argument.
    Step([&] { reg.RegWrite("HKCR\\" + className + "\\shell\\open\\command\\", "\"" + command + "\" %L"); });
    Step([&] { reg.RegDelete(std::string(kFileExts) + ext + "\\Application"); });
    Step([&] { reg.RegDelete(std::string(kFileExts) + ext + "\\OpenWithList"); });
    Step([&] { reg.RegWrite(std::string(kFileExts) + ext + "\\Application", command); });
  });
  // The desktop's own association, for this user: only from the installed program (never from
  // the build folder, a test or a benchmark), and only where no application is known for the
  // type (a system-wide install brings its own).
  if (!platform::IsInstalledProgram(command)) return;
  Step([&] {
    platform::DesktopAssociation a;
    a.extension = ext;
    a.mimeType = DataFileMimeType(className);
    a.comment = "Vantrel trajectory data";
    a.appName = "Vantrel";
    a.desktopId = "vantrel.desktop";
    a.programPath = command;
    a.magic = {"From: \t", "\"From: \t"};  // the data file's header, plain and quoted
    const fs::path icon = fs::path(platform::DataFolderOf(command)).parent_path() / "icons" / "hicolor" / "scalable" /
                          "apps" / "vantrel.svg";
    std::error_code ec;
    if (fs::is_regular_file(icon, ec)) a.iconPath = icon.string();
    if (Runner()) {
      platform::RegisterDesktopAssociation(a, Runner());
    } else {
      platform::RegisterDesktopAssociation(a);
    }
  });
}

std::string DataFileMimeType(const std::string& className) { return "application/x-" + rt::LCase(className); }

bool SaveAssociationRecords() {
  if (RecordsSaved()) return false;
  platform::SaveSetting(platform::kSettingsApp, "App", "associateEXE", platform::ProgramExeName());
  platform::SaveSetting(platform::kSettingsApp, "App", "associateEXT", ".vnx");
  RecordsSaved() = true;
  return true;
}

}  // namespace vantrel::datastore
