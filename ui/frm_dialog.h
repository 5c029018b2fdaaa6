#pragma once
// frmDialog ("Explorer tree"): the program's own file-open dialog, a folder list and a file
// list over the one root. The caller writes InitDir (the start folder, ending in "/", or ""),
// Filename and Filter, sets Action to 1, shows the form modally and reads Filename afterwards:
// the chosen file's full path, or "" after Cancel. The form stays loaded between uses, so the
// lists, the last filter and the memory of visited folders last for the run.

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/qt/controls.h"
#include "platform/forms/qt/form.h"
#include "ui/folder_lists.h"

namespace vantrel::ui {

class FrmDialog : public forms::Form {
 public:
  // Builds the form and runs Form_Load.
  explicit FrmDialog(QWidget* parent = nullptr);

  void Form_Load();
  void Form_Activate();
  void Action_Click();
  void InitDir_Change();
  void Filter_Change();
  void Fichier1_Click();
  void Fichier1_DblClick();
  void Commande1_Click();
  void Commande2_Click();
  void Lecteur1_Change();
  void Répertoire1_Change();
  void Répertoire1_Click();

  // The folder and file of a path: up to and with the last "/", and the rest. A path without
  // "/" gives its first character and the rest; "" gives two empty parts.
  static void SplitDirFile(const std::string& path, std::string& folder, std::string& file);

  std::unique_ptr<forms::Frame> Cadre1, Cadre2;
  std::unique_ptr<DriveListBox> Lecteur1;
  std::unique_ptr<DirListBox> Répertoire1;
  std::unique_ptr<FileListBox> Fichier1;
  std::unique_ptr<forms::TextBox> Filename, Filter, InitDir, InitJustDir, Text1;
  std::unique_ptr<forms::CommandButton> Commande1, Commande2;
  std::unique_ptr<forms::CheckBox> Action;
  std::unique_ptr<forms::ComboBox> ListeModifiable1;
  std::unique_ptr<forms::Label> Label1, Label2, Label3, Label4, Label5;

 private:
  void SelectFileInList(const std::string& name);
  void RecallDriveDir(const std::string& drive);
  std::vector<std::unique_ptr<forms::Control>> cadre2Controls_;
};

}  // namespace vantrel::ui
