#include "platform/runtime/event_guard.h"

#include <cstdio>
#include <new>
#include <utility>

#include "platform/runtime/rterror.h"
#include "platform/runtime/service_slot.h"

namespace vantrel::rt {
namespace {

thread_local int depth = 0;

constinit CallbackSlot<void(const std::string&, const std::string&)> g_reporter;

}  // namespace

void SetEventFaultReporter(EventFaultReporter reporter) { g_reporter.set(std::move(reporter)); }

std::string FailureDescription(std::exception_ptr failure) {
  try {
    std::rethrow_exception(std::move(failure));
  } catch (const RtError& e) {
    return e.description().empty() ? "Error " + std::to_string(e.number()) : e.description();
  } catch (const std::bad_alloc&) {
    return "Out of memory";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unexpected failure";
  }
}

void ReportEventFault(const std::string& where, std::exception_ptr failure) {
  const std::string description = FailureDescription(std::move(failure));
  std::fprintf(stderr, "vantrel: %s failed: %s\n", where.c_str(), description.c_str());
  const auto reporter = g_reporter.get();
  if (!reporter) return;
  ProgramCodeScope scope;
  try {
    (*reporter)(where, description);
  } catch (...) {}
}

bool InProgramCode() { return depth > 0; }

ProgramCodeScope::ProgramCodeScope() { ++depth; }
ProgramCodeScope::~ProgramCodeScope() { --depth; }

EventLoopScope::EventLoopScope() : saved_(depth) { depth = 0; }
EventLoopScope::~EventLoopScope() { depth = saved_; }

}  // namespace vantrel::rt
