#pragma once
// File/"SaveImage" and File/"MovieFrames" (also the view toolbar's "imagespot" and
// "movieframes"): an image named after the date and time, saved at once in the image folder
// (the options box Text6, else the program's folder); or a recording prepared under such a name
// and the movie window opened, or, when the toolbar's movie button opened one, stopped. The
// first image of a run opens the folder in the file manager.

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace vantrel::forms {
class TextBox;
}

namespace vantrel::ui {

class FrmVideo;

// "Vanex" + yyyymmdd + "_" + hhmmss for a date serial.
std::string ImageTimeStamp(double serial);

// Opens a folder in the desktop's file manager, the folder handed over as one argument.
void OpenFolderInFileManager(const std::string& folder);

class CaptureCommands {
 public:
  // Saves the view as folder + name (the view object's SaveBMP): "" when written, else the
  // message that tells why not.
  using SaveFn = std::function<std::string(std::string& name, std::string& folder)>;

  // Text6: the image-folder box of the options panel. videoParent: parent of the movie window.
  CaptureCommands(forms::TextBox& Text6, SaveFn save, QWidget* videoParent = nullptr);
  ~CaptureCommands();

  void mnuFSaveAs_Click();
  void mnuFMovieSaveAs_Click();

  // The movie window, made on its first showing.
  FrmVideo& frmVideo();
  bool HasFrmVideo() const { return video_ != nullptr; }

  // True once the folder was shown in the file manager in this run.
  bool ExplorerShown = false;
  // Opens the folder (the file manager by default; tests record instead).
  std::function<void(const std::string&)> openFolder = OpenFolderInFileManager;

 private:
  std::string ImageFolder();

  forms::TextBox& Text6_;
  SaveFn save_;
  QWidget* videoParent_;
  std::unique_ptr<FrmVideo> video_;
};

}  // namespace vantrel::ui
