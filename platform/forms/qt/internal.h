#pragma once
// Pieces shared by the files of the Qt forms layer.

#include <QColor>
#include <QPoint>
#include <QString>

#include <cstdint>
#include <string>

class QWidget;

namespace vantrel::forms::detail {

// Installs, once, the application filter that routes key events through the forms' key
// preview and the controls' key events.
void EnsureKeyRouter();

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }

inline QColor ToQColor(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
inline int32_t FromQColor(const QColor& c) { return c.red() + c.green() * 256 + c.blue() * 65536; }

[[noreturn]] void InvalidPropertyValue();  // RtError 380

// Whether a mouse event that `receiver` sees at `pos` came up from a control inside it (which
// has had its own event for it already).
bool CameFromInnerControl(const QWidget* receiver, QPoint pos);

}  // namespace vantrel::forms::detail
