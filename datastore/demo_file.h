#pragma once
// The demo data file supplied with the program: a transfer from a low Earth parking orbit to
// the geostationary orbit over five and a half days, in the program's data-file format: the
// trajectory (km), times (day serials), the perigee and three apogee burns as events, the
// attitude quaternion of an Earth-pointing spacecraft, the Sun-tracking angles of its two solar
// arrays and its speed (km/s) as the value series.

#include <string>

namespace vantrel::datastore {

inline constexpr const char* kDemoFileName = "VantrelDemo.vnx";

// The whole file text; the date of the header is fixed so that every build writes the same
// bytes.
std::string DemoFileText();

}  // namespace vantrel::datastore
