#include "ui/main_window.h"

namespace vantrel::ui {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(QStringLiteral("Vantrel"));
  resize(1024, 768);
}

}  // namespace vantrel::ui
