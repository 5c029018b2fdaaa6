// Boxes with corner colours, from which the spacecraft model is built, and the radius of the
// central body.
#include <GL/gl.h>

#include <cfloat>
#include <cmath>

#include "platform/runtime/rterror.h"
#include "view/class_gl.h"

namespace vantrel::view {
namespace {
double Sgn(double x) { return x > 0 ? 1 : x < 0 ? -1 : 0; }
}  // namespace

float Sng(double x) {
  if (!std::isfinite(x) || std::fabs(x) > double(FLT_MAX)) throw rt::RtError(rt::kErrOverflow);
  return float(x);
}

void ClassGl::monolitheNonCenter(double epaisseurX, double largY, double hautZ, double locX, double locY, double locZ) {
  double tx = 0, ty = 0, tz = 0;
  if (locX == 0 && locY == 0) tz = 2 * locZ + Sgn(locZ) * hautZ;
  else if (locX == 0 && locZ == 0) ty = 2 * locY + Sgn(locY) * largY;
  else if (locY == 0 && locZ == 0) tx = 2 * locX + Sgn(locX) * epaisseurX;
  float fx = Sng(tx), fy = Sng(ty), fz = Sng(tz);
  glTranslatef(fx, fy, fz);
  monolythe(epaisseurX, largY, hautZ);
  glTranslatef(-fx, -fy, -fz);
}

void ClassGl::monolythe(double epaisseurX, double largY, double hautZ) {
  double a = epaisseurX, b = largY, c = hautZ;
  face(-1, a, b, c);
  face(1, a, b, c);
  face(-2, b, c, a);
  face(2, b, c, a);
  face(-3, c, a, b);
  face(3, c, a, b);
}

void ClassGl::face(double xyz, double positionAxe, double larg, double haut) {
  double sg = Sgn(xyz);
  double f = xyz < 0 ? 0 : 1;
  if (Box.FaceSignsReady != 1) {
    Box.FaceSignsReady = 1;
    Box.FaceSignU = {1, -1, -1, 1};
    Box.FaceSignW = {1, 1, -1, -1};
  }
  double m = std::fabs(xyz);
  int n, u, w;  // normal axis and the two in-face axes, in cyclic order
  if (m == 1) {
    n = 0, u = 1, w = 2;
  } else if (m == 2) {
    n = 1, u = 2, w = 0;
  } else if (m == 3) {
    n = 2, u = 0, w = 1;
  } else {
    return;
  }
  for (int j = 0; j < 4; ++j) {
    std::array<double, 3>& corner = Box.FaceCorners[size_t(j)];
    corner[size_t(n)] = sg * positionAxe;
    corner[size_t(u)] = larg * ((1 - f) * Box.FaceSignW[size_t(j)] + f * Box.FaceSignU[size_t(j)]);
    corner[size_t(w)] = haut * ((1 - f) * Box.FaceSignU[size_t(j)] + f * Box.FaceSignW[size_t(j)]);
  }
  // The corners are checked before the polygon opens, so that an error leaves none open.
  for (const auto& corner : Box.FaceCorners)
    for (double v : corner) Sng(v);
  glBegin(GL_POLYGON);
  for (const auto& corner : Box.FaceCorners) glVertex3fColor(corner[0], corner[1], corner[2]);
  glEnd();
}

void ClassGl::glVertex3fColor(double A, double b, double C) {
  glColor3f(A > 0 ? 1.0f : 0.0f, b > 0 ? 1.0f : 0.0f, C > 0 ? 1.0f : 0.0f);
  glVertex3f(Sng(A), Sng(b), Sng(C));
}

double CentralBodyRadius(double moonOnly, double body) {
  double r = 6378;
  if (body == 1) r = 695000;
  else if (body == 2) r = 2439.7;
  else if (body == 3) r = 6051.8;
  else if (body == 4) r = 6378;
  else if (body == 5) r = 3397.2;
  else if (body == 6) r = 71492;
  else if (body == 11) r = 1737.4;
  if (moonOnly == 1) r = 1738;
  return r;
}

void ClassGl::MainFocus(double& Rastre, double MOONONLY, double MAINnum) {
  Rastre = CentralBodyRadius(MOONONLY, MAINnum);
}

}  // namespace vantrel::view
