#include "datastore/load_queue.h"

#include <deque>

#include "datastore/loader.h"

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
      RunOneLoad();
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
