#include "ui/file_open.h"

#include "datastore/load_queue.h"
#include "datastore/state.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "ui/frm_dialog.h"

namespace vantrel::ui {

namespace {

const char* kSection = "OpenVNX";

std::string DirKey(double i) { return "Dir" + rt::Format(i, "00.00"); }

std::string Get(const std::string& key, const std::string& fallback = "") {
  return platform::GetSetting(platform::kSettingsApp, kSection, key, fallback);
}

}  // namespace

void SplitPath(const std::string& path, std::string& folder, std::string& file, const std::string& defaultFolder) {
  folder = defaultFolder;
  file = path;
  const size_t last = path.rfind('/');
  if (last != std::string::npos) {
    folder = path.substr(0, last + 1);
    file = path.substr(last + 1);
  }
}

void UpdateFolderHistory(const std::string& folder, const std::string& last) {
  if (folder == last) return;
  double count = rt::Val(Get("DirMax", "0"));
  count = rt::RoundHalfEven(count) + 1;
  if (count > 10) count = 10;
  if (count < 1) count = 1;
  for (double i = count; i >= 2; --i)
    platform::SaveSetting(platform::kSettingsApp, kSection, DirKey(i), Get(DirKey(i - 1)));
  platform::SaveSetting(platform::kSettingsApp, kSection, DirKey(1), folder);
  platform::SaveSetting(platform::kSettingsApp, kSection, "DirMax", rt::Format(count, "0"));
}

FileOpenCommand::~FileOpenCommand() = default;

FrmDialog& FileOpenCommand::frmDialog() {
  if (!dialog_) dialog_ = std::make_unique<FrmDialog>(parent_);
  return *dialog_;
}

std::string FileOpenCommand::mnuFOpen_Click() {
  const std::string last = Get(DirKey(1));
  std::string start, ignored;
  SplitPath(last, start, ignored, "");

  FrmDialog& d = frmDialog();
  d.InitDir->SetText(start);
  d.Filename->SetText("");
  d.Filter->SetText("*.vnx ");
  d.Action->SetValue(1);
  if (showModal) showModal(d);
  else d.Show(1);

  const std::string chosen = d.Filename->Text();
  std::string folder, name;
  SplitPath(chosen, folder, name, start);
  UpdateFolderHistory(folder, last);

  if (chosen.empty()) return {};
  const std::string path = folder + name;
  datastore::RequestLoad([path] {
    datastore::DataStore& st = datastore::Store();
    st.CmdLineInfo.DataFilePath = path;
    st.CmdLineInfo.DataFileMode = 1;
    st.SceneFitDone = 0;
    st.DataFitted = 0;
    st.SourceMode = 0;
  });
  return path;
}

}  // namespace vantrel::ui
