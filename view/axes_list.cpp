// The axes of the scene, drawn through one display list that each frame calls and then
// compiles again for the next frame, and single lines from the scene origin.
#include <GL/gl.h>

#include "datastore/state.h"
#include "datastore/tables.h"
#include "platform/glview/glview.h"
#include "view/class_gl.h"
#include "view/gl_colour.h"

namespace vantrel::view {

void ClassGl::DrawAxesList(glview::GlView& control) {
  (void)control;
  datastore::DataStore& st = datastore::Store();
  const datastore::SettingsRecord& sb = st.SettingsBlock;

  // The list holds what the previous frame compiled (nothing before the first one).
  if (AxesList != 0) glCallList(AxesList);

  // One list id for the whole context: it is compiled again in place.
  if (AxesList == 0) AxesList = glGenLists(1);
  if (AxesList == 0) return;  // no list could be made: this frame builds none

  glNewList(AxesList, GL_COMPILE);
  if (sb.OptNoPlotAxis == 0) {
    glBegin(GL_LINES);
    double L = sb.AxisLengthFactor != 0 ? SceneExtent * sb.AxisLengthFactor : SceneExtent * 1.1;
    glColor3fv(GlColour(sb.ColourAxis).data());
    double Lz = sb.LogoMode != 0 ? 1.5 * L : L;
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, float(Lz));
    glVertex3f(0, 0, 0);
    glVertex3f(0, float(L), 0);
    glVertex3f(0, 0, 0);
    if (sb.OptNoColourAxisX == 0) glColor3f(1, 1, 0);
    glVertex3f(float(L), 0, 0);
    glVertex3f(0, 0, 0);  // unpaired: GL drops it
    glEnd();
    if (sb.OptCubicView == 1.0) DrawAxisCubic(0.1, L);
    if (sb.OptNoColourAxisX == 0) glColor3f(1, 1, 0);
    if (sb.NedViewOn == 1.0) {
      std::int64_t row = sb.LocalViewIndex == -1 ? CURRINDEXI : sb.LocalViewIndex;
      // A row outside the table gives no translation.
      if (row >= 0 && row <= datastore::kLastTableRow)
        glTranslatef(float(-st.DataTable(row, 1)), float(-st.DataTable(row, 2)), float(-st.DataTable(row, 3)));
    }
  } else {
    glBegin(GL_LINES);
    glEnd();
  }
  glEndList();
}

void ClassGl::AddAxisFromCenter(double lineSized, double col01rd, double col01gd, double col01bd, double col02rd,
                                double col02gd, double col02bd, double posxd, double posyd, double poszd) {
  glLineWidth(float(lineSized));
  glColor3f(float(col01rd), float(col01gd), float(col01bd));
  glBegin(GL_LINE_STRIP);
  glVertex3f(0, 0, 0);
  glColor4f(float(col02rd), float(col02gd), float(col02bd), 0.6f);
  glVertex3f(float(posxd), float(posyd), float(poszd));
  glEnd();
  glLineWidth(float(datastore::Store().SettingsBlock.LinePlotThickness));
}

}  // namespace vantrel::view
