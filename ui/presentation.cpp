#include "ui/presentation.h"

#include <filesystem>
#include <system_error>

#include "datastore/loader.h"
#include "datastore/state.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/qt/controls.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/shell/shell.h"

namespace vantrel::ui {

namespace fs = std::filesystem;

std::string PresentationCopyName(double serial) {
  return "PowerPoint" + rt::FormatDate(serial, "yyyymmdd") + "_" + rt::FormatDate(serial, "hhnnss") + ".vnx";
}

std::string ShellQuoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

std::string PresentationCommandLine(const std::string& programPath, const std::string& dataFile) {
  return ShellQuoted(programPath) + " " + ShellQuoted(dataFile);
}

std::string mnuFRunPowerPoint_Click(forms::Frame& Frame1, forms::TextBox& Text1) {
  datastore::DataStore& st = datastore::Store();
  std::string dir = st.WorkDir;
  if (dir.empty() || dir.back() != '/') dir += '/';

  std::string file;
  if (st.CmdLineInfo.DataFileMode != 1) {
    const std::string source = datastore::CurrentDataFileIn(st.WorkDir);
    file = dir + PresentationCopyName(rt::Now());
    std::error_code ec;
    bool copied = fs::is_regular_file(source, ec);
    if (copied) copied = fs::copy_file(source, file, fs::copy_options::overwrite_existing, ec) && !ec;
    if (!copied) {
      std::string why = ec ? ec.message() : std::string("the current data file does not exist");
      forms::MsgBox("The current data file " + source + " could not be copied to " + file + ":\n" + why, 16, "Error");
      Text1.SetText("");
      return {};
    }
  } else {
    file = st.CmdLineInfo.DataFilePath;
  }

  Frame1.SetVisible(true);
  Frame1.Move(600, 1200);
  Frame1.ZOrder(0);

  std::string program;
  rt::Try([&] { program = platform::ProgramPath(); });
  const std::string line = PresentationCommandLine(program, file);
  Text1.SetText(line);
  Text1.SetSelStart(0);
  Text1.SetSelLength(static_cast<int>(rt::Len(line)));
  return file;
}

}  // namespace vantrel::ui
