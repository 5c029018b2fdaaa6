#include "ui/app.h"

#include <QApplication>
#include <QIcon>
#include <QSurfaceFormat>

#include <memory>

#include "platform/events/qt/qt_events.h"
#include "platform/forms/layout_store.h"
#include "platform/forms/qt/qt_msgbox.h"
#include "platform/locale/qt/system_locale.h"
#include "platform/runtime/rterror.h"
#include "platform/settings/qt/qt_settings.h"
#include "platform/settings/settings.h"
#include "ui/main_window.h"
#include "ui/toolbar_layout.h"

namespace vantrel::ui {

void InstallPlatformServices() {
  platform::InstallSystemLocale();
  forms::SetMessageBoxService(std::make_shared<forms::QtMessageBoxes>());
  platform::InstallQtSettings();
  platform::InstallQtEvents();
  forms::SetLayoutStore(std::make_shared<SettingsToolbarLayouts>());
}

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vantrel"));
  QApplication::setOrganizationName(QStringLiteral("Vantrel"));
  // The icon of the installed desktop entry (vantrel.desktop), which the desktop matches by name.
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/vantrel/vantrel-48.png")));
  QGuiApplication::setDesktopFileName(QStringLiteral("vantrel"));
  InstallPlatformServices();
  MainWindowOptions options;
  for (int i = 1; i < argc; ++i) options.arguments.emplace_back(argv[i]);
  auto* w = new MainWindow(std::move(options));
  w->Form_Load();
  w->show();
  return app.exec();
}

}  // namespace vantrel::ui
