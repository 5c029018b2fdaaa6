#include "ui/app.h"

#include <QApplication>

#include <memory>

#include "platform/forms/qt/qt_msgbox.h"
#include "platform/locale/qt/system_locale.h"
#include "ui/main_window.h"

namespace vantrel::ui {

void InstallPlatformServices() {
  platform::InstallSystemLocale();
  forms::SetMessageBoxService(std::make_shared<forms::QtMessageBoxes>());
}

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vantrel"));
  QApplication::setOrganizationName(QStringLiteral("Vantrel"));
  InstallPlatformServices();
  MainWindow w;
  w.show();
  return app.exec();
}

}  // namespace vantrel::ui
