#pragma once
#include <QMainWindow>

namespace vantrel::ui {

// The program's main window.
class MainWindow : public QMainWindow {
 public:
  explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace vantrel::ui
