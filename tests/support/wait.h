#pragma once
// The one way a test waits: run the event loop until a condition holds or the deadline passes.

#include <chrono>
#include <functional>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

namespace vantrel::test {

// Runs the event loop until cond() holds; false when the timeout passed first. Deadlines are
// generous on purpose: a busy machine may be many times slower than a quiet one.
inline bool WaitUntil(const std::function<bool()>& cond, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!cond()) {
    if (std::chrono::steady_clock::now() > end) return cond();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

}  // namespace vantrel::test
