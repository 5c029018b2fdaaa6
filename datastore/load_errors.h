#pragma once
// The error rules of a load. The general rule (a load that takes the worksheet road, from its
// attachment on): a failing statement is passed over, its number kept in LastErrNumber; 1004
// also sets NoSpecFlag; an unexpected error whose description names the clipboard is shown in
// an "Error" box first.

#include <string>
#include <utility>

#include "datastore/load_work.h"
#include "platform/runtime/rterror.h"

namespace vantrel::datastore {

// The error numbers every wrapper passes over silently.
bool IsToleratedError(int number);
// True when the description holds "CLIPBOARD" once both are trimmed and upper-cased.
bool NamesClipboard(const std::string& description);

// Tells the user, once per load, of a file that cannot be read: an "Error" box with the
// description (which names the file and the reason) and a line in the log.
void ReportFileFault(LoadWork& w, const rt::FileFault& e);

// The general rule applied to one error. A file fault is told first (ReportFileFault).
void OnGeneralError(LoadWork& w, const rt::RtError& e);

// Runs one statement under the general rule; false when it failed.
template <class F>
bool Stmt(LoadWork& w, F&& f) {
  try {
    std::forward<F>(f)();
    return true;
  } catch (const rt::RtError& e) {
    OnGeneralError(w, e);
    return false;
  }
}

}  // namespace vantrel::datastore
