#include <gtest/gtest.h>

#include "datastore/state.h"
#include "tests/support/guards.h"
#include "ui/main_shared.h"
#include "ui/main_window.h"

namespace vantrel::test {
namespace {

// Six numbers per thruster (location, orientation), comma separated.
std::string ThrusterList(int thrusters) {
  std::string s;
  for (int i = 1; i <= thrusters * 6; ++i) s += (s.empty() ? "" : ",") + std::to_string(i);
  return s;
}

TEST(Thrusters, AListLongerThanTheTableIsRefusedAndTheTableKept) {
  datastore::ScopedStore store;
  ui::ScopedMainShared shared;
  ui::MainWindowOptions o;
  o.withViewControl = false;
  ui::MainWindow w(o);
  struct Case {
    int thrusters;
    bool stored;
  } cases[] = {{25, true}, {26, false}, {50, false}};
  for (const Case& c : cases) {
    MsgBoxGuard boxes;
    w.Check8->SetValue(1);
    w.Text13->SetText(ThrusterList(c.thrusters));
    w.Check8->SetValue(0);
    if (c.stored) {
      EXPECT_TRUE(boxes.boxes().boxes().empty());
      EXPECT_EQ(w.ThrusterTable[0][0], c.thrusters);
      EXPECT_EQ(w.ThrusterTable[25][3], 25 * 3);
    } else {
      ASSERT_EQ(boxes.boxes().boxes().size(), 1u) << c.thrusters;
      EXPECT_EQ(boxes.boxes().boxes()[0].title, "Error");
      EXPECT_EQ(w.ThrusterTable[0][0], 25);  // the table keeps the last accepted list
      EXPECT_TRUE(w.Text13->Visible());
    }
  }
}

}  // namespace
}  // namespace vantrel::test
