#include <gtest/gtest.h>

#include "platform/forms/activation.h"
#include "platform/forms/layout_store.h"
#include "platform/forms/twips.h"

namespace vantrel::forms {
namespace {

TEST(Twips, LandOnTheNearestPixelAndReadBackAsPixelsTimes15) {
  const struct {
    double twips;
    int pixels;
    double back;
  } cases[] = {
      {0, 0, 0},      {15, 1, 15},      {390, 26, 390},      {1575, 105, 1575},
      {7, 0, 0},      {8, 1, 15},       {22.5, 2, 30},       {37.5, 2, 30},  // halves to even
      {-15, -1, -15}, {-22.5, -2, -30}, {11210, 747, 11205}, {9695, 646, 9690},
  };
  for (auto c : cases) {
    EXPECT_EQ(TwipsToPixels(c.twips), c.pixels) << c.twips;
    EXPECT_EQ(PixelsToTwips(TwipsToPixels(c.twips)), c.back) << c.twips;
  }
  // A value that came from pixels survives any number of trips.
  for (int px = -50; px <= 2000; ++px) ASSERT_EQ(TwipsToPixels(PixelsToTwips(px)), px);
}

TEST(ActivationTracker, ActivateOnFirstShowAndOnReturnFromAnotherFormOnly) {
  int main = 0, video = 0, dialog = 0;
  ActivationTracker t;
  struct Step {
    const char* what;
    const void* form;  // null: hidden
    const void* hidden;
    const void* activated;
    const void* deactivated;
  };
  auto visibleAll = [](const void*) { return true; };
  const Step steps[] = {
      {"main shown", &main, nullptr, &main, nullptr},
      {"main activated again by the window system", &main, nullptr, nullptr, nullptr},
      // A message box or another program is never reported: coming back runs nothing.
      {"back from a message box", &main, nullptr, nullptr, nullptr},
      {"movie window shown", &video, nullptr, &video, &main},
      {"back in the main window", &main, nullptr, &main, &video},
      {"back in the movie window", &video, nullptr, &video, &main},
      {"movie window hidden", nullptr, &video, &main, &video},
      {"hiding an inactive form", nullptr, &video, nullptr, nullptr},
      {"modal dialog shown", &dialog, nullptr, &dialog, &main},
      {"dialog hidden", nullptr, &dialog, &main, &dialog},
  };
  for (const Step& s : steps) {
    ActivationTracker::Step r = s.form ? t.Activated(s.form) : t.Hidden(s.hidden, visibleAll);
    EXPECT_EQ(r.activated, s.activated) << s.what;
    EXPECT_EQ(r.deactivated, s.deactivated) << s.what;
  }
}

TEST(ActivationTracker, HidingTheLastVisibleFormLeavesNoneActive) {
  int a = 0, b = 0;
  ActivationTracker t;
  t.Activated(&a);
  t.Activated(&b);
  auto r = t.Hidden(&b, [&](const void* f) { return f != &a; });  // a is hidden too
  EXPECT_EQ(r.activated, nullptr);
  EXPECT_EQ(r.deactivated, &b);
  EXPECT_EQ(t.Active(), nullptr);
  // Showing a again activates it.
  EXPECT_EQ(t.Activated(&a).activated, &a);
  t.Forget(&a);
  EXPECT_EQ(t.Active(), nullptr);
}

TEST(LayoutStore, KeepsTextsUnderTheirThreeNames) {
  MemoryLayoutStore s;
  s.Write("UserVantrelann", "ToolBars", "5", "abc");
  EXPECT_EQ(s.Read("UserVantrelann", "ToolBars", "5"), "abc");
  EXPECT_EQ(s.Read("UserVantrelann", "ToolBars", "6"), "");
}

}  // namespace
}  // namespace vantrel::forms
