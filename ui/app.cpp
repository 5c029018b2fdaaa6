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
#include "ui/main_window.h"

namespace vantrel::ui {
namespace {

// Toolbar layouts kept in the settings store, section "Toolbars".
class SettingsLayoutStore : public forms::LayoutStore {
 public:
  std::string Read(const std::string& key, const std::string& subkey, const std::string& value) override {
    return platform::GetSetting(platform::kSettingsApp, "Toolbars", Name(key, subkey, value), "");
  }
  void Write(const std::string& key, const std::string& subkey, const std::string& value,
             const std::string& text) override {
    platform::SaveSetting(platform::kSettingsApp, "Toolbars", Name(key, subkey, value), text);
  }

 private:
  static std::string Name(const std::string& key, const std::string& subkey, const std::string& value) {
    return key + "." + subkey + "." + value;
  }
};

}  // namespace

void InstallPlatformServices() {
  platform::InstallSystemLocale();
  forms::SetMessageBoxService(std::make_shared<forms::QtMessageBoxes>());
  platform::InstallQtSettings();
  platform::InstallQtEvents();
  forms::SetLayoutStore(std::make_shared<SettingsLayoutStore>());
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
