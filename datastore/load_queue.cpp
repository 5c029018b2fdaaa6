#include "datastore/load_queue.h"

#include <deque>
#include <exception>
#include <new>
#include <string>

#include "datastore/a1.h"
#include "datastore/loader.h"
#include "datastore/state.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"

namespace vantrel::datastore {
namespace {

struct Queue {
  std::function<void()> body;
  std::deque<LoadPrepare> pending;
  bool running = false;
  bool quit = false;
};

Queue& Q() {
  static Queue q;
  return q;
}

// Clears the running mark however the load ends.
struct RunningMark {
  RunningMark() { Q().running = true; }
  ~RunningMark() { Q().running = false; }
};

// One load. An exception that no step handles (memory that could not be had, a fault of the
// program) ends it as an early end does: not busy any more, the progress bar hidden, the
// previous load's state kept, and a box that names what stopped it.
void RunGuardedLoad() {
  DataStore& s = Store();
  const double loadDoneBefore = s.SettingsBlock.LoadDone;
  std::string what;
  try {
    RunOneLoad();
    return;
  } catch (const rt::RtError& e) {
    what = e.description() + " (error " + std::to_string(e.number()) + ")";
  } catch (const std::bad_alloc&) {
    what = rt::ErrorDescription(rt::kErrOutOfMemory) + " (error " + std::to_string(rt::kErrOutOfMemory) + ")";
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
    what = "unknown exception";
  }
  s.LoaderBusy = 0;
  s.SettingsBlock.ReloadRequest = 0;
  s.SettingsBlock.LoadDone = loadDoneBefore;
  rt::Try([&] { s.Main().SetProgressBar1Visible(false); });
  rt::Try([&] { forms::MsgBox("The load was stopped: " + what + ".", 16, kProgramTitle); });
}

}  // namespace

void RequestLoad(LoadPrepare prepare) {
  Queue& q = Q();
  if (q.quit) return;
  if (q.running) {
    if (!prepare && !q.pending.empty() && !q.pending.back()) return;
    q.pending.push_back(std::move(prepare));
    return;
  }
  RunningMark mark;
  LoadPrepare next = std::move(prepare);
  for (;;) {
    if (next) next();
    if (q.body)
      q.body();
    else
      RunGuardedLoad();
    if (q.pending.empty() || q.quit) break;
    next = std::move(q.pending.front());
    q.pending.pop_front();
  }
  q.pending.clear();
}

bool LoadRunning() { return Q().running; }
std::size_t QueuedLoads() { return Q().pending.size(); }

void NotifyQuit() {
  Q().quit = true;
  Q().pending.clear();
}
bool QuitRequested() { return Q().quit; }

void SetLoadBody(std::function<void()> body) { Q().body = std::move(body); }

void ResetLoadQueueForTesting() {
  Queue& q = Q();
  q.pending.clear();
  q.running = false;
  q.quit = false;
}

}  // namespace vantrel::datastore
