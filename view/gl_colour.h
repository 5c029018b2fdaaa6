#pragma once
// A colour of the option record (0 to 255 per component) as GL takes it: each component divided
// by 256, so that 255 draws a hair below full intensity, as the view always has.

#include <array>

#include "datastore/settings_record.h"

namespace vantrel::view {

inline std::array<float, 3> GlColour(const datastore::Rgb& c) {
  return {float(c[0] / 256), float(c[1] / 256), float(c[2] / 256)};
}

}  // namespace vantrel::view
