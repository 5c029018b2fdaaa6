#include "platform/settings/qt/qt_settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/runtime/rterror.h"

namespace vantrel::platform {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// QSettings treats "/" and "\" as group separators; keep each name one level deep.
QString Entry(const std::string& section, const std::string& key) {
  QString s = Q(section), k = Q(key);
  s.replace('/', '|').replace('\\', '|');
  k.replace('/', '|').replace('\\', '|');
  return s + '/' + k;
}

// Why the settings file cannot be written: the system's reason for its folder or the file.
std::string WriteFailure(const QString& folder, const QString& file) {
  std::string reason;
  struct stat st {};
  const std::string dir = folder.toStdString(), path = file.toStdString();
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    reason = ::stat(dir.c_str(), &st) == 0 ? std::strerror(ENOTDIR) : std::strerror(errno);
  } else if (::access(dir.c_str(), W_OK) != 0) {
    reason = std::strerror(errno);
  } else if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) {
    reason = std::strerror(errno);
  } else {
    reason = "the file cannot be written";
  }
  return "The settings cannot be saved to " + path + ": " + reason + ". The changes are kept until the program ends.";
}

}  // namespace

struct QtSettingsStore::Impl {
  QString folder;
  // One QSettings per application, kept open: it caches the file and re-reads it when another
  // process changed it.
  mutable std::map<std::string, std::unique_ptr<QSettings>> files;

  QSettings& For(const std::string& app) const {
    auto& f = files[app];
    if (!f) {
      QString name = Q(app.empty() ? std::string("settings") : app);
      name.replace('/', '_');
      f = std::make_unique<QSettings>(folder + '/' + name + ".ini", QSettings::IniFormat);
    }
    return *f;
  }
};

QtSettingsStore::QtSettingsStore(std::string folder) : impl_(std::make_unique<Impl>()) {
  if (folder.empty()) {
    impl_->folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Vantrel";
  } else {
    impl_->folder = Q(folder);
  }
}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::FilePath(const std::string& app) const { return impl_->For(app).fileName().toStdString(); }

std::optional<std::string> QtSettingsStore::Read(const std::string& app, const std::string& section,
                                                 const std::string& key) const {
  QSettings& s = impl_->For(app);
  s.sync();  // picks up what another process wrote since
  const QString e = Entry(section, key);
  if (!s.contains(e)) return std::nullopt;
  return s.value(e).toString().toStdString();
}

void QtSettingsStore::Write(const std::string& app, const std::string& section, const std::string& key,
                            const std::string& value) {
  QSettings& s = impl_->For(app);
  QDir().mkpath(impl_->folder);
  s.setValue(Entry(section, key), Q(value));
  // Written at once: the program can end without running destructors.
  s.sync();
  if (s.status() != QSettings::NoError)
    throw rt::RtError(rt::kErrPathAccess, WriteFailure(impl_->folder, s.fileName()));
}

void QtSettingsStore::Remove(const std::string& app, const std::string& section, const std::string& key) {
  QSettings& s = impl_->For(app);
  const QString e = Entry(section, key);
  if (!s.contains(e)) return;
  s.remove(e);
  s.sync();
  if (s.status() != QSettings::NoError)
    throw rt::RtError(rt::kErrPathAccess, WriteFailure(impl_->folder, s.fileName()));
}

void InstallQtSettings() { SetSettingsStore(std::make_shared<QtSettingsStore>()); }

}  // namespace vantrel::platform
