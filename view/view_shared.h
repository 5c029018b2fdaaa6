#pragma once
// Module-level values that the view reads and that the main window (or the view itself) owns:
// one object for the whole run, reachable with Shared(). Tests install a fresh one with
// ScopedViewShared.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/runtime/service_slot.h"

struct GLUquadric;

namespace vantrel::view {

struct ViewShared {
  // Set by the main window (start-up, first activation, keys).
  double StartupFlag = 0;   // 1 from the start of the main window's load on
  double OptMoonState = 0;  // 0 draws the Moon; the option toolbar's Moon button toggles it
  double ShowLabels = 0;    // 1 draws the point labels of pen-up-label mode; the first activation sets it, "T" swaps it

  // Written by the fit: 1 when the event flags hold only one kind of value, else 0.
  double EventFlagState = 0;

  // Set when the view object is created.
  std::string ProductName;  // "Vantrel"
  std::string TitleSuffix;  // " "

  // The program's GLU quadric, made when the GL context is prepared.
  GLUquadric* GluQuadric = nullptr;

  // The spacecraft shape, set by the main window from the shape list (0 until a shape is
  // applied), and its "Sat. Axis" box.
  double SatShapeParam1 = 0, SatShapeParam2 = 0, SatShapeParam3 = 0, SatShapeParam4 = 0, SatShapeParam5 = 0;
  double SatAxisOpt = 0;
  // Shows or hides the main window's "km" box (Text15); installed by the main window.
  std::function<void(bool)> SetText15Visible;

  // The program folder, where the textures are read; empty: the folder of the running program.
  std::string AppPath;
};

ViewShared& Shared();

class ScopedViewShared {
 public:
  ScopedViewShared();
  ~ScopedViewShared();
  ScopedViewShared(const ScopedViewShared&) = delete;
  ScopedViewShared& operator=(const ScopedViewShared&) = delete;
  ViewShared& shared() { return scope_.get(); }

 private:
  rt::ServiceSlot<ViewShared>::Scoped scope_;
};

// The per-user data folder of the program: Vantrel in the user's data folder
// (platform::DataHome). Not created here.
std::filesystem::path UserDataFolder();

// The working folder when the user named none: UserDataFolder as text ending in "/", created
// when missing. Never the program's folder, which may be read-only.
std::string DefaultWorkFolder();

// The two text files the fit reads when a load left the events or the trajectory empty.
std::filesystem::path FixedEventFile();
std::filesystem::path FixedTrajectoryFile();

// A number field of those files, read in the user's writing ("1.5" with a decimal point,
// "1,5" with a decimal comma); 0 when the text holds no number.
double FixedFileNumber(const std::string& field);

}  // namespace vantrel::view
