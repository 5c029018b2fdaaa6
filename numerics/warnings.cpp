#include "numerics/warnings.h"

#include <cstdio>

#include "platform/runtime/service_slot.h"

namespace vantrel::numerics {
namespace {

constinit rt::ServiceSlot<WarningSink> g_sink{&rt::MakeDefault<WarningSink, LoggedWarnings>};

}  // namespace

WarningSink& Warnings() { return g_sink.get(); }

void SetWarningSink(std::shared_ptr<WarningSink> sink) { g_sink.set(std::move(sink)); }

WarningAnswer LoggedWarnings::Warn(const std::string& text) {
  std::fprintf(stderr, "Petite erreur: %s\n", text.c_str());
  return WarningAnswer::kIgnore;
}

void LoggedWarnings::AwaitCorrection(const std::string& text) {
  std::fprintf(stderr, "CORRECTION: %s\n", text.c_str());
}

void LoggedWarnings::ReportError(int number, const std::string& description) {
  std::fprintf(stderr, "ERROR %d: %s\n", number, description.c_str());
}

}  // namespace vantrel::numerics
