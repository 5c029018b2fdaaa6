#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include "platform/runtime/vb.h"
#include "tests/ui/dialogs/dialog_fixture.h"
#include "ui/file_open.h"
#include "ui/frm_dialog.h"
#include "tests/support/wait_window.h"

namespace vantrel::test {
namespace {

std::string Dir(int i) { return "Dir" + rt::Format(i, "00.00"); }
std::string Get(const std::string& key) { return platform::GetSetting(platform::kSettingsApp, "OpenVNX", key); }
void Put(const std::string& key, const std::string& v) {
  platform::SaveSetting(platform::kSettingsApp, "OpenVNX", key, v);
}

TEST(FileOpenPaths, SplitPathAndSplitDirFile) {
  struct Case {
    std::string path, folder, file, dirFolder, dirFile;
  } cases[] = {
      {"/data/a.vnx", "/data/", "a.vnx", "/data/", "a.vnx"},
      {"/data/", "/data/", "", "/data/", ""},
      {"a.vnx", "/start/", "a.vnx", "a", ".vnx"},  // a bare name is taken in the start folder
      {"", "/start/", "", "", ""},
  };
  for (const Case& c : cases) {
    std::string folder, file;
    ui::SplitPath(c.path, folder, file, "/start/");
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(file, c.file) << c.path;
    ui::FrmDialog::SplitDirFile(c.path, folder, file);
    EXPECT_EQ(folder, c.dirFolder) << c.path;
    EXPECT_EQ(file, c.dirFile) << c.path;
  }
}

class FolderHistory : public DialogTest {};

TEST_F(FolderHistory, ShiftsAndCapsAtTen) {
  ui::UpdateFolderHistory("/f1/", "");
  EXPECT_EQ(Get(Dir(1)), "/f1/");
  EXPECT_EQ(Get("DirMax"), "1");
  ui::UpdateFolderHistory("/f1/", "/f1/");  // the same folder: nothing changes
  EXPECT_EQ(Get("DirMax"), "1");
  for (int i = 2; i <= 12; ++i) ui::UpdateFolderHistory("/f" + std::to_string(i) + "/", Get(Dir(1)));
  EXPECT_EQ(Get("DirMax"), "10");
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(Get(Dir(i)), "/f" + std::to_string(13 - i) + "/") << i;
  EXPECT_EQ(Get(Dir(11)), "");
}

TEST(FileListPattern, TrimmedAndCaseInsensitive) {
  struct Case {
    const char* name;
    const char* pattern;
    bool match;
  } cases[] = {
      {"a.vnx", "*.vnx ", true}, {"B.VNX", "*.vnx", true},        {"c.txt", "*.vnx", false},
      {"c.txt", "*.*", true},    {"d.vnx", "*.txt; *.vnx", true}, {"noext", "*.*", true},
  };
  for (const Case& c : cases) EXPECT_EQ(ui::FileListBox::Matches(c.name, c.pattern), c.match) << c.name;
}

class FileDialog : public DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    WriteFile(dir / "a.vnx", "12345");
    WriteFile(dir / "B.VNX", "1");
    WriteFile(dir / "c.txt", "1");
    WriteFile(dir / "sub" / "d.vnx", "1");
    WriteFile(dir / "sub" / "e.vnx", "1");
    root = dir.string() + "/";
    Put(Dir(1), root);
    Put("DirMax", "1");
  }
  static QListWidget* ListOf(forms::Control& c) { return static_cast<QListWidget*>(c.widget()); }
  static void ClickRow(forms::Control& c, int row, bool twice = false) {
    QListWidget* l = ListOf(c);
    const QPoint at = l->visualItemRect(l->item(row)).center();
    if (twice) QTest::mouseDClick(l->viewport(), Qt::LeftButton, {}, at);
    else QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
  }
  static int RowOf(ui::DirListBox& d, const std::string& path) {
    for (int i = 0; i < d.ListCount(); ++i)
      if (d.List(i) == path) return i;
    return -1;
  }
  // Opens File/Open and runs `act` inside the modal dialog once it is shown.
  std::string Open(std::function<void(ui::FrmDialog&)> act) {
    ui::FrmDialog& d = open.frmDialog();
    QTimer::singleShot(0, &d, [&d, act] {
      (void)vantrel::test::WaitForWindowExposed(&d);
      act(d);
    });
    return open.mnuFOpen_Click();
  }
  ui::FileOpenCommand open;
  std::string root;
};

TEST_F(FileDialog, PreselectsFiltersMovesToAFolderAndReturnsTheDoubleClickedFile) {
  std::vector<std::string> files;
  std::string first, info;
  int32_t filterColour = 0;
  const std::string chosen = Open([&](ui::FrmDialog& d) {
    for (int i = 0; i < d.Fichier1->ListCount(); ++i) files.push_back(d.Fichier1->List(i));
    first = d.Filename->Text();
    info = d.Text1->Text();
    filterColour = d.Filter->ForeColor();
    ClickRow(*d.Répertoire1, RowOf(*d.Répertoire1, (dir / "sub").string()));
    EXPECT_EQ(d.Fichier1->Path(), (dir / "sub").string());
    EXPECT_EQ(d.Filename->Text(), (dir / "sub" / "d.vnx").string());  // the first file, selected
    ClickRow(*d.Fichier1, 1, true);
  });
  EXPECT_EQ(files, (std::vector<std::string>{"B.VNX", "a.vnx"}));
  EXPECT_EQ(first, root + "B.VNX");
  EXPECT_EQ(rt::Trim(info).substr(0, 1), "1");
  EXPECT_NE(info.find(" Bytes     "), std::string::npos);
  EXPECT_EQ(filterColour, 255);
  EXPECT_EQ(chosen, (dir / "sub" / "e.vnx").string());
  ASSERT_EQ(loads.size(), 1u);
  EXPECT_EQ(loads[0].DataFileMode, 1);
  EXPECT_EQ(loads[0].DataFilePath, chosen);
  EXPECT_EQ(loads[0].SourceMode, 0);
  EXPECT_EQ(Get(Dir(1)), root + "sub/");
  EXPECT_EQ(Get(Dir(2)), root);
  EXPECT_EQ(Get("DirMax"), "2");
}

TEST_F(FileDialog, ClickedFileAndOkInAFolderWithAnotherFilter) {
  const std::string chosen = Open([&](ui::FrmDialog& d) {
    d.Filter->SetText("*.TXT");
    EXPECT_EQ(d.Filename->Text(), root + "c.txt");
    d.Filter->SetText("*.vnx");
    ClickRow(*d.Fichier1, 1);
    EXPECT_EQ(d.Filename->Text(), root + "a.vnx");
    EXPECT_EQ(rt::Trim(d.Text1->Text()).substr(0, 1), "5");  // the size, then the date
    EXPECT_NE(d.Text1->Text().find(" Bytes     "), std::string::npos);
    QTest::mouseClick(d.Commande1->widget(), Qt::LeftButton);
  });
  EXPECT_EQ(chosen, root + "a.vnx");
  EXPECT_EQ(Get("DirMax"), "1");  // the same folder: the history stays
}

TEST_F(FileDialog, CancelReturnsNothingAndLoadsNothing) {
  const std::string chosen = Open([&](ui::FrmDialog& d) {
    ClickRow(*d.Fichier1, 1);
    QTest::mouseClick(d.Commande2->widget(), Qt::LeftButton);
  });
  EXPECT_EQ(chosen, "");
  EXPECT_EQ(open.frmDialog().Filename->Text(), "");
  EXPECT_EQ(open.frmDialog().Tag, "Cancel");
  EXPECT_TRUE(loads.empty());
  EXPECT_EQ(Get("DirMax"), "1");
  EXPECT_EQ(st().CmdLineInfo.DataFileMode, 0);
}

TEST_F(FileDialog, FoldersShownAreRemembered) {
  Open([&](ui::FrmDialog& d) {
    ClickRow(*d.Répertoire1, RowOf(*d.Répertoire1, (dir / "sub").string()));
    QTest::mouseClick(d.Commande2->widget(), Qt::LeftButton);
  });
  ui::FrmDialog& d = open.frmDialog();
  ASSERT_GE(d.ListeModifiable1->ListCount(), 2);
  const int n = d.ListeModifiable1->ListCount();
  EXPECT_EQ(d.ListeModifiable1->List(n - 2), dir.string());
  EXPECT_EQ(d.ListeModifiable1->List(n - 1), (dir / "sub").string());
}

TEST_F(FileDialog, ALoadRunningWhenAFileIsChosenLoadsItAfterwards) {
  duringLoad = [&] {
    Open([&](ui::FrmDialog& d) { ClickRow(*d.Fichier1, 1, true); });
    EXPECT_EQ(st().CmdLineInfo.DataFileMode, 0);  // the running load's state stays
  };
  datastore::RequestLoad();
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_EQ(loads[1].DataFilePath, root + "a.vnx");
  EXPECT_EQ(loads[1].DataFileMode, 1);
}

}  // namespace
}  // namespace vantrel::test
