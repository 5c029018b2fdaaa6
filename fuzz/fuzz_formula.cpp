// libFuzzer target: see fuzz/entry_points.h.
#include <cstddef>
#include <cstdint>

#include "fuzz/entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vantrel::fuzz::Formula(data, size);
  return 0;
}
