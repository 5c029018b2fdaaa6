// The value legend and the colour-scale labels (not drawn yet).
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::DrawValueLegend() {}
void ClassGl::ColorScaleLabels() {}

}  // namespace vantrel::view
