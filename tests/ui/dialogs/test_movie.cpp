#include <gtest/gtest.h>

#include <QWidget>

#include "platform/forms/qt/controls.h"
#include "platform/runtime/vb.h"
#include "platform/shell/shell.h"
#include "tests/ui/dialogs/dialog_fixture.h"
#include "ui/frm_video.h"
#include "ui/save_image.h"
#include "view/view_shared.h"
#include "view/capture.h"

namespace vantrel::test {
namespace {

double Now0() { return rt::DateSerial(2024, 3, 6) + rt::TimeSerial(19, 41, 25); }

class Movie : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    Text6 = std::make_unique<forms::TextBox>(&host, "Text6", (dir / "").string());
    capture = std::make_unique<ui::CaptureCommands>(*Text6, [this](std::string& name, std::string& folder) {
      if (folder.empty() || folder.back() != '/') folder += '/';
      saved.push_back(folder + name);
      WriteFile(folder + name, "BM");
      return std::string();
    });
    capture->openFolder = [this](const std::string& f) { opened.push_back(f); };
  }
  void TearDown() override {
    capture.reset();
    platform::SetProgramPath("");
    DialogTest::TearDown();
  }
  datastore::SettingsRecord& sb() { return st().SettingsBlock; }
  // One animation step of the view's timer while a recording runs.
  void Tick(ClockGuard& clock, double seconds = 1) {
    clock.clock().Advance(seconds);
    if (sb().MovieFrameNo <= 0) return;
    view::MovieState s{sb().MovieFrameNo,  sb().MovieMaxFrames,        sb().MovieInterval,        sb().MovieLastTime,
                       sb().MoviePlotTime, st().MovieFileParts.Prefix, st().MovieFileParts.Folder};
    view::MovieSaveAs(s, sb().PlotDate, [this](std::string& name, std::string& folder) {
      saved.push_back(folder + name);
      WriteFile(folder + name, "BM");
      return std::string();
    });
  }
  QWidget host;
  std::unique_ptr<forms::TextBox> Text6;
  std::unique_ptr<ui::CaptureCommands> capture;
  std::vector<std::string> saved, opened;
};

TEST_F(Movie, WindowDesignValuesAndPlotTime) {
  LocaleGuard locale(",", ".");
  ui::FrmVideo& v = capture->frmVideo();
  EXPECT_EQ(sb().MovieMaxFrames, 900);
  EXPECT_DOUBLE_EQ(sb().MovieInterval, 0.6);
  EXPECT_EQ(v.Text2->Text(), ",6 seconds between Frames");
  EXPECT_EQ(v.Text1->Text(), "0,6");
  EXPECT_EQ(v.Text3->Text(), "-1 / 900 Frames ");  // no frame yet: the next is 0
  EXPECT_EQ(v.Command1->Caption(), "Start Video");
  // Start keeps the interval itself: its text "0,6" does not read back as 0.
  v.Command1->PerformClick();
  EXPECT_DOUBLE_EQ(sb().MovieInterval, 0.6);
  EXPECT_EQ(sb().MovieFrameNo, 1);

  v.Check1->SetValue(1);
  EXPECT_EQ(sb().MoviePlotTime, 1);
  EXPECT_DOUBLE_EQ(sb().MovieInterval, 20);
  EXPECT_EQ(v.HScroll2->Max(), 21600);
  EXPECT_EQ(v.HScroll2->SmallChange(), 15);
  v.HScroll2->SetValue(21600);
  EXPECT_DOUBLE_EQ(sb().MovieInterval, 86400);
  v.Check1->SetValue(0);
  EXPECT_EQ(v.HScroll2->Max(), 16);
  EXPECT_DOUBLE_EQ(sb().MovieInterval, 1.7);
}

TEST_F(Movie, TwentyFramesAreWrittenAndTheRecordingEnds) {
  ClockGuard clock(Now0());
  capture->mnuFMovieSaveAs_Click();
  ASSERT_TRUE(capture->HasFrmVideo());
  ui::FrmVideo& v = capture->frmVideo();
  EXPECT_TRUE(v.Visible());
  EXPECT_EQ(st().MovieFileParts.Prefix, "Vanex20240306_194125");
  v.HScroll1->SetValue(20);
  v.Command1->PerformClick();
  for (int i = 0; i < 21; ++i) Tick(clock);
  ASSERT_EQ(saved.size(), 20u);
  for (int i = 1; i <= 20; ++i) {
    const fs::path f = dir / ("Vanex20240306_194125" + std::to_string(i) + ".bmp");
    EXPECT_EQ(saved[size_t(i - 1)], f.string());
    EXPECT_TRUE(fs::exists(f)) << f;
  }
  EXPECT_EQ(sb().MovieFrameNo, 0);
  EXPECT_EQ(sb().MovieLastTime, 0);
  Tick(clock);
  EXPECT_EQ(saved.size(), 20u);
}

TEST_F(Movie, PauseHoldsFramesBackAndRestartCountsFromItsMoment) {
  ClockGuard clock(Now0());
  capture->mnuFMovieSaveAs_Click();
  ui::FrmVideo& v = capture->frmVideo();
  v.HScroll1->SetValue(20);
  v.HScroll2->SetValue(9);  // one second between frames
  v.Command1->PerformClick();
  Tick(clock, 0.5);
  ASSERT_EQ(saved.size(), 1u);
  v.Command2->PerformClick();
  EXPECT_EQ(v.Command1->Caption(), "Restart Video");
  EXPECT_EQ(v.Command1->Tag, "ReStart");
  for (int i = 0; i < 50; ++i) Tick(clock);
  EXPECT_EQ(saved.size(), 1u);
  v.Command1->PerformClick();
  EXPECT_EQ(v.Command1->Caption(), "Start Video");
  EXPECT_EQ(v.Command1->Tag, "");
  Tick(clock, 0.6);
  EXPECT_EQ(saved.size(), 1u);  // one interval after the restart, not before
  Tick(clock, 0.6);
  EXPECT_EQ(saved.size(), 2u);
  EXPECT_EQ(sb().MovieFrameNo, 3);
}

TEST_F(Movie, PauseInPlotTimeHoldsFramesBackToo) {
  ClockGuard clock(Now0());
  capture->mnuFMovieSaveAs_Click();
  ui::FrmVideo& v = capture->frmVideo();
  v.Check1->SetValue(1);
  v.HScroll1->SetValue(20);
  v.Command1->PerformClick();
  sb().PlotDate = 45000;
  Tick(clock);
  ASSERT_EQ(saved.size(), 1u);
  v.Command2->PerformClick();
  for (int i = 1; i <= 5; ++i) {
    sb().PlotDate = 45000 + i;
    Tick(clock);
  }
  EXPECT_EQ(saved.size(), 1u);
  v.Command1->PerformClick();
  sb().PlotDate = 45010;
  Tick(clock);
  EXPECT_EQ(saved.size(), 2u);
}

TEST_F(Movie, EndSavesAtMostOneMoreFrameAndHidesTheWindow) {
  ClockGuard clock(Now0());
  capture->mnuFMovieSaveAs_Click();
  ui::FrmVideo& v = capture->frmVideo();
  v.HScroll1->SetValue(20);
  v.Command1->PerformClick();
  Tick(clock);
  Tick(clock);
  v.Command3->PerformClick();
  EXPECT_FALSE(v.Visible());
  for (int i = 0; i < 5; ++i) Tick(clock);
  EXPECT_EQ(saved.size(), 3u);
  EXPECT_EQ(sb().MovieFrameNo, 0);
}

TEST_F(Movie, TheToolbarsRecordingIsStoppedByTheCommand) {
  ClockGuard clock(Now0());
  capture->mnuFMovieSaveAs_Click();
  capture->frmVideo().Command1->PerformClick();
  sb().MovieArmed = 1;
  capture->mnuFMovieSaveAs_Click();
  EXPECT_EQ(sb().MovieFrameNo, 0);
  EXPECT_EQ(sb().MovieLastTime, 0);
  EXPECT_EQ(sb().MovieArmed, 0);
  EXPECT_TRUE(capture->frmVideo().Visible());
}

TEST_F(Movie, SavedImageNameAndTheFileManagerOnce) {
  ClockGuard clock(Now0());
  capture->mnuFSaveAs_Click();
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0], (dir / "Vanex20240306_194125.bmp").string());
  EXPECT_EQ(opened, std::vector<std::string>{(dir / "").string()});
  EXPECT_EQ(main->text21, "Explorer open with image saved Vanex20240306_194125.bmp");
  main->text21.clear();
  clock.clock().Advance(1);
  capture->mnuFSaveAs_Click();
  EXPECT_EQ(saved.size(), 2u);
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_EQ(main->text21, "");
}

TEST_F(Movie, AnEmptyImageFolderTakesTheUserDataFolderNeverTheProgramFolder) {
  ClockGuard clock(Now0());
  platform::SetProgramPath((dir / "prog" / "vantrel").string());
  fs::create_directories(dir / "prog");
  Text6->SetText("");
  capture->mnuFSaveAs_Click();
  const std::string folder = view::UserDataFolder().string() + "/";
  EXPECT_EQ(Text6->Text(), folder);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0], folder + "Vanex20240306_194125.bmp");
  EXPECT_FALSE(fs::exists(dir / "prog" / "Vanex20240306_194125.bmp"));
}

TEST_F(Movie, MainWindowSliders) {
  ui::MovieSliders s(&host);
  struct Step {
    int value;
    double frames;
    std::string text;
  } steps[] = {{900, 900, "0 / 900 Frames "}, {1000, 20, "0 / 20 Frames "}, {0, 1, "0 / 1 Frames "}};
  for (const Step& t : steps) {
    s.HScroll5->SetValue(t.value);
    EXPECT_EQ(sb().MovieMaxFrames, t.frames) << t.value;
    EXPECT_EQ(s.Text11->Text(), t.text);
  }
  EXPECT_EQ(s.HScroll5->Value(), 1);
  // The first change leaves the redraw speed alone, every later one slows it.
  const auto speedWrites = std::count(main->calls.begin(), main->calls.end(), "HScroll2.Value=0");
  EXPECT_EQ(speedWrites, 3);  // second and third steps, and the move from 0 to 1
  s.HScroll6->SetValue(2);
  EXPECT_DOUBLE_EQ(sb().MovieInterval, 0.3);
  EXPECT_EQ(s.Text12->Text(), ".3 seconds between Frames");
  EXPECT_EQ(s.Text12->ToolTipText(), ui::kMainIntervalTip);
}

}  // namespace
}  // namespace vantrel::test
