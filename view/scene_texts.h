#pragma once
// The texts the scene writes at the current point and in the view's corner.

#include <string>

namespace vantrel::view {

// The product name and the date of the current point, written beside the point.
std::string PointDateText(double pointTime);
// The corner line: the date for day numbers of calendar dates (plotDate after noon on
// 30 December 1957), else the time of day of pointTime.
std::string CornerDateText(double pointTime, double plotDate);
// The fit's offsets of the three axes, written at the scene origin.
std::string OriginOffsetText(double x, double y, double z);

}  // namespace vantrel::view
