#include "datastore/display_pass.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "datastore/local_frames.h"
#include "datastore/sample.h"
#include "datastore/state.h"
#include "datastore/title_keywords.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

namespace {

bool InLower(const std::string& title, const char* word) { return rt::InStr(rt::LCase(title), word) > 0; }
bool InUpper(const std::string& title, const char* word) { return rt::InStr(rt::UCase(title), word) > 0; }
bool InExact(const std::string& title, const char* word) { return rt::InStr(title, word) > 0; }

// A statement that fails is passed over; the pass goes on with the next one.
template <class F>
void Step(F&& f) {
  rt::Try(std::forward<F>(f));
}

// Widens a range that collapsed to one value: 0 gives 0..1, any other value grows by 1% of its
// size (so that the maximum stays above the minimum for negative values too).
void WidenRange(double& mn, double& mx) {
  if (mx == mn && mx == 0) {
    mx = 1;
  } else if (mx == mn) {
    mx = mx > 0 ? mx * 1.01 : mx + std::fabs(mx) * 0.01;
  }
}

int64_t LastRow(double counter) { return std::min<int64_t>(static_cast<int64_t>(counter), kLastTableRow); }

}  // namespace

void ValueRangeRule() {
  DataStore& s = Store();
  s.ValZMax = s.ValZTable.Get(0, 1);
  s.ValZMin = s.ValZMax;
  const int64_t n = std::min<int64_t>(static_cast<int64_t>(s.ValZRows), kTableRows);
  for (int64_t i = 0; i < n; ++i) {
    const double v = s.ValZTable.Get(i, 1);
    if (v > s.ValZMax) s.ValZMax = v;
    if (v < s.ValZMin) s.ValZMin = v;
  }
  WidenRange(s.ValZMin, s.ValZMax);
}

void Col0RangeRule() {
  DataStore& s = Store();
  s.Col0Max = s.DataTable.Get(0, 0);
  s.Col0Min = s.Col0Max;
  const int64_t last = LastRow(s.LastDataRow);
  for (int64_t r = 0; r <= last; ++r) {
    const double v = s.DataTable.Get(r, 0);
    if (v > s.Col0Max && v != 0) s.Col0Max = v;
    if (v < s.Col0Min && v != 0) s.Col0Min = v;
  }
  WidenRange(s.Col0Min, s.Col0Max);
}

namespace {

// 1. The built-in sample when the reader stored no data line.
void SampleWhenNothingRead(LoadWork& w) {
  if (w.ReadRows == 0) {
    Step([&] { FillSampleDataW(w.ReadRows, w.SpecScale); });
    w.EventRows = 1;
  }
}

// 2. Values colouring.
void ValuesKeywords(DataStore& s, std::string& title) {
  MainWindowServices& main = s.Main();
  s.ValuesMode = 0;
  s.ValAxis = 3;
  Step([&] {
    static const struct {
      const char* word;
      double axis;
    } words[] = {{"valz", 3}, {"valy", 2}, {"valx", 1}};
    for (const auto& v : words) {
      if (!InLower(title, v.word)) continue;
      s.ValuesMode = 1;
      s.ValAxis = v.axis;
      CutWordW(v.word, title);
      main.SetCheckVisible(CheckBox::Check5, true);
      main.SetCheckVisible(CheckBox::Check11, true);
      break;
    }
  });
}

// 3. The company logo.
void LogoKeyword(DataStore& s, std::string& title) {
  s.SettingsBlock.LogoMode = 0;
  if (InLower(title, "quorvel")) {
    s.SettingsBlock.LogoMode = 0.5;
    CutWordW("quorvel", title);
  }
}

// 4. The -Y solar array as the value series.
void MinusYArrayAsValues(const LoadWork& w, DataStore& s) {
  Step([&] {
    const bool noValueRange = w.ranges[kPartValZ].empty();
    if ((s.SAmYTable.Get(0, 0) == 0 || s.ValuesMode == 1) && s.SAmYRows > 0 && noValueRange) {
      const int shift = s.SAmYTable.Get(0, 0) == 0 ? 1 : 0;  // a row 0 at time 0 is dropped
      s.ValZRows = s.SAmYRows - shift;
      // One row more than the count is copied, as far as the table reaches.
      const int64_t last = LastRow(s.ValZRows);
      for (int64_t i = 0; i <= last; ++i) {
        s.ValZTable.Set(i, 0, s.SAmYTable.Get(i + shift, 0));
        s.ValZTable.Set(i, 1, s.SAmYTable.Get(i + shift, 1));
      }
      ValueRangeRule();
      s.SAmYRows = 0;
    } else if (!noValueRange) {
      ValueRangeRule();
    }
  });
}

// 5. Quaternion component order: scalar last in the data, first in the table.
void QuaternionOrder(DataStore& s, std::string& title) {
  s.QuaterOrderAlt = 0;
  if (InUpper(title, "ESA")) {
    s.QuaterOrderAlt = 1;
  } else if (InLower(title, "xyzw")) {
    s.QuaterOrderAlt = 1;
    CutWordW("xyzw", title);
  }
  if (s.QuaterOrderAlt != 1) return;
  Step([&] {
    const int64_t last = LastRow(s.QuaterRows);
    for (int64_t i = 0; i <= last; ++i) {
      const double q4 = s.QuaterTable.Get(i, 4);
      s.QuaterTable.Set(i, 4, s.QuaterTable.Get(i, 3));
      s.QuaterTable.Set(i, 3, s.QuaterTable.Get(i, 2));
      s.QuaterTable.Set(i, 2, s.QuaterTable.Get(i, 1));
      s.QuaterTable.Set(i, 1, q4);
    }
  });
}

// 6. The "Satellite" box follows the presence of attitude data.
void SatelliteBoxFollowsAttitude(DataStore& s) {
  MainWindowServices& main = s.Main();
  Step([&] {
    if (s.QuaterRows == 0) {
      if (main.CheckValue(CheckBox::Check3) == 1) main.SetCheckTag(CheckBox::Check3, "1");
      main.SetCheckValue(CheckBox::Check3, 0);
    } else if (main.CheckTag(CheckBox::Check3) == "1") {
      main.SetCheckValue(CheckBox::Check3, 1);
    }
  });
}

// 7. The Moon (exact case).
void MoonKeyword(DataStore& s, std::string& title) {
  s.MoonMode = 0;
  if (InExact(title, "moon")) {
    s.MoonMode = 1;
    CutWordW("moon", title);
  } else if (InExact(title, "lune")) {
    s.MoonMode = 1;
    CutWordW("lune", title);
  }
}

// 8. The central body: Earth unless a body word says otherwise; the last found wins.
void CentralBodyKeywords(DataStore& s, std::string& title) {
  s.CentralBody = 4;
  for (const char* w0 : {"Focus ", "earth", "terre"}) CutWordW(w0, title);
  static const struct {
    const char* word;
    double body;
  } bodies[] = {{"sun", 1}, {"soleil", 1}, {"mercury", 2}, {"venus", 3}, {"mars", 5}, {"jupiter", 6}};
  for (const auto& b : bodies) {
    if (InExact(title, b.word)) {
      s.CentralBody = b.body;
      CutWordW(b.word, title);
    }
  }
}

// 10. ISO scale and the "no Plot Earth..." box.
void IsoScaleBox(const LoadWork& w, DataStore& s) {
  MainWindowServices& main = s.Main();
  Step([&] {
    if (w.ScaleBeforeNed != 1 || w.SpecScale != 1) {
      s.IsoScaleMode = 1;
      if (main.CheckTag(CheckBox::Check1_0) == "1") main.SetCheckValue(CheckBox::Check1_0, 0);
    } else {
      s.IsoScaleMode = 0;
      if (main.CheckValue(CheckBox::Check1_0) == 0) main.SetCheckTag(CheckBox::Check1_0, "1");
      main.SetCheckValue(CheckBox::Check1_0, 1);
    }
  });
}

// 12. Events. Without events EventsGiven keeps its value (the watcher clears it before a
// reload).
void EventCounters(const LoadWork& w, DataStore& s) {
  Step([&] {
    if (w.EventRows > 0) {
      s.EventsGiven = 1;
      s.EventCount = rt::CLng(w.EventsListLast + 1);
    } else {
      s.EventsTable.Set(0, 0, 0);
      s.EventsTable.Set(0, 1, 0);
      s.EventsTable.Set(1, 0, 0);
      s.EventsTable.Set(1, 1, 0);
    }
  });
}

// 13. Pen-up colour column: Z colours the point when only X Y Z were given.
void PenUpColourColumn(const LoadWork& w, DataStore& s) {
  if (s.PenUpMode == 1 && w.PenUpXyzOnly == 1) {
    const int64_t last = LastRow(s.LastDataRow);
    for (int64_t r = 0; r <= last; ++r) s.DataTable.Set(r, 0, s.DataTable.Get(r, 3));
  }
  if (s.PenUpMode == 1) Col0RangeRule();
}

// 14. After a demo load: the satellite model on, sized to the data.
void DemoSatelliteModel(const LoadWork& w, DataStore& s) {
  if (w.DemoShown != 1) return;
  MainWindowServices& main = s.Main();
  double R = 0;
  const int64_t last = LastRow(s.LastDataRow);
  for (int64_t r = 0; r <= last; ++r) {
    const double x = s.DataTable.Get(r, 1), y = s.DataTable.Get(r, 2), z = s.DataTable.Get(r, 3);
    R = std::max(R, std::sqrt(x * x + y * y + z * z));
  }
  Step([&] { main.SetCheckValue(CheckBox::Check3, 1); });
  Step([&] { main.SetCheckValue(CheckBox::Check4, 1); });
  Step([&] {
    double k = R / (7500.0 * 82);
    const double mx = main.HScroll3Max();
    if (k > mx) k = mx;
    main.SetHScroll3Value(static_cast<int>(rt::RoundHalfEven(k)));
  });
  Step([&] { main.SetCombo2Text("GEO satcom"); });
}

// 15. Axis order chosen by the reading pass.
void AxisOrder(const LoadWork& w, DataStore& s) {
  Step([&] {
    const int n = static_cast<int>(rt::Val(w.AxisShiftCode));
    const int m = static_cast<int>(rt::Val(w.AxisSwapCode));
    if (n <= 0 && m <= 0) return;
    const int64_t last = LastRow(s.LastDataRow);
    std::array<double, 4> v{};
    for (int64_t r = 0; r <= last; ++r) {
      if (n > 0) {
        for (int c = 1; c <= 3; ++c) v[((c + n - 1) % 3) + 1] = s.DataTable.Get(r, c);
        for (int c = 1; c <= 3; ++c) s.DataTable.Set(r, c, v[c]);
      }
      if (m > 0) {
        for (int c = 1; c <= 3; ++c) v[c] = s.DataTable.Get(r, c);
        const int a = m == 2 ? 2 : 1, b = m == 1 ? 2 : 3;
        if (m <= 3) {
          s.DataTable.Set(r, a, v[b]);
          s.DataTable.Set(r, b, v[a]);
        }
      }
    }
  });
}

}  // namespace

void DisplayPass(LoadWork& w) {
  DataStore& s = Store();
  std::string& title = s.PlotTitle;
  SampleWhenNothingRead(w);
  ValuesKeywords(s, title);
  LogoKeyword(s, title);
  MinusYArrayAsValues(w, s);
  QuaternionOrder(s, title);
  SatelliteBoxFollowsAttitude(s);
  MoonKeyword(s, title);
  CentralBodyKeywords(s, title);
  // 9. Event count until the events step; the data file the reader left open is closed.
  s.EventCount = 1;
  Step([&] { w.file1.Close(); });
  IsoScaleBox(w, s);
  // 11.
  s.ScaleFactor = w.SpecScale;
  EventCounters(w, s);
  PenUpColourColumn(w, s);
  DemoSatelliteModel(w, s);
  AxisOrder(w, s);
  // 16. Local site, then the Earth-Moon frame.
  Step([&] { LocalSiteStep(w); });
  Step([&] { EarthMoonStep(w); });
}

}  // namespace vantrel::datastore
