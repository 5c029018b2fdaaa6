#pragma once
// Where the numeric routines report what they cannot settle alone: a doubtful result
// (PetiteErreur) and a number text that does not convert (ValLoc). The program installs a sink
// that shows boxes (forms::WarningBoxes); until one is installed, LoggedWarnings is in force.

#include <memory>
#include <string>

namespace vantrel::numerics {

// The user's answer to a warning.
enum class WarningAnswer { kIgnore, kRetry, kAbort };

class WarningSink {
 public:
  virtual ~WarningSink() = default;
  // A doubtful result (the whole text of the warning). kAbort ends the program, kRetry pauses
  // for a correction, kIgnore goes on.
  virtual WarningAnswer Warn(const std::string& text) = 0;
  // The pause after kRetry: returns once the user confirms the correction.
  virtual void AwaitCorrection(const std::string& text) = 0;
  // A run-time error met while converting a number text.
  virtual void ReportError(int number, const std::string& description) = 0;
};

// The sink in force, and its replacement (nullptr: LoggedWarnings again).
WarningSink& Warnings();
void SetWarningSink(std::shared_ptr<WarningSink> sink);

// Shows nothing: writes each report to standard error and goes on (kIgnore).
class LoggedWarnings : public WarningSink {
 public:
  WarningAnswer Warn(const std::string& text) override;
  void AwaitCorrection(const std::string& text) override;
  void ReportError(int number, const std::string& description) override;
};

}  // namespace vantrel::numerics
