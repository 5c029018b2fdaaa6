#pragma once
// The state of the numerics for a run: the number separators of the user's locale (read once,
// on the first conversion of a number text), the marks of the small-error warning and the
// planet tables. One object (Numerics()) for the run; tests install a fresh one with
// ScopedNumerics.

#include <memory>
#include <mutex>
#include <string>

#include "platform/runtime/service_slot.h"

namespace vantrel::numerics {

struct PlanetState;  // planets.cpp

struct NumericsState {
  // The separators, as the locale gave them; empty until ReadSeparatorsOnce.
  std::string DecimalSep;
  std::string ThousandSep;
  std::once_flag separatorsRead;

  // PetiteErreur: a warning is open; the warnings not shown because one was.
  bool errorBoxOpen = false;
  int errorsSuppressed = 0;

  // Made on the first planet position of the run.
  std::shared_ptr<PlanetState> planets;
};

// The state in force.
NumericsState& Numerics();

// Installs a fresh state for the lifetime of the guard, then brings back the previous one.
class ScopedNumerics {
 public:
  ScopedNumerics();
  ~ScopedNumerics();
  ScopedNumerics(const ScopedNumerics&) = delete;
  ScopedNumerics& operator=(const ScopedNumerics&) = delete;
  NumericsState& state() { return scope_.get(); }

 private:
  rt::ServiceSlot<NumericsState>::Scoped scope_;
};

}  // namespace vantrel::numerics
