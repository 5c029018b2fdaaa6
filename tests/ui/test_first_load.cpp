// The whole start: a data file named on the command line, loaded by the first activation into
// the tables and drawn by the view control.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "datastore/association.h"
#include "datastore/demo_file.h"
#include "platform/glview/glview.h"
#include "platform/shell/shell.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"
#include "tests/ui/ui_fixture.h"
#include "tests/support/wait_window.h"

namespace vantrel::ui {
namespace {

class FirstLoadTest : public UiTest {
 protected:
  FirstLoadTest() {
    datastore::SetLoadBody(nullptr);
    datastore::SetAssociationToolRunner([](const std::vector<std::string>&) { return 0; });
    platform::SetRegistry(std::make_shared<platform::KeyStoreRegistry>());
    std::ofstream(file, std::ios::binary) << datastore::DemoFileText();
  }
  ~FirstLoadTest() override {
    w.reset();
    platform::SetRegistry(nullptr);
    datastore::SetAssociationToolRunner(nullptr);
  }
  test::TempDir tmp{"vantrel_ui_first_load"};
  std::filesystem::path folder = tmp.path();
  std::string file = (folder / "transfer.vnx").string();
};

TEST_F(FirstLoadTest, DataFileOnTheCommandLineIsLoadedAndDrawn) {
  Store("SetDirBMP", folder.string() + "/");
  MainWindow& m = Start({file}, true);
  m.show();
  ASSERT_TRUE(vantrel::test::WaitForWindowExposed(&m));
  ASSERT_TRUE(test::WaitUntil([&] { return m.FirstActivationDone == 1; }));
  EXPECT_EQ(st().SettingsBlock.LoadDone, 1.0);
  EXPECT_GT(st().LastDataRow, 100);
  EXPECT_EQ(st().WorkDir, folder.string() + "/");
  EXPECT_TRUE(m.Text14->Visible());  // the named file is shown under the view
  EXPECT_EQ(m.Text2->Text(), "Redraw speed 512");
  EXPECT_FALSE(m.ProgressBar1->Visible());
  EXPECT_TRUE(boxes().empty()) << boxes().front().text;
  // A few frames later the view shows more than its background colour.
  QRgb background = 0;
  auto drawn = [&] {
    QImage frame = m.glxCtl1->ReadFrame();
    if (frame.isNull()) return false;
    background = frame.pixel(1, frame.height() - 2);
    int other = 0;
    for (int y = 0; y < frame.height(); y += 2)
      for (int x = 0; x < frame.width(); x += 2) other += frame.pixel(x, y) != background;
    return other > 50;
  };
  EXPECT_TRUE(test::WaitUntil(drawn));
  EXPECT_EQ(qRed(background), 10 * 256 / 256);
}

}  // namespace
}  // namespace vantrel::ui
