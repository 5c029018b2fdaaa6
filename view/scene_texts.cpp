// Texts at the current point: its date beside it, the fit's offsets at the scene origin, and
// the date or time of the current point in the view's corner.
#include <string>

#include "datastore/state.h"
#include "platform/glview/glview.h"
#include "platform/runtime/vb.h"
#include "view/class_gl.h"
#include "view/scene_texts.h"

namespace vantrel::view {
namespace {

constexpr const char* kDatePattern = " dd  MMM yyyy hh:mm ";
constexpr const char* kTimePattern = " hh:mm:ss.ss ";
// Day numbers above this (noon on 30 December 1957) are calendar dates; below, times.
constexpr double kCalendarFrom = 21184.5;

long LabelColourOf(const datastore::Rgb& c) { return long(rt::CLng(c[0] * 65536 + c[1] * 256 + c[2])); }

}  // namespace

std::string PointDateText(double pointTime) { return "Vantrel " + rt::FormatDate(pointTime, kDatePattern); }

std::string CornerDateText(double pointTime, double plotDate) {
  return rt::FormatDate(pointTime, plotDate > kCalendarFrom ? kDatePattern : kTimePattern);
}

std::string OriginOffsetText(double x, double y, double z) {
  return rt::CStr(x) + " , " + rt::CStr(y) + " , " + rt::CStr(z) + " , ";
}

void ClassGl::DrawPointTexts() {
  datastore::DataStore& st = datastore::Store();
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  TrajectoryValues& tv = Traj;

  if (sb.OptNoTimeMoving == 0 && st.EventsGiven == 1) {
    SceneStep([&] {
      tv.LabelColour = LabelColourOf(sb.ColourAxisLabels);
      tv.PointX = st.DataTable(CURRINDEXI, 1);
      tv.PointY = st.DataTable(CURRINDEXI, 2);
      tv.PointZ = st.DataTable(CURRINDEXI, 3);
      std::string text = PointDateText(Scene.PointTime);
      if (control_)
        control_->Fonts().DrawText3D(FontOutline, text, float(tv.PointX), float(tv.PointY), float(tv.PointZ), 0.5,
                                     tv.LabelColour);
    });
  }

  if (sb.OptNoOriginLabel == 0 && st.ScaleFactor == 1.0) {
    SceneStep([&] {
      tv.LabelColour = LabelColourOf(sb.ColourAxisLabels);
      std::string text = OriginOffsetText(AxisFit[0].Offset, AxisFit[1].Offset, AxisFit[2].Offset);
      if (control_) control_->Fonts().DrawText3D(FontOutline, text, 0, 0, 0, 1.5, tv.LabelColour);
    });
  }
}

void ClassGl::DrawDateOverlays() {
  datastore::DataStore& st = datastore::Store();
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  if (sb.OptNoLogoLabel != 0 || !(sb.TimeRangeGiven == 1.0 || st.EventsGiven == 1) || st.PenUpMode == 1) return;
  std::string text = CornerDateText(Scene.PointTime, sb.PlotDate);
  if (control_) control_->DrawText2D(8, 23, text);
}

}  // namespace vantrel::view
