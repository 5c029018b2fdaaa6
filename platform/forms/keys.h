#pragma once
// Key codes and shift bits as the program's key handlers receive them: the Windows virtual
// key codes (letters are their upper-case code whatever the shift state, digits 48-57, the
// keypad 96-111, F1-F12 112-123) and the shift state Shift 1 + Ctrl 2 + Alt 4.
// A key-down handler that sets the code to 0 keeps the key from the focused control; a key
// press handler that sets the character to 0 drops the character.

namespace vantrel::forms {

enum ShiftBit : int { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

enum KeyCode : int {
  kKeyBack = 8,
  kKeyTab = 9,
  kKeyReturn = 13,
  kKeyShift = 16,
  kKeyControl = 17,
  kKeyMenu = 18,  // Alt
  kKeyPause = 19,
  kKeyCapital = 20,
  kKeyEscape = 27,
  kKeySpace = 32,
  kKeyPageUp = 33,
  kKeyPageDown = 34,
  kKeyEnd = 35,
  kKeyHome = 36,
  kKeyLeft = 37,
  kKeyUp = 38,
  kKeyRight = 39,
  kKeyDown = 40,
  kKeyInsert = 45,
  kKeyDelete = 46,
  kKey0 = 48,
  kKeyA = 65,
  kKeyNumpad0 = 96,
  kKeyMultiply = 106,
  kKeyAdd = 107,
  kKeySubtract = 109,
  kKeyDecimal = 110,
  kKeyDivide = 111,
  kKeyF1 = 112,
  kKeyNumLock = 144,
  kKeyScroll = 145,
  kKeyOem1 = 186,       // ; :
  kKeyOemPlus = 187,    // = +
  kKeyOemComma = 188,   // , <
  kKeyOemMinus = 189,   // - _
  kKeyOemPeriod = 190,  // . >
  kKeyOem2 = 191,       // / ?
  kKeyOem3 = 192,       // ` ~
  kKeyOem4 = 219,       // [ {
  kKeyOem5 = 220,       // \ |
  kKeyOem6 = 221,       // ] }
  kKeyOem7 = 222,       // ' "
};

// Mouse buttons as the handlers receive them: left 1, right 2, middle 4.
enum MouseButtonBit : int { kLeftButton = 1, kRightButton = 2, kMiddleButton = 4 };

}  // namespace vantrel::forms
