#include "datastore/load_errors.h"

#include <cstdio>

#include "datastore/state.h"
#include "platform/forms/msgbox.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

bool IsToleratedError(int n) {
  switch (n) {
    case 53:
    case 52:
    case 5:
    case 50290:
    case 91:
    case 448:
    case 75:
    case 70:
    case 1004: return true;
    default: return false;
  }
}

bool NamesClipboard(const std::string& description) {
  return rt::InStr(rt::UCase(rt::Trim(description)), "CLIPBOARD") > 0;
}

void ReportFileFault(LoadWork& w, const rt::FileFault& e) {
  std::fprintf(stderr, "vantrel: %s\n", e.description().c_str());
  if (w.fileFaultShown) return;
  w.fileFaultShown = true;
  rt::Try([&] { AddLogLine(Store().Main(), e.description()); });
  forms::MsgBox(e.description(), 16, "Error");
}

void OnGeneralError(LoadWork& w, const rt::RtError& e) {
  if (const auto* fault = dynamic_cast<const rt::FileFault*>(&e)) ReportFileFault(w, *fault);
  w.LastErrNumber = e.number();
  if (e.number() == rt::kErrRejected) {
    w.NoSpecFlag = 1;
    return;
  }
  if (IsToleratedError(e.number())) return;
  if (NamesClipboard(e.description())) forms::MsgBox(e.description(), 16, "Error");
}

}  // namespace vantrel::datastore
