// The colour scale: the five-segment ramp from magenta to red, its 32 dots along the value
// axis, its six labels, and the two-line value legend in the view's corner.
#include "view/scene_colour_scale.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "datastore/state.h"
#include "numerics/mathas.h"
#include "platform/glview/glview.h"
#include "platform/runtime/vb.h"
#include "view/class_gl.h"

namespace vantrel::view {
namespace {

double AxisLengthOf(double extent, double factor) { return factor != 0 ? extent * factor : extent * 1.1; }

// A point size the GL takes: 0 or less (a plot thickness of 0) is the smallest one.
float PointSizeOf(double size) { return size > 0 ? float(size) : 0.1f; }

}  // namespace

void ClassGl::ColorScale(double colorNorm, double& rred, double& ggreen, double& bblue, double& aalpha,
                         double miniVALPen, double& maxiVALPen) {
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

std::vector<QPoint> PlaceScaleLabels(const std::vector<ScaleLabelBox>& labels, bool barRunsUp, const QRect& view) {
  // Boxes as [x0, x1) x [y0, y1), y up; "along" is the bar's direction on the screen.
  struct Box {
    int x0, y0, x1, y1;
    bool Overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    int& Lo(bool up) { return up ? y0 : x0; }
    int& Hi(bool up) { return up ? y1 : x1; }
  };
  constexpr int kGap = 2;
  const size_t n = labels.size();
  std::vector<QPoint> shifts(n);
  std::vector<Box> placed;
  if (n == 0) return shifts;
  auto along = [barRunsUp](QPoint& p) -> int& { return barRunsUp ? p.ry() : p.rx(); };
  auto move = [&](size_t k, int d) {
    placed[k].Lo(barRunsUp) += d;
    placed[k].Hi(barRunsUp) += d;
    along(shifts[k]) += d;
  };
  // The way the ramp runs along the bar, from its first label to its last.
  QPoint first = labels.front().anchor, last = labels.back().anchor;
  const int dir = along(last) < along(first) ? -1 : 1;
  int pushed = 0;  // how far the last label was moved along the bar
  for (size_t k = 0; k < n; ++k) {
    const QRect& g = labels[k].glyphs;
    // Beside an upright bar a label is centred on the row of its point.
    if (barRunsUp) shifts[k].setY(-(g.y() + g.y() + g.height()) / 2);
    Box b{labels[k].anchor.x() + g.x() + shifts[k].x(), labels[k].anchor.y() + g.y() + shifts[k].y(), 0, 0};
    b.x1 = b.x0 + g.width();
    b.y1 = b.y0 + g.height();
    placed.push_back(b);
    // A label that would overprint one before it moves on along the bar, past it, so that the
    // labels stand in the ramp's order in one line beside the bar. Every move goes the same
    // way, past one box, so the loop ends.
    int moved = 0;
    for (bool again = true; again;) {
      again = false;
      for (size_t j = 0; j < k; ++j) {
        if (!placed[k].Overlaps(placed[j])) continue;
        const int d = dir > 0 ? placed[j].Hi(barRunsUp) + kGap - placed[k].Lo(barRunsUp)
                              : placed[j].Lo(barRunsUp) - kGap - placed[k].Hi(barRunsUp);
        move(k, d);
        moved += d;
        again = true;
      }
    }
    if (k + 1 == n) pushed = moved;
  }
  // A line longer than the bar is centred on it, so that the labels stand about their points.
  if (pushed != 0)
    for (size_t k = 0; k < n; ++k) move(k, -pushed / 2);
  if (view.isValid()) {
    // Inside the view: the line moves as one along the bar, each label on its own across it;
    // the top and right edges first, then the bottom and left ones, so that a label larger
    // than the view keeps its start visible.
    const int viewLo[2] = {view.x(), view.y()}, viewHi[2] = {view.x() + view.width(), view.y() + view.height()};
    auto inside = [&](int lo, int hi, int axis) {
      int d = 0;
      if (hi > viewHi[axis]) d = viewHi[axis] - hi;
      if (lo + d < viewLo[axis]) d = viewLo[axis] - lo;
      return d;
    };
    int lo = placed[0].Lo(barRunsUp), hi = placed[0].Hi(barRunsUp);
    for (Box& b : placed) {
      lo = std::min(lo, b.Lo(barRunsUp));
      hi = std::max(hi, b.Hi(barRunsUp));
    }
    const int d = inside(lo, hi, barRunsUp ? 1 : 0);
    for (size_t k = 0; k < n; ++k) {
      move(k, d);
      Box& b = placed[k];
      const int across = inside(b.Lo(!barRunsUp), b.Hi(!barRunsUp), barRunsUp ? 0 : 1);
      (barRunsUp ? shifts[k].rx() : shifts[k].ry()) += across;
    }
  }
  return shifts;
}

void ClassGl::ColorScaleLabels() {
  datastore::DataStore& st = datastore::Store();
  if (st.ValuesMode != 1) return;
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  double L = AxisLengthOf(SceneExtent, sb.AxisLengthFactor);
  // Each label stands beside the dot of the colour it names: the value whose colour starts
  // there, at the same place along the axis as that dot (ScaleColorDot).
  struct ScaleLabel {
    std::string text;
    long colour;
    float p;
  };
  std::vector<ScaleLabel> labels;
  for (int i = 1; i <= 361; i += 72) {
    double t = (i - 1) / 360.0;
    double value = st.ValZMin + (st.ValZMax - st.ValZMin) * t;
    double r = 0, g = 0, b = 0, a = 0, hi = 1;
    ColorScale(t, r, g, b, a, 0, hi);
    labels.push_back(
        {"  " + rt::Format(value, "#"), long(rt::CLng(255 * (65536 * r + 256 * g + b))), float(L - 32 + 32 * t)});
  }
  const int axis = int(st.ValAxis);
  if (!control_ || axis < 1 || axis > 3) return;
  auto along = [axis](double p) {
    std::array<double, 3> v{0, 0, 0};
    v[size_t(axis - 1)] = p;
    return v;
  };
  glview::FontSet& fonts = control_->Fonts();
  SceneStep([&] {
    // The labels' window positions, so that none overprints another.
    GLdouble model[16], proj[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, viewport);
    auto window = [&](double p, QPointF& out) {
      const auto v = along(p);
      GLdouble wx = 0, wy = 0, wz = 0;
      if (gluProject(v[0], v[1], v[2], model, proj, viewport, &wx, &wy, &wz) != GL_TRUE || !std::isfinite(wx) ||
          !std::isfinite(wy))
        return false;
      out = QPointF(wx, wy);
      return true;
    };
    QPointF low, high;
    bool projected = window(L - 32, low) && window(L, high);
    const bool barRunsUp = projected && std::fabs(high.y() - low.y()) >= std::fabs(high.x() - low.x());
    std::vector<ScaleLabelBox> boxes;
    const int blanks = fonts.BitmapTextSize(FontLabels, "  ").width() - 1;
    for (const ScaleLabel& l : labels) {
      QPointF w;
      projected = projected && window(l.p, w);
      QRect glyphs = fonts.BitmapTextBox(FontLabels, l.text);
      glyphs.setLeft(glyphs.left() + blanks);
      boxes.push_back({w.toPoint(), glyphs});
    }
    const std::vector<QPoint> shifts =
        projected ? PlaceScaleLabels(boxes, barRunsUp, QRect(viewport[0], viewport[1], viewport[2], viewport[3]))
                  : std::vector<QPoint>(labels.size());
    for (size_t k = 0; k < labels.size(); ++k) {
      const auto v = along(labels[k].p);
      fonts.DrawTextAt(FontLabels, labels[k].text, float(v[0]), float(v[1]), float(v[2]), labels[k].colour, shifts[k]);
    }
  });
}

void ClassGl::DrawValueLegend() {
  datastore::DataStore& st = datastore::Store();
  if (st.SettingsBlock.OptNoTimeMoving != 0 || st.ValuesMode != 1 || !(st.ValZRows > 0) || Traj.ValueFound != 1) return;
  double lo = st.ValZMin, hi = st.ValZMax;
  if (hi == lo) hi = lo + 1;
  std::int64_t row = std::int64_t(Traj.ValueRow);
  Traj.LegendText = "Value : " + numerics::FormatSig(st.ValZTable(row, 1), 4) +
                    "  limits: " + numerics::FormatSig(lo, 3) + " to " + numerics::FormatSig(hi, 3);
  if (!control_) return;
  control_->DrawText2D(8, 43, Traj.LegendText);
  control_->DrawText2D(8, 60, " , shown during thrust.");
}

}  // namespace vantrel::view
