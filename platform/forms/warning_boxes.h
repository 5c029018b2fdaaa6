#pragma once
// The numeric routines' warnings as message boxes, through the message-box service in force.
// A library of its own (vantrel_forms_warnings): the forms layer itself knows no numerics.

#include <string>

#include "numerics/warnings.h"

namespace vantrel::forms {

// A warning: an Abort/Retry/Ignore box with an exclamation mark, titled "Petite erreur". The
// correction: an OK box titled "CORRECTION". A conversion error: an information box titled
// "ERROR n°" and the error's number.
class WarningBoxes : public numerics::WarningSink {
 public:
  numerics::WarningAnswer Warn(const std::string& text) override;
  void AwaitCorrection(const std::string& text) override;
  void ReportError(int number, const std::string& description) override;
};

}  // namespace vantrel::forms
