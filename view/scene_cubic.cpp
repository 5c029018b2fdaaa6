// The cubic view: the outlines of the three walls X = -L, Y = -L, Z = -L, and the
// projections of a data point on them.
#include <GL/gl.h>

#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::DrawCubic(const datastore::NumTable<5>& RAYT, double minCubicX, double minCubicY, double minCubicZ,
                        std::int64_t i, double Specific_SizePoint, double USERFLAG_SizePoint) {
  (void)Specific_SizePoint, (void)USERFLAG_SizePoint;
  float x = float(RAYT(i, 1)), y = float(RAYT(i, 2)), z = float(RAYT(i, 3));
  glVertex3f(float(minCubicX), y, z);
  glVertex3f(x, float(minCubicY), z);
  glVertex3f(x, y, float(minCubicZ));
}

void ClassGl::DrawAxisCubic(double width, double length) {
  glLineWidth(width > 0 ? float(width) : 0.1f);
  glColor3f(0.3f, 0.3f, 0.3f);
  const float h = float(length);
  // The wall Z = -h, closed.
  glBegin(GL_LINES);
  glVertex3f(h, h, -h), glVertex3f(h, -h, -h);
  glVertex3f(h, -h, -h), glVertex3f(-h, -h, -h);
  glVertex3f(-h, -h, -h), glVertex3f(-h, h, -h);
  glVertex3f(-h, h, -h), glVertex3f(h, h, -h);
  glEnd();
  // The wall Y = -h: its fourth edge lies on the wall Z = -h.
  glBegin(GL_LINES);
  glVertex3f(h, -h, h), glVertex3f(h, -h, -h);
  glVertex3f(-h, -h, -h), glVertex3f(-h, -h, h);
  glVertex3f(-h, -h, h), glVertex3f(h, -h, h);
  glEnd();
  // The wall X = -h.
  glBegin(GL_LINES);
  glVertex3f(-h, h, h), glVertex3f(-h, h, -h);
  glVertex3f(-h, -h, -h), glVertex3f(-h, -h, h);
  glVertex3f(-h, -h, h), glVertex3f(-h, h, h);
  glEnd();
}

}  // namespace vantrel::view
