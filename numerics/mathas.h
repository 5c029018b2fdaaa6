#pragma once
// Angle functions tolerant of rounding overshoot, angle conversions and formats, and the
// numeric warning through which these routines report doubtful results.

#include <string>
#include <string_view>

namespace vantrel::numerics {

// The pi of the numeric routines: a literal a few units in the last place below the Double pi.
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kTwoPi = 6.28318530717958;

// Line break of messages and log lines.
inline constexpr const char* kLineSep = "\r\n";

double Acos(double x);            // arccosine in [0, pi]
double Atn2(double x, double y);  // angle of (x, y) in [0, 2 pi)
double AtnPos(double t);          // atan(t), plus 2 pi when negative
double RadToDeg(double r);
double DegToRad(double d);
double deg(double rad);   // degrees in [0, 360), with self-checks
double Deg180(double d);  // degrees folded into (-180, 180]
std::string FormatDeg(double x);
std::string FormatSig(double x, double n);
void CplxMul(double a, double b, double c, double d, double& re, double& im);
std::string UTrim(std::string_view s);

// The numeric warning. A text that starts with "_" is a silent diagnostic. Otherwise it goes to
// the warning sink (numerics/warnings.h; the program shows an Abort/Retry/Ignore box): Abort
// ends the program, Retry pauses until the user confirms the correction, Ignore returns. While
// a warning is open, a further one (from a redraw the open box lets run) is not shown; it is
// counted instead.
void PetiteErreur(std::string_view msg);
// Warnings not shown because one was already open, since the start of the run.
int PetiteErreurSuppressed();

}  // namespace vantrel::numerics
