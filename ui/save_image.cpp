#include "ui/save_image.h"

#include <QDesktopServices>
#include <QUrl>

#include "datastore/recent_specs.h"
#include "datastore/state.h"
#include "datastore/waits.h"
#include "platform/events/events.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/qt/controls.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/shell/shell.h"
#include "ui/frm_video.h"
#include "view/view_shared.h"

namespace vantrel::ui {

std::string ImageTimeStamp(double serial) {
  return "Vanex" + rt::FormatDate(serial, "yyyymmdd") + "_" + rt::FormatDate(serial, "hhnnss");
}

void OpenFolderInFileManager(const std::string& folder) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
}

CaptureCommands::CaptureCommands(forms::TextBox& Text6, SaveFn save, QWidget* videoParent)
    : Text6_(Text6), save_(std::move(save)), videoParent_(videoParent) {}

CaptureCommands::~CaptureCommands() = default;

FrmVideo& CaptureCommands::frmVideo() {
  if (!video_) {
    video_ = std::make_unique<FrmVideo>(videoParent_);
    video_->setWindowFlag(Qt::Window);
  }
  return *video_;
}

std::string CaptureCommands::ImageFolder() {
  std::string folder = Text6_.Text();
  if (folder.empty()) {
    folder = view::DefaultWorkFolder();
    Text6_.SetText(folder);
  }
  return folder;
}

void CaptureCommands::mnuFSaveAs_Click() {
  std::string folder = ImageFolder();
  std::string name = ImageTimeStamp(rt::Now()) + ".bmp";
  std::string fault = save_ ? save_(name, folder) : std::string();
  if (!fault.empty()) {
    // Nothing was written: say why, and never that the image was saved.
    rt::Try([&] { datastore::AddLogLine(datastore::Store().Main(), fault); });
    forms::MsgBox(fault, 16, "Error");
    return;
  }
  std::string note, shown;
  datastore::VirtualStorePath(note, folder, shown);
  if (shown.empty()) shown = folder;
  if (!ExplorerShown) {
    if (openFolder) rt::Try([&] { openFolder(shown); });
    platform::DoEvents();
    datastore::PauseSleepW(0.1f, 50);
    ExplorerShown = true;
    rt::Try([&] { datastore::Store().Main().SetText21Text("Explorer open with image saved " + name); });
  }
}

void CaptureCommands::mnuFMovieSaveAs_Click() {
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  if (sb.MovieArmed == 1.0) {
    // The toolbar's movie button stops the recording it opened; the window stays as it is.
    sb.MovieFrameNo = 0;
    sb.MovieLastTime = 0;
    sb.MovieArmed = 0;
    return;
  }
  const std::string folder = ImageFolder();
  st.MovieFileParts.Prefix = ImageTimeStamp(rt::Now());
  st.MovieFileParts.Folder = folder;
  frmVideo().Show(0);
}

}  // namespace vantrel::ui
