// The trajectory section of the scene: frame preparation, the pen-up second polyline, the
// main pass from the first to the current row (line strip or points, breaks, event colours,
// value bars), the colour-scale dots, the cubic-view projections and the point labels.
//
// The vertices are gathered in vertex batches and drawn with vertex arrays: a million rows
// cost about what a bare line strip of the same vertices costs. The batches draw the strip
// first, then the wall projections, then the labels.
#include <GL/gl.h>

#include <cmath>
#include <string>
#include <vector>

#include "datastore/state.h"
#include "platform/glview/glview.h"
#include "platform/runtime/vb.h"
#include "view/class_gl.h"
#include "view/gl_colour.h"
#include "view/scene_batch.h"
#include "view/view_shared.h"

namespace vantrel::view {

struct TrajectoryBatches {
  VertexBatch polyline, main;
  PointBatch polyWalls[3], mainPoints, walls[3];
  struct Label {
    float x, y, z;
    std::int64_t row;
    Colour4 colour;
  };
  std::vector<Label> labels;
};

namespace {

Colour4 Of(const datastore::Rgb& c, float alpha) {
  const auto gl = GlColour(c);
  return {gl[0], gl[1], gl[2], alpha};
}

float LineWidthOf(double w) { return w > 0 ? float(w) : 0.1f; }

// Reads the rows of DataTable: rows never written read as 0.
struct Rows {
  explicit Rows(const datastore::NumTable<5>& t)
      : base(t.StoredRows() > 0 ? t.RowPtr(0) : nullptr), stored(t.StoredRows()) {}
  double operator()(std::int64_t r, int c) const {
    return r >= 0 && r < stored ? base[r * 5 + c] : 0.0;
  }
  const double* base;
  std::int64_t stored;
};

// The wall projections of (x, y, z), added to the three wall batches.
void AddProjections(PointBatch* walls, const PixelMapping& map, float x, float y, float z,
                    float wx, float wy, float wz, const Colour4& c) {
  if (!map.mergeable) {
    walls[0].Add(wx, y, z, c);
    walls[1].Add(x, wy, z, c);
    walls[2].Add(x, y, wz, c);
    return;
  }
  // One transform of the point; each projection moves it along one axis.
  double p[4];
  ClipOf(map, x, y, z, p);
  const double* m = map.m.data();
  for (int k = 0; k < 3; ++k) {
    double d = k == 0 ? double(wx) - x : k == 1 ? double(wy) - y : double(wz) - z;
    const double* col = m + 4 * k;
    double q[4] = {p[0] + d * col[0], p[1] + d * col[1], p[2] + d * col[2],
                   map.affine ? 1.0 : p[3] + d * col[3]};
    if (k == 0)
      walls[0].Add(wx, y, z, q, c);
    else if (k == 1)
      walls[1].Add(x, wy, z, q, c);
    else
      walls[2].Add(x, y, wz, q, c);
  }
}

}  // namespace

void ClassGl::DrawTrajectory() {
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  TrajectoryValues& tv = Traj;
  if (!trajBatches_) trajBatches_ = std::make_shared<TrajectoryBatches>();
  TrajectoryBatches& tb = *trajBatches_;

  // 1. Frame preparation.
  tv.ValueOffset = {0, 0, 0};
  const auto bg = GlColour(sb.ColourBackground);
  glClearColor(bg[0], bg[1], bg[2], 1);
  glClearDepth(1);
  glShadeModel(GL_FLAT);
  if (CURRINDEXI < 0 && control_) {
    glview::GlCamera& cam = control_->Camera();
    cam.SetFarPlane(1000);
    cam.SetNearPlane(-1000);
    cam.SetViewAngle(180);
    cam.SetUp(0, 0, 1);
    cam.SetTarget(0, 0, 0);
    cam.SetEye(80, 80, 80);
    cam.SetProjectionType(1);
  }
  Colour4 cur = Of(sb.ColourPlotNominal, 0.6f);
  glColor4f(cur.r, cur.g, cur.b, cur.a);
  tv.EventRow = 0;
  tv.LastEventValue = -1;
  tv.EventValue = 0;
  tv.ValueRow = 0;
  tv.ValueBase = 0;
  double vmin = st.ValZMin, vmax = st.ValZMax;
  if (vmax == vmin) vmax = vmin + 1;
  tv.ValueScale = 2.05 * SceneExtent / 6 / (vmax - vmin);
  tv.ValueBase = vmin > 0 ? vmin : vmax < 0 ? vmax : 0;

  const bool cubic = sb.OptCubicView == 1.0;
  const float wallX = float(Scene.CubeWallX), wallY = float(Scene.CubeWallY),
              wallZ = float(Scene.CubeWallZ);
  const Rows data(st.DataTable);

  // 2. Pen-up second polyline.
  if (st.PenUpMode == 1) {
    sb.OptSatellite = 0;
    glLineWidth(LineWidthOf(sb.AxisLineThickness));
    PixelMapping map = cubic ? PixelMapping::FromGl() : PixelMapping::Exact();
    tb.polyline.Clear();
    for (PointBatch& w : tb.polyWalls) w.Reset(map);
    std::int64_t last = -1;
    SceneStep([&] { last = rt::CLng(st.QuaterRows); });
    if (last > datastore::kLastTableRow) last = datastore::kLastTableRow;
    const bool byTime = st.QuaterRows >= 2.0 * st.LastDataRow;
    const datastore::NumTable<5>& q = st.QuaterTable;
    for (std::int64_t k = 0; k <= last; ++k) {
      if (byTime && k % 6 == 0) {
        double r = cur.r, g = cur.g, b = cur.b, a = cur.a;
        ColorScale(data(k / 6, 0), r, g, b, a, st.Col0Min, st.Col0Max);
        cur = {float(r), float(g), float(b), float(a)};
      }
      if (q(k, 3) == -1) {
        tb.polyline.Break();
        continue;
      }
      float x = float(q(k, 0)), y = float(q(k, 1)), z = float(q(k, 2));
      tb.polyline.Vertex(x, y, z, cur);
      if (cubic) AddProjections(tb.polyWalls, map, x, y, z, wallX, wallY, wallZ, cur);
    }
    tb.polyline.Draw(GL_LINE_STRIP);
    for (PointBatch& w : tb.polyWalls) w.Draw();
    glColor4f(cur.r, cur.g, cur.b, cur.a);
  }

  // 3. Primitive of the main pass, and the colour-scale dots.
  unsigned prim = GL_LINE_STRIP;
  if (st.PenUpMode == 1 || st.ValuesMode == 1) {
    if (st.ValuesMode != 1) prim = GL_POINTS;
    SceneStep([&] { ScaleColorDot(); });
    glColor4f(cur.r, cur.g, cur.b, cur.a);
  }
  tv.TrajPrimitive = prim;

  // 4. Main pass.
  const std::int64_t first = CURRINDEXMINI, lastRow = CURRINDEXI;
  tv.DrawRow = lastRow >= first ? lastRow + 1 : first;
  const std::int64_t from = first < 0 ? 0 : first;
  const std::int64_t to = lastRow > datastore::kLastTableRow ? datastore::kLastTableRow : lastRow;
  const bool penUp = st.PenUpMode == 1, values = st.ValuesMode == 1;
  const bool labels = st.PenUpLabelMode == 1 && Shared().ShowLabels == 1;
  const bool projections = cubic && !values;
  const bool asPoints = prim == GL_POINTS;

  PixelMapping map =
      asPoints || projections ? PixelMapping::FromGl() : PixelMapping::Exact();
  tb.main.Clear();
  tb.mainPoints.Reset(map);
  for (PointBatch& w : tb.walls) w.Reset(map);
  tb.labels.clear();

  const datastore::NumTable<2>& ev = st.EventsTable;
  const double eventCount = st.EventCount;
  double eventRow = 0, eventValue = 0, lastEventValue = tv.LastEventValue;
  const Colour4 nominal = Of(sb.ColourPlotNominal, 0.6f);
  const Colour4 events = Of(sb.ColourPlotEvents, 0.6f);
  auto apply = [&](double v) {
    if (v == lastEventValue) return;
    lastEventValue = v;
    if (v >= 0 && v <= 1e-6) {
      cur = nominal;
    } else if (v > 1e-6 && v <= 1 + 1e-6) {
      cur = events;
    } else {
      double r = cur.r, g = cur.g, b = cur.b, a = 0, hi = 32;
      ColorScale(std::fabs(v), r, g, b, a, 0, hi);
      cur = {float(r), float(g), float(b), 0.6f};
    }
  };
  auto Et = [&](double e) { return ev(std::int64_t(e), 0); };
  auto Ev = [&](double e) { return ev(std::int64_t(e), 1); };
  // The two event times around eventRow, read again only when it moves.
  double cachedRow = -1, etHere = 0, etNext = 0;
  auto around = [&] {
    if (eventRow != cachedRow) {
      cachedRow = eventRow;
      etHere = Et(eventRow);
      etNext = Et(eventRow + 1);
    }
  };
  static constexpr double kEmptyRow[5] = {0, 0, 0, 0, 0};

  const datastore::NumTable<2>& vz = st.ValZTable;
  const double valueRows = st.ValZRows;
  double valueRow = 0, valueFound = tv.ValueFound;
  const int valAxis = st.ValAxis == 1 ? 0 : st.ValAxis == 2 ? 1 : st.ValAxis == 3 ? 2 : -1;

  double pointTime = Scene.PointTime, plotDate = sb.PlotDate, thrustOn = Scene.ThrustOn;
  bool drewPoint = false;

  for (std::int64_t row = from; row <= to; ++row) {
    const double* cells = row < data.stored ? data.base + row * 5 : kEmptyRow;
    const double t = cells[0];
    // Event colouring, outside pen-up mode.
    if (row == from) {
      eventRow = 0;
      while (eventRow <= eventCount) {
        if (t < Et(eventRow)) {
          if (eventRow > 0) eventRow -= 1;
          break;
        }
        eventRow += 1;
      }
    }
    if (penUp) {
      double r = cur.r, g = cur.g, b = cur.b, a = cur.a;
      ColorScale(t, r, g, b, a, st.Col0Min, st.Col0Max);
      cur = {float(r), float(g), float(b), float(a)};
    } else {
      around();
      if (t < etHere) {
        eventValue = eventRow > 0 ? Ev(eventRow - 1) : 0;
        apply(eventValue);
      } else if (t <= etNext) {
        eventValue = Ev(eventRow);
        apply(eventValue);
      } else {
        eventValue = Ev(eventRow + 1);
        apply(eventValue);
        if (eventRow < eventCount) {
          eventRow += 2;
        } else if (t >= Et(eventCount)) {
          eventValue = Ev(eventCount);
          apply(eventValue);
        }
      }
      thrustOn = std::fabs(eventValue) > 1e-6 ? 1 : 0;
    }
    pointTime = t;

    if (cells[4] == -1 && !penUp) {
      tb.main.Break();
      continue;
    }
    const float x = float(cells[1]), y = float(cells[2]), z = float(cells[3]);
    if (labels) tb.labels.push_back({x, y, z, row, cur});
    plotDate = pointTime;
    drewPoint = true;

    if (!values) {
      if (asPoints) {
        tb.mainPoints.Add(x, y, z, cur);
        // The cubic view repeats the vertex after its projections.
        if (projections) tb.mainPoints.Add(x, y, z, cur);
      } else {
        tb.main.Vertex(x, y, z, cur);
      }
      if (projections) AddProjections(tb.walls, map, x, y, z, wallX, wallY, wallZ, cur);
      continue;
    }

    // Values pass: the value in force, the trajectory vertex and the bar.
    valueFound = 0;
    if (!(t < vz(std::int64_t(valueRow), 0))) {
      do {
        if (t < vz(std::int64_t(valueRow) + 1, 0)) {
          valueFound = 1;
          break;
        }
        if (valueRow < valueRows) valueRow += 1;
      } while (!(valueRow > valueRows - 1));
    }
    cur = thrustOn > 0 ? events : nominal;
    tb.main.Vertex(x, y, z, cur);
    const double value = vz(std::int64_t(valueRow), 1);
    double r = cur.r, g = cur.g, b = cur.b, a = 1, hi = vmax;
    ColorScale(value, r, g, b, a, vmin, hi);
    cur = {float(r), float(g), float(b), 1};
    std::array<float, 3> off{0, 0, 0};
    if (thrustOn > 0 && valAxis >= 0) off[valAxis] = float((value - tv.ValueBase) * tv.ValueScale);
    tv.ValueOffset = off;
    tb.main.Vertex(x + off[0], y + off[1], z + off[2], cur);
    tb.main.Vertex(x, y, z, cur);
  }

  tv.EventRow = eventRow;
  tv.EventValue = eventValue;
  tv.LastEventValue = lastEventValue;
  tv.ValueRow = valueRow;
  tv.ValueFound = valueFound;
  Scene.PointTime = pointTime;
  if (!penUp) Scene.ThrustOn = thrustOn;
  if (drewPoint) sb.PlotDate = plotDate;

  if (asPoints)
    tb.mainPoints.Draw();
  else
    tb.main.Draw(GL_LINE_STRIP);
  for (PointBatch& w : tb.walls) w.Draw();
  glColor4f(cur.r, cur.g, cur.b, cur.a);

  // Point labels: a blank, then the label's text, at the point, in the plot's colour there.
  if (labels && control_) {
    glview::FontSet& fonts = control_->Fonts();
    for (const TrajectoryBatches::Label& l : tb.labels) {
      glColor4f(l.colour.r, l.colour.g, l.colour.b, l.colour.a);
      SceneStep([&] { fonts.DrawText3D(FontOutline, " ", l.x, l.y, l.z, 6); });
      SceneStep([&] { fonts.DrawText3D(FontOutline, st.PointLabels(l.row), l.x, l.y, l.z, 6); });
    }
    glColor4f(cur.r, cur.g, cur.b, cur.a);
  }
}

}  // namespace vantrel::view
