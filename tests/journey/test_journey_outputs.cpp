// Journeys to what the program shows: the point labels of pen-up-label mode and the "T" key,
// the wait for a typed specification of a later load, titles built with spreadsheet functions,
// the captions, the view's texts at a high pixel ratio, the colour scale's labels in logo mode.

#include <xlsxwriter.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "journey_fixture.h"
#include "datastore/demo_file.h"
#include "platform/runtime/vb.h"
#include "platform/settings/settings.h"
#include "ui/frm_dialog.h"
#include "ui/frm_video.h"

namespace vantrel::journey {
namespace {

// Green pixels: the plot's nominal colour (factory setting), its points and its labels.
std::vector<QPoint> GreenPixels(const QImage& img) {
  std::vector<QPoint> out;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb c = img.pixel(x, y);
      if (qGreen(c) > 120 && qGreen(c) > 2 * qRed(c) && qGreen(c) > 2 * qBlue(c)) out.emplace_back(x, y);
    }
  return out;
}

// A pen-up-label data file: six points far apart on a circle of 7000 km, one day apart, with
// the labels A A A B B A.
std::string PenUpLabelFile() {
  std::string out =
      "From: \tBook1\tSheet1\t=MAX(A2:C7)+MAX(D2:D7)+MAX(E2:F7)+LEN(\"Orbit penuplabel km days\")\t1.0000000000\t"
      "Orbit penuplabel km days\tDate 2026/03/05 14:07:09\tVantrel data file 2026" +
      std::string(17, '\t') + "\r\n";
  const char* labels[] = {"A", "A", "A", "B", "B", "A"};
  for (int i = 0; i < 6; ++i) {
    const double a = 2 * M_PI * i / 6;
    out += rt::Format(7000 * std::cos(a), "0.0000000000") + "\t" + rt::Format(7000 * std::sin(a), "0.0000000000") +
           "\t0\t" + std::to_string(46000 + i) + "\t" + std::to_string(46000 + i) + "\t" + labels[i] + "\r\n";
  }
  return out + "\r\n";
}

class OutputsJourney : public JourneyTest {
 protected:
  // The frame once the animation has reached the last row and the view has drawn it again.
  QImage SteadyFrame() {
    EXPECT_TRUE(WaitFor([&] { return Gl().CURRINDEXI >= datastore::Store().LastDataRow; }, 30));
    Settle();
    return Frame();
  }
  void PressT() {
    // On a button, outside the text boxes, where letters are shortcuts.
    window->Command7->SetFocus();
    QApplication::processEvents();
    QTest::keyClick(window->Command7->widget(), Qt::Key_T);
  }
};

// The labels' pixels: green in `with` and not in `without`. Each must lie beside a point (a
// green pixel of `without`), never away from the points.
struct LabelPixels {
  int count = 0, farFromPoints = 0;
};
LabelPixels Compare(const QImage& with, const QImage& without) {
  const std::vector<QPoint> points = GreenPixels(without);
  LabelPixels r;
  for (const QPoint& p : GreenPixels(with)) {
    const QRgb c = without.pixel(p);
    if (qGreen(c) > 120 && qGreen(c) > 2 * qRed(c) && qGreen(c) > 2 * qBlue(c)) continue;
    ++r.count;
    bool near = false;
    for (const QPoint& q : points)
      if (std::abs(q.x() - p.x()) < 120 && std::abs(q.y() - p.y()) < 60) {
        near = true;
        break;
      }
    if (!near) ++r.farFromPoints;
  }
  return r;
}

TEST_F(OutputsJourney, PenUpLabelsShowAfterTheActivationAndTheTKeySwapsThem) {
  const fs::path file = home / "labels.vnx";
  WriteBytes(file, PenUpLabelFile());
  StartProgram({file.string()});
  ASSERT_EQ(datastore::Store().PenUpLabelMode, 1);
  ASSERT_EQ(datastore::Store().LastDataRow, 5);
  ASSERT_EQ(datastore::Store().PointLabels(3), "B");

  const QImage on = SteadyFrame();
  PressT();
  const QImage off = SteadyFrame();
  PressT();
  const QImage again = SteadyFrame();

  const int points = int(GreenPixels(off).size());
  EXPECT_GT(points, 6) << "the points are not drawn";
  const LabelPixels first = Compare(on, off), second = Compare(again, off);
  // Six labels of one letter each: a good many pixels, all beside the points.
  EXPECT_GT(first.count, 60) << "no labels after the first activation";
  EXPECT_EQ(first.farFromPoints, 0);
  EXPECT_GT(second.count, 60) << "no labels after the second T";
  EXPECT_EQ(second.farFromPoints, 0);
  // "T" takes every label away.
  EXPECT_EQ(Compare(off, on).count, 0);
  EXPECT_LT(GreenPixels(off).size(), GreenPixels(on).size());
  if (HasFailure()) {
    on.save("/tmp/journey_labels_on.png");
    off.save("/tmp/journey_labels_off.png");
    again.save("/tmp/journey_labels_again.png");
  }
}

// A workbook whose cells hold no specification: a few numbers on its only sheet.
void WriteBookWithoutSpecification(const fs::path& path) {
  lxw_workbook* wb = workbook_new(path.c_str());
  lxw_worksheet* s = workbook_add_worksheet(wb, "Numbers");
  for (int i = 0; i < 4; ++i)
    for (int k = 0; k < 3; ++k) worksheet_write_number(s, lxw_row_t(i), lxw_col_t(k), 10.0 * i + k, nullptr);
  ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
}

TEST_F(OutputsJourney, ALaterWaitForATypedSpecificationShowsItsPromptAndRunDemo) {
  const fs::path book = home / "numbers.xlsx";
  WriteBookWithoutSpecification(book);
  env.Set("VANTREL_WORKBOOK", book.c_str());

  // The waits run inside the loads; a timer looks at each one as the user would and answers it
  // with Run Demo. A wait that shows nothing is ended after 30 s all the same, and noted.
  struct Wait {
    bool promptShown = false, buttonShown = false;
    std::string prompt, button;
  };
  std::vector<Wait> waits;
  auto since = std::chrono::steady_clock::now();
  QTimer look;
  look.setInterval(100);
  QObject::connect(&look, &QTimer::timeout, [&] {
    if (!window || datastore::Store().LoaderBusy != 1) return;
    auto* prompt = qobject_cast<QPlainTextEdit*>(window->TextTempo->widget());
    auto* demo = qobject_cast<QPushButton*>(window->Command6->widget());
    if (!prompt || !demo) return;
    const bool shown = prompt->isVisible() && demo->isVisible();
    if (!shown && std::chrono::steady_clock::now() - since < std::chrono::seconds(30)) return;
    if (window->Command6->Tag == "demo") return;  // answered, the wait is ending
    waits.push_back(
        {prompt->isVisible(), demo->isVisible(), prompt->toPlainText().toStdString(), demo->text().toStdString()});
    if (shown) QTest::mouseClick(demo, Qt::LeftButton);
    else window->Command6_Click();
  });
  look.start();

  StartProgram();
  ASSERT_EQ(waits.size(), 1u) << "the first load did not wait for a typed specification";
  // Update from Excel on the same sheet: a later load, a later wait.
  since = std::chrono::steady_clock::now();
  window->mnuUpdateExcel->action()->trigger();
  ASSERT_TRUE(WaitFor(
      [&] {
        return waits.size() == 2 && datastore::Store().LoaderBusy == 0 &&
               datastore::Store().SettingsBlock.LoadDone == 1.0;
      },
      60));
  look.stop();
  for (size_t i = 0; i < waits.size(); ++i) {
    SCOPED_TRACE(i == 0 ? "first wait" : "later wait");
    EXPECT_TRUE(waits[i].promptShown);
    EXPECT_TRUE(waits[i].buttonShown);
    EXPECT_NE(waits[i].prompt.find("Please enter the specification of the range of cells"), std::string::npos);
    EXPECT_EQ(waits[i].button, "Run Demo");
  }
  EXPECT_FALSE(window->TextTempo->Visible());
  EXPECT_FALSE(window->Command6->Visible());
}

// A workbook whose title is built with spreadsheet functions: points A:C, times in days in D,
// the number H1 and the specification in F2, the active cell.
void WriteBookWithTitle(const fs::path& path, const std::string& lenArgument) {
  lxw_workbook* wb = workbook_new(path.c_str());
  lxw_worksheet* s = workbook_add_worksheet(wb, "Orbit");
  for (int i = 0; i < 20; ++i) {
    const double a = 2 * M_PI * i / 20;
    worksheet_write_number(s, lxw_row_t(i + 1), 0, std::round(7000 * std::cos(a)), nullptr);
    worksheet_write_number(s, lxw_row_t(i + 1), 1, std::round(7000 * std::sin(a)), nullptr);
    worksheet_write_number(s, lxw_row_t(i + 1), 2, 0, nullptr);
    worksheet_write_number(s, lxw_row_t(i + 1), 3, 46000 + 0.5 * i, nullptr);
  }
  worksheet_write_number(s, 0, 7, 8059.4, nullptr);
  const std::string spec = "=LEN(" + lenArgument + ")+MAX(A2:C21)+MAX(D2:D21)";
  worksheet_write_formula_num(s, 1, 5, spec.c_str(), nullptr, 61234);
  worksheet_set_selection(s, 1, 5, 1, 5);
  ASSERT_EQ(workbook_close(wb), LXW_NO_ERROR);
}

TEST_F(OutputsJourney, ATitleBuiltWithFunctionsKeepsItsTextAndItsUnits) {
  const fs::path book = home / "titled.xlsx";
  WriteBookWithTitle(book, R"("Orbit "&TEXT(H1,"0")&" km days "&UPPER(LEFT("moonlight",4))&FIXED(H1/1000,1))");
  env.Set("VANTREL_WORKBOOK", book.c_str());
  StartProgram();
  const datastore::DataStore& st = datastore::Store();
  EXPECT_NE(st.PlotTitle.find("Orbit 8059"), std::string::npos) << st.PlotTitle;
  EXPECT_NE(st.PlotTitle.find("MOON8.1"), std::string::npos) << st.PlotTitle;
  // "days": the times stay in days, never divided as seconds.
  ASSERT_EQ(st.LastDataRow, 19);
  EXPECT_EQ(st.DataTable(3, 0), 46001.5);
  EXPECT_EQ(window->Text20->Text().find("not evaluated"), std::string::npos) << window->Text20->Text();
}

TEST_F(OutputsJourney, ATitleFunctionThatCannotBeEvaluatedIsNamedInTheLog) {
  const fs::path book = home / "titled.xlsx";
  WriteBookWithTitle(book, R"("Orbit "&TEXT(NOW(),"yyyy")&" days")");
  env.Set("VANTREL_WORKBOOK", book.c_str());
  StartProgram();
  // The cell's own value stands as the title, and the log names the function.
  EXPECT_EQ(datastore::Store().PlotTitle.find("Orbit"), std::string::npos) << datastore::Store().PlotTitle;
  EXPECT_NE(window->Text20->Text().find("function NOW"), std::string::npos) << window->Text20->Text();
}

// --- captions against their controls -------------------------------------------------------

// The caption of a control the user reads: a label, a check box, a button, a read-only box.
QString CaptionOf(QWidget* w) {
  if (auto* l = qobject_cast<QLabel*>(w)) return l->wordWrap() ? QString() : l->text();
  if (auto* c = qobject_cast<QCheckBox*>(w)) return c->text();
  if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->isReadOnly() ? e->text() : QString();
  return {};
}

// The columns (in window pixels) where a widget, drawn `extra` pixels wider than it is, puts
// ink: pixels that differ from the colour of their row next to the right border. The frame's 3
// pixels on either side are left out.
std::pair<int, int> InkColumns(QWidget* w, int extra) {
  const QSize size = w->size();
  w->resize(size.width() + extra, size.height());
  const QImage img = w->grab().toImage();
  w->resize(size);
  const double ratio = img.devicePixelRatio();
  const int border = int(std::lround(3 * ratio));
  int left = img.width(), right = -1;
  for (int y = border; y < img.height() - border; ++y) {
    const QRgb bg = img.pixel(img.width() - 2 * border, y);
    for (int x = border; x < img.width() - 2 * border; ++x) {
      const QRgb c = img.pixel(x, y);
      if (std::abs(qRed(c) - qRed(bg)) + std::abs(qGreen(c) - qGreen(bg)) + std::abs(qBlue(c) - qBlue(bg)) > 120) {
        left = std::min(left, x);
        right = std::max(right, x);
      }
    }
  }
  if (right < 0) return {left, right};
  return {int(std::floor(left / ratio)), int(std::ceil((right + 1) / ratio)) - 1};
}

// Every caption shown in `top` fits its control (drawn wider, its text ends inside the control's
// own width; a button's centred text is no wider than the button) and no other control covers
// it, but for the pairs in `overlapsKept`.
void ExpectCaptionsFit(QWidget* top, const std::vector<std::pair<std::string, std::string>>& overlapsKept,
                       std::vector<std::string>& seen) {
  for (QWidget* w : top->findChildren<QWidget*>()) {
    const QString text = CaptionOf(w);
    if (text.trimmed().isEmpty() || !w->isVisibleTo(top) || w->width() < 8) continue;
    const std::string name = w->objectName().toStdString() + " \"" + text.toStdString() + "\"";
    seen.push_back(name);
    const bool centred = qobject_cast<QPushButton*>(w) != nullptr;
    // The caption alone: the widget drawn wide without its text gives the ink of its frame
    // and box, which is left out.
    const auto [left, right] = InkColumns(w, 400);
    ASSERT_GE(right, 0) << name << ": no text drawn";
    if (centred) EXPECT_LE(right - left + 1, w->width() - 8) << name << " is wider than its button";
    else
      EXPECT_LT(right, w->width() - 3) << name << " is cut: its text needs " << right + 4 << " of " << w->width()
                                       << " pixels";
    // No control stacked above it covers its text (the view under the side controls does not).
    const auto [shownLeft, shownRight] = InkColumns(w, 0);
    const QRect inkRect(w->mapTo(top, QPoint(shownLeft, 0)), QSize(shownRight - shownLeft + 1, w->height()));
    const QObjectList& siblings = w->parentWidget()->children();
    for (qsizetype k = siblings.indexOf(w) + 1; k < siblings.size(); ++k) {
      auto* o = qobject_cast<QWidget*>(siblings[k]);
      if (!o || !o->isVisibleTo(top) || o->width() == 0 || o->isWindow()) continue;
      const std::string a = w->objectName().toStdString(), b = o->objectName().toStdString();
      bool kept = false;
      for (const auto& [x, y] : overlapsKept) kept = kept || (x == a && y == b) || (x == b && y == a);
      if (kept) continue;
      const QRect og(o->mapTo(top, QPoint(0, 0)), o->size());
      EXPECT_FALSE(og.intersects(inkRect.adjusted(1, 3, -1, -3))) << name << " is covered by " << b;
    }
  }
}

TEST_F(OutputsJourney, EveryCaptionFitsItsControlAtTheDesignSize) {
  const fs::path file = home / "labels.vnx";
  WriteBytes(file, PenUpLabelFile());
  StartProgram({file.string()});
  std::vector<std::string> seen;
  // The main window, with the options panel, its satellite line and the thrust box shown.
  window->Options->SetVisible(true);
  window->Check11->SetVisible(true);
  window->Text16->SetVisible(true);
  window->Label1(1).SetCaption("Length Axis Factor/Cubic");
  window->HScroll3->SetValue(891);
  Settle();
  ExpectCaptionsFit(window.get(), {{"Text7", "Text8"}}, seen);
  window->grab().save("/tmp/vantrel_captions_main.png");

  // The movie window.
  window->mnuFMovieSaveAs->action()->trigger();
  ASSERT_TRUE(window->capture_->HasFrmVideo());
  ui::FrmVideo& video = window->capture_->frmVideo();
  ASSERT_TRUE(WaitFor([&] { return video.isVisible(); }, 10));
  Settle();
  ExpectCaptionsFit(&video, {}, seen);
  video.grab().save("/tmp/vantrel_captions_movie.png");
  video.hide();

  // The file dialog, a file chosen so that its size and date line is filled.
  platform::SaveSetting(platform::kSettingsApp, "OpenVNX", "Dir01.00", home.string() + "/");
  platform::SaveSetting(platform::kSettingsApp, "OpenVNX", "DirMax", "1");
  bool looked = false;
  QTimer::singleShot(500, [&] {
    ui::FrmDialog& dlg = window->fileOpen_.frmDialog();
    auto* list = dlg.Fichier1->widget()->findChild<QListWidget*>();
    if (!list) list = qobject_cast<QListWidget*>(dlg.Fichier1->widget());
    if (list && list->count() > 0) {
      const QRect r = list->visualItemRect(list->item(0));
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
    }
    QTest::qWait(300);
    EXPECT_FALSE(dlg.Text1->Text().empty()) << "no file information shown";
    ExpectCaptionsFit(&dlg, {}, seen);
    dlg.grab().save("/tmp/vantrel_captions_dialog.png");
    looked = true;
    QTest::mouseClick(dlg.Commande2->widget(), Qt::LeftButton);
  });
  window->mnuFOpen->action()->trigger();
  ASSERT_TRUE(WaitFor([&] { return looked; }, 20));
  // The captions the reports named were among those measured.
  for (const char* named : {"seconds between Frames", "CubicView range and Axis length", "Length Axis Factor/Cubic",
                            "Satellite size 892", "Only thrust or Whole orbit", "Bytes"}) {
    bool found = false;
    for (const std::string& s : seen) found = found || s.find(named) != std::string::npos;
    EXPECT_TRUE(found) << named << " was not measured";
  }
}

// --- the view's texts on a high-density screen --------------------------------------------

// Rows of white ink (the window texts on the dark background) in the top left of a frame.
std::pair<int, int> WhiteRows(const QImage& img, int width, int height) {
  int top = -1, bottom = -1;
  for (int y = 0; y < std::min(height, img.height()); ++y)
    for (int x = 0; x < std::min(width, img.width()); ++x) {
      const QRgb c = img.pixel(x, y);
      if (qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200) {
        if (top < 0) top = y;
        bottom = y;
        break;
      }
    }
  return {top, bottom};
}

// Run at QT_SCALE_FACTOR 1 and 2 (CTest runs both): the view draws every device pixel, and the
// title keeps its size relative to the window: its capitals are as many window pixels high.
TEST_F(OutputsJourney, TheViewsTextsFollowThePixelRatio) {
  const fs::path file = home / "labels.vnx";
  WriteBytes(file, PenUpLabelFile());
  StartProgram({file.string()});
  const double ratio = View()->devicePixelRatioF();
  const QImage frame = SteadyFrame();
  EXPECT_EQ(frame.width(), int(std::lround(View()->width() * ratio)));
  EXPECT_EQ(frame.height(), int(std::lround(View()->height() * ratio)));
  // The title "Orbit" at the top left: its letters stand about 10 window pixels high.
  const auto [top, bottom] = WhiteRows(frame, int(160 * ratio), int(40 * ratio));
  ASSERT_GE(top, 0) << "no title";
  const double high = (bottom - top + 1) / ratio;
  EXPECT_GE(high, 8) << "the title is " << bottom - top + 1 << " device pixels high at a ratio of " << ratio;
  EXPECT_LE(high, 14);
  if (HasFailure()) frame.save(QString("/tmp/journey_ratio_%1.png").arg(ratio));
}


// The box of the pixels of one pure colour (each channel within 30 of it), and their number.
struct ColourInk {
  QRect box;
  int count = 0;
};
ColourInk InkOf(const QImage& img, QRgb colour, const std::vector<bool>* leftOut = nullptr) {
  ColourInk ink;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      if (leftOut && (*leftOut)[size_t(y) * img.width() + x]) continue;
      const QRgb c = img.pixel(x, y);
      if (std::abs(qRed(c) - qRed(colour)) > 30 || std::abs(qGreen(c) - qGreen(colour)) > 30 ||
          std::abs(qBlue(c) - qBlue(colour)) > 30)
        continue;
      ++ink.count;
      ink.box = ink.box.united(QRect(x, y, 1, 1));
    }
  return ink;
}

// The pixels of the colour scale's bar and those near them: the bar is a ramp, so each of its pure
// colours has, a few rows away, a hue between two of them (three channels well apart), which the
// labels, pure colours shaded towards white, never have.
std::vector<bool> NearRampBar(const QImage& img) {
  const int w = img.width(), h = img.height();
  std::vector<bool> between(size_t(w) * h), near(size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int ch[] = {qRed(img.pixel(x, y)), qGreen(img.pixel(x, y)), qBlue(img.pixel(x, y))};
      std::sort(std::begin(ch), std::end(ch));
      between[size_t(y) * w + x] = ch[2] - ch[0] > 150 && ch[1] - ch[0] > 50 && ch[2] - ch[1] > 50;
    }
  // The bar's columns hold many such pixels; its pure ends and bands are left out with them.
  std::vector<int> inColumn(size_t(w), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) inColumn[size_t(x)] += between[size_t(y) * w + x] ? 1 : 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      bool barColumn = false;
      for (int d = -2; d <= 2 && !barColumn; ++d) barColumn = x + d >= 0 && x + d < w && inColumn[size_t(x + d)] >= 8;
      near[size_t(y) * w + x] = barColumn;
      for (int d = -3; d <= 3 && !near[size_t(y) * w + x]; ++d)
        if (y + d >= 0 && y + d < h && between[size_t(y + d) * w + x]) near[size_t(y) * w + x] = true;
    }
  return near;
}

// Logo mode draws the colour scale's labels large beside a bar of a few pixels: they stand in one
// column beside it, in the ramp's order, apart and inside the view, at every window size.
TEST_F(OutputsJourney, LogoModeScaleLabelsStandInOneColumnInsideTheView) {
  // The demo's first 400 rows, its title asking for logo mode.
  std::string text = datastore::DemoFileText();
  size_t end = 0;
  for (int line = 0; line < 401 && end != std::string::npos; ++line) end = text.find("\r\n", end + 2);
  text = text.substr(0, end + 2) + "\r\n";
  for (const char* after : {"\"", "\t"})
    for (size_t at; (at = text.find(std::string("kmdays valz") + after)) != std::string::npos;)
      text.replace(at, 11, "kmdays valz quorvel");
  const fs::path file = home / "logo.vnx";
  WriteBytes(file, text);
  StartProgram({file.string()});
  ASSERT_EQ(datastore::Store().SettingsBlock.LogoMode, 1.0);
  ASSERT_EQ(datastore::Store().ValuesMode, 1);
  // The spacecraft at its smallest: its blue body and red plume, wherever the animation has
  // brought them, are not taken for labels.
  datastore::Store().SettingsBlock.SatelliteSize = 0;

  // Labels of the ramp in its order whose colours nothing else in this scene has: the magenta
  // "2" and the cyan "5" (the plot is green; the spacecraft, the axis letters and the thrust bar,
  // wherever the animation has brought them, are blue, red and yellow).
  const QRgb colours[] = {qRgb(255, 0, 255), qRgb(0, 255, 255)};
  const QSize sizes[] = {window->size(), QSize(700, 500), QSize(1100, 420)};
  for (const QSize& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width()) + " x " + std::to_string(size.height()));
    window->resize(size);
    Settle();
    const QImage frame = Frame();
    std::vector<QRect> labels;
    // The bar's own colours are not its labels: its pixels are left out of the labels' ink.
    const std::vector<bool> bar = NearRampBar(frame);
    for (QRgb colour : colours) {
      const ColourInk ink = InkOf(frame, colour, &bar);
      EXPECT_GT(ink.count, 40) << "no label of colour " << std::hex << colour;
      labels.push_back(ink.box);
    }
    const QRect inside = frame.rect().adjusted(1, 1, -1, -1);
    int leftMost = frame.width(), leftLeast = 0;
    for (size_t k = 0; k < labels.size(); ++k) {
      EXPECT_TRUE(inside.contains(labels[k])) << "label " << k << " is cut by the view's edge";
      leftMost = std::min(leftMost, labels[k].left());
      leftLeast = std::max(leftLeast, labels[k].left());
      for (size_t j = 0; j < k; ++j) EXPECT_FALSE(labels[j].intersects(labels[k])) << j << " and " << k << " overlap";
    }
    // One column: the labels start within a few pixels of each other, not a step apart.
    EXPECT_LT(leftLeast - leftMost, 12) << "the labels step sideways";
    // In the ramp's order, from the first label to the last, up or down.
    const int way = labels.back().center().y() < labels.front().center().y() ? -1 : 1;
    for (size_t k = 1; k < labels.size(); ++k)
      EXPECT_GT(way * labels[k].center().y(), way * labels[k - 1].center().y()) << k;
    if (HasFailure()) frame.save(QString("/tmp/journey_logo_%1.png").arg(size.width()));
  }
}

}  // namespace
}  // namespace vantrel::journey
