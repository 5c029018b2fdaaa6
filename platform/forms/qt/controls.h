#pragma once
// The standard controls: check box, text box, label, frame, combo box, list box, scroll bar,
// command button, progress bar and picture box. Each is built in its container (a form's
// Client(), a frame, a picture box) with its design-time values, which raise no event.

#include <QPixmap>

#include <string>
#include <vector>

#include "platform/forms/qt/control.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollBar;

namespace vantrel::forms {

// Value 0 clear, 1 ticked, 2 grey. A click of the user ticks a clear or grey box and clears a
// ticked one; grey is the program's only. Click runs on every change of the value.
class CheckBox : public Control {
 public:
  CheckBox(QWidget* parent, std::string name, const std::string& caption = "", int value = 0);
  int Value() const { return value_; }
  // Rounded half to even; RtError 380 outside 0..2.
  void SetValue(double value);
  std::string Caption() const;
  void SetCaption(const std::string& caption);

 private:
  void Show(int value);
  void UserClick();
  QCheckBox* box() const;
  int value_ = 0;
};

// Single-line (QLineEdit) or multi-line (QPlainTextEdit, lines read back with CR LF).
// Change runs on every change of the text, typed or written.
class TextBox : public Control {
 public:
  TextBox(QWidget* parent, std::string name, const std::string& text = "", bool multiLine = false);
  std::string Text() const;
  void SetText(const std::string& text);
  // Caret and selection, in characters from 0.
  int SelStart() const;
  void SetSelStart(int start);  // the selection becomes empty
  int SelLength() const;
  void SetSelLength(int length);  // selects from SelStart
  std::string SelText() const;
  bool Locked() const;
  void SetLocked(bool on);
  bool MultiLine() const { return multiLine_; }

  Handler Change;

 private:
  QLineEdit* line() const;
  QPlainTextEdit* plain() const;
  bool multiLine_;
};

class Label : public Control {
 public:
  Label(QWidget* parent, std::string name, const std::string& caption = "");
  std::string Caption() const;
  void SetCaption(const std::string& caption);
  void SetWordWrap(bool on);

 private:
  QLabel* label() const;
};

// A container with a caption; Client() is the parent of the controls inside it. A click on its
// background raises Click.
class Frame : public Control {
 public:
  Frame(QWidget* parent, std::string name, const std::string& caption = "");
  QWidget* Client() const { return widget(); }
  std::string Caption() const;
  void SetCaption(const std::string& caption);

 private:
  QGroupBox* box() const;
};

// An editable combo box: its text and a list of items. A write of Text runs Change; a write of
// ListIndex runs Click, as does a choice of the user in the list; typing runs Change.
class ComboBox : public Control {
 public:
  ComboBox(QWidget* parent, std::string name, const std::string& text = "");
  std::string Text() const;
  void SetText(const std::string& text);
  int ListIndex() const { return listIndex_; }
  // -1 (no item) to ListCount() - 1; RtError 380 otherwise.
  void SetListIndex(int index);
  int ListCount() const;
  std::string List(int index) const;  // "" outside the list
  void SetList(int index, const std::string& item);
  void AddItem(const std::string& item, int index = -1);
  void RemoveItem(int index);
  // Empties the list; the text stays.
  void Clear();

  Handler Change;

 private:
  void Keep(const std::function<void()>& f);  // list edit that leaves the text and index alone
  QComboBox* combo() const;
  int listIndex_ = -1;
};

// A list of items; ListIndex writes and the user's choices run Click.
class ListBox : public Control {
 public:
  ListBox(QWidget* parent, std::string name);
  int ListIndex() const { return listIndex_; }
  void SetListIndex(int index);  // RtError 380 outside -1 .. ListCount() - 1
  int ListCount() const;
  std::string List(int index) const;
  void SetList(int index, const std::string& item);
  std::string Text() const { return List(listIndex_); }
  void AddItem(const std::string& item, int index = -1);
  void RemoveItem(int index);
  void Clear();

 private:
  QListWidget* list() const;
  int listIndex_ = -1;
};

// Horizontal or vertical scroll bar with whole values between Min and Max. A write outside the
// range is refused with RtError 380 (the value stays); a write beyond the 16-bit range is
// RtError 6. Change runs on every change of the value (the user's arrow, track and key moves,
// the end of a thumb drag, program writes); Scroll runs while the thumb is dragged.
class ScrollBar : public Control {
 public:
  ScrollBar(QWidget* parent, std::string name, int min, int max, int value, int smallChange = 1, int largeChange = 1,
            bool horizontal = true);
  int Value() const { return value_; }
  void SetValue(double value);
  int Min() const { return min_; }
  int Max() const { return max_; }
  // A new bound that leaves the value outside moves the value to that bound (Change runs).
  void SetMin(double min);
  void SetMax(double max);
  int SmallChange() const { return small_; }
  int LargeChange() const { return large_; }
  void SetSmallChange(double step);
  void SetLargeChange(double step);

  Handler Change, Scroll;

 private:
  void ApplyRange();
  void FromUser(int value, bool dragging);
  QScrollBar* bar() const;
  int min_, max_, value_, small_, large_;
  int lastChangeValue_;
};

class CommandButton : public Control {
 public:
  CommandButton(QWidget* parent, std::string name, const std::string& caption = "");
  std::string Caption() const;
  void SetCaption(const std::string& caption);
  // Runs Click as a press of the button would.
  void PerformClick();

 private:
  QPushButton* button() const;
};

// Value between Min and Max (RtError 380 outside).
class ProgressBar : public Control {
 public:
  ProgressBar(QWidget* parent, std::string name, double min = 0, double max = 100);
  double Value() const { return value_; }
  void SetValue(double value);
  double Min() const { return min_; }
  double Max() const { return max_; }
  void SetMin(double min);
  void SetMax(double max);

 private:
  void Show();
  QProgressBar* bar() const;
  double min_, max_, value_;
};

// A picture, and a container for other controls (Client()).
class PictureBox : public Control {
 public:
  PictureBox(QWidget* parent, std::string name);
  QWidget* Client() const { return widget(); }
  // Loads an image file; RtError 53 when it does not exist, 481 when it is no picture.
  void LoadPicture(const std::string& path);
  void SetPicture(const QPixmap& picture);
  QPixmap Picture() const { return picture_; }

 private:
  QLabel* label() const;
  QPixmap picture_;
};

}  // namespace vantrel::forms
