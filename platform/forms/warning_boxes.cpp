#include "platform/forms/warning_boxes.h"

#include "platform/forms/msgbox.h"

namespace vantrel::forms {

numerics::WarningAnswer WarningBoxes::Warn(const std::string& text) {
  switch (MsgBox(text, 50, "Petite erreur")) {
    case kAbort: return numerics::WarningAnswer::kAbort;
    case kRetry: return numerics::WarningAnswer::kRetry;
    default: return numerics::WarningAnswer::kIgnore;
  }
}

void WarningBoxes::AwaitCorrection(const std::string& text) { MsgBox(text, 0, "CORRECTION"); }

void WarningBoxes::ReportError(int number, const std::string& description) {
  MsgBox(description, 64, "ERROR n\xC2\xB0 " + std::to_string(number));
}

}  // namespace vantrel::forms
