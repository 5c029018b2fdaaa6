// Loads that an unexpected exception stops.

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "loader_harness.h"

namespace vantrel::datastore {
namespace {

class LoadFailure : public LoaderTest {};

TEST_F(LoadFailure, AnyExceptionEndsTheLoadWithABoxAndTheNextLoadRuns) {
  const struct {
    const char* what;
    void (*raise)();
    const char* named;
  } cases[] = {
      {"memory", [] { throw std::bad_alloc(); }, "Out of memory (error 7)"},
      {"program fault", [] { throw std::logic_error("table index"); }, "table index"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::MsgBoxGuard box;
    s().SourceMode = 1;  // the demo: no worksheet
    s().SettingsBlock.LoadDone = 1;
    SetLoaderSteps({[&](DataStore&, LoadWork&) { c.raise(); }, nullptr});
    LoadExcelDataXls();
    EXPECT_EQ(s().LoaderBusy, 0);
    EXPECT_EQ(s().SettingsBlock.LoadDone, 1);
    ASSERT_EQ(box.boxes().boxes().size(), 1u);
    EXPECT_NE(box.boxes().boxes()[0].text.find(c.named), std::string::npos) << box.boxes().boxes()[0].text;
    EXPECT_FALSE(main->progressVisible);

    // The next load is not held off.
    bool read = false;
    SetLoaderSteps({[&](DataStore&, LoadWork&) { read = true; }, [](DataStore&, LoadWork&) {}});
    s().SettingsBlock.LoadDone = 0;
    LoadExcelDataXls();
    EXPECT_TRUE(read);
    EXPECT_EQ(s().SettingsBlock.LoadDone, 1);
    EXPECT_EQ(s().LoaderBusy, 0);
    SetLoaderSteps({});
  }
}

}  // namespace
}  // namespace vantrel::datastore
