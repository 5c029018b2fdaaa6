#pragma once
// The font of the forms' 8-point text: the controls were sized for it, so their captions fit
// only with a font of the same width.

#include <QFont>

namespace vantrel::forms {

// The design's 8-point font: a sans of the letter width the controls were sized for.
QFont DesignFont();

// Makes DesignFont the application's font (every control and window made afterwards).
void UseDesignFont();

}  // namespace vantrel::forms

class QWidget;

namespace vantrel::forms {

// The width a control has for its caption (a label's, a check box's or a button's text, a
// read-only box's text), in pixels; -1 for other widgets.
int CaptionRoom(const QWidget* w);

// Narrows the control's font, only as much as needed, so that its caption fits its width; a
// caption that fits keeps the application's font.
void FitCaption(QWidget* w);

}  // namespace vantrel::forms
