#include "ui/app.h"

#include <QApplication>
#include <QSurfaceFormat>

#include <memory>

#include "platform/events/qt/qt_events.h"
#include "platform/forms/layout_store.h"
#include "platform/forms/qt/qt_msgbox.h"
#include "platform/locale/qt/system_locale.h"
#include "platform/runtime/rterror.h"
#include "platform/settings/qt/qt_settings.h"
#include "platform/settings/settings.h"
#include "platform/spreadsheet/calc.h"
#include "platform/spreadsheet/workbook_file.h"
#include "ui/main_window.h"
#include "ui/toolbar_layout.h"

namespace vantrel::ui {

void InstallPlatformServices() {
  platform::InstallSystemLocale();
  forms::SetMessageBoxService(std::make_shared<forms::QtMessageBoxes>());
  platform::InstallQtSettings();
  platform::InstallQtEvents();
  forms::SetLayoutStore(std::make_shared<SettingsToolbarLayouts>());
  // The running spreadsheet: the workbook named by VANTREL_WORKBOOK, else a listening Calc.
  spreadsheet::SetConnector(std::make_shared<spreadsheet::ChoosingConnector>(
      std::make_shared<spreadsheet::WorkbookFileConnector>(), std::make_shared<spreadsheet::CalcConnector>()));
}

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vantrel"));
  QApplication::setOrganizationName(QStringLiteral("Vantrel"));
  InstallPlatformServices();
  MainWindowOptions options;
  for (int i = 1; i < argc; ++i) options.arguments.emplace_back(argv[i]);
  auto* w = new MainWindow(std::move(options));
  w->Form_Load();
  w->show();
  return app.exec();
}

}  // namespace vantrel::ui
