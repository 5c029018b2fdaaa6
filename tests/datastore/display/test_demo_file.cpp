#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "datastore/datafile_reader.h"
#include "datastore/demo_file.h"
#include "datastore/display_pass.h"
#include "tests/support/fake_services.h"
#include "datastore/state.h"
#include "tests/support/guards.h"

namespace vantrel::datastore {
namespace {

TEST(DemoFile, ReadsAsATransferFromLowEarthOrbitToGeostationary) {
  test::LocaleGuard loc(",", " ");  // read under a decimal-comma locale as well
  test::MsgBoxGuard boxes;          // the reader's "Demo default" box
  auto main = std::make_shared<FakeMainWindow>();
  ScopedStore scope(main);
  DataStore& s = scope.store();
  const std::string path = std::string(std::getenv("XDG_DATA_HOME")) + "/" + kDemoFileName;
  { std::ofstream(path, std::ios::binary) << DemoFileText(); }

  LoadWork w;
  w.CurrentDataFile = path + ".missing";
  w.DemoDataFile = path;
  s.SourceMode = 1;
  ReadDataFileStep(s, w);
  DisplayPass(w);

  EXPECT_EQ(w.FileInUse, path);
  EXPECT_EQ(s.LastDataRow, 1584);
  EXPECT_EQ(s.QuaterRows, 1585);
  EXPECT_EQ(s.ValZRows, 1585);
  EXPECT_EQ(s.EventsGiven, 1);
  // One event row per change of label (the first two rows always), one list entry per line.
  EXPECT_EQ(w.EventRows, 10);
  EXPECT_EQ(s.EventCount, 1585);
  const double values[] = {0, 0, 1, 0, 1, 0, 1, 0, 1, 0};  // orbits 0, burns 1
  for (int e = 0; e < 10; ++e) EXPECT_EQ(s.EventsTable.Get(e, 1), values[e]) << e;
  EXPECT_EQ(s.EventsList.Label(0), "Parking orbit");
  EXPECT_EQ(s.EventsList.Label(1584), "Geostationary orbit");
  EXPECT_EQ(s.ValuesMode, 1);
  EXPECT_EQ(s.CentralBody, 4);
  EXPECT_EQ(s.ScaleFactor, 0.001);
  EXPECT_EQ(s.IsoScaleMode, 1);
  EXPECT_EQ(s.PlotTitle.find("kmdays"), std::string::npos);
  EXPECT_EQ(s.PlotTitle.find("valz"), std::string::npos);

  double rmin = 1e9, rmax = 0, jump = 0, qerr = 0;
  for (int r = 0; r <= s.LastDataRow; ++r) {
    const double x = s.DataTable.Get(r, 1), y = s.DataTable.Get(r, 2), z = s.DataTable.Get(r, 3);
    const double d = std::sqrt(x * x + y * y + z * z);
    rmin = std::min(rmin, d);
    rmax = std::max(rmax, d);
    if (r > 0) {
      const double dx = x - s.DataTable.Get(r - 1, 1), dy = y - s.DataTable.Get(r - 1, 2),
                   dz = z - s.DataTable.Get(r - 1, 3);
      jump = std::max(jump, std::sqrt(dx * dx + dy * dy + dz * dz));
      EXPECT_NEAR(s.DataTable.Get(r, 0) - s.DataTable.Get(r - 1, 0), 300.0 / 86400, 1e-9);
    }
    double q2 = 0;
    for (int c = 1; c <= 4; ++c) q2 += s.QuaterTable.Get(r, c) * s.QuaterTable.Get(r, c);
    qerr = std::max(qerr, std::fabs(q2 - 1));
  }
  // Lengths in thousands of km after the scale factor: from 300 km up to geostationary.
  EXPECT_NEAR(rmin, 6.678137, 1e-6);
  EXPECT_NEAR(rmax, 42.164, 1e-6);
  EXPECT_LT(jump, 10.5 * 300 * 0.001);  // no step longer than 10.5 km/s for 300 s
  EXPECT_LT(qerr, 1e-8);
  // The last rows lie on the geostationary circle in the equator.
  EXPECT_NEAR(std::hypot(s.DataTable.Get(1584, 1), s.DataTable.Get(1584, 2)), 42.164, 1e-6);
  EXPECT_NEAR(s.DataTable.Get(1584, 3), 0, 1e-9);
  EXPECT_NEAR(s.ValZMax, 10.15, 0.05);  // speed at the transfer orbit's perigee, km/s
  EXPECT_NEAR(s.ValZMin, 1.6, 0.05);    // and at its apogee
  ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes().boxes()[0].title, "Demo default");
}

TEST(DemoFile, EveryBuildWritesTheSameBytes) { EXPECT_EQ(DemoFileText(), DemoFileText()); }

}  // namespace
}  // namespace vantrel::datastore
