#include "datastore/settings_record.h"

namespace vantrel::datastore {

namespace {
// The field of persisted entry `entry`, or nullptr.
double* FieldOf(SettingsRecord& r, int entry) {
  if (entry >= 11 && entry <= 28) {
    int k = entry - 11;
    Rgb* colours[] = {&r.ColourAxisLabels, &r.ColourAxis,   &r.ColourPlotNominal,
                      &r.ColourPlotEvents, &r.ColourSphere, &r.ColourBackground};
    return &(*colours[k / 3])[k % 3];
  }
  switch (entry) {
    case 0: return &r.OptNoEarth;
    case 1: return &r.OptNoColourAxisX;
    case 2: return &r.OptLargeChars;
    case 3: return &r.OptNoPlotAxis;
    case 4: return &r.OptNoLogoLabel;
    case 5: return &r.OptNoOriginLabel;
    case 6: return &r.OptNoTimeMoving;
    case 7: return &r.LinePlotThickness;
    case 8: return &r.AxisLengthFactor;
    case 9: return &r.AxisLineThickness;
    case 10: return &r.LabelPositionFactor;
    case 29: return &r.MoonFactor;
    case 30: return &r.InteractiveOpt;
    case 31: return &r.SatelliteSize;
    case 32: return &r.OptSatellite;
    case 33: return &r.OptSolarPanel;
    case 34: return &r.SunRayLength;
    case 35: return &r.EarthMoonOpt;
    case 36: return &r.SatShapeIndex;
    case 37: return &r.OptCubicView;
    default: return nullptr;
  }
}
}  // namespace

double SettingsField(const SettingsRecord& r, int entry) {
  const double* f = FieldOf(const_cast<SettingsRecord&>(r), entry);
  return f ? *f : 0.0;
}

void SetSettingsField(SettingsRecord& r, int entry, double value) {
  if (double* f = FieldOf(r, entry)) *f = value;
}

}  // namespace vantrel::datastore
