#pragma once
// Qt keys and buttons in the program's terms: Windows virtual-key codes, Shift bits
// (1 Shift, 2 Ctrl, 4 Alt) and mouse button bits (1 left, 2 right, 4 middle).

#include <Qt>

namespace vantrel::glview {

// The virtual-key code of a Qt key (0 when it has none). Keypad digits and operators get the
// numeric-pad codes when the keypad modifier is set.
int WindowsKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);
int ShiftBits(Qt::KeyboardModifiers modifiers);
int ButtonBits(Qt::MouseButtons buttons);

}  // namespace vantrel::glview
