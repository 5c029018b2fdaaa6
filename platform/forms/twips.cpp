#include "platform/forms/twips.h"

#include <cmath>
#include <limits>

#include "platform/runtime/vb.h"

namespace vantrel::forms {

int TwipsToPixels(double twips) {
  if (!std::isfinite(twips)) return 0;
  double px = rt::RoundHalfEven(twips / kTwipsPerPixel);
  // Qt geometry is int; far-off values are pinned rather than wrapped.
  constexpr double kMax = 1 << 24;
  if (px > kMax) return static_cast<int>(kMax);
  if (px < -kMax) return -static_cast<int>(kMax);
  return static_cast<int>(px);
}

}  // namespace vantrel::forms
