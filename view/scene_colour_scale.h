#pragma once
// Where the colour-scale labels stand in the window.

#include <QPoint>
#include <QRect>

#include <vector>

namespace vantrel::view {

// One label: the window position (pixels, y up) of the point it names, and the rectangle its
// glyphs take relative to that point when its baseline starts there (y up: top() is the lower
// edge).
struct ScaleLabelBox {
  QPoint anchor;
  QRect glyphs;
};

// The pixel shift (right, up) of each label, given in the ramp's order. Beside a bar that runs
// up or down the window a label is centred on the row of its point; beside a bar that runs
// across, its baseline starts at its point. Labels that would overprint each other (large ones,
// a short bar) are moved along the bar, in the ramp's order, and the line they make is centred
// on their points: they stand in one line beside the bar, never moved across it. Afterwards
// no two labels' glyphs overlap.
// With a view rectangle (window pixels, y up), labels that would stand partly outside it are
// then moved the least distance that brings them inside (the line as one along the bar), so
// that none is cut by the view's edge.
std::vector<QPoint> PlaceScaleLabels(const std::vector<ScaleLabelBox>& labels, bool barRunsUp,
                                     const QRect& view = QRect());

}  // namespace vantrel::view
