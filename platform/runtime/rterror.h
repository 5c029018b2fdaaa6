#pragma once
// A run-time error: the number and description the program's error rules test.
// Layers throw it; callers that skip a failing statement catch it step by step.

#include <stdexcept>
#include <string>

namespace vantrel::rt {

enum ErrNo : int {
  kErrInvalidCall = 5,
  kErrOverflow = 6,
  kErrOutOfMemory = 7,
  kErrSubscript = 9,
  kErrDivByZero = 11,
  kErrTypeMismatch = 13,
  kErrInternal = 51,
  kErrBadFile = 52,
  kErrFileNotFound = 53,
  kErrInputPastEnd = 62,
  kErrPermission = 70,
  kErrPathAccess = 75,
  kErrNoObject = 91,
  kErrInvalidNull = 94,
  kErrCannotCreate = 429,
  kErrNamedArg = 448,
  kErrRejected = 1004,
};

// The run time's own description of an error number ("" for numbers it does not know).
std::string ErrorDescription(int number);

class RtError : public std::runtime_error {
 public:
  explicit RtError(int number) : RtError(number, ErrorDescription(number)) {}
  RtError(int number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  int number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }

 private:
  int number_;
  std::string description_;
};

// A file that is there but cannot be read (not a zip archive, encrypted, malformed, over a limit,
// out of memory): the description names the file and the reason, for the user to be told. The
// number is the one the caller's error rule tests.
class FileFault : public RtError {
 public:
  using RtError::RtError;
};

// Runs f; returns 0 when it succeeds, else the number of the RtError it threw. Other
// exceptions propagate. This is the "skip the failing statement" rule in one call.
template <class F>
int Try(F&& f) {
  try {
    f();
    return 0;
  } catch (const RtError& e) {
    return e.number();
  }
}

}  // namespace vantrel::rt
