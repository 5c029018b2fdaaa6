#pragma once
// The display pass of a load: run once after the reader, it puts the built-in sample in place
// when nothing was read, applies the title keywords that choose drawing modes (cutting each
// found keyword out of PlotTitle), completes the tables for the view (value series and range,
// quaternion order, event counters, pen-up colour column, axis order), sets the display boxes
// of the main window, and ends with the local-site and Earth-Moon steps.

#include "datastore/load_work.h"

namespace vantrel::datastore {

void DisplayPass(LoadWork& w);

// ValZMin and ValZMax from ValZTable rows 0 to ValZRows - 1; an empty or all-zero series gives
// 0 and 1, a constant one is widened by 1% of its size.
void ValueRangeRule();
// Col0Min and Col0Max from the non-zero DataTable column 0 values (row 0 starts them).
void Col0RangeRule();

}  // namespace vantrel::datastore
