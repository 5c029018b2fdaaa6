// Tool modes, cursors, the grid flag and picking (for now the values are only kept).
#include "view/class_gl.h"

namespace vantrel::view {

void ClassGl::SetEditState(long state) { EditState = state; }
void ClassGl::SetGrids(bool on) { Grids = on; }
void ClassGl::SetCursor(long ID) { (void)ID; }
void ClassGl::Pick(std::vector<std::int32_t>& buffer) { (void)buffer; }

}  // namespace vantrel::view
