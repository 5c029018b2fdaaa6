// The fit of the loaded tables into the scene: once per load the coordinates are rescaled in
// place to about 80 scene units, the scene size and the mouse zoom step follow, light and
// camera go back to their fitted places and the animation restarts from the first row.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "datastore/number_text.h"
#include "datastore/state.h"
#include "datastore/tables.h"
#include "platform/glview/glview.h"
#include "platform/runtime/vb.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::view {
namespace {

using datastore::kLastTableRow;

// Reads a text file's lines (CR LF, CR or LF). False when the file cannot be read.
bool ReadLines(const std::filesystem::path& path, std::vector<std::string>& lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return false;
  std::string line;
  for (size_t i = 0; i < all.size(); ++i) {
    char ch = all[i];
    if (ch == '\r' || ch == '\n') {
      lines.push_back(line);
      line.clear();
      if (ch == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ++i;
    } else {
      line += ch;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> f;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    f.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return f;
}

}  // namespace

// A field of the fixed-path files: a number in the user's own writing; 0 when the parser fails.
double FixedFileNumber(const std::string& field) {
  double v = 0;
  if (rt::Try([&] { v = datastore::UserWrittenNumber(field); }) != 0) return 0;
  return v;
}

void ClassGl::ReadFixedEventFile() {
  std::vector<std::string> lines;
  if (!ReadLines(FixedEventFile(), lines)) return;
  datastore::DataStore& st = datastore::Store();
  int64_t n = 0;
  for (size_t i = 3; i < lines.size(); ++i, ++n) {
    if (n > kLastTableRow) continue;  // past the table: the line is not stored
    const std::string& line = lines[i];
    size_t tab = line.find('\t');
    if (tab != std::string::npos) st.EventsTable.Set(n, 0, FixedFileNumber(line.substr(0, tab)));
    if (!line.empty()) {
      char last = line.back();
      if (last == 'S' || last == '1') st.EventsTable.Set(n, 1, 1);
      else if (last == 'E' || last == '0') st.EventsTable.Set(n, 1, 0);
    }
  }
  if (n > 0) st.EventCount = int32_t(std::min<int64_t>(n - 1, kLastTableRow));
}

void ClassGl::ReadFixedTrajectoryFile() {
  std::vector<std::string> lines;
  if (!ReadLines(FixedTrajectoryFile(), lines)) return;
  datastore::DataStore& st = datastore::Store();
  int64_t n = 0;
  for (size_t i = 3; i < lines.size(); ++i, ++n) {
    if (n > kLastTableRow || lines[i].empty()) continue;  // an empty line has no fields
    std::vector<std::string> f = SplitTabs(lines[i]);
    st.DataTable.Set(n, 0, FixedFileNumber(f[0]));
    for (int k = 1; k <= 3; ++k)
      if (f.size() > size_t(3 + k)) st.DataTable.Set(n, k, FixedFileNumber(f[3 + k]) / 1000);
  }
  if (n > 0) st.LastDataRow = int32_t(std::min<int64_t>(n - 1, kLastTableRow));
}

void ClassGl::ScaleDataToScene() {
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  ViewShared& vs = Shared();

  if (st.DataFitted != 1) {
    if (sb.LoadDone == 0) return;

    if (st.EventCount == 0) {
      MouseStep = 1000;
      ReadFixedEventFile();
    } else {
      vs.EventFlagState = 1;
      bool seen0 = false, seen1 = false;
      int64_t lastEvent = std::min<int64_t>(st.EventCount, kLastTableRow);
      for (int64_t r = 0; r <= lastEvent; ++r) {
        double flag = st.EventsTable(r, 1);
        seen0 = seen0 || flag == 0;
        seen1 = seen1 || flag == 1;
        if (seen0 && seen1) {
          vs.EventFlagState = 0;
          break;
        }
      }
      if (vs.StartupFlag == 1) vs.EventFlagState = 0;
    }

    if (st.LastDataRow == 0) {
      MouseStep = 1000;
      ReadFixedTrajectoryFile();
    }

    const int64_t last = std::clamp<int64_t>(st.LastDataRow, -1, kLastTableRow);
    const bool allValid = st.PenUpMode == 1;
    auto valid = [&](int64_t r) { return allValid || st.DataTable(r, 4) != -1; };
    auto dist = [&](int64_t r) {
      double x = st.DataTable(r, 1), y = st.DataTable(r, 2), z = st.DataTable(r, 3);
      return std::sqrt(x * x + y * y + z * z);
    };

    double extent = 0;
    bool first = true;
    for (int64_t r = 0; r <= last; ++r) {
      if (!valid(r)) continue;
      extent = std::max(extent, dist(r));
      for (int k = 0; k < 3; ++k) {
        double v = st.DataTable(r, k + 1);
        if (first || v < AxisFit[k].Min) AxisFit[k].Min = v;
        if (first || v > AxisFit[k].Max) AxisFit[k].Max = v;
      }
      first = false;
    }
    SceneExtent = extent;

    if (SceneExtent == 0) SceneExtent = 1;
    st.DataFitted = 1;
    MouseStep = 1 / SceneExtent;
    const double E0 = SceneExtent;

    for (AxisFitRecord& a : AxisFit) {
      a.Range = a.Max - a.Min;
      if (a.Range != 0) a.Scale = 80 / a.Range;  // a flat axis keeps the scale it had
      a.Offset = (a.Min <= a.Range && a.Max >= -a.Range) ? 0 : -a.Min;
    }

    const bool penUp = st.PenUpMode == 1;
    const int64_t lastQuater = std::min<double>(std::max<double>(rt::RoundHalfEven(st.QuaterRows), -1), kLastTableRow);
    if (st.ScaleFactor == 1.0) {
      for (int64_t r = 0; r <= last; ++r)
        for (int k = 1; k <= 3; ++k) {
          double& c = st.DataTable.At(r, k);
          c = (c + AxisFit[k - 1].Offset) * AxisFit[k - 1].Scale;
        }
      if (penUp)
        for (int64_t r = 0; r <= lastQuater; ++r)
          for (int c = 0; c < 3; ++c) {
            double& v = st.QuaterTable.At(r, c);
            v = (v + AxisFit[c].Offset) * AxisFit[c].Scale;
          }
    } else {
      const double f = 80 / E0;
      for (int64_t r = 0; r <= last; ++r)
        for (int k = 1; k <= 3; ++k) st.DataTable.At(r, k) *= f;
      if (penUp)
        for (int64_t r = 0; r <= lastQuater; ++r)
          for (int c = 0; c < 3; ++c) st.QuaterTable.At(r, c) *= f;
      st.ScaleFactor *= f;
    }

    double R = 0;
    for (int64_t r = 0; r <= last; ++r) R = std::max(R, dist(r));
    SceneExtent = R != 0 ? R : 1;
    MouseStep = 1 / SceneExtent;
  }

  ResetLightAndCamera();
  CURRINDEXI = 0;
  timer_.SetInterval(TimerInterval);
}

void ClassGl::ResetLightAndCamera() {
  if (!control_) return;
  float s = float(0.01 * SceneExtent);
  glview::Light& light = control_->Lights().Item(1);
  light.SetColour3(0, 1, 1, 1);
  light.SetColour2(1, 0, 1, 1);
  light.SetColour1(1, 1, 0, 1);
  light.SetPosition(10 * s, 30 * s, 150 * s);
  light.SetEnabled(true);
  glview::GlCamera& cam = control_->Camera();
  cam.SetViewAngle(180);
  cam.SetEye(0, 0, float(6 * SceneExtent));
}

}  // namespace vantrel::view
