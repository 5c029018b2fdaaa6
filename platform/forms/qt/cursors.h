#pragma once
#include <Qt>

namespace vantrel::forms {

// The Qt cursor for a standard MousePointer value (0 and unknown values: the arrow).
Qt::CursorShape StandardCursor(int pointer);

}  // namespace vantrel::forms
