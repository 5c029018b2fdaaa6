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

std::function<void()>& Body() { return Store().Seams.loadBody; }

LoadQueueState& Q() { return Store().LoadQueue; }

// Clears the running mark however the load ends.
struct RunningMark {
  explicit RunningMark(LoadQueueState& q) : q_(q) { q_.running = true; }
  ~RunningMark() { q_.running = false; }
  LoadQueueState& q_;
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
  LoadQueueState& q = Q();
  if (q.quit) return;
  if (q.running) {
    if (!prepare && !q.pending.empty() && !q.pending.back()) return;
    q.pending.push_back(std::move(prepare));
    return;
  }
  RunningMark mark(q);
  LoadPrepare next = std::move(prepare);
  for (;;) {
    if (next) next();
    if (Body()) Body()();
    else RunGuardedLoad();
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

void SetLoadBody(std::function<void()> body) { Body() = std::move(body); }

}  // namespace vantrel::datastore
