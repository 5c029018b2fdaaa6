// Texts at the current point: their wording, and the corner overlay in the view control.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>

#include "datastore/state.h"
#include "platform/runtime/vb.h"
#include "tests/platform/glview/harness/gl_harness.h"
#include "tests/support/guards.h"
#include "view/class_gl.h"
#include "view/event_bridge.h"
#include "view/scene_texts.h"
#include "view/view_shared.h"

namespace vantrel::test {
namespace {

TEST(SceneTexts, CornerLineShowsTheTimeUpToLateDecember1957AndTheDateAfter) {
  LocaleGuard locale(".", ",");
  struct Case {
    double pointTime, plotDate;
    const char* want;
  } cases[] = {
      {21184.5, 21184.5, " 12:00:00.00 "},         // exactly the limit: a time
      {21184.6, 21184.6, " 30  Dec 1957 14:24 "},  // after it: a date
      {0.25, 0.25, " 06:00:00.00 "},               // a quarter of a day from day 0
      {0, 0, " 00:00:00.00 "},
      {3.25, 3.25, " 06:00:00.00 "},  // whole days are not shown
      {36526.5, 36526.5, " 01  Jan 2000 12:00 "},
  };
  for (const Case& c : cases) EXPECT_EQ(view::CornerDateText(c.pointTime, c.plotDate), c.want) << c.pointTime;
}

TEST(SceneTexts, PointLabelAndOriginOffsets) {
  {
    LocaleGuard locale(".", ",");
    EXPECT_EQ(view::PointDateText(36526.5), "Vantrel  01  Jan 2000 12:00 ");
    EXPECT_EQ(view::OriginOffsetText(1.5, -2, 0), "1.5 , -2 , 0 , ");
  }
  LocaleGuard comma(",", ".");
  EXPECT_EQ(view::OriginOffsetText(1.5, -2, 0), "1,5 , -2 , 0 , ");
}

// The view control with the view object behind it, on a black background: window texts are
// drawn in white.
class Overlay : public ::testing::Test {
 protected:
  void SetUp() override {
    datastore::DataStore& st = store_.store();
    datastore::SettingsRecord& sb = st.SettingsBlock;
    sb.ColourBackground = {0, 0, 0};
    sb.TimeRangeGiven = 1.0;
    sb.OptNoLogoLabel = 0;
    sb.OptSatellite = 0;
    sb.OptNoEarth = 1;
    sb.LoadDone = 1.0;
    st.SceneFitDone = 1;
    st.DataTable.Set(0, 0, 0.25);
    st.DataTable.Set(1, 0, 0.5);
    st.DataTable.Set(1, 1, 10);
    st.LastDataRow = 1;
    ctl_ = std::make_unique<glview::GlView>();
    gl_ = std::make_unique<view::ClassGl>(ctl_.get());
    bridge_ = std::make_unique<view::GlEventBridge>(*ctl_, *gl_);
    ctl_->SetEvents(bridge_.get());
    ctl_->resize(300, 200);
    ctl_->show();
    ASSERT_TRUE(WaitFor([&] { return ctl_->FrameCount() > 1; }));
    gl_->CURRINDEXI = 1;
  }
  void TearDown() override {
    if (ctl_) ctl_->SetEvents(nullptr);
    bridge_.reset();
    gl_.reset();
    ctl_.reset();
  }
  // White pixels on the corner's second text line.
  int SecondLinePixels() {
    long n = ctl_->FrameCount();
    ctl_->Redraw();
    EXPECT_TRUE(WaitFor([&] { return ctl_->FrameCount() > n; }));
    int w = int(ctl_->ViewWidth()), h = int(ctl_->ViewHeight());
    std::vector<std::uint8_t> p = ctl_->ReadPixels(0, 0, w, h);
    int count = 0;
    for (int y = 23; y < 40; ++y)
      for (int x = 8; x < 150; ++x) {
        size_t i = (size_t(h - 1 - y) * size_t(w) + size_t(x)) * 3;
        if (p[i] > 200 && p[i + 1] > 200 && p[i + 2] > 200) ++count;
      }
    return count;
  }

  datastore::ScopedStore store_;
  view::ScopedViewShared shared_;
  std::unique_ptr<glview::GlView> ctl_;
  std::unique_ptr<view::ClassGl> gl_;
  std::unique_ptr<view::GlEventBridge> bridge_;
};

TEST_F(Overlay, ShownWithATimeRangeHiddenInPenUpModeAndByTheOption) {
  datastore::DataStore& st = store_.store();
  EXPECT_GT(SecondLinePixels(), 20) << "the time of the current point";
  EXPECT_EQ(st.SettingsBlock.PlotDate, 0.5);
  st.PenUpMode = 1;
  EXPECT_EQ(SecondLinePixels(), 0) << "pen-up mode shows no overlay";
  st.PenUpMode = 0;
  st.SettingsBlock.OptNoLogoLabel = 1;
  EXPECT_EQ(SecondLinePixels(), 0);
  st.SettingsBlock.OptNoLogoLabel = 0;
  st.SettingsBlock.TimeRangeGiven = 0;
  EXPECT_EQ(SecondLinePixels(), 0) << "no time range and no events";
  st.EventsGiven = 1;
  EXPECT_GT(SecondLinePixels(), 20);
}

TEST_F(Overlay, CameraIsResetWhileTheCurrentRowIsNegative) {
  glview::GlCamera& cam = ctl_->Camera();
  cam.SetEye(1, 2, 3);
  cam.SetUp(0, 1, 0);
  gl_->CURRINDEXI = 0;
  SecondLinePixels();
  EXPECT_EQ(cam.Eye().x, 1) << "a current row of 0 leaves the camera";
  gl_->CURRINDEXI = -1;
  SecondLinePixels();
  glview::Vec3f eye = cam.Eye(), up = cam.Up(), target = cam.Target();
  EXPECT_EQ(eye.x, 80);
  EXPECT_EQ(eye.y, 80);
  EXPECT_EQ(eye.z, 80);
  EXPECT_EQ(up.z, 1);
  EXPECT_EQ(up.y, 0);
  EXPECT_EQ(target.x, 0);
  EXPECT_EQ(cam.ProjectionType(), 1);
  EXPECT_EQ(cam.FarPlane(), 1000);
  EXPECT_EQ(cam.NearPlane(), -1000);
}

}  // namespace
}  // namespace vantrel::test
