#pragma once
// The pictures of the two toolbars, drawn at start-up with QPainter on a 24-unit grid so that
// they read clearly at 16 and at 24 pixels. The view toolbar's list holds 262 pictures and the
// option toolbar's 169, numbered from 1; the numbers the buttons use carry drawings (some with
// a key naming what they show), the others are left blank.

#include <QPixmap>

#include <string>
#include <vector>

#include "platform/forms/qt/bars.h"

namespace vantrel::ui {

inline constexpr int kViewPictures = 262;
inline constexpr int kOptionPictures = 169;

enum class PictureList { kView, kOption };

// One picture of a list, size by size pixels (blank for numbers without a drawing).
QPixmap ToolbarPicture(PictureList list, int number, int size);
// The key of a picture ("" when it has none).
std::string ToolbarPictureKey(PictureList list, int number);
// The picture numbers that carry a drawing.
std::vector<int> DrawnPictures(PictureList list);

// Fills both image lists (16 by 16 pixels), keys included.
void FillToolbarImageLists(forms::ImageList& viewList, forms::ImageList& optionList);

// The illustration of the PowerPoint panel: a slide with a trajectory and a pointer.
QPixmap PowerPointPicture(int size);

}  // namespace vantrel::ui
