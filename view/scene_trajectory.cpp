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
  double operator()(std::int64_t r, int c) const { return r >= 0 && r < stored ? base[r * 5 + c] : 0.0; }
  const double* base;
  std::int64_t stored;
};

// The wall projections of (x, y, z), added to the three wall batches.
void AddProjections(PointBatch* walls, const PixelMapping& map, float x, float y, float z, float wx, float wy, float wz,
                    const Colour4& c) {
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
    double q[4] = {p[0] + d * col[0], p[1] + d * col[1], p[2] + d * col[2], map.affine ? 1.0 : p[3] + d * col[3]};
    if (k == 0) walls[0].Add(wx, y, z, q, c);
    else if (k == 1) walls[1].Add(x, wy, z, q, c);
    else walls[2].Add(x, y, wz, q, c);
  }
}

// The colour of the events in force along the main pass: the walk of EventsTable as the rows'
// times advance.
class EventWalk {
 public:
  EventWalk(ClassGl& gl, const datastore::DataStore& st, const datastore::SettingsRecord& sb, double lastEventValue)
      : gl_(gl), ev_(st.EventsTable), eventCount_(st.EventCount), nominal_(Of(sb.ColourPlotNominal, 0.6f)),
        events_(Of(sb.ColourPlotEvents, 0.6f)), lastEventValue_(lastEventValue) {}

  // The event row before the first time past t.
  void Start(double t) {
    eventRow = 0;
    while (eventRow <= eventCount_) {
      if (t < Et(eventRow)) {
        if (eventRow > 0) eventRow -= 1;
        break;
      }
      eventRow += 1;
    }
  }

  // The event value in force at time t; its colour goes into cur when it changed.
  void Advance(double t, Colour4& cur) {
    Around();
    if (t < etHere_) {
      eventValue = eventRow > 0 ? Ev(eventRow - 1) : 0;
      Apply(eventValue, cur);
    } else if (t <= etNext_) {
      eventValue = Ev(eventRow);
      Apply(eventValue, cur);
    } else {
      eventValue = Ev(eventRow + 1);
      Apply(eventValue, cur);
      if (eventRow < eventCount_) {
        eventRow += 2;
      } else if (t >= Et(eventCount_)) {
        eventValue = Ev(eventCount_);
        Apply(eventValue, cur);
      }
    }
  }

  const Colour4& Nominal() const { return nominal_; }
  const Colour4& Events() const { return events_; }
  double LastEventValue() const { return lastEventValue_; }

  double eventRow = 0, eventValue = 0;

 private:
  double Et(double e) const { return ev_(std::int64_t(e), 0); }
  double Ev(double e) const { return ev_(std::int64_t(e), 1); }
  // The two event times around eventRow, read again only when it moves.
  void Around() {
    if (eventRow != cachedRow_) {
      cachedRow_ = eventRow;
      etHere_ = Et(eventRow);
      etNext_ = Et(eventRow + 1);
    }
  }
  void Apply(double v, Colour4& cur) {
    if (v == lastEventValue_) return;
    lastEventValue_ = v;
    if (v >= 0 && v <= 1e-6) {
      cur = nominal_;
    } else if (v > 1e-6 && v <= 1 + 1e-6) {
      cur = events_;
    } else {
      double r = cur.r, g = cur.g, b = cur.b, a = 0, hi = 32;
      gl_.ColorScale(std::fabs(v), r, g, b, a, 0, hi);
      cur = {float(r), float(g), float(b), 0.6f};
    }
  }

  ClassGl& gl_;
  const datastore::NumTable<2>& ev_;
  const double eventCount_;
  const Colour4 nominal_, events_;
  double lastEventValue_;
  double cachedRow_ = -1, etHere_ = 0, etNext_ = 0;
};

// The walk of ValZTable along the values pass.
struct ValueWalk {
  ValueWalk(const datastore::DataStore& st, double found)
      : vz(st.ValZTable), valueRows(st.ValZRows), valueFound(found) {}

  // The row of the value in force at time t.
  void Advance(double t) {
    valueFound = 0;
    if (t < vz(std::int64_t(valueRow), 0)) return;
    do {
      if (t < vz(std::int64_t(valueRow) + 1, 0)) {
        valueFound = 1;
        break;
      }
      if (valueRow < valueRows) valueRow += 1;
    } while (!(valueRow > valueRows - 1));
  }
  double Value() const { return vz(std::int64_t(valueRow), 1); }

  const datastore::NumTable<2>& vz;
  const double valueRows;
  double valueRow = 0, valueFound;
};

}  // namespace

// What the steps of one trajectory frame share.
struct TrajectoryFrame {
  explicit TrajectoryFrame(const datastore::DataStore& st) : data(st.DataTable) {}
  Colour4 cur{};
  double vmin = 0, vmax = 0;
  bool cubic = false;
  float wallX = 0, wallY = 0, wallZ = 0;
  Rows data;
  unsigned prim = GL_LINE_STRIP;
  bool labels = false;
};

void ClassGl::DrawTrajectory() {
  datastore::DataStore& st = datastore::Store();
  if (!trajBatches_) trajBatches_ = std::make_shared<TrajectoryBatches>();
  TrajectoryFrame f(st);
  PrepareTrajectoryFrame(f);
  if (st.PenUpMode == 1) DrawPenUpPolyline(f);

  // 3. Primitive of the main pass, and the colour-scale dots.
  if (st.PenUpMode == 1 || st.ValuesMode == 1) {
    if (st.ValuesMode != 1) f.prim = GL_POINTS;
    SceneStep([&] { ScaleColorDot(); });
    glColor4f(f.cur.r, f.cur.g, f.cur.b, f.cur.a);
  }
  Traj.TrajPrimitive = f.prim;

  DrawMainPass(f);
  DrawPointLabels(f);
}

// 1. Frame preparation.
void ClassGl::PrepareTrajectoryFrame(TrajectoryFrame& f) {
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  TrajectoryValues& tv = Traj;
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
  f.cur = Of(sb.ColourPlotNominal, 0.6f);
  glColor4f(f.cur.r, f.cur.g, f.cur.b, f.cur.a);
  tv.EventRow = 0;
  tv.LastEventValue = -1;
  tv.EventValue = 0;
  tv.ValueRow = 0;
  tv.ValueBase = 0;
  f.vmin = st.ValZMin;
  f.vmax = st.ValZMax;
  if (f.vmax == f.vmin) f.vmax = f.vmin + 1;
  tv.ValueScale = 2.05 * SceneExtent / 6 / (f.vmax - f.vmin);
  tv.ValueBase = f.vmin > 0 ? f.vmin : f.vmax < 0 ? f.vmax : 0;

  f.cubic = sb.OptCubicView == 1.0;
  f.wallX = float(Scene.CubeWallX);
  f.wallY = float(Scene.CubeWallY);
  f.wallZ = float(Scene.CubeWallZ);
}

// 2. Pen-up second polyline.
void ClassGl::DrawPenUpPolyline(TrajectoryFrame& f) {
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  TrajectoryBatches& tb = *trajBatches_;
  Colour4& cur = f.cur;
  sb.OptSatellite = 0;
  glLineWidth(LineWidthOf(sb.AxisLineThickness));
  PixelMapping map = f.cubic ? PixelMapping::FromGl() : PixelMapping::Exact();
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
      ColorScale(f.data(k / 6, 0), r, g, b, a, st.Col0Min, st.Col0Max);
      cur = {float(r), float(g), float(b), float(a)};
    }
    if (q(k, 3) == -1) {
      tb.polyline.Break();
      continue;
    }
    float x = float(q(k, 0)), y = float(q(k, 1)), z = float(q(k, 2));
    tb.polyline.Vertex(x, y, z, cur);
    if (f.cubic) AddProjections(tb.polyWalls, map, x, y, z, f.wallX, f.wallY, f.wallZ, cur);
  }
  tb.polyline.Draw(GL_LINE_STRIP);
  for (PointBatch& w : tb.polyWalls) w.Draw();
  glColor4f(cur.r, cur.g, cur.b, cur.a);
}

// 4. Main pass: the rows from the first to the current one, coloured by the events in force
// (or by the time in pen-up mode), with a value bar at each vertex in values mode.
void ClassGl::DrawMainPass(TrajectoryFrame& f) {
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  TrajectoryValues& tv = Traj;
  TrajectoryBatches& tb = *trajBatches_;
  Colour4& cur = f.cur;
  const Rows& data = f.data;

  const std::int64_t first = CURRINDEXMINI, lastRow = CURRINDEXI;
  tv.DrawRow = lastRow >= first ? lastRow + 1 : first;
  const std::int64_t from = first < 0 ? 0 : first;
  const std::int64_t to = lastRow > datastore::kLastTableRow ? datastore::kLastTableRow : lastRow;
  const bool penUp = st.PenUpMode == 1, values = st.ValuesMode == 1;
  f.labels = st.PenUpLabelMode == 1 && Shared().ShowLabels == 1;
  const bool projections = f.cubic && !values;
  const bool asPoints = f.prim == GL_POINTS;

  PixelMapping map = asPoints || projections ? PixelMapping::FromGl() : PixelMapping::Exact();
  tb.main.Clear();
  tb.mainPoints.Reset(map);
  for (PointBatch& w : tb.walls) w.Reset(map);
  tb.labels.clear();

  EventWalk events(*this, st, sb, tv.LastEventValue);
  ValueWalk valueWalk(st, tv.ValueFound);
  static constexpr double kEmptyRow[5] = {0, 0, 0, 0, 0};
  const int valAxis = st.ValAxis == 1 ? 0 : st.ValAxis == 2 ? 1 : st.ValAxis == 3 ? 2 : -1;
  double pointTime = Scene.PointTime, plotDate = sb.PlotDate, thrustOn = Scene.ThrustOn;
  bool drewPoint = false;

  for (std::int64_t row = from; row <= to; ++row) {
    const double* cells = row < data.stored ? data.base + row * 5 : kEmptyRow;
    const double t = cells[0];
    // Event colouring, outside pen-up mode.
    if (row == from) events.Start(t);
    if (penUp) {
      double r = cur.r, g = cur.g, b = cur.b, a = cur.a;
      ColorScale(t, r, g, b, a, st.Col0Min, st.Col0Max);
      cur = {float(r), float(g), float(b), float(a)};
    } else {
      events.Advance(t, cur);
      thrustOn = std::fabs(events.eventValue) > 1e-6 ? 1 : 0;
    }
    pointTime = t;

    if (cells[4] == -1 && !penUp) {
      tb.main.Break();
      continue;
    }
    const float x = float(cells[1]), y = float(cells[2]), z = float(cells[3]);
    if (f.labels) tb.labels.push_back({x, y, z, row, cur});
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
      if (projections) AddProjections(tb.walls, map, x, y, z, f.wallX, f.wallY, f.wallZ, cur);
      continue;
    }

    // Values pass: the value in force, the trajectory vertex and the bar.
    valueWalk.Advance(t);
    cur = thrustOn > 0 ? events.Events() : events.Nominal();
    tb.main.Vertex(x, y, z, cur);
    const double value = valueWalk.Value();
    double r = cur.r, g = cur.g, b = cur.b, a = 1, hi = f.vmax;
    ColorScale(value, r, g, b, a, f.vmin, hi);
    cur = {float(r), float(g), float(b), 1};
    std::array<float, 3> off{0, 0, 0};
    if (thrustOn > 0 && valAxis >= 0) off[valAxis] = float((value - tv.ValueBase) * tv.ValueScale);
    tv.ValueOffset = off;
    tb.main.Vertex(x + off[0], y + off[1], z + off[2], cur);
    tb.main.Vertex(x, y, z, cur);
  }

  tv.EventRow = events.eventRow;
  tv.EventValue = events.eventValue;
  tv.LastEventValue = events.LastEventValue();
  tv.ValueRow = valueWalk.valueRow;
  tv.ValueFound = valueWalk.valueFound;
  Scene.PointTime = pointTime;
  if (!penUp) Scene.ThrustOn = thrustOn;
  if (drewPoint) sb.PlotDate = plotDate;

  if (asPoints) tb.mainPoints.Draw();
  else tb.main.Draw(GL_LINE_STRIP);
  for (PointBatch& w : tb.walls) w.Draw();
  glColor4f(cur.r, cur.g, cur.b, cur.a);
}

// Point labels: a blank, then the label's text, at the point, in the plot's colour there.
void ClassGl::DrawPointLabels(const TrajectoryFrame& f) {
  if (!f.labels || !control_) return;
  datastore::DataStore& st = datastore::Store();
  glview::FontSet& fonts = control_->Fonts();
  for (const TrajectoryBatches::Label& l : trajBatches_->labels) {
    glColor4f(l.colour.r, l.colour.g, l.colour.b, l.colour.a);
    SceneStep([&] { fonts.DrawText3D(FontOutline, " ", l.x, l.y, l.z, 6); });
    SceneStep([&] { fonts.DrawText3D(FontOutline, st.PointLabels(l.row), l.x, l.y, l.z, 6); });
  }
  glColor4f(f.cur.r, f.cur.g, f.cur.b, f.cur.a);
}

}  // namespace vantrel::view
