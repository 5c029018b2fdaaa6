#pragma once
// Waits for a window to be on the screen or active, with the deadline of every other wait: on a
// busy machine the X server may take many seconds to map a window or to give it the focus.

#include <chrono>

#include <QWidget>
#include <QWindow>

#include "tests/support/wait.h"

namespace vantrel::test {

inline bool WaitForWindowExposed(QWidget* w, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
  return WaitUntil([w] { return w->windowHandle() && w->windowHandle()->isExposed(); }, timeout);
}

// Asks for the focus again every second: without a window manager, a request made while the
// window was still being mapped can be lost.
inline bool WaitForWindowActive(QWidget* w, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
  auto asked = std::chrono::steady_clock::now();
  return WaitUntil(
      [w, &asked] {
        if (w->isActiveWindow()) return true;
        if (std::chrono::steady_clock::now() - asked > std::chrono::seconds(1)) {
          asked = std::chrono::steady_clock::now();
          w->activateWindow();
        }
        return false;
      },
      timeout);
}

}  // namespace vantrel::test
