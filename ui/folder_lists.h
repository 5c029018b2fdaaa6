#pragma once
// The drive, folder and file lists of the program's file dialog, as controls of the forms layer.
// Paths use "/"; a folder's Path has no final "/" except the root. The system has one root, so
// the drive list holds "/" alone.

#include <string>
#include <vector>

#include "platform/forms/qt/control.h"

class QComboBox;
class QListWidget;

namespace vantrel::ui {

// The one root. Drive() is "/"; writing a path there keeps it (no drive change is possible).
class DriveListBox : public forms::Control {
 public:
  DriveListBox(QWidget* parent, std::string name);
  std::string Drive() const { return "/"; }
  void SetDrive(const std::string& path);  // a path's drive: always the root
  forms::Handler Change;
};

// The current folder's ancestors from the root down, then its sub folders by name. A click of
// the user on an entry raises Click (after the click, so the handler may move the list); List(i)
// is that entry's full path.
class DirListBox : public forms::Control {
 public:
  DirListBox(QWidget* parent, std::string name);
  std::string Path() const { return path_; }
  // RtError 76 when the folder does not exist; Change runs when the path changes.
  void SetPath(const std::string& path);
  int ListCount() const { return static_cast<int>(entries_.size()); }
  std::string List(int index) const;  // "" outside the list
  int ListIndex() const { return listIndex_; }
  forms::Handler Change;

 private:
  void Fill();
  QListWidget* list() const;
  std::string path_;
  std::vector<std::string> entries_;
  int listIndex_ = -1;
};

// The files of a folder whose names match the pattern ("*.*" all; several patterns split by
// ";"; blanks around them ignored; letter case ignored), sorted by name. A change of the
// selection (user or ListIndex write) raises Click; a double click raises DblClick.
class FileListBox : public forms::Control {
 public:
  FileListBox(QWidget* parent, std::string name);
  std::string Path() const { return path_; }
  // RtError 76 when the folder does not exist. The list is read again and nothing is selected.
  void SetPath(const std::string& path);
  std::string Pattern() const { return pattern_; }
  void SetPattern(const std::string& pattern);
  int ListCount() const { return static_cast<int>(files_.size()); }
  std::string List(int index) const;  // "" outside the list
  int ListIndex() const { return listIndex_; }
  // -1 to ListCount() - 1; RtError 380 otherwise.
  void SetListIndex(int index);
  std::string FileName() const { return List(listIndex_); }
  // Reads the folder again.
  void Refresh();

  static bool Matches(const std::string& name, const std::string& pattern);

 private:
  QListWidget* list() const;
  std::string path_;
  std::string pattern_ = "*.*";
  std::vector<std::string> files_;
  int listIndex_ = -1;
};

}  // namespace vantrel::ui
