#pragma once
// File/"Open *.vnx files": the program's file dialog starts in the most recent folder of the
// history kept in the settings store (section "OpenVNX", keys "Dir01.00" to "Dir10.00", most
// recent first, and "DirMax"); the chosen file is loaded in data-file mode through the load
// queue, so a choice made while a load runs waits for its end.

#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace vantrel::ui {

class FrmDialog;

// folder := defaultFolder and file := path; when the path holds "/", folder := up to and with
// the last "/" and file := the rest.
void SplitPath(const std::string& path, std::string& folder, std::string& file, const std::string& defaultFolder);

// Puts folder first in the history when it differs from the most recent entry `last`: the
// entries move one place down (the tenth is dropped) and "DirMax" grows up to 10.
void UpdateFolderHistory(const std::string& folder, const std::string& last);

class FileOpenCommand {
 public:
  explicit FileOpenCommand(QWidget* dialogParent = nullptr) : parent_(dialogParent) {}
  ~FileOpenCommand();

  // The menu handler. Returns the file chosen ("" after Cancel).
  std::string mnuFOpen_Click();

  // The dialog, made on first use and kept for the run.
  FrmDialog& frmDialog();
  // Runs in place of the modal show (tests): it gets the dialog and must hide it.
  std::function<void(FrmDialog&)> showModal;

 private:
  QWidget* parent_;
  std::unique_ptr<FrmDialog> dialog_;
};

}  // namespace vantrel::ui
