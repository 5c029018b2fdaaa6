// The central body at the origin, textured and turned by the sidereal angle of the current
// point's time, and the Moon around the Earth at its ephemeris position.
#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

#include "datastore/state.h"
#include "datastore/tables.h"
#include "numerics/julian.h"
#include "numerics/mathas.h"
#include "numerics/planets.h"
#include "platform/glview/glview.h"
#include "platform/runtime/rterror.h"
#include "platform/runtime/vb.h"
#include "platform/shell/shell.h"
#include "view/class_gl.h"
#include "view/gl_colour.h"
#include "view/view_shared.h"

namespace vantrel::view {
namespace {

constexpr GLint kSphereSlices = 106;

// The day numbers the calendar functions accept.
constexpr double kFirstDay = -657434, kLastDay = 2958465;

GLUquadric* Quadric(void*& slot) {
  if (!slot) slot = gluNewQuadric();
  if (!slot) throw rt::RtError(rt::kErrOverflow);  // out of memory: no sphere this frame
  return static_cast<GLUquadric*>(slot);
}

}  // namespace

double SiderealTurn(double t) {
  double s = (t - std::floor(t)) * 86400;
  double jd;
  if (t < -657072) {
    jd = 2415018.5 + t;
  } else {
    if (!(t < kLastDay + 1)) throw rt::RtError(rt::kErrOverflow);
    rt::DateParts p = rt::SerialToParts(t);
    double jd0 = 0;
    numerics::DateToJD(p.year, p.month, p.day, jd, jd0);
  }
  double m = std::floor(jd - 2400000.5);
  double T = (m - 36934.5) / 36525;
  double theta0 = 100.152475 + 0.7694 * T + 0.0003871 * T * T + 360 * (100 * T - std::floor(100 * T));
  theta0 = numerics::deg(numerics::DegToRad(theta0));
  double theta = theta0 + s * 360 / 86164.0905;
  theta = numerics::Deg180(theta);
  return theta + 90;
}

double MoonTurn(double pointTime, bool atLastRow, bool atFirstRow) {
  double angle;
  if (atLastRow) {
    angle = 0;
  } else {
    double d = pointTime - 37701;  // days since 21 March 2003
    angle = 180 + 360 * (d / 27.5 - std::trunc(d / 27.5));
  }
  if (atFirstRow) angle = 1;
  if (angle > 360) angle = std::floor(angle * 10000) / 10000 - 360;
  if (angle < 0) angle = angle + 360;
  return angle;
}

std::string CentralTextureName(double moonMode, double body, const std::string& earthTexture,
                               const std::string& moonTexture) {
  if (moonMode == 1) return moonTexture;
  if (moonMode != 0) return {};
  if (body == 1) return "2k_sun.jpg";
  if (body == 2) return "2k_mercury.jpg";
  if (body == 3) return "2k_venus_atmosphere.jpg";
  if (body == 4) return earthTexture;
  if (body == 5) return "2k_mars.jpg";
  if (body == 6) return "2k_jupiter.jpg";
  return {};
}

std::filesystem::path ProgramFolder() {
  const std::string& set = Shared().AppPath;
  if (!set.empty()) return std::filesystem::path(set);
  return std::filesystem::path(platform::DataFolder());
}

void ClassGl::DrawCentralBodies() {
  datastore::DataStore& st = datastore::Store();
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  SceneValues& sv = Scene;
  GLUquadric* q = nullptr;

  // One quadric for the whole life of the view object.
  SceneStep([&] { q = Quadric(SceneQuadric[0]); });

  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);

  // The texture is read once after each reset; a file that cannot be read is not tried again
  // before the next one, and the body is drawn untextured.
  if (sv.CentralTextureLoaded != 1) {
    SceneStep([&] {
      planet_texture = GlCtlRef() ? GlCtlRef()->LoadTexture() : nullptr;
      std::string name = CentralTextureName(st.MoonMode, st.CentralBody, st.StringSettings.EarthTexture,
                                            st.StringSettings.MoonTexture);
      if (planet_texture && !name.empty()) planet_texture->Load((ProgramFolder() / name).string());
    });
    sv.CentralTextureLoaded = 1;
  }
  SceneStep([&] {
    if (planet_texture) planet_texture->Apply();
  });
  if (q) gluQuadricTexture(q, GL_TRUE);

  if (sb.TimeRangeGiven == 1.0) {
    SceneStep([&] {
      MeridienDeg = SiderealTurn(st.DataTable(CURRINDEXI, 0));
      glRotatef(Sng(MeridienDeg), 0, 0, 1);
    });
  }

  SceneStep([&] {
    MainFocus(sv.CentralRadius, st.MoonMode, st.CentralBody);
    if (sb.OptEarthSizeKm != 1.0 && st.LengthsInKm == 0 && sv.CentralRadius * st.ScaleFactor > 2 * sv.AxisLength)
      sv.CentralRadius = sv.CentralRadius / 1000;
  });

  // Texturing is on for the sphere only, so that the texts, axes and the next frame drawn
  // after it are not tinted by the texture.
  if (q) {
    // A selection pass draws the sphere untextured (see glview::InRenderPass).
    if (glview::InRenderPass()) glEnable(GL_TEXTURE_2D);
    gluSphere(q, sv.CentralRadius * st.ScaleFactor, kSphereSlices, kSphereSlices);
    glDisable(GL_TEXTURE_2D);
  }
}

void ClassGl::DrawMoon() {
  datastore::DataStore& st = datastore::Store();
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  SceneValues& sv = Scene;
  BodyValues& bv = Bodies;

  // With the Moon as the central body it is drawn already.
  if (st.MoonMode == 1) return;

  if (sb.EarthMoonOpt == 1.0 || st.EarthMoonMode == 1) {
    bv.BodyPos = numerics::Vec3(st.MoonDistance, 0, 0);
  } else {
    SceneStep([&] {
      numerics::Vec3 helio;
      numerics::PlanetPos(sv.PointTime - 366, numerics::kBodyMoon, 4, helio, bv.BodyPos);
    });
  }

  GLUquadric* q = nullptr;
  SceneStep([&] { q = Quadric(SceneQuadric[1]); });
  const auto sphere = GlColour(sb.ColourSphere);
  glColor4f(sphere[0], sphere[1], sphere[2], 1);

  MeridienDegl = MoonTurn(sv.PointTime, CURRINDEXI == st.LastDataRow, CURRINDEXI == CURRINDEXMINI);

  if (sv.MoonTextureLoaded != 1) {
    SceneStep([&] {
      planet_texturel = GlCtlRef() ? GlCtlRef()->LoadTexture() : nullptr;
      if (planet_texturel) planet_texturel->Load((ProgramFolder() / st.StringSettings.MoonTexture).string());
    });
    sv.MoonTextureLoaded = 1;
  }
  SceneStep([&] {
    if (planet_texturel) planet_texturel->Apply();
  });
  if (q) gluQuadricTexture(q, GL_TRUE);
  glMatrixMode(GL_MODELVIEW);

  if (sb.EarthMoonOpt == 0 && st.EarthMoonMode == 0) glRotatef(23.45f, 1, 0, 0);

  SceneStep([&] {
    glTranslatef(Sng(bv.BodyPos(1) / 1000 * st.ScaleFactor), Sng(bv.BodyPos(2) / 1000 * st.ScaleFactor),
                 Sng(bv.BodyPos(3) / 1000 * st.ScaleFactor));
  });

  // The Moon's polar axis.
  if (sb.OptNoPlotAxis == 0) {
    SceneStep([&] {
      if (sb.OptNoColourAxisX == 0) glColor3f(1, 1, 0);
      else glColor3fv(GlColour(sb.ColourAxis).data());
      glLineWidth(2);
      sv.CentralRadius = 1738;
      float L = Sng(sv.CentralRadius * st.ScaleFactor * 3 * sb.MoonFactor);
      glBegin(GL_LINE_STRIP);
      glVertex3f(0, 0, -L);
      glVertex3f(0, 0, L);
      glEnd();
      glLineWidth(float(sb.LinePlotThickness));
    });
  }

  if (sb.TimeRangeGiven == 1.0) SceneStep([&] { glRotatef(Sng(MeridienDegl), 0, 0, 1); });

  if (q) {
    // A selection pass draws the sphere untextured (see glview::InRenderPass).
    if (glview::InRenderPass()) glEnable(GL_TEXTURE_2D);
    gluSphere(q, sb.MoonFactor * 1740 * st.ScaleFactor, kSphereSlices, kSphereSlices);
    glDisable(GL_TEXTURE_2D);
  }
}

}  // namespace vantrel::view
