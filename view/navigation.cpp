// Keyboard and mouse navigation (not built yet: the events change nothing).
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::KeyDown(int& KeyCode, int& Shift) { (void)KeyCode, (void)Shift; }
void ClassGl::noSteps() {}
void ClassGl::KeyPress(int& KeyAscii) { (void)KeyAscii; }

void ClassGl::MouseDown(int& Button, int& Shift, float& X, float& Y) {
  (void)Button, (void)Shift, (void)X, (void)Y;
}
void ClassGl::MouseMove(int& Button, int& Shift, float& X, float& Y) {
  (void)Button, (void)Shift, (void)X, (void)Y;
}
void ClassGl::MouseUp(int& Button, int& Shift, float& X, float& Y) {
  (void)Button, (void)Shift, (void)X, (void)Y;
}

}  // namespace vantrel::view
