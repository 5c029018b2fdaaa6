#include "ui/app.h"

#include <QApplication>
#include <QIcon>
#include <QSurfaceFormat>

#include <memory>

#include "platform/events/qt/qt_events.h"
#include "platform/forms/layout_store.h"
#include "platform/forms/qt/fonts.h"
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

namespace {

// The running spreadsheet: the workbook named by VANTREL_WORKBOOK, else a Calc listening on its
// connection, else the workbook attached last (kept in the settings store).
std::shared_ptr<spreadsheet::Connector> MakeSpreadsheetConnector() {
  spreadsheet::WorkbookFileConnector::Options o;
  o.lastAttached = [] { return platform::GetSetting(platform::kSettingsApp, "App", kLastWorkbookKey, ""); };
  o.rememberAttached = [](const std::string& path) {
    rt::Try([&] { platform::SaveSetting(platform::kSettingsApp, "App", kLastWorkbookKey, path); });
  };
  return std::make_shared<spreadsheet::ChoosingConnector>(
      std::make_shared<spreadsheet::WorkbookFileConnector>(std::move(o)), std::make_shared<spreadsheet::CalcConnector>());
}

}  // namespace

void InstallPlatformServices() {
  platform::InstallSystemLocale();
  forms::UseDesignFont();
  forms::SetMessageBoxService(std::make_shared<forms::QtMessageBoxes>());
  platform::InstallQtSettings();
  platform::InstallQtEvents();
  forms::SetLayoutStore(std::make_shared<SettingsToolbarLayouts>());
  spreadsheet::SetConnector(MakeSpreadsheetConnector());
}

std::unique_ptr<MainWindow> StartMainWindow(std::vector<std::string> arguments) {
  MainWindowOptions options;
  options.arguments = std::move(arguments);
  auto w = std::make_unique<MainWindow>(std::move(options));
  w->Form_Load();
  w->show();
  return w;
}

int RunProgram(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Vantrel"));
  QApplication::setOrganizationName(QStringLiteral("Vantrel"));
  // The icon of the installed desktop entry (vantrel.desktop), which the desktop matches by name.
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/vantrel/vantrel-48.png")));
  QGuiApplication::setDesktopFileName(QStringLiteral("vantrel"));
  InstallPlatformServices();
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  auto w = StartMainWindow(std::move(arguments));
  const int code = app.exec();
  // Closing the window ends the program at once: the window and its view go with the
  // QApplication, not after it.
  w.reset();
  return code;
}

}  // namespace vantrel::ui
