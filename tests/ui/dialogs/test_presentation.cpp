#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include <QWidget>

#include "platform/forms/qt/controls.h"
#include "platform/runtime/vb.h"
#include "platform/shell/shell.h"
#include "tests/ui/dialogs/dialog_fixture.h"
#include "ui/presentation.h"

namespace vantrel::test {
namespace {

class Presentation : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    platform::SetProgramPath("/opt/Van trel/vantrel");
    Frame1 = std::make_unique<forms::Frame>(&host, "Frame1");
    Text1 = std::make_unique<forms::TextBox>(Frame1->Client(), "Text1");
    Frame1->SetVisible(false);
  }
  void TearDown() override {
    platform::SetProgramPath("");
    DialogTest::TearDown();
  }
  QWidget host;
  std::unique_ptr<forms::Frame> Frame1;
  std::unique_ptr<forms::TextBox> Text1;
};

TEST_F(Presentation, DatedByteCopyAndQuotedProgramPath) {
  ClockGuard clock(rt::DateSerial(2024, 3, 6) + rt::TimeSerial(14, 5, 9));
  const std::string bytes = "h\te\r\n1\t2\r\n\xe9\0z";
  WriteFile(dir / "_Vantrel.vnx", bytes);
  // The working folder without its final separator: the copy still lands inside it.
  st().WorkDir = dir.string();
  const std::string file = ui::mnuFRunPowerPoint_Click(*Frame1, *Text1);
  const fs::path copy = dir / "PowerPoint20240306_140509.vnx";
  EXPECT_EQ(file, copy.string());
  EXPECT_EQ(ReadFile(copy), bytes);
  EXPECT_EQ(Text1->Text(), "'/opt/Van trel/vantrel' '" + copy.string() + "'");
  EXPECT_EQ(Text1->SelStart(), 0);
  EXPECT_EQ(Text1->SelLength(), static_cast<int>(rt::Len(Text1->Text())));
  EXPECT_TRUE(Frame1->Visible());
  EXPECT_EQ(Frame1->Left(), 600);
  EXPECT_EQ(Frame1->Top(), 1200);

  // Again within the same second: the same copy is overwritten.
  WriteFile(dir / "_Vantrel.vnx", "new");
  ui::mnuFRunPowerPoint_Click(*Frame1, *Text1);
  EXPECT_EQ(ReadFile(copy), "new");
}

TEST_F(Presentation, AFailedCopyIsReportedAndNoCommandLineShown) {
  MsgBoxGuard boxes;
  st().WorkDir = (dir / "").string();  // no current data file there
  Text1->SetText("old");
  EXPECT_EQ(ui::mnuFRunPowerPoint_Click(*Frame1, *Text1), "");
  ASSERT_EQ(boxes.boxes().boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes().boxes()[0].title, "Error");
  EXPECT_EQ(boxes.boxes().boxes()[0].style, 16);
  EXPECT_EQ(Text1->Text(), "");
  EXPECT_FALSE(Frame1->Visible());
  EXPECT_TRUE(fs::is_empty(dir));
}

TEST_F(Presentation, DataFileModeNamesTheOpenedFileWithoutACopy) {
  st().WorkDir = (dir / "").string();
  st().CmdLineInfo.DataFileMode = 1;
  st().CmdLineInfo.DataFilePath = "/data/run 1.vnx";
  EXPECT_EQ(ui::mnuFRunPowerPoint_Click(*Frame1, *Text1), "/data/run 1.vnx");
  EXPECT_EQ(Text1->Text(), "'/opt/Van trel/vantrel' '/data/run 1.vnx'");
  EXPECT_TRUE(fs::is_empty(dir));
}

// Pasted into a shell, the line hands the program its two paths as they are and runs nothing
// else, whatever the paths hold.
TEST(PresentationLine, AShellTakesEachPathLiterally) {
  const TempDir folder("vantrel-quote");
  const std::string dir = folder.path().string();
  const std::string names[] = {
      "q\"$(touch " + dir + "/ran1)\".vnx",
      "it's `touch " + dir + "/ran2`.vnx",
      "$HOME and ${PATH}.vnx",
      "a'b''c\\'d.vnx",
      "semi; touch " + dir + "/ran3 & .vnx",
      "new\nline.vnx",
      "plain.vnx",
      "*.vnx",
  };
  for (const std::string& name : names) {
    const std::string program = dir + "/Van trel's/vantrel";
    const std::string line = ui::PresentationCommandLine(program, dir + "/" + name);
    // The shell prints each argument between < and >.
    const std::string command = "cd " + ui::ShellQuoted(dir) + " && printf '<%s>' " + line;
    FILE* p = ::popen(("/bin/sh -c " + ui::ShellQuoted(command)).c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string out;
    char buf[512];
    while (size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    ::pclose(p);
    EXPECT_EQ(out, "<" + program + "><" + dir + "/" + name + ">") << line;
  }
  for (const char* ran : {"/ran1", "/ran2", "/ran3"}) EXPECT_FALSE(std::filesystem::exists(dir + ran)) << ran;
}

}  // namespace
}  // namespace vantrel::test
