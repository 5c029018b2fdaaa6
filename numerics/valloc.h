#pragma once
// Locale-aware reading of numbers typed by users, stored in the settings or written in data
// files: decides from the text and the user's locale whether a comma is decimal or grouping.

#include <functional>
#include <string>
#include <string_view>

#include "platform/runtime/rterror.h"

namespace vantrel::numerics {

struct NumericsState;

// One locale item: 14 the decimal separator, 15 the thousands separator ("" for others).
std::string GetLocaleStr(long lcType);
// Reads the separators into Numerics() now.
void GetLocaleSeparators();
// The state whose separators are read: read on the first call of the run, once, safely when
// several threads call at the same time.
const NumericsState& ReadSeparatorsOnce();

// The text as a Double; flag: -1 no comma interpreted, 0 commas were grouping marks, 1 the
// comma was decimal. The separators are read once per run, by the first non-empty call.
double ValLocale(std::string_view text, int& flag);
double ValLocV(std::string_view text, int& flag);
// The wrapper the settings use: a Double goes through its text (CStr), the flag is dropped.
double ValLoc(std::string_view text);
double ValLoc(double value);

// Where the parser's run-time errors go while it lives: without one, each error goes to the
// warning sink (the program shows its own "ERROR n° N" box). A caller that converts many texts
// in a row (a data file of a million lines) takes them for that time and tells the user once.
// Scopes nest; the innermost wins.
// A scope holds for its own thread only: each thread that converts texts needs its own.
class NumberErrorScope {
 public:
  explicit NumberErrorScope(std::function<void(const rt::RtError&)> sink);
  ~NumberErrorScope();
  NumberErrorScope(const NumberErrorScope&) = delete;
  NumberErrorScope& operator=(const NumberErrorScope&) = delete;

 private:
  friend double ValLocale(std::string_view text, int& flag);
  std::function<void(const rt::RtError&)> sink_;
  NumberErrorScope* outer_;
};


}  // namespace vantrel::numerics
