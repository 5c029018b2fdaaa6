// The scene routine: its sections in their fixed order, the set-up section with the sun ray,
// and the one error policy of the whole frame.
#include <GL/gl.h>

#include "datastore/state.h"
#include "datastore/tables.h"
#include "platform/glview/glview.h"
#include "platform/runtime/vb.h"
#include "view/class_gl.h"
#include "view/view_shared.h"

namespace vantrel::view {

void ClassGl::DrawScene(glview::GlView& control) {
  (void)control;
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  frameHadError_ = false;

  SceneSetUp();

  SceneStep([&] { DrawTrajectory(); });
  SceneStep([&] { DrawValueLegend(); });
  SceneStep([&] { DrawPointTexts(); });

  bool centralShown = sb.OptNoEarth == 0 && st.IsoScaleMode == 1;
  if (centralShown || sb.OptSatellite == 1) {
    SceneStep([&] {
      if (sb.SceneInitDone == 0) {
        Scene.CentralTextureLoaded = 0;
        Scene.MoonTextureLoaded = 0;
        sb.SceneInitDone = 1.0;
      }
    });
    SceneStep([&] { DrawSunLighting(); });
    if (centralShown) {
      glPushMatrix();
      SceneStep([&] { DrawCentralBodies(); });
      glPopMatrix();
      if (Shared().OptMoonState == 0) {
        glPushMatrix();
        SceneStep([&] { DrawMoon(); });
        glPopMatrix();
      }
    }
  }

  // End of frame. A current row outside the table leaves the time as it was.
  if (CURRINDEXI >= 0 && CURRINDEXI <= datastore::kLastTableRow) Scene.PointTime = st.DataTable(CURRINDEXI, 0);
  sb.PlotDate = Scene.PointTime;
  SceneStep([&] { DrawDateOverlays(); });
  SceneStep([&] { ColorScaleLabels(); });

  // An error shown once is shown again only after a frame that drew without one.
  if (!frameHadError_) shownErrors_.clear();
  PostSceneErrors();
}

void ClassGl::SceneSetUp() {
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  SceneValues& s = Scene;

  s.AxisLength = sb.AxisLengthFactor != 0 ? SceneExtent * sb.AxisLengthFactor : SceneExtent * 1.1;
  s.CubeWallX = -s.AxisLength;
  s.CubeWallY = s.CubeWallX;
  s.CubeWallZ = s.CubeWallX;

  if (sb.OptNoEarth == 0 && st.IsoScaleMode == 1) {
    glPushMatrix();
    SceneStep([&] { MainFocus(s.CentralRadius, st.MoonMode, st.CentralBody); });
    if (sb.OptEarthSizeKm != 1.0 && st.LengthsInKm == 0 && s.CentralRadius * st.ScaleFactor > 2 * s.AxisLength)
      s.CentralRadius = s.CentralRadius / 1000;
    s.SunRayScale = s.CentralRadius * (st.ScaleFactor * 1000) / 150000000 * 1.1 * (1 + sb.SunRayLength);
    if (sb.SunRayLength != 1.0) {
      SceneStep([&] {
        AddAxisFromCenter(7, 1, 0, 1, 1, 1, 0, s.SunRayScale * s.SunLightPos[0], s.SunRayScale * s.SunLightPos[1],
                          s.SunRayScale * s.SunLightPos[2]);
      });
    }
    glPopMatrix();
  }

  bool model = false;
  if (sb.OptSatellite == 1 && st.QuaterRows != 0 && st.PenUpMode != 1) model = true;
  else if (sb.NedViewOn != 1.0 && rt::RoundHalfEven(sb.OptSatellite) != 0) model = true;
  if (model) {
    glPushMatrix();
    SceneStep([&] { DrawSpacecraft(); });
    glPopMatrix();
  }
}

}  // namespace vantrel::view
