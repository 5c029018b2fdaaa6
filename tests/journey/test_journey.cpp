// The users' first journeys through the assembled program.

#include <xlsxwriter.h>
#include <zip.h>

#include <cmath>

#include "journey_fixture.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "ui/frm_dialog.h"
#include "ui/frm_video.h"
#include "ui/main_shared.h"

namespace vantrel::journey {
namespace {

// Point i of a circle of radius 7000 km (`turns` of it over `rows` points), X Y Z and the time in
// days; kept to a few decimals so that the workbook's number text gives the same doubles back.
struct Point {
  double v[4];
};
Point OrbitPoint(int i, int rows, double turns) {
  const double a = 2 * M_PI * turns * i / rows;
  auto keep = [](double x) { return std::round(x * 1e6) / 1e6; };
  return {{keep(7000 * std::cos(a)), keep(7000 * std::sin(a)), 0.5 * i, 46000 + 0.25 * i}};
}

// The specification of such a workbook: its title's words give kilometres and days.
std::string OrbitSpec(int rows) {
  const std::string last = std::to_string(rows + 1);
  return "=LEN(\"written kmday\")+MAX(A2:C" + last + ")+MAX(D2:D" + last + ")";
}

// A workbook written by another program than the spreadsheet the fixtures were saved with:
// sheet "Orbit" with `rows` points of a circle (`turns` of it) in A:C, times in D, and the
// specification OrbitSpec in F2, the active cell.
void WriteOrbitBook(const fs::path& path, int rows, double turns) {
  lxw_workbook* wb = workbook_new(path.c_str());
  lxw_worksheet* notes = workbook_add_worksheet(wb, "Notes");
  lxw_worksheet* s = workbook_add_worksheet(wb, "Orbit");
  worksheet_write_string(notes, 0, 0, "written by libxlsxwriter", nullptr);
  for (int j = 0; j < 4; ++j) worksheet_write_string(s, 0, lxw_col_t(j), std::string(1, "XYZT"[j]).c_str(), nullptr);
  for (int i = 0; i < rows; ++i) {
    const Point p = OrbitPoint(i, rows, turns);
    for (int k = 0; k < 4; ++k) worksheet_write_number(s, lxw_row_t(i + 1), lxw_col_t(k), p.v[k], nullptr);
  }
  const std::string spec = OrbitSpec(rows);
  worksheet_write_formula_num(s, 1, 5, spec.c_str(), nullptr, 0);
  worksheet_set_selection(s, 1, 5, 1, 5);
  worksheet_activate(s);
  ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
}

// The data file the road writes for WriteOrbitBook's workbook.
std::string ExpectedOrbitFile(const std::string& caption, int rows, double turns) {
  std::string out = "From: \t" + caption + "\tOrbit\t" + OrbitSpec(rows) +
                    "\t1.0000000000\twritten kmday\tDate 2026/03/05 14:07:09\tVantrel data file 2026\t" +
                    std::string(16, '\t') + "\r\n";
  auto n = [](double x) { return rt::Format(x, "0.0000000000"); };
  for (int i = 0; i < rows; ++i) {
    const Point p = OrbitPoint(i, rows, turns);
    out += n(p.v[0]) + "\t" + n(p.v[1]) + "\t" + n(p.v[2]) + "\t" + n(p.v[3]) + std::string(13, '\t') + "\r\n";
  }
  return out + "\r\n";
}

// Copies a zip archive, replacing (or adding) one member.
void ReplaceMember(const fs::path& from, const fs::path& to, const std::string& member, const std::string& bytes) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  int err = 0;
  zip_t* z = zip_open(to.c_str(), 0, &err);
  ASSERT_NE(z, nullptr);
  zip_source_t* src = zip_source_buffer(z, bytes.data(), bytes.size(), 0);
  ASSERT_GE(zip_file_add(z, member.c_str(), src, ZIP_FL_OVERWRITE), 0);
  ASSERT_EQ(zip_close(z), 0);
}

// --- 1. a workbook attaches ----------------------------------------------------------------

class StartWithWorkbook : public JourneyTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(StartWithWorkbook, WritesTheDataFileAndDrawsTheTrajectory) {
  const std::string name = GetParam();
  fs::path book = home / name;
  std::string expected;
  if (name == "written.xlsx") {
    WriteOrbitBook(book, 40, 0.75);
    expected = ExpectedOrbitFile(name, 40, 0.75);
  } else {
    fs::copy_file(Fixture("spreadsheet/" + name), book);
    expected = ReadBytes(Fixture("journey/" + name + ".vnx"));
    ASSERT_FALSE(expected.empty());
  }
  const std::string before = ReadBytes(book);
  env.Set("VANTREL_WORKBOOK", book.c_str());
  StartProgram();

  EXPECT_TRUE(boxes.empty()) << boxes.front().title << ": " << boxes.front().text;
  EXPECT_EQ(ReadBytes(CurrentDataFile()), expected);
  EXPECT_EQ(datastore::Store().SourceMode, 0);
  EXPECT_GT(datastore::Store().LastDataRow, 10);
  EXPECT_TRUE(WaitFor([&] { return PlotPixels(Frame()) > 100; }, 15)) << "no trajectory in the view";
  if (HasFailure()) {
    Frame().save(QString::fromStdString("/tmp/journey_" + name + ".png"));
    fs::copy_file(book, "/tmp/journey_" + name, fs::copy_options::overwrite_existing);
  }
  EXPECT_EQ(ReadBytes(book), before) << "the workbook was written";
  // The next start without VANTREL_WORKBOOK attaches the same workbook again.
  EXPECT_EQ(platform::GetSetting(platform::kSettingsApp, "App", ui::kLastWorkbookKey, ""), book.string());
}

INSTANTIATE_TEST_SUITE_P(Workbooks, StartWithWorkbook, ::testing::Values("orbit.xlsx", "orbit.ods", "written.xlsx"),
                         [](const auto& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (c == '.') c = '_';
                           return n;
                         });

// --- 2. nothing to attach ------------------------------------------------------------------

TEST_F(JourneyTest, NoWorkbookAsksThenShowsTheDemo) {
  Answer({QMessageBox::Cancel});
  StartProgram();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].title, "Excel not running!");
  EXPECT_EQ(boxes[0].text, "You can open your Excel speadsheet NOW, and after click on OK.  \n"
                           "Else, click on Cancel to show, if exist, the previous plot, or the original demo.");
  // The reader then says the demo will be shown.
  ASSERT_EQ(boxes.size(), 2u) << boxes.back().title << ": " << boxes.back().text;
  EXPECT_EQ(boxes[1].title, "Demo default");
  EXPECT_GT(datastore::Store().LastDataRow, 5);
  // The demo is drawn: the view shows much more than its background.
  EXPECT_TRUE(WaitFor([&] { return ScenePixels(Frame()) > 2000; }, 60)) << ScenePixels(Frame());
  EXPECT_FALSE(fs::exists(CurrentDataFile()));
}

// --- 3. the mouse in the view --------------------------------------------------------------

struct CameraShot {
  glview::Vec3f eye, target, up;
  double l, r, b, t;
};

CameraShot Shot(glview::GlView& v) {
  CameraShot s{v.Camera().Eye(), v.Camera().Target(), v.Camera().Up(), 0, 0, 0, 0};
  v.Camera().GetOrtho(s.l, s.r, s.b, s.t);
  return s;
}

bool Same(const glview::Vec3f& a, const glview::Vec3f& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }
glview::Vec3f Minus(const glview::Vec3f& a, const glview::Vec3f& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double Length(const glview::Vec3f& a) { return std::sqrt(double(a.x) * a.x + double(a.y) * a.y + double(a.z) * a.z); }
bool Near(const glview::Vec3f& a, const glview::Vec3f& b, double tol) { return Length(Minus(a, b)) <= tol; }

// What a left-button drag does to the camera in each tool mode.
enum class Drag { kNothing, kPan, kZoomIn, kDolly, kTurn, kRoll };

TEST_F(JourneyTest, DragsInEveryToolModeDoWhatTheToolSaysAndNeverCrash) {
  WriteOrbitBook(home / "orbit.xlsx", 40, 1);
  env.Set("VANTREL_WORKBOOK", (home / "orbit.xlsx").c_str());
  StartProgram();
  datastore::Store().SettingsBlock.OptNoLogoLabel = 0;  // the product name drawn in 3D
  view::Shared().ShowLabels = 1;                        // and the texts at the current point
  glview::GlView& v = *View();
  const QPoint c(v.width() / 2, v.height() / 2);
  auto drag = [&](QPoint from, QPoint to) {
    QTest::mousePress(&v, Qt::LeftButton, {}, from);
    for (int k = 1; k <= 4; ++k) {
      const QPoint at = from + (to - from) * k / 4;
      QMouseEvent e(QEvent::MouseMove, QPointF(at), v.mapToGlobal(QPointF(at)), Qt::NoButton, Qt::LeftButton,
                    Qt::NoModifier);
      QApplication::sendEvent(&v, &e);
      QCoreApplication::processEvents();
    }
    QTest::mouseRelease(&v, Qt::LeftButton, {}, to);
    QCoreApplication::processEvents();
  };
  // Modes 13 to 16 are one-shot commands (their effect comes with the mode, not with the mouse).
  const Drag expected[18] = {Drag::kNothing,
                             Drag::kPan,      // 1 select, nothing picked
                             Drag::kNothing,  // 2 move
                             Drag::kNothing,  // 3 rotate
                             Drag::kNothing,  // 4 arcrotate
                             Drag::kNothing,  // 5 scale
                             Drag::kZoomIn,   // 6 zoom, moved up
                             Drag::kDolly,    // 7 dolly, moved up: towards the target
                             Drag::kPan,      // 8 pan
                             Drag::kNothing,  // 9 orbit
                             Drag::kTurn,     // 10 pitch
                             Drag::kTurn,     // 11 yaw
                             Drag::kRoll,     // 12 roll
                             Drag::kNothing,  // 13 zminus
                             Drag::kNothing,  // 14 zplus
                             Drag::kNothing,  // 15 lightback
                             Drag::kNothing,  // 16 stop
                             Drag::kPan};     // 17 frozenstart
  for (long mode = 1; mode <= 17; ++mode) {
    SCOPED_TRACE("tool mode " + std::to_string(mode));
    Gl().SetEditState(mode);
    const CameraShot before = Shot(v);
    drag(c, c + QPoint(40, -60));  // right and up
    const CameraShot after = Shot(v);
    const double width = before.r - before.l, afterWidth = after.r - after.l;
    const bool sameExtents = after.l == before.l && after.r == before.r && after.b == before.b && after.t == before.t;
    switch (expected[mode]) {
      case Drag::kNothing:
        EXPECT_TRUE(Same(before.eye, after.eye) && Same(before.target, after.target) && Same(before.up, after.up));
        EXPECT_TRUE(sameExtents);
        break;
      case Drag::kPan:  // eye and target shift together
        EXPECT_FALSE(Same(before.eye, after.eye)) << "pan moved nothing";
        EXPECT_TRUE(Near(Minus(after.eye, before.eye), Minus(after.target, before.target), 1e-3 * Length(before.eye)));
        EXPECT_EQ(afterWidth, width);
        break;
      case Drag::kZoomIn:
        EXPECT_LT(afterWidth, width);
        EXPECT_TRUE(Same(before.eye, after.eye) && Same(before.target, after.target));
        break;
      case Drag::kDolly:
        EXPECT_LT(Length(Minus(after.eye, after.target)), Length(Minus(before.eye, before.target)));
        EXPECT_TRUE(Same(before.target, after.target));
        EXPECT_TRUE(sameExtents);
        break;
      case Drag::kTurn:  // the view direction turns about the eye
        EXPECT_TRUE(Same(before.eye, after.eye));
        EXPECT_FALSE(Same(Minus(before.target, before.eye), Minus(after.target, after.eye)));
        EXPECT_TRUE(sameExtents);
        break;
      case Drag::kRoll:  // the up vector turns about the view direction
        EXPECT_TRUE(Same(before.eye, after.eye) && Same(before.target, after.target));
        EXPECT_FALSE(Same(before.up, after.up));
        EXPECT_TRUE(sameExtents);
        break;
    }
  }
  // A double-click's first press, and picks over the drawn trajectory, live too.
  Gl().SetEditState(8);
  QTest::mouseDClick(&v, Qt::LeftButton, {}, c);
  QTest::mouseDClick(&v, Qt::LeftButton, {}, c);
  // The drags left the camera anywhere: the ISO button brings the trajectory back in view.
  window->Toolbar1->Button(12).action()->trigger();
  EXPECT_TRUE(WaitFor([&] { return PlotPixels(Frame()) > 50; }, 15)) << "the view no longer draws the trajectory";
}

// --- 4. at rest, and animating -------------------------------------------------------------

TEST_F(JourneyTest, AFrozenViewDrawsNothingAndRests) {
  WriteOrbitBook(home / "orbit.xlsx", 40, 1);
  env.Set("VANTREL_WORKBOOK", (home / "orbit.xlsx").c_str());
  StartProgram();
  glview::GlView& v = *View();
  int paints = 0;
  bool timerOverdue = false;  // a frame timed further ahead than one refresh period
  const int period = int(std::ceil(v.FramePeriodMs()));
  struct Counter : QObject {
    std::function<void()> onPaint;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Paint) onPaint();
      return false;
    }
  } counter;
  counter.onPaint = [&] {
    ++paints;
    const QTimer& t = v.FrameTimer();
    if (t.isActive() && (!t.isSingleShot() || t.interval() > period)) timerOverdue = true;
  };
  v.installEventFilter(&counter);
  // Running: frames come by themselves, each one timed at most one refresh period ahead.
  ASSERT_TRUE(WaitFor([&] { return paints >= 5; }, 60)) << "the running view draws";
  EXPECT_FALSE(timerOverdue);
  EXPECT_TRUE(v.Animation().Running());

  // A double-click freezes the animation: the frame in hand is the last, no frame is timed and
  // the animation timer stops.
  const QPoint c(v.width() / 2, v.height() / 2);
  QTest::mouseDClick(&v, Qt::LeftButton, {}, c);
  ASSERT_TRUE(WaitFor([&] { return !v.Animation().Running() && !v.FrameTimer().isActive(); }, 60));
  QTest::qWait(300);  // lets the frame in hand end
  paints = 0;
  QTest::qWait(1000);
  EXPECT_EQ(paints, 0) << "a frozen view draws nothing";
  EXPECT_FALSE(v.FrameTimer().isActive());
  const double cpu0 = ProcessCpuSeconds();
  QTest::qWait(2000);
  RecordProperty("idle_cpu_percent", std::to_string((ProcessCpuSeconds() - cpu0) / 2.0 * 100));

  // Requests made while frozen make one frame between them, then the view rests again.
  paints = 0;
  for (int i = 0; i < 100; ++i) v.Redraw();
  ASSERT_TRUE(WaitFor([&] { return paints >= 1; }, 60));
  QTest::qWait(500);
  EXPECT_EQ(paints, 1) << "requests in between make one frame";
  EXPECT_FALSE(v.FrameTimer().isActive());

  // A second double-click starts the frames again, paced the same way.
  timerOverdue = false;
  QTest::mouseDClick(&v, Qt::LeftButton, {}, c);
  paints = 0;
  ASSERT_TRUE(WaitFor([&] { return paints >= 5; }, 60)) << "the view draws again";
  EXPECT_FALSE(timerOverdue);
  paints = 0;
  QTest::qWait(1000);
  RecordProperty("frames_per_second", std::to_string(paints));
  v.removeEventFilter(&counter);
}

// --- 5. interactive mode follows the workbook's saves ----------------------------------------

TEST_F(JourneyTest, InteractiveModeReloadsARenameSave) {
  const fs::path book = home / "orbit.xlsx";
  WriteOrbitBook(book, 20, 0.25);
  env.Set("VANTREL_WORKBOOK", book.c_str());
  StartProgram();
  ASSERT_EQ(datastore::Store().LastDataRow, 19);
  const int quarter = PlotPixels(Frame());
  window->mnuOinteractive->action()->trigger();
  ASSERT_TRUE(WaitFor([] { return datastore::Store().SettingsBlock.InteractiveOpt == 1.0; }, 5));

  // An editor saves by writing a new file and renaming it over the old one.
  WriteOrbitBook(home / "orbit.new.xlsx", 80, 1);
  fs::rename(home / "orbit.new.xlsx", book);
  ASSERT_TRUE(WaitFor([] { return datastore::Store().LastDataRow == 79; }, 30))
      << "no reload: rows " << datastore::Store().LastDataRow << ", ExcelUsed " << datastore::Store().ExcelUsed
      << ", SourceMode " << datastore::Store().SourceMode << ", LastFormula " << datastore::Store().LastFormula
      << ", ticks running " << Gl().THEUPDATETIMER().Active();
  ASSERT_TRUE(WaitFor([] { return datastore::Store().SettingsBlock.LoadDone == 1.0; }, 30));
  EXPECT_EQ(ReadBytes(CurrentDataFile()), ExpectedOrbitFile("orbit.xlsx", 80, 1));
  // The animation runs through the new rows, and the whole circle is drawn.
  EXPECT_TRUE(WaitFor([&] { return Gl().CURRINDEXI == 79; }, 20)) << Gl().CURRINDEXI;
  EXPECT_TRUE(WaitFor([&] { return PlotPixels(Frame()) > quarter; }, 10));
}

// --- 6. File Open, Update from Excel, an image that cannot be written ------------------------

TEST_F(JourneyTest, FileOpenThenUpdateFromTheWorkbook) {
  const fs::path book = home / "orbit.xlsx";
  WriteOrbitBook(book, 20, 0.5);
  env.Set("VANTREL_WORKBOOK", book.c_str());
  StartProgram();
  ASSERT_EQ(datastore::Store().LastDataRow, 19);

  // File Open in the program's own dialog: the file name typed, then Open.
  const fs::path data = home / "points.vnx";
  fs::copy_file(Fixture("datafile/units_km.vnx"), data);
  // The dialog opens in the most recent folder of its history.
  platform::SaveSetting(platform::kSettingsApp, "OpenVNX", "Dir01.00", home.string() + "/");
  platform::SaveSetting(platform::kSettingsApp, "OpenVNX", "DirMax", "1");
  bool shown = false;
  QTimer::singleShot(500, [&] {
    ui::FrmDialog& dlg = window->fileOpen_.frmDialog();
    shown = dlg.isVisible();
    QTest::keyClicks(dlg.Filename->widget(), "points.vnx");
    QTest::mouseClick(dlg.Commande1->widget(), Qt::LeftButton);
  });
  window->mnuFOpen->action()->trigger();
  EXPECT_TRUE(shown) << "the file dialog was not shown";
  ASSERT_TRUE(WaitFor([] { return datastore::Store().CmdLineInfo.DataFileMode == 1; }, 20));
  ASSERT_TRUE(WaitFor([] { return datastore::Store().SettingsBlock.LoadDone == 1.0; }, 20));
  EXPECT_NE(datastore::Store().LastDataRow, 19);

  // Update from Excel goes back to the workbook.
  window->mnuUpdateExcel->action()->trigger();
  ASSERT_TRUE(WaitFor([] { return datastore::Store().LastDataRow == 19; }, 20));
  EXPECT_EQ(datastore::Store().CmdLineInfo.DataFileMode, 0);
}

TEST_F(JourneyTest, AnImageThatCannotBeWrittenIsReportedNotSaved) {
  WriteOrbitBook(home / "orbit.xlsx", 20, 0.5);
  env.Set("VANTREL_WORKBOOK", (home / "orbit.xlsx").c_str());
  StartProgram();
  // A folder nobody can write into: read-only for a user; for root (who writes anywhere) a path
  // through a plain file.
  fs::path folder = home / "readonly";
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  if (geteuid() == 0) {
    WriteBytes(home / "plainfile", "x");
    folder = home / "plainfile" / "images";
  }
  // The desktop's file manager is not started from a test.
  std::vector<std::string> opened;
  window->capture_->openFolder = [&](const std::string& f) { opened.push_back(f); };
  window->Text6->SetText(folder.string() + "/");
  window->Text21->SetText("");
  boxes.clear();
  window->Toolbar1->Button("imagespot").action()->trigger();
  ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }, 10)) << "no box";
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_NE(boxes[0].text.find(folder.string()), std::string::npos) << boxes[0].text;
  EXPECT_EQ(window->Text21->Text().find("saved"), std::string::npos) << window->Text21->Text();

  // Into the per-user folder it works, and says so.
  window->Text6->SetText("");
  boxes.clear();
  window->Toolbar1->Button("imagespot").action()->trigger();
  auto bmpSaved = [&] {
    std::error_code ec;
    for (auto& e : fs::directory_iterator(DataFolder(), ec))
      if (e.path().extension() == ".bmp") return true;
    return false;
  };
  EXPECT_TRUE(WaitFor([&] { return bmpSaved() || !boxes.empty(); }, 60));
  EXPECT_TRUE(boxes.empty()) << boxes.front().title << ": " << boxes.front().text;
  EXPECT_TRUE(bmpSaved());
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_NE(window->Text21->Text().find("saved"), std::string::npos);
}

TEST_F(JourneyTest, AMovieFrameThatCannotBeWrittenEndsTheRecordingWithOneBox) {
  WriteOrbitBook(home / "orbit.xlsx", 20, 0.5);
  env.Set("VANTREL_WORKBOOK", (home / "orbit.xlsx").c_str());
  StartProgram();
  WriteBytes(home / "plainfile", "x");
  const std::string folder = (home / "plainfile" / "frames").string() + "/";
  window->Text6->SetText(folder);
  boxes.clear();
  window->mnuFMovieSaveAs->action()->trigger();
  ASSERT_TRUE(window->capture_->HasFrmVideo());
  ui::FrmVideo& video = window->capture_->frmVideo();
  QTest::mouseClick(video.Command1->widget(), Qt::LeftButton);
  ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }, 20)) << "no box";
  ASSERT_TRUE(WaitFor([&] { return datastore::Store().SettingsBlock.MovieFrameNo == 0; }, 60))
      << "the recording goes on";
  QTest::qWait(1000);  // a box for a later frame would show now
  ASSERT_EQ(boxes.size(), 1u) << "one box, not one a frame";
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_NE(boxes[0].text.find(folder), std::string::npos) << boxes[0].text;
  EXPECT_EQ(datastore::Store().SettingsBlock.MovieFrameNo, 0) << "the recording ended";
  video.hide();
}

// --- 7. a workbook that cannot be read -------------------------------------------------------

TEST_F(JourneyTest, ACorruptWorkbookIsReportedWithItsReason) {
  const struct {
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* reason;
  } cases[] = {
      {"garbage.xlsx", [](const fs::path& p) { WriteBytes(p, "PK\x03\x04 this is no archive"); }, "zip"},
      {"badsheet.xlsx",
       [](const fs::path& p) {
         fs::path good = p.parent_path() / "good.xlsx";
         WriteOrbitBook(good, 10, 0.5);
         ReplaceMember(good, p, "xl/worksheets/sheet2.xml", "<worksheet><sheetData><row r=\"1\"><c r=\"A1\">");
       },
       "XML"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.make(home / c.name);
  }
  // One process, one start: the first case through the program's start, the second through
  // Update from Excel.
  env.Set("VANTREL_WORKBOOK", (home / cases[0].name).c_str());
  StartProgram();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_NE(boxes[0].text.find(cases[0].name), std::string::npos) << boxes[0].text;
  EXPECT_NE(boxes[0].text.find(cases[0].reason), std::string::npos) << boxes[0].text;
  EXPECT_FALSE(SawBox("Excel not running!"));

  boxes.clear();
  env.Set("VANTREL_WORKBOOK", (home / cases[1].name).c_str());
  window->mnuUpdateExcel->action()->trigger();
  ASSERT_TRUE(WaitFor([&] { return !boxes.empty(); }, 20));
  EXPECT_EQ(boxes[0].title, "Error");
  EXPECT_NE(boxes[0].text.find(cases[1].name), std::string::npos) << boxes[0].text;
  EXPECT_NE(boxes[0].text.find(cases[1].reason), std::string::npos) << boxes[0].text;
  EXPECT_NE(boxes[0].text.find("Orbit"), std::string::npos) << "names the sheet: " << boxes[0].text;
}

}  // namespace
}  // namespace vantrel::journey
