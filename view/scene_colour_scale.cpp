// The colour scale: the five-segment ramp from magenta to red, its 32 dots along the value
// axis, its six labels, and the two-line value legend in the view's corner.
#include <GL/gl.h>

#include <cmath>
#include <string>

#include "datastore/state.h"
#include "numerics/mathas.h"
#include "platform/glview/glview.h"
#include "platform/runtime/vb.h"
#include "view/class_gl.h"

namespace vantrel::view {
namespace {

double AxisLengthOf(double extent, double factor) {
  return factor != 0 ? extent * factor : extent * 1.1;
}

// A point size the GL takes: 0 or less (a plot thickness of 0) is the smallest one.
float PointSizeOf(double size) { return size > 0 ? float(size) : 0.1f; }

}  // namespace

void ClassGl::ColorScale(double colorNorm, double& rred, double& ggreen, double& bblue,
                         double& aalpha, double miniVALPen, double& maxiVALPen) {
  if (maxiVALPen == miniVALPen) maxiVALPen = miniVALPen + 1;
  double x = colorNorm;
  if (x >= maxiVALPen) x = maxiVALPen * 0.99999999;
  if (x <= miniVALPen) x = miniVALPen * 1.00000001;
  double t = std::fabs((x - miniVALPen) / (maxiVALPen - miniVALPen));
  double s = std::floor(5 * t);
  double f = 5 * t - s;
  if (s >= 5) {
    // The end clamps can land past the end of the ramp (a maximum of 0 or less): red.
    rred = 1, ggreen = 0, bblue = 0;
  } else if (s == 4) {
    rred = 1, ggreen = 1 - f, bblue = 0;
  } else if (s == 3) {
    rred = f, ggreen = 1, bblue = 0;
  } else if (s == 2) {
    rred = 0, ggreen = 1, bblue = 1 - f;
  } else if (s == 1) {
    rred = 0, ggreen = f, bblue = 1;
  } else if (s == 0) {
    rred = 1 - f, ggreen = 0, bblue = 1;
  }
  aalpha = 1;
}

void ClassGl::ScaleColorDot() {
  datastore::DataStore& st = datastore::Store();
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  double lpt = sb.LinePlotThickness;
  bool fewPolylineRows = 2.0 * st.LastDataRow >= st.QuaterRows;

  double size = lpt;
  if (fewPolylineRows) size = lpt * 3;
  if (st.ValuesMode == 1) size = lpt * 8;
  glPointSize(PointSizeOf(size));

  double L = AxisLengthOf(SceneExtent, sb.AxisLengthFactor);
  glBegin(GL_POINTS);
  for (int i = 1; i <= 32; ++i) {
    double r = 0, g = 0, b = 0, a = 0, hi = 1;
    ColorScale(i / 32.0, r, g, b, a, 0, hi);
    glColor4f(float(r), float(g), float(b), float(a));
    float d = float(L - 32 + i);
    if (st.ValAxis == 1) {
      glVertex3f(d, 0, 0);
    } else if (st.ValAxis == 2) {
      glVertex3f(0, d, 0);
    } else if (st.ValAxis == 3) {
      glVertex3f(0, 0, d);
    } else if (st.ValAxis == 0) {
      glVertex3f(d, 0, 0);
      glVertex3f(0, d, 0);
      glVertex3f(0, 0, d);
    }
  }
  glEnd();

  size = lpt;
  if (fewPolylineRows) size = lpt * 8;
  if (st.ValuesMode == 1) size = lpt;
  glPointSize(PointSizeOf(size));
}

void ClassGl::ColorScaleLabels() {
  datastore::DataStore& st = datastore::Store();
  if (st.ValuesMode != 1) return;
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  double L = AxisLengthOf(SceneExtent, sb.AxisLengthFactor);
  for (int i = 1; i <= 361; i += 72) {
    double t = (i - 1) / 360.0;
    double value = st.ValZMin + (st.ValZMax - st.ValZMin) * t;
    std::string text = "  " + rt::Format(value, "#");
    double r = 0, g = 0, b = 0, a = 0, hi = 1;
    ColorScale(t, r, g, b, a, 0, hi);
    long colour = long(rt::CLng(255 * (65536 * r + 256 * g + b)));
    float p = float((L - 32 + 32 * t) / 2);
    if (!control_) continue;
    glview::FontSet& fonts = control_->Fonts();
    SceneStep([&] {
      if (st.ValAxis == 1)
        fonts.DrawTextAt(FontLabels, text, p, 0, 0, colour);
      else if (st.ValAxis == 2)
        fonts.DrawTextAt(FontLabels, text, 0, p, 0, colour);
      else if (st.ValAxis == 3)
        fonts.DrawTextAt(FontLabels, text, 0, 0, p, colour);
    });
  }
}

void ClassGl::DrawValueLegend() {
  datastore::DataStore& st = datastore::Store();
  if (st.SettingsBlock.OptNoTimeMoving != 0 || st.ValuesMode != 1 || !(st.ValZRows > 0) ||
      Traj.ValueFound != 1)
    return;
  double lo = st.ValZMin, hi = st.ValZMax;
  if (hi == lo) hi = lo + 1;
  std::int64_t row = std::int64_t(Traj.ValueRow);
  Traj.LegendText = "Value : " + numerics::FormatSig(st.ValZTable(row, 1), 4) + "  limits: " +
                    numerics::FormatSig(lo, 3) + " to " + numerics::FormatSig(hi, 3);
  if (!control_) return;
  control_->DrawText2D(8, 43, Traj.LegendText);
  control_->DrawText2D(8, 60, " , shown during thrust.");
}

}  // namespace vantrel::view
