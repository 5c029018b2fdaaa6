#include "ui/frm_video.h"

#include "datastore/state.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "view/capture.h"

namespace vantrel::ui {

namespace {

datastore::SettingsRecord& SB() { return datastore::Store().SettingsBlock; }

// While paused in plot time no frame falls due: the last frame is put beyond any plot date.
constexpr double kPausedPlotTime = 1e300;

}  // namespace

std::string MovieFramesText(double frameNo, double maxFrames) {
  return rt::Format(frameNo - 1, "#") + " / " + rt::Format(maxFrames, "#") + " Frames ";
}

std::string MainFramesText(double frameNo, double maxFrames) {
  return rt::Format(frameNo, "#0") + " / " + rt::Format(maxFrames, "#") + " Frames ";
}

std::string MovieIntervalText(double interval) { return rt::Format(interval, "#.##") + " seconds between Frames"; }

FrmVideo::FrmVideo(QWidget* parent) : Form("frmVideo", parent) {
  using namespace forms;
  SetCaption("Movie sequence");
  Move(kKeep, kKeep, 6300, 2900);
  QWidget* p = Client();
  Label1 = std::make_unique<Label>(p, "Label1", "Period ");
  Label1->Move(120, 120, 900, 255);
  Text1 = std::make_unique<TextBox>(p, "Text1");
  Text1->Move(1080, 90, 900, 285);
  HScroll2 = std::make_unique<ScrollBar>(p, "HScroll2", 0, 16, 5);
  HScroll2->Move(120, 420, 3900, 255);
  Text2 = std::make_unique<TextBox>(p, "Text2");
  Text2->Move(120, 720, 3900, 285);
  Check1 = std::make_unique<CheckBox>(p, "Check1", "simulation model time");
  Check1->Move(120, 1050, 3900, 255);
  Check1->SetToolTipText("check for making video wrt the plot which can be quite high, not wrt the computer timer");
  Text3 = std::make_unique<TextBox>(p, "Text3");
  Text3->Move(120, 1380, 3900, 285);
  HScroll1 = std::make_unique<ScrollBar>(p, "HScroll1", 0, 1023, 900);
  HScroll1->Move(120, 1710, 3900, 255);
  Label2 = std::make_unique<Label>(p, "Label2", "Number of frames");
  Label2->Move(120, 2010, 3900, 255);
  for (TextBox* t : {Text2.get(), Text3.get()}) {
    QFont f = t->widget()->font();
    f.setFamily("Arial Narrow");
    t->widget()->setFont(f);
  }
  Command1 = std::make_unique<CommandButton>(p, "Command1", "Start/Restart Video");
  Command1->Move(4200, 120, 1900, 500);
  Command2 = std::make_unique<CommandButton>(p, "Command2", "Pause Video");
  Command2->Move(4200, 780, 1900, 500);
  Command3 = std::make_unique<CommandButton>(p, "Command3", "End Video");
  Command3->Move(4200, 1440, 1900, 500);

  Activate = [this] { Form_Activate(); };
  Check1->Click = [this] { Check1_Click(); };
  Command1->Click = [this] { Command1_Click(); };
  Command2->Click = [this] { Command2_Click(); };
  Command3->Click = [this] { Command3_Click(); };
  HScroll1->Change = [this] { HScroll1_Change(); };
  HScroll1->Scroll = [this] { HScroll1_Change(); };
  HScroll2->Change = [this] { HScroll2_Change(); };
  HScroll2->Scroll = [this] { HScroll2_Change(); };

  Form_Load();
}

void FrmVideo::update() {
  datastore::SettingsRecord& sb = SB();
  if (sb.MoviePlotTime == 1.0) sb.MovieInterval = HScroll2->Value() * 4.0;
  if (sb.MoviePlotTime == 0) sb.MovieInterval = (HScroll2->Value() + 1) / 10.0;
  Text1->SetText(rt::CStr(sb.MovieInterval));
  Text3->SetText(MovieFramesText(sb.MovieFrameNo, sb.MovieMaxFrames));
  Text2->SetText(MovieIntervalText(sb.MovieInterval));
  Text3->SetToolTipText(kFramesTip);
  Text2->SetToolTipText(kVideoIntervalTip);
}

void FrmVideo::Form_Load() {
  Command1->SetCaption("Start Video");
  HScroll1_Change();
  HScroll2_Change();
  update();
}

void FrmVideo::Form_Activate() {
  HScroll1_Change();
  HScroll2_Change();
  update();
}

void FrmVideo::HScroll1_Change() {
  datastore::SettingsRecord& sb = SB();
  sb.MovieMaxFrames = HScroll1->Value();
  if (sb.MovieMaxFrames == 0) sb.MovieMaxFrames = 20;
  update();
}

void FrmVideo::HScroll2_Change() { update(); }

void FrmVideo::Check1_Click() {
  SB().MoviePlotTime = Check1->Value();
  HScroll2->SetMin(0);
  if (Check1->Value() == 1) {
    HScroll2->SetMax(21600);
    HScroll2->SetSmallChange(HScroll2->Max() / 1440);
  } else {
    HScroll2->SetMax(16);
    HScroll2->SetSmallChange(1);
  }
  update();
}

void FrmVideo::Command1_Click() {
  datastore::SettingsRecord& sb = SB();
  if (Command1->Tag == "ReStart") {
    sb.MovieLastTime = sb.MoviePlotTime == 1.0 ? sb.PlotDate * 86400 : view::MovieClock();
    Command1->Tag.clear();
    Command1->SetCaption("Start Video");
  } else if (Command1->Tag.empty()) {
    Command1->SetCaption("Start Video");
    sb.MoviePlotTime = Check1->Value();
    // The interval is the number update computes, not its text read back (a decimal comma
    // would read as 0).
    update();
    sb.MovieMaxFrames = HScroll1->Value();
    if (sb.MovieMaxFrames == 0) sb.MovieMaxFrames = 20;
    sb.MovieFrameNo = 1;
    sb.MovieLastTime = 0;
  }
  update();
}

void FrmVideo::Command2_Click() {
  datastore::SettingsRecord& sb = SB();
  if (sb.MoviePlotTime == 1.0) sb.MovieLastTime = kPausedPlotTime;
  else sb.MovieLastTime = static_cast<double>(static_cast<float>(view::MovieClock())) + 100000;
  Command1->Tag = "ReStart";
  Command1->SetCaption("Restart Video");
  update();
}

void FrmVideo::Command3_Click() {
  datastore::SettingsRecord& sb = SB();
  sb.MovieMaxFrames = sb.MovieFrameNo;
  update();
  Hide();
}

void FrmVideo::SetMovieBox(int n, const view::CaptionBox& box) {
  forms::TextBox* t = n == 2 ? Text2.get() : n == 3 ? Text3.get() : nullptr;
  if (!t) return;
  t->SetText(box.text);
  t->SetToolTipText(box.tip);
}

// --- the main window's movie sliders -------------------------------------------------------------

MovieSliders::MovieSliders(QWidget* parent) {
  using namespace forms;
  HScroll5 = std::make_unique<ScrollBar>(parent, "HScroll5", 0, 1000, 1000, 100, 100);
  Text11 = std::make_unique<TextBox>(parent, "Text11");
  HScroll6 = std::make_unique<ScrollBar>(parent, "HScroll6", 0, 16, 9, 3, 3);
  Text12 = std::make_unique<TextBox>(parent, "Text12");
  HScroll5->Change = [this] { HScroll5_Change(); };
  HScroll5->Scroll = [this] { HScroll5_Scroll(); };
  HScroll6->Change = [this] { HScroll6_Change(); };
  HScroll6->Scroll = [this] { HScroll6_Scroll(); };
}

namespace {

// The number of frames the main window's frames slider stands for.
double FramesOfSlider(int value) { return value == 0 || value > 900 ? 20 : value; }
// The time between frames, in seconds of the clock, the frame-time slider stands for.
double IntervalOfSlider(int value) { return (value + 1) / 10.0; }

}  // namespace

void MovieSliders::HScroll5_Change() {
  datastore::DataStore& st = datastore::Store();
  // Every change after the first slows the redraw to one row per step.
  if (MovieSliderSeen == 1) rt::Try([&] { st.Main().SetHScroll2Value(0); });
  MovieSliderSeen = 1;
  if (HScroll5->Value() == 0) HScroll5->SetValue(1);
  datastore::SettingsRecord& sb = st.SettingsBlock;
  sb.MovieMaxFrames = FramesOfSlider(HScroll5->Value());
  Text11->SetText(MainFramesText(sb.MovieFrameNo, sb.MovieMaxFrames));
  Text11->SetToolTipText(kFramesTip);
}

void MovieSliders::HScroll6_Change() {
  HScroll6->SetMin(0);
  datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  sb.MovieInterval = IntervalOfSlider(HScroll6->Value());
  Text12->SetText(MovieIntervalText(sb.MovieInterval));
  Text12->SetToolTipText(kMainIntervalTip);
}

void MovieSliders::ShowCaptions() {
  const datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  Text11->SetText(MainFramesText(sb.MovieFrameNo, FramesOfSlider(HScroll5->Value())));
  Text11->SetToolTipText(kFramesTip);
  Text12->SetText(MovieIntervalText(IntervalOfSlider(HScroll6->Value())));
  Text12->SetToolTipText(kMainIntervalTip);
}

}  // namespace vantrel::ui
