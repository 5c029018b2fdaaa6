#include "datastore/title_keywords.h"

#include "platform/forms/msgbox.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::datastore {

void CutWordW(const std::string& word, std::string& text) {
  const size_t p = text.find(word);
  if (p == std::string::npos || word.empty()) return;
  if (text.size() > p + word.size()) {
    text = text.substr(0, p) + " " + text.substr(p + word.size());
  } else {
    text.resize(p);
  }
}

void QuietConvertA1(const std::string& range, double& firstCol, double& lastCol, double& firstRow, double& lastRow) {
  std::string s;
  for (char c : range) {
    if (c == ' ' || c == '$') continue;
    s += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
  }
  if (s.empty()) return;
  // One cell: letters then digits.
  auto cell = [](const std::string& t, double& col, double& row) {
    size_t i = 0;
    double c = 0;
    while (i < t.size() && t[i] >= 'A' && t[i] <= 'Z') c = c * 26 + (t[i++] - 'A' + 1);
    if (i == 0 || i > 3 || i == t.size()) return false;
    double r = 0;
    for (size_t j = i; j < t.size(); ++j) {
      if (t[j] < '0' || t[j] > '9') return false;
      r = r * 10 + (t[j] - '0');
    }
    col = c;
    row = r;
    return true;
  };
  const size_t colon = s.find(':');
  double c1, r1, c2 = 0, r2 = 0;
  if (colon == std::string::npos) {
    if (!cell(s, c1, r1)) return;
  } else if (!cell(s.substr(0, colon), c1, r1) || !cell(s.substr(colon + 1), c2, r2)) {
    return;
  }
  firstCol = c1;
  firstRow = r1;
  lastCol = c2;
  lastRow = r2;
}

namespace {

bool Has(const std::string& title, const char* word) { return rt::LCase(title).find(word) != std::string::npos; }

}  // namespace

namespace {

// A statement that fails is passed over.
template <class F>
void Skip(F&& f) {
  rt::Try(f);
}

// The XYZ range, its rows and columns, the time range flag; the Events and Quater ranges.
void RangeBoundsOfParts(DataStore& s, LoadWork& w, const ConvertA1Fn& convertA1) {
  auto& parts = w.ranges;
  AddLogLine(s.Main(), " Check SpecialCasesPermutUnitsmoon rangeXYZ$ " + parts[kPartXYZ]);
  Skip([&] { convertA1(parts[kPartXYZ], w.Ncol1, w.Ncol2, w.num1, w.num2); });
  s.SettingsBlock.TimeRangeGiven = parts[kPartT].empty() ? 0.0 : 1.0;

  // A one-row range that the row probe could not grow.
  if (w.num1 == w.num2 && w.SpecFound == 1)
    forms::MsgBox("Strange <num1 = num2 And SpecFound = 1> , see Quorvel", 64, "");

  for (int part : {kPartEvents, kPartQuater}) {
    if (parts[part].empty()) continue;
    RangeBounds& b = w.bounds[part];
    Skip([&] { convertA1(parts[part], b.firstCol, b.lastCol, b.firstRow, b.lastRow); });
  }
}

// Pen-up, label and one-column modes; a pen-up specification with only a three-column XYZ
// range.
void PenUpKeywords(DataStore& s, LoadWork& w) {
  std::string& title = s.PlotTitle;
  auto& parts = w.ranges;
  if (Has(title, "penuplabel")) {
    s.PenUpLabelMode = 1;
    s.PenUpMode = 1;
    s.Main().SetCheckValue(CheckBox::Check9, 0);
    CutWordW("penuplabel", title);
  }
  if (Has(title, "penup")) {
    s.PenUpMode = 1;
    CutWordW("penup", title);
  }
  if (Has(title, "column")) {
    s.OneColumnMode = 1;
    CutWordW("column", title);
  }
  if (s.PenUpMode == 1 && w.Ncol2 - w.Ncol1 + 1 == 3 && parts[kPartT].empty() && parts[kPartEvents].empty() &&
      parts[kPartQuater].empty() && parts[kPartSApY].empty() && parts[kPartSAmY].empty())
    w.PenUpXyzOnly = 1;
}

// Axis order; the last word found decides.
void AxisOrderKeywords(std::string& title, LoadWork& w) {
  w.AxisShiftCode.clear();
  w.AxisSwapCode.clear();
  struct AxisWord {
    const char* word;
    const char* shift;
    const char* swap;
  };
  static const AxisWord kAxisWords[] = {{"xyz", "0 rien \xC3\xA0 faire", ""}, {"yzx", "1 permutcirculaire", ""},
                                        {"zxy", "2 permutcirculaire", ""},    {"yxz", "", "1 echange x y"},
                                        {"xzy", "", "2 echange y z"},         {"zyx", "", "3 echange x z"}};
  for (const AxisWord& a : kAxisWords) {
    if (!Has(title, a.word)) continue;
    w.AxisShiftCode = a.shift;
    w.AxisSwapCode = a.swap;
    CutWordW(a.word, title);
  }
}

// Units. The order of the tests decides, not the order of the words in the title.
void UnitKeywords(DataStore& s, LoadWork& w) {
  std::string& title = s.PlotTitle;
  constexpr double kTrue = -1, kFalse = 0;
  w.TimeInSeconds = kTrue;
  w.LengthsInMetres = kTrue;
  struct UnitWord {
    const char* test;
    const char* cut;
    double seconds;  // 1 set True, 0 set False, 2 leave
    double metres;
  };
  static const UnitWord kUnitWords[] = {
      {"seconds", "seconds", 1, 2}, {" s ", " s", 1, 2},    {"metres", "metres", 2, 1}, {" m ", " m", 2, 1},
      {" ms ", " ms", 1, 1},        {" sm ", " sm", 1, 1},  {"kmdays", "kmdays", 0, 0}, {"kmday", "kmday", 0, 0},
      {"km", "km", 1, 0},           {"days", "days", 0, 2}, {"day", "day", 0, 2}};
  for (const UnitWord& u : kUnitWords) {
    if (!Has(title, u.test)) continue;
    if (u.seconds != 2) w.TimeInSeconds = u.seconds == 1 ? kTrue : kFalse;
    if (u.metres != 2) w.LengthsInMetres = u.metres == 1 ? kTrue : kFalse;
    CutWordW(u.cut, title);
  }
  if (Has(title, "esa")) {
    w.LengthsInMetres = kFalse;
    w.TimeInSeconds = kFalse;
  }
  s.LengthsInKm = w.LengthsInMetres != 0 ? kFalse : kTrue;
}

// The local site, " ned" followed by latitude, longitude and height.
void LocalSiteKeyword(DataStore& s, LoadWork& w) {
  std::string& title = s.PlotTitle;
  s.SettingsBlock.NedViewOn = 0.0;
  w.NedSiteGiven = 0;
  w.ScaleBeforeNed = w.SpecScale;
  const int64_t p = rt::InStr(rt::LCase(title), " ned");
  if (p <= 0) return;
  w.NedSiteGiven = 1;
  s.SettingsBlock.NedViewOn = 1.0;
  std::string r = rt::Mid(title, p + 4);
  if (r.find('.') != std::string::npos) r = rt::Replace(r, ",", " ");
  // Items by position; a height not given keeps the Earth's radius in metres.
  double values[3] = {0, 0, 6378.137 * 1000};
  std::string rest = rt::Trim(r);
  for (int i = 0; i < 3 && !rest.empty(); ++i) {
    const size_t blank = rest.find(' ');
    const std::string item = rest.substr(0, blank);
    Skip([&] { values[i] = rt::Val(item); });
    rest = blank == std::string::npos ? std::string() : rt::Trim(rest.substr(blank + 1));
  }
  w.SiteLatitude = values[0];
  w.SiteLongitude = values[1];
  w.SiteHeight = values[2];
  CutWordW(" ned", title);
  w.SpecScale = 1.0001;
}

}  // namespace

void ReadingPassKeywords(DataStore& s, LoadWork& w, const ConvertA1Fn& convertA1) {
  RangeBoundsOfParts(s, w, convertA1);
  PenUpKeywords(s, w);
  AxisOrderKeywords(s.PlotTitle, w);
  UnitKeywords(s, w);
  // The rotating Earth-Moon frame.
  s.EarthMoonMode = 0;
  if (Has(s.PlotTitle, "em_system")) {
    s.EarthMoonMode = 1;
    CutWordW("em_system", s.PlotTitle);
  }
  LocalSiteKeyword(s, w);
}

}  // namespace vantrel::datastore
