#pragma once
// The common controls of the main window: status bar with panels, image lists and toolbars.

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/qt/control.h"

class QAction;
class QLabel;
class QStatusBar;
class QToolBar;

namespace vantrel::forms {

// A status bar of panels numbered from 1. A click on a panel runs PanelClick(panel); a
// double-click anywhere on the bar runs DblClick.
class StatusBar : public Control {
 public:
  // Becomes the window's status bar.
  StatusBar(QMainWindow* window, std::string name);
  int AddPanel(const std::string& text, double widthTwips = 0);
  int PanelCount() const { return static_cast<int>(panels_.size()); }
  std::string PanelText(int panel) const;  // RtError 35600 outside 1..PanelCount
  void SetPanelText(int panel, const std::string& text);

  std::function<void(int panel)> PanelClick;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLabel* Panel(int panel) const;
  std::vector<QLabel*> panels_;
  bool afterDoubleClick_ = false;  // the release that ends a double-click is no panel click
};

// Pictures of one size, numbered from 1, some with a key.
class ImageList {
 public:
  ImageList(int width = 16, int height = 16) : width_(width), height_(height) {}
  int Add(const QPixmap& picture, const std::string& key = "");
  int Count() const { return static_cast<int>(pictures_.size()); }
  QPixmap Picture(int index) const;  // RtError 35600 outside 1..Count
  std::string Key(int index) const;
  int IndexOfKey(const std::string& key) const;  // 0 when no picture has it
  int ImageWidth() const { return width_; }
  int ImageHeight() const { return height_; }

 private:
  int width_, height_;
  std::vector<QPixmap> pictures_;
  std::vector<std::string> keys_;
};

enum ButtonStyle : int {
  kButtonDefault = 0,
  kButtonCheck = 1,
  kButtonGroup = 2,
  kButtonSeparator = 3,
  kButtonPlaceholder = 4
};
enum ButtonValue : int { kButtonUp = 0, kButtonPressed = 1 };

class Toolbar;

// One button of a toolbar. Setting its Value changes how it shows and raises no click.
class ToolbarButton {
 public:
  int Index() const { return index_; }
  const std::string& Key() const { return key_; }
  int Style() const { return style_; }
  int Value() const { return value_; }
  void SetValue(int value);  // RtError 380 outside 0..1
  int Image() const { return image_; }
  void SetImage(int image);  // 0 none, else a picture of the toolbar's image list
  std::string ToolTipText() const;
  void SetToolTipText(const std::string& text);
  std::string Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  std::string Description;
  std::string Tag;
  bool Visible() const;
  void SetVisible(bool on);
  bool Enabled() const;
  void SetEnabled(bool on);
  QAction* action() const;

 private:
  friend class Toolbar;
  void Show();
  Toolbar* bar_ = nullptr;
  QAction* action_ = nullptr;
  int index_ = 0;
  std::string key_;
  int style_ = 0;
  int value_ = 0;
  int image_ = 0;
  std::string caption_;
};

// A toolbar of the window, with buttons numbered from 1. A click of the user on a check button
// toggles its Value, on a group button presses it and releases the others of its group (the
// buttons of that style next to it), then runs ButtonClick(button). The layout (where the bar
// stands) is kept with the window's state under (key, subkey, value) in the layout store.
class Toolbar : public Control {
 public:
  Toolbar(QMainWindow* window, std::string name, Qt::ToolBarArea area = Qt::TopToolBarArea);
  ~Toolbar() override;

  int AddButton(const std::string& key, int style = kButtonDefault, int image = 0, int value = kButtonUp,
                const std::string& toolTip = "");
  int ButtonCount() const { return static_cast<int>(buttons_.size()); }
  // RtError 35600 outside 1..ButtonCount.
  ToolbarButton& Button(int index) const;
  // By key; RtError 35601 when no button has it.
  ToolbarButton& Button(const std::string& key) const;

  void SetImageList(const ImageList* images);
  const ImageList* ImageListOf() const { return images_; }

  void SaveToolbar(const std::string& key, const std::string& subkey, const std::string& value);
  // False (and nothing changes) when nothing is stored under the names or it cannot be read.
  bool RestoreToolbar(const std::string& key, const std::string& subkey, const std::string& value);

  std::function<void(ToolbarButton& button)> ButtonClick;
  // The user moved the bar (docked it elsewhere, floated it).
  Handler Change;

 private:
  friend class ToolbarButton;
  void UserClick(ToolbarButton& b);
  void ReleaseGroup(const ToolbarButton& b);
  QToolBar* bar() const;
  QPointer<QMainWindow> window_;
  const ImageList* images_ = nullptr;
  std::vector<std::unique_ptr<ToolbarButton>> buttons_;
};

}  // namespace vantrel::forms
