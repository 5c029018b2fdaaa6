#include "numerics/numerics_state.h"

namespace vantrel::numerics {
namespace {
constinit rt::ServiceSlot<NumericsState> g_state{&rt::MakeDefault<NumericsState>};
}  // namespace

NumericsState& Numerics() { return g_state.get(); }

ScopedNumerics::ScopedNumerics() : scope_(g_state, std::make_shared<NumericsState>()) {}

ScopedNumerics::~ScopedNumerics() = default;

}  // namespace vantrel::numerics
