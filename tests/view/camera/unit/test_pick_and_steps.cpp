// The selection-buffer walk, the jump guard of the key turns, and the camera-preset counters
// of a view object without a control.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_services.h"
#include "datastore/state.h"
#include "platform/runtime/rterror.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::test {
namespace {

using Buffer = std::vector<std::int32_t>;
constexpr std::int32_t kTopBit = INT32_MIN;  // 2147483648 as stored in a 32-bit word

struct PickCase {
  const char* what;
  Buffer buffer;
  long hits;
  long picked;
};

TEST(PickNearest, TheFirstUsableNameOfTheNearestHitWins) {
  const PickCase cases[] = {
      {"depths compare unsigned", {1, kTopBit, kTopBit, 12, 1, 2147483647, -1, 15}, 2, 15},
      {"unsigned order kept the other way", {1, 2147483647, 0, 15, 1, kTopBit, 0, 12}, 2, 15},
      {"a name of -1 is no name", {1, 5, 5, -1, 1, 9, 9, 4}, 2, 4},
      {"only -1 names: none", {1, 5, 5, -1}, 1, 0},
      {"equal depth: the first hit", {1, 7, 7, 3, 1, 7, 7, 8}, 2, 3},
      {"a further name of the same hit", {2, 7, 7, 3, 8}, 1, 3},
      {"-1 first, then a name of the same hit", {2, 7, 7, -1, 8}, 1, 8},
      {"a hit with no names", {0, 1, 1, 1, 9, 9, 6}, 2, 6},
      {"no hits", {}, 0, 0},
      {"a negative hit count", {1, 5, 5, 4}, -1, 0},
      {"largest depth still beats nothing", {1, -1, -1, 33}, 1, 33},
  };
  for (const PickCase& c : cases) EXPECT_EQ(view::ClassGl::PickNearest(c.buffer, c.hits), c.picked) << c.what;
}

TEST(PickNearest, ABufferShorterThanItsRecordsIsSubscriptOutOfRange) {
  const Buffer cases[] = {{1, 5}, {2, 5, 5, 3}, {}};
  for (const Buffer& b : cases) {
    int number = rt::Try([&] { view::ClassGl::PickNearest(b, 1); });
    EXPECT_EQ(number, 9) << "buffer of " << b.size() << " words";
  }
}

TEST(NoSteps, AJumpAcrossAPlaneIsUndone) {
  struct Case {
    double old, now;
    float expected;
  } cases[] = {
      {100, 99.495, 99.495f},                        // a small turn passes
      {-50, 50.9975, -52.5f},                        // a change of sign: the old side, 5 % further out
      {10, -10.5, 10.5f},     {10, 30, -30.0f},      // a real jump: the new size, the sign turned
      {0, 0.9, 0.9f},                                // tolerance 1 at the origin
      {0, 1.5, -1.5f},        {100, 110.9, 110.9f},  // tolerance 1 + 10 %
      {100, 111.5, -111.5f},
  };
  for (const Case& c : cases)
    EXPECT_FLOAT_EQ(view::ClassGl::noSteps(c.old, c.now), c.expected) << c.old << " -> " << c.now;
}

class NoControl : public ::testing::Test {
 protected:
  std::shared_ptr<datastore::FakeMainWindow> main = std::make_shared<datastore::FakeMainWindow>();
  datastore::ScopedStore store{main};
  view::ScopedViewShared shared;
  view::ClassGl gl{nullptr};
};

TEST_F(NoControl, TheVerticalAxisIsForcedOnlyByTheFlagOrTheFirstCall) {
  gl.CameraSet("isonew", 2, 0);
  EXPECT_EQ(gl.IsoAxis, 2) << "the loader's first call sets Y";
  gl.CameraSet("isonew", 3, 1);
  EXPECT_EQ(gl.IsoAxis, 3);
  gl.CameraSet("ISONEW", 2, 0);
  EXPECT_EQ(gl.IsoAxis, 3) << "the I key keeps the toolbar's axis";
  gl.CameraSet("isonew", 1, 0);
  EXPECT_EQ(gl.IsoAxis, 1) << "X is taken without the flag";
  gl.CameraSet("isonew", 2, 1);
  EXPECT_EQ(gl.IsoAxis, 2);
}

TEST_F(NoControl, CountersStepByModeAndGates) {
  datastore::DataStore& st = store.store();
  gl.CameraSet("isonew", 3, 1);
  EXPECT_EQ(gl.IsoStep, 0) << "no step before the layout and the fit";
  EXPECT_EQ(gl.IsoQuadrant, 1) << "the quadrant steps regardless";
  gl.CameraSet("proj", 3, 0);
  EXPECT_EQ(gl.ProjStep, 1) << "the axis views step regardless";

  st.ResizeDone = 1;
  st.SceneFitDone = 1;
  for (int i = 0; i < 9; ++i) gl.CameraSet("isonew", 3, 0);
  EXPECT_EQ(gl.IsoStep, 1) << "eight steps of 45 degrees and one";
  EXPECT_EQ(gl.IsoQuadrant, 2);
  for (int i = 0; i < 6; ++i) gl.CameraSet("ISONEWPLUS", 3, 0);
  EXPECT_EQ(gl.IsoStep, 1) << "the plus views share the step, modulo 6";

  st.SettingsBlock.ReloadRequest = 1.0;
  gl.CameraSet("isonew", 1, 0);
  gl.CameraSet("projinverse", 1, 0);
  EXPECT_EQ(gl.IsoStep, 1) << "a reload request stops the call after the axis";
  EXPECT_EQ(gl.ProjStep, 1);
  EXPECT_EQ(gl.IsoQuadrant, 2);
  EXPECT_EQ(gl.IsoAxis, 1);
}

TEST_F(NoControl, KeyITagsTheRealIsometricViewUnlessShifted) {
  int code = 73, shift = 0;
  gl.KeyDown(code, shift);
  EXPECT_EQ(main->checks[datastore::CheckBox::Check9].tag, "REAL_ISO");
  EXPECT_EQ(gl.IsoQuadrant, 1) << "the preset ran";
  shift = 1;
  gl.KeyDown(code, shift);
  EXPECT_EQ(main->checks[datastore::CheckBox::Check9].tag, "");
  EXPECT_EQ(gl.IsoQuadrant, 2);
}

TEST_F(NoControl, TheFirstToolPutTakesTheSceneSizeOnce) {
  gl.SceneExtent = 40;
  gl.SetEditState(13);
  EXPECT_DOUBLE_EQ(gl.OrthoZoom, 120);
  gl.SceneExtent = 500;  // a later fit does not change it
  gl.SetEditState(14);
  gl.SetEditState(14);
  EXPECT_DOUBLE_EQ(gl.OrthoZoom, 40.0 / 3);
  gl.SetEditState(18);
  EXPECT_EQ(gl.GetEditState(), 18) << "any value is kept";
}

}  // namespace
}  // namespace vantrel::test
