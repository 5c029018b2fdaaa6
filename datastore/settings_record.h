#pragma once
// The record of option values, together with a few values of view, movie and load state.
// Three variables of it live in the data store: the live SettingsBlock, the start-up snapshot
// FactorySettingsBlock and the demo backup DemoBackupBlock. They are always copied whole (plain
// assignment), every field included, so a copy also brings back movie, view and load flags.

#include <array>
#include <cstdint>

namespace vantrel::datastore {

// Red, green, blue, each 0 to 255.
using Rgb = std::array<double, 3>;

// Fields in their fixed order; the stored entry index of the persisted ones is given after each.
struct SettingsRecord {
  double OptNoEarth = 0;              // 0: never draw Earth and Moon
  double OptNoColourAxisX = 0;        // 1: no colour scale along X
  double OptLargeChars = 0;           // 2: large characters
  double OptNoPlotAxis = 0;           // 3: no axes
  double OptNoLogoLabel = 0;          // 4: no product-name 3D text
  double OptNoOriginLabel = 0;        // 5: no origin label
  double OptNoTimeMoving = 0;         // 6: no moving time display
  double LinePlotThickness = 1;       // 7: point size and line width of the plot
  double AxisLengthFactor = 1;        // 8: axis length factor (0 means 1.2)
  double AxisLineThickness = 1;       // 9: axis line width
  double LabelPositionFactor = 1;     // 10: position factor of the X, Y, Z labels
  Rgb ColourAxisLabels{40, 80, 120};  // 11-13
  Rgb ColourAxis{128, 128, 128};      // 14-16
  Rgb ColourPlotNominal{0, 255, 0};   // 17-19
  Rgb ColourPlotEvents{255, 0, 0};    // 20-22
  Rgb ColourSphere{50, 100, 150};     // 23-25
  Rgb ColourBackground{10, 20, 70};   // 26-28
  double MoonFactor = 10;             // 29: Moon size factor, 1 real size, 10 amplified
  double InteractiveOpt = 0;          // 30: 1.0 = the timer runs the worksheet watcher
  double SatelliteSize = 64;          // 31: size of the spacecraft model
  double OptSatellite = 0;            // 32: draw the spacecraft model
  double OptSolarPanel = 0;           // 33: draw the solar panels
  double LogoMode = 0;                // display mode from the title; 0.5 asks for the large font
  double MovieFrameNo = 0;            // next movie frame to save, 0 when not recording
  double MovieInterval = 0.3;         // seconds between movie frames
  double MovieMaxFrames = 20;         // number of movie frames
  double MovieLastTime = 0;           // time of the last saved frame
  double MovieArmed = 0;              // 1.0 once movie-frame saving was started
  double IsoNewRequest = 0;           // asks the view to apply its isometric camera again
  double ReloadRequest = 0;           // 1.0 = reload from the worksheet at once
  double NedViewOn = 0;               // 1.0 while the local north-east-down view is on
  int32_t LocalViewIndex = 0;         // data row at the centre of the local view; -1 follows
  double SceneInitDone = 0;           // 0 = the view resets its remembered values next frame
  double TimeRangeGiven = 0;          // 1.0 when the specification gave a time range
  double SunRayLength = 0;            // 34: length of the sun ray
  double EarthMoonOpt = 0;            // 35: trajectory in the rotating Earth-Moon frame
  double SatShapeIndex = 0;           // 36: spacecraft shape 0 to 6
  double MoviePlotTime = 0;           // 1.0 = movie frames follow the plot time
  double PlotDate = 0;                // date of the current point, written by the view
  double OptCubicView = 0;            // 37: cubic view
  double OptEarthSizeKm = 0;          // Earth size unit option, not persisted
  double LoadDone = 0;                // 1.0 when the last load has finished

  bool operator==(const SettingsRecord&) const = default;
};

// Number of persisted option fields (entries 0 to 37 of the stored list).
inline constexpr int kSettingsFields = 38;

// The fields the options panel shows, in its order: seven check boxes, four numbers of lines and
// axes, then the six colours of three components each.
inline constexpr int kFirstOptionCheckField = 0, kOptionCheckFields = 7;
inline constexpr int kFirstLineNumberField = 7, kLineNumberFields = 4;
inline constexpr int kFirstColourField = 11, kColourFields = 18;
inline constexpr int kLastColourField = kFirstColourField + kColourFields - 1;

// A colour component brought into 0..255 (NaN stays NaN).
inline double ClampColour(double v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Reads or writes persisted field `entry` (0 to 37) of a record; colours count one entry per
// component. Out-of-range entries read as 0 and are not written.
double SettingsField(const SettingsRecord& r, int entry);
void SetSettingsField(SettingsRecord& r, int entry, double value);

}  // namespace vantrel::datastore
