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

// The pixel shift (right, up) of each label. Beside a bar that runs up or down the window a
// label is centred on the row of its point and moved sideways past the labels before it that
// it would overprint, so it keeps its row; beside a bar that runs across, it is moved up past
// them. Afterwards no two labels' glyphs overlap.
// With a view rectangle (window pixels, y up), a label that would stand partly outside it is
// then moved the least distance that brings it inside, so that none is cut by the view's edge.
std::vector<QPoint> PlaceScaleLabels(const std::vector<ScaleLabelBox>& labels, bool barRunsUp,
                                     const QRect& view = QRect());

}  // namespace vantrel::view
