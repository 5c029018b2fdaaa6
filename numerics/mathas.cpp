#include "numerics/mathas.h"

#include <cmath>
#include <cstdio>

#include "numerics/numerics_state.h"
#include "numerics/warnings.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"

namespace vantrel::numerics {

double AtnPos(double t) {
  double a = std::atan(t);
  return a < 0 ? a + kTwoPi : a;
}

double RadToDeg(double r) { return r / kPi * 180.0; }
double DegToRad(double d) { return d * kPi / 180.0; }

double Acos(double x) {
  const double pi = 4.0 * std::atan(1.0);
  if (x == 1.0) return 0.0;
  if (x == -1.0) return pi;
  const double u = std::fabs(x) - 1.0;
  if (u >= 0 && u < 4e-16) return x > 0 ? 0.0 : pi;
  if (u >= 4e-16 && u < 9e-16) {
    PetiteErreur("_Acos arrondi faute Abs(cc) - 1# < 400E-18      " + rt::Format(1.0 - std::fabs(x), "##0.0E+00"));
    return x > 0 ? 0.0 : pi;
  }
  const double q = 1.0 - x * x;
  if (!(q > 0)) {
    // The square root of a negative number: the run time's error, handled here.
    PetiteErreur("Acosfaute Acos d'un cos > 1 ? -> arrondi \xC3\xA0 1 " + rt::CStr(x));
    return x > 0 ? 0.0 : pi;
  }
  return std::atan(-x / std::sqrt(q)) + pi / 2.0;
}

double Atn2(double x, double y) {
  double a = 0;
  if (x != 0) {
    const double q = y / x;
    if (std::isfinite(q)) a = AtnPos(q);
    else PetiteErreur("Atn2faute");  // overflow of the quotient; a stays 0
  } else {
    a = y >= 0 ? kPi / 2 : 3 * kPi / 2;
  }
  if (x < 0) a = y > 0 ? a - kPi : a + kPi;
  if (a < 0) a += 2 * kPi;
  return a;
}

double deg(double rad) {
  if (std::fabs(rad) <= 4.45e-16) return 0.0;
  auto fault = [&] { PetiteErreur("degfaute" + rt::CStr(rad)); };
  const double d = RadToDeg(rad);
  double n = 0;
  const double turns = std::floor(d / 360.0);
  if (turns >= -2147483648.0 && turns <= 2147483647.0) n = turns;
  else fault();
  const double k = rt::RoundHalfEven(d / 360.0) > n ? n : n - 1;
  const double r = d - 360.0 * k;
  const double i = std::floor(r);
  double e = 0;
  if (rt::Try([&] { e = (r - i) + rt::Mod(i, 360); }) != 0) fault();
  if (e < 0 || e >= 360) PetiteErreur("DegEst < 0 Or DegEst >= 360");
  if (e == 360) PetiteErreur("DegEst = 360");
  const double diff = (n * 360.0 + e) / 180.0 * kPi - rad;
  if (std::fabs(diff) > 1e-7) PetiteErreur("Deg Verification inverse" + FormatSig(diff, 5));
  return e;
}

double Deg180(double d) {
  const double t = deg(DegToRad(d));
  return t > 180 ? t - 360 : t;
}

std::string FormatDeg(double x) { return rt::Format(x, " #,##0.000 \\\xC2\xB0 "); }

std::string FormatSig(double x, double n) {
  if (x == 0) return rt::Format(x, " 0. ");
  double e = std::floor(std::log(std::fabs(x)) / std::log(10.0));
  const double p = std::pow(10.0, e - n);
  const double v = rt::Sgn(x) * std::floor(std::fabs(x) / p + 0.5) * p;
  const bool fixed = -(n / 2 + 1) <= e && e - n <= n / 2;
  if (!fixed) e = ((rt::Mod(e, 3)) + 3) % 3;
  double a, b;
  if (e < 0) {
    a = e - n;
    b = 0;
  } else if (e <= n) {
    a = e - n;
    b = e;
  } else {
    a = 0;
    b = e;
  }
  std::string pat;
  for (double k = b; k >= 1; --k) pat += '#';
  pat += "0.";
  for (double k = -1; k >= a; --k) pat += '#';
  if (!fixed) pat += "E+00";
  return rt::Format(v, " " + pat + " ; -" + pat + " ");
}

void CplxMul(double a, double b, double c, double d, double& re, double& im) {
  re = a * c - b * d;
  im = b * c + a * d;
}

std::string UTrim(std::string_view s) { return rt::UCase(rt::Trim(s)); }

int PetiteErreurSuppressed() { return Numerics().errorsSuppressed; }

void PetiteErreur(std::string_view msg) {
  if (!msg.empty() && msg[0] == '_') return;
  NumericsState& n = Numerics();
  if (n.errorBoxOpen) {
    ++n.errorsSuppressed;
    std::fprintf(stderr, "Petite erreur (not shown, a box is open): %.*s\n", static_cast<int>(msg.size()), msg.data());
    return;
  }
  struct Open {
    explicit Open(bool& mark) : mark_(mark) { mark_ = true; }
    ~Open() { mark_ = false; }
    bool& mark_;
  } open(n.errorBoxOpen);
  const std::string text = std::string(msg) + kLineSep +
                           "Une petite erreur s'est produite, erreur d'arrondi ou avertissement de norme nulle, ..." +
                           ". Si cela perdure, il faudrait modifier les donn\xC3\xA9"
                           "es..." +
                           "   Tapez *Abandonner* pour stopper l'exectution, *R\xC3\xA9p\xC3\xA9ter* pour faire une "
                           "pause  *Ignorer* pour continuer et terminer l'ex\xC3\xA9"
                           "cution du programme.";
  WarningAnswer answer = WarningAnswer::kIgnore;
  try {
    answer = Warnings().Warn(text);
  } catch (const rt::RtError&) {
    return;  // errors inside the warning are passed over
  }
  if (answer == WarningAnswer::kAbort) rt::End();
  if (answer == WarningAnswer::kRetry) {
    // The pause lasts until the user confirms the correction.
    try {
      Warnings().AwaitCorrection("Corrigez vos donn\xC3\xA9"
                                 "es! Cliquer ensuite sur Continuer ...");
    } catch (const rt::RtError&) {}
  }
}

}  // namespace vantrel::numerics
