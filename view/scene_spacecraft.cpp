// The spacecraft model: moved to the current point, turned by the attitude of the quaternion
// table at the scene time, sized from the central body, and built of boxes: the body, its
// axes, the thrust plume and up to two solar wings turned by the array-angle tables or
// towards the Sun.
#include <GL/gl.h>

#include <cmath>

#include "datastore/state.h"
#include "datastore/tables.h"
#include "numerics/mathas.h"
#include "numerics/mth.h"
#include "platform/glview/glview.h"
#include "platform/runtime/rterror.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::view {
namespace {

constexpr double kPiShort = 3.14159;  // the model angle's own pi
double Sgn(double x) { return x > 0 ? 1 : x < 0 ? -1 : 0; }

}  // namespace

AttitudeTurn AttitudeFromRow(double q1, double q2, double q3, double q4) {
  AttitudeTurn t;
  double w = q1 > -1 ? q1 : -1;
  t.Quat = numerics::Quat(Sng(w), Sng(q2), Sng(q3), Sng(q4));
  double x = t.Quat(2), y = t.Quat(3), z = t.Quat(4);
  double n = std::sqrt(x * x + y * y + z * z);
  t.Angle = 2 * numerics::Atn2(double(t.Quat(1)), n) * 180 / kPiShort;
  double h = std::sin(t.Angle * numerics::kPi / 180 / 2);
  if (h == 0) h = 1;
  t.Axis = {x / h, y / h, z / h};
  double len = std::sqrt(t.Axis[0] * t.Axis[0] + t.Axis[1] * t.Axis[1] + t.Axis[2] * t.Axis[2]);
  if (std::fabs(len - 1) > 0.45) {
    t.FellBack = true;
    t.Angle = 90;
    t.Axis = {1, 0, 0};
    t.Quat = numerics::Quat(float(std::cos(numerics::DegToRad(45))), float(std::sin(numerics::DegToRad(45))), 0, 0);
  }
  return t;
}

void ClassGl::DrawSpacecraft() {
  SetUpModelMaterial();
  FindModelRows();
  PlaceModel();
  SizeModel();
  DrawModelBody();
  DrawThrustPlume();
  if (Shared().SatShapeParam2 >= 1) DrawPlusYWing();
  if (Shared().SatShapeParam2 == 2) DrawMinusYWing();
}

// 1. State and material.
void ClassGl::SetUpModelMaterial() {
  SpacecraftValues& m = Craft;
  SceneStep([&] {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    if (glview::GlView* c = GlCtlRef()) {
      m.ModelMaterial = c->CreateMaterial();
      m.ModelMaterial->SetFace(1028);
      m.ModelMaterial->SetAmbient(0.1f, 0.1f, 0.1f);
      m.ModelMaterial->SetDiffuse(0.5f, 1, 1);
      m.ModelMaterial->SetSpecular(0.6f, 0.8f, 0.8f);
      m.ModelMaterial->SetSpecExp(120);
    }
  });
}

void ClassGl::FindModelRows() {
  datastore::DataStore& st = datastore::Store();
  SpacecraftValues& m = Craft;
  // 2. A step back in time restarts the searches from the first rows.
  if (m.LastDrawnIndex > CURRINDEXI) {
    m.AttitudeRow = 0;
    m.PlusYRow = 0;
    m.MinusYRow = 0;
  }
  m.LastDrawnIndex = CURRINDEXI;

  // 3. The rows in force at the scene time.
  double T = Scene.PointTime;
  SearchTimeRow(st.QuaterTable, T, m.AttitudeRow, st.QuaterRows);
  if (st.SApYRows > 0) SearchTimeRow(st.SApYTable, T, m.PlusYRow, st.SApYRows);
  if (st.SAmYRows > 0) SearchTimeRow(st.SAmYTable, T, m.MinusYRow, st.SAmYRows);
}

void ClassGl::PlaceModel() {
  datastore::DataStore& st = datastore::Store();
  SpacecraftValues& m = Craft;
  SceneValues& sv = Scene;

  // 4. Position.
  SceneStep([&] {
    glTranslatef(Sng(st.DataTable(CURRINDEXI, 1)), Sng(st.DataTable(CURRINDEXI, 2)), Sng(st.DataTable(CURRINDEXI, 3)));
  });

  // 5. Attitude.
  SceneStep([&] {
    auto k = std::int64_t(m.AttitudeRow);
    AttitudeTurn t =
        AttitudeFromRow(st.QuaterTable(k, 1), st.QuaterTable(k, 2), st.QuaterTable(k, 3), st.QuaterTable(k, 4));
    m.AttitudeQuat = t.Quat;
    m.ModelAngle = t.Angle;
    m.RotationAxis = t.Axis;
  });

  // 6. Body axes in scene axes, and the wings' angle towards the Sun with a small jitter.
  SceneStep([&] {
    numerics::QuatRotateVector(numerics::Vec3(1, 0, 0), m.AttitudeQuat, m.BodyAxisX);
    numerics::QuatRotateVector(numerics::Vec3(0, 0, 1), m.AttitudeQuat, m.BodyAxisZ);
    numerics::Vec3 sun(sv.SunVector[0], sv.SunVector[1], sv.SunVector[2]);
    float along = Sng(numerics::VectDotDblCore(sun, m.BodyAxisZ));
    float across = Sng(numerics::VectDotDblCore(sun, m.BodyAxisX));
    double r = std::uniform_real_distribution<double>(0.0, 1.0)(m.Jitter);
    m.PanelSunAngle = numerics::deg(numerics::Atn2Sng(along, across)) + (r - 0.5) * 10;
  });

  // 7. The turn; the model is drawn unlit.
  SceneStep(
      [&] { glRotatef(Sng(m.ModelAngle), Sng(m.RotationAxis[0]), Sng(m.RotationAxis[1]), Sng(m.RotationAxis[2])); });
  glDisable(GL_LIGHTING);
}

// 8. Size: ModelSize and the body's half-extents.
void ClassGl::SizeModel() {
  datastore::DataStore& st = datastore::Store();
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  const ViewShared& vs = Shared();
  SpacecraftValues& m = Craft;
  SceneValues& sv = Scene;
  double s = m.ModelSize;
  SceneStep([&] {
    MainFocus(sv.CentralRadius, st.MoonMode, st.CentralBody);
    if (sb.OptSatellite == 1 && !(st.QuaterRows != 0 && st.PenUpMode != 1)) {
      sv.CentralRadius = SceneExtent;
      double p = std::pow(sb.SatelliteSize, 1.5);
      if (std::isnan(p)) throw rt::RtError(rt::kErrInvalidCall);  // a negative size
      s = sv.CentralRadius * st.ScaleFactor * 3 * (p + 1) / 6400;
    } else {
      s = sv.CentralRadius * st.ScaleFactor * 3 * (sb.SatelliteSize + 1) / 32000 * 8 / 4;
    }
    bool km = s > 2 * sv.AxisLength;
    if (km) s = s / 1000;
    if (vs.SetText15Visible) vs.SetText15Visible(km);
  });
  m.BodyHalfX = 0.1 * s;
  m.BodyHalfY = 0.1 * s;
  m.BodyHalfZ = 0.1 * s * vs.SatShapeParam1;
  m.ModelSize = s;
}

void ClassGl::DrawModelBody() {
  const datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  const ViewShared& vs = Shared();
  SpacecraftValues& m = Craft;
  const double a = m.BodyHalfX, b = m.BodyHalfY, c = m.BodyHalfZ;
  const double shape = sb.SatShapeIndex;

  // 9. Body.
  SceneStep([&] { monolythe(a, b, c); });
  m.BodyAxisWidth = sb.AxisLineThickness;

  // 10. Body axes.
  if (vs.SatAxisOpt != 0) {
    const double w = m.BodyAxisWidth;
    SceneStep([&] { AddAxisFromCenter(w, 1, 1, 1, 1, 0.3, 0.3, 5 * a, 0, 0); });
    SceneStep([&] {
      bool shortY = shape == 2 || shape == 3 || shape == 4 || shape == 6;
      AddAxisFromCenter(w, 1, 1, 1, 0.3, 1, 0.3, 0, shortY ? 5 * b : b + 3.5 * (2 * c), 0);
    });
    SceneStep([&] { AddAxisFromCenter(w, 1, 1, 1, 0.3, 0.3, 1, 0, 0, 3 * c); });
  }
}

// 11. Thrust plume, on the side opposite to the sign of the first shape parameter of Z, Y,
// X that is not 0; short while no thrust is in force.
void ClassGl::DrawThrustPlume() {
  const ViewShared& vs = Shared();
  SpacecraftValues& m = Craft;
  const SceneValues& sv = Scene;
  const double s = m.ModelSize, a = m.BodyHalfX, b = m.BodyHalfY, c = m.BodyHalfZ;
  SceneStep([&] {
    const double across = 0.02 * s;
    auto length = [&](double e) { return sv.ThrustOn == 1 ? e : e / 15; };
    if (std::fabs(vs.SatShapeParam5) > 0) {
      m.AppendageLength = length(c);
      monolitheNonCenter(across, across, m.AppendageLength, 0, 0, Sgn(vs.SatShapeParam5) * (-c) / 2);
    } else if (std::fabs(vs.SatShapeParam4) > 0) {
      m.AppendageLength = length(b);
      monolitheNonCenter(across, m.AppendageLength, across, 0, Sgn(vs.SatShapeParam4) * (-b) / 2, 0);
    } else if (std::fabs(vs.SatShapeParam3) > 0) {
      m.AppendageLength = length(a);
      monolitheNonCenter(m.AppendageLength, across, across, Sgn(vs.SatShapeParam3) * (-a) / 2, 0, 0);
    }
  });
}

// A wing plate on the -X face with the sun ray in model axes (the CubeSat3U5 shape).
void ClassGl::DrawPlatePanel() {
  const SpacecraftValues& m = Craft;
  const SceneValues& sv = Scene;
  const double s = m.ModelSize, a = m.BodyHalfX, b = m.BodyHalfY, c = m.BodyHalfZ;
  SceneStep([&] { monolitheNonCenter(0.01 * s, 5 * b, c, 0.005 * s - a / 2, 0, 0); });
  SceneStep([&] {
    AddAxisFromCenter(7, 1, 0, 1, 1, 1, 0, sv.SunRayScale * sv.SunLightPos[0], sv.SunRayScale * sv.SunLightPos[1],
                      sv.SunRayScale * sv.SunLightPos[2]);
  });
}

// 12. The +Y wing and its arm.
void ClassGl::DrawPlusYWing() {
  datastore::DataStore& st = datastore::Store();
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  SpacecraftValues& m = Craft;
  const double s = m.ModelSize, a = m.BodyHalfX, b = m.BodyHalfY, c = m.BodyHalfZ;
  const bool plate = sb.SatShapeIndex == 6;
  if (sb.OptSolarPanel == 0 && m.AttitudeRow < st.QuaterRows && st.SApYRows > 0)
    m.ModelAngle = st.SApYTable(std::int64_t(m.PlusYRow), 1);
  else if (sb.OptSolarPanel == 1.0) m.ModelAngle = m.PanelSunAngle;
  else m.ModelAngle = 0;
  if (plate) m.ModelAngle = 0;

  glPushMatrix();
  SceneStep([&] { glRotatef(Sng(m.ModelAngle), 0, 1, 0); });
  if (!plate) {
    SceneStep([&] { monolitheNonCenter(a, 2 * c, 0.01 * s, 0, (b + c) / 2, 0); });
  } else {
    DrawPlatePanel();
  }
  if (sb.OptSolarPanel == 1.0 && !plate)
    SceneStep([&] { AddAxisFromCenter(3 * m.BodyAxisWidth, 0.5, 0.5, 0.5, 1, 1, 0, 0, 0, -0.1 * s); });
  glPopMatrix();

  SceneStep([&] {
    float arm = Sng((b + c) / 2);
    glTranslatef(0, arm, 0);
    if (!plate) monolythe(0.01 * s, (b + c) / 2, 0.01 * s);
    glTranslatef(0, -arm, 0);
  });
}

// 13. The -Y wing, on a rod through the body; without an angle of its own it keeps the
// +Y wing's.
void ClassGl::DrawMinusYWing() {
  datastore::DataStore& st = datastore::Store();
  const datastore::SettingsRecord& sb = st.SettingsBlock;
  SpacecraftValues& m = Craft;
  const double s = m.ModelSize, a = m.BodyHalfX, b = m.BodyHalfY, c = m.BodyHalfZ;
  const bool plate = sb.SatShapeIndex == 6;
  SceneStep([&] { monolythe(0.01 * s, b + c, 0.01 * s); });
  if (sb.OptSolarPanel == 0 && m.AttitudeRow < st.QuaterRows && (st.SApYRows > 0 || st.SAmYRows > 0)) {
    if (st.SAmYRows > 0 && m.AttitudeRow < st.QuaterRows) {
      m.ModelAngle = st.SAmYTable(std::int64_t(m.MinusYRow), 1);
      m.MinusYAxisSign = -1;
    } else {
      m.MinusYAxisSign = 1;
    }
  } else {
    m.MinusYAxisSign = 1;
  }
  glPushMatrix();
  SceneStep([&] { glRotatef(Sng(m.ModelAngle), 0, Sng(m.MinusYAxisSign), 0); });
  if (!plate) {
    SceneStep([&] { monolitheNonCenter(a, 2 * c, 0.01 * s, 0, -(b + c) / 2, 0); });
  } else {
    DrawPlatePanel();
  }
  glPopMatrix();
}

}  // namespace vantrel::view
