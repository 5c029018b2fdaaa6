#include "datastore/association.h"

#include <exception>
#include <filesystem>

#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "platform/shell/shell.h"

namespace vantrel::datastore {

namespace {

constexpr const char* kFileExts = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

bool& RecordsSaved() {
  static bool saved = false;
  return saved;
}

platform::ToolRunner& Runner() {
  static platform::ToolRunner r;
  return r;
}

// Runs one step; a failure of any kind is passed over.
template <class F>
void Step(F&& f) {
  try {
    f();
  } catch (const std::exception&) {
  }
}

}  // namespace

void SetAssociationToolRunner(platform::ToolRunner runner) { Runner() = std::move(runner); }

std::string ProgramCommand() {
  return (std::filesystem::path(platform::ProgramFolder()) / platform::ProgramExeName()).string();
}

void AssociateFileType(const std::string& ext, const std::string& className, const std::string& command) {
  const std::string exeName = std::filesystem::path(command).stem().string();
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
  Step([&] {
    platform::DesktopAssociation a;
    a.extension = ext;
    a.mimeType = "application/x-" + rt::LCase(className);
    a.comment = "Vantrel trajectory data";
    a.appName = "Vantrel";
    a.desktopId = rt::LCase(exeName.empty() ? std::string("vantrel") : exeName) + ".desktop";
    a.programPath = command;
    if (Runner()) {
      platform::RegisterDesktopAssociation(a, Runner());
    } else {
      platform::RegisterDesktopAssociation(a);
    }
  });
}

bool SaveAssociationRecords() {
  if (RecordsSaved()) return false;
  platform::SaveSetting(platform::kSettingsApp, "App", "associateEXE", platform::ProgramExeName());
  platform::SaveSetting(platform::kSettingsApp, "App", "associateEXT", ".vnx");
  RecordsSaved() = true;
  return true;
}

void ResetAssociationRecordsForTesting() { RecordsSaved() = false; }

}  // namespace vantrel::datastore
