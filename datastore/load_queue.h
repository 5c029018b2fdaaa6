#pragma once
// Load requests. A load never starts inside a running load: File Open, the help-page demo,
// Update from Excel and a repeated first activation can all ask for one while the event loop
// runs inside a load; such a request is queued and runs when the running load has returned.

#include <cstddef>
#include <functional>

namespace vantrel::datastore {

// What a caller sets before its load (data-file mode and path, the fit flags, SourceMode, ...).
// It runs right before the load starts, so that a queued request does not change the state a
// running load works on.
using LoadPrepare = std::function<void()>;

// Runs prepare and then the load now when no load runs, else queues both. Queued requests run
// in order once the running load returns; a plain request (no prepare) queued right after
// another plain one is dropped, as it would load the same data.
void RequestLoad(LoadPrepare prepare = {});

// True from the start of a load to its return (also while queued requests run).
bool LoadRunning();
std::size_t QueuedLoads();

// The program is ending: waits inside a load end, queued requests are dropped.
void NotifyQuit();
bool QuitRequested();

// Replaces the body of one load (RunOneLoad) in the store in force, for tests; nullptr (or a
// fresh store) brings it back.
void SetLoadBody(std::function<void()> body);

}  // namespace vantrel::datastore
