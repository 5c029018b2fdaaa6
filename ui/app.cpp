#include "ui/app.h"

#include <QApplication>
#include <QIcon>
#include <QWidget>
#include <QSurfaceFormat>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "datastore/loader.h"
#include "datastore/services.h"
#include "datastore/state.h"
#include "numerics/warnings.h"
#include "platform/events/qt/qt_events.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/layout_store.h"
#include "platform/forms/qt/fonts.h"
#include "platform/forms/qt/qt_msgbox.h"
#include "platform/forms/warning_boxes.h"
#include "platform/locale/qt/system_locale.h"
#include "platform/runtime/event_guard.h"
#include "platform/runtime/rterror.h"
#include "platform/settings/qt/qt_settings.h"
#include "platform/settings/settings.h"
#include "platform/spreadsheet/calc.h"
#include "platform/spreadsheet/workbook_file.h"
#include "ui/main_shared.h"
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
  // The watched workbook stays unreadable: said once in the status box and the log.
  o.unreadable = [](const std::string& why) {
    const std::string text = why + ". The view shows the data read before.";
    std::fprintf(stderr, "vantrel: %s\n", text.c_str());
    rt::Try([&] { datastore::Store().Main().SetText21Text(text); });
    rt::Try([&] { datastore::AddLogLine(datastore::Store().Main(), text); });
  };
  return std::make_shared<spreadsheet::ChoosingConnector>(
      std::make_shared<spreadsheet::WorkbookFileConnector>(std::move(o)),
      std::make_shared<spreadsheet::CalcConnector>());
}

// An "Error" box shown from the event loop, after the handler that asked for it, and once a window
// of the program is on the screen (a fault met while the main window loads waits for it).
void ErrorBoxLater(const std::string& text) {
  if (!QCoreApplication::instance()) return;
  auto* wait = new QTimer(QCoreApplication::instance());
  wait->setInterval(50);
  auto tries = std::make_shared<int>(0);
  QObject::connect(wait, &QTimer::timeout, [wait, tries, text] {
    bool shown = false;
    for (QWidget* w : QApplication::topLevelWidgets()) shown = shown || (w->isVisible() && w->inherits("QMainWindow"));
    if (!shown && ++*tries < 200) return;
    wait->stop();
    wait->deleteLater();
    forms::MsgBox(text, 16, "Error");
  });
  wait->start();
}

// A failure that ended a handler: a log line, and the "Error" box once the handler is left, once
// per place and text while the reporter is installed (a handler failing at every tick or frame
// opens no stream of boxes).
class HandlerFailureReporter {
 public:
  void operator()(const std::string& where, const std::string& description) {
    rt::Try([&] { datastore::AddLogLine(datastore::Store().Main(), "Error in " + where + ": " + description); });
    if (told_->insert(where + '\n' + description).second) ErrorBoxLater(description);
  }

 private:
  std::shared_ptr<std::set<std::string>> told_ = std::make_shared<std::set<std::string>>();
};

}  // namespace

// A settings write refused (told once per run by the settings layer): a log line and a box.
void ReportSettingsFailure(const std::string& description) {
  rt::Try([&] { datastore::AddLogLine(datastore::Store().Main(), description); });
  ErrorBoxLater(description);
}

void InstallPlatformServices() {
  rt::SetEventFaultReporter(HandlerFailureReporter());
  platform::SetSettingsFaultReporter(ReportSettingsFailure);
  platform::InstallSystemLocale();
  forms::UseDesignFont();
  forms::SetMessageBoxService(std::make_shared<forms::QtMessageBoxes>());
  numerics::SetWarningSink(std::make_shared<forms::WarningBoxes>());
  platform::InstallQtSettings();
  platform::InstallQtEvents();
  forms::SetLayoutStore(std::make_shared<SettingsToolbarLayouts>());
  spreadsheet::SetConnector(MakeSpreadsheetConnector());
}

std::unique_ptr<MainWindow> StartMainWindow(std::vector<std::string> arguments) {
  MainWindowOptions options;
  std::string workbook;
  options.arguments = PrepareCommandLine(std::move(arguments), workbook);
  if (!workbook.empty()) ::setenv("VANTREL_WORKBOOK", workbook.c_str(), 1);
  auto w = std::make_unique<MainWindow>(std::move(options));
  rt::GuardEvent("the main window's load", [&] { w->Form_Load(); });
  // The first load, at the window's first activation, attaches to the workbook named at start:
  // its reading begins now, beside the window's first showing (the view's GL set-up).
  if (datastore::LoadTakesWorksheetRoad(datastore::Store()))
    rt::Try([] {
      if (auto c = spreadsheet::GetConnector()) c->Prefetch();
    });
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
