#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/runtime/memory.h"

namespace vantrel::rt {
namespace {

// Sizes on both sides of the mapped-block threshold, in elements of 8 bytes.
constexpr size_t kSmall = 1000;
constexpr size_t kLarge = kLargeBlockBytes / sizeof(double) + 5;

TEST(LargeAllocator, ZeroedGrowthKeepsTheValuesAndReadsNewCellsAsZero) {
  // Small (heap) to large (mapped) and larger still, as a table grows row by row.
  std::vector<double, LargeAllocator<double, true>> v;
  for (size_t n : {kSmall, kLarge, 3 * kLarge}) {
    const size_t old = v.size();
    v.resize(n);
    for (size_t i = old; i < n; i += 997) ASSERT_EQ(v[i], 0.0) << "cell " << i << " of " << n;
    ASSERT_EQ(v[n - 1], 0.0);
    for (size_t i = (old + 4092) / 4093 * 4093; i < n; i += 4093) v[i] = static_cast<double>(i) + 0.5;
  }
  for (size_t i = 0; i < v.size(); i += 4093) ASSERT_EQ(v[i], static_cast<double>(i) + 0.5);
}

TEST(LargeAllocator, CopiesAndReleasesBlocksOfEitherKind) {
  // Every block goes back the way it came (heap or mapping): the sanitizer run would report a
  // mismatch; copies across the threshold keep their contents.
  using Vec = std::vector<uint64_t, LargeAllocator<uint64_t>>;
  Vec big(kLarge);
  for (size_t i = 0; i < big.size(); ++i) big[i] = i * 3;
  Vec small(big.begin(), big.begin() + kSmall);
  Vec copy = big;
  EXPECT_EQ(copy, big);
  copy = small;
  EXPECT_EQ(copy.size(), kSmall);
  EXPECT_EQ(copy[kSmall - 1], (kSmall - 1) * 3);
  copy.shrink_to_fit();
  big.clear();
  big.shrink_to_fit();
  std::vector<std::string, LargeAllocator<std::string>> texts(kLarge / 4, "label");
  texts.resize(kLarge / 2);
  EXPECT_EQ(texts.front(), "label");
  EXPECT_EQ(texts.back(), "");
}

}  // namespace
}  // namespace vantrel::rt
