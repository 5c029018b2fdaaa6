#include "platform/locale/qt/system_locale.h"

#include <QLocale>
#include <QString>

namespace vantrel::platform {
namespace {

// The first character that is not a digit or a letter in a formatted sample: the separator
// that the locale puts there.
std::string separatorIn(const QString& sample, const QString& fallback) {
  for (QChar c : sample) {
    if (!c.isLetterOrNumber()) return QString(c).toStdString();
  }
  return fallback.toStdString();
}

}  // namespace

LocaleSeparators SystemLocaleProvider::separators() const {
  QLocale loc = QLocale::system();
  const QString decimal = loc.decimalPoint();
  LocaleSeparators s;
  s.decimal = (decimal.isEmpty() ? QStringLiteral(".") : decimal).toStdString();
  s.thousands = loc.groupSeparator().toStdString();
  s.date = separatorIn(loc.dateFormat(QLocale::ShortFormat).remove(QLatin1Char(' ')), "/");
  s.time = separatorIn(loc.timeFormat(QLocale::ShortFormat).remove(QLatin1Char(' ')), ":");
  return s;
}

void InstallSystemLocale() { SetLocaleProvider(std::make_shared<SystemLocaleProvider>()); }

}  // namespace vantrel::platform
