#include "view/class_gl.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <QCoreApplication>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <limits>

#include "datastore/state.h"
#include "platform/forms/msgbox.h"
#include "platform/glview/glview.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/vb.h"
#include "view/capture.h"
#include "view/gl_colour.h"
#include "view/view_shared.h"

namespace vantrel::view {
namespace {

constexpr long kTextPink = 16733610;  // the 3-D texts' colour, 0xFF55AA

// The GLU error callback of the quadric: the error text is looked up and nothing is shown.
void GLAPIENTRY GluErrorCallback(GLenum errorCode) {
  const GLubyte* text = gluErrorString(errorCode);
  (void)text;
}

long PackColour(const datastore::Rgb& c) { return long(rt::CLng(c[0] * 65536 + c[1] * 256 + c[2])); }

}  // namespace

bool ClassGl::SilentSceneError(int number) {
  switch (number) {
    case 94:
    case 6:
    case 53:
    case 52:
    case 5:
    case 75:
    case 9: return true;
    default: return false;
  }
}

ClassGl::ClassGl(glview::GlView* control) : control_(control) {
  // The timer exists from here on but ticks only once the first fit gives it an interval.
  timer_.ThatTime = [this] { TheUpdateTimer_ThatTime(); };
  TimerInterval = 1;
  loadWatch_.setInterval(15);
  QObject::connect(&loadWatch_, &QTimer::timeout, &posts_, [this] {
    if (datastore::Store().LoaderBusy != 1) ResumeAfterLoad();
  });
  ViewShared& vs = Shared();
  vs.TitleSuffix = " ";
  vs.ProductName = "Vantrel";
  datastore::DataStore& st = datastore::Store();
  st.PlotTitle = "";
  SceneExtent = 100;
  st.ScaleFactor = 1.0;
}

ClassGl::~ClassGl() {
  timer_.ThatTime = nullptr;
  ViewShared& vs = Shared();
  if (vs.GluQuadric) {
    gluDeleteQuadric(vs.GluQuadric);
    vs.GluQuadric = nullptr;
  }
  // The bodies' quadrics (made once, at their first frame).
  for (void*& q : SceneQuadric) {
    if (q) gluDeleteQuadric(static_cast<GLUquadric*>(q));
    q = nullptr;
  }
  if (AxesList != 0 && control_ && control_->MakeCurrent()) {
    glDeleteLists(AxesList, 1);
    control_->DoneCurrent();
  }
}

// The view control sets its context up itself: it takes no init, GL or start-up option.
void ClassGl::init() {}

// --- animation indices --------------------------------------------------------------------

void ClassGl::ChangeCURRINDEXI(double& Nbre_in, double& currentCURRINDEXI) {
  datastore::DataStore& st = datastore::Store();
  st.AnimState = currentCURRINDEXI == Nbre_in ? 1 : 0;
  currentCURRINDEXI = CURRINDEXI;  // when both name one variable, Nbre_in reads it back too
  CURRINDEXI = rt::CLng(Nbre_in);
  if (st.AnimState == 0) currentCURRINDEXI = 0;
}

void ClassGl::ChangeCURRINDEXMINI(double& Nbre_in, double& currentCURRINDEXMINI) {
  datastore::DataStore& st = datastore::Store();
  if (currentCURRINDEXMINI == Nbre_in) st.AnimState = 2;
  currentCURRINDEXMINI = CURRINDEXMINI;
  CURRINDEXMINI = rt::CLng(Nbre_in);
  if (st.AnimState == 0) currentCURRINDEXMINI = 0;
}

void ClassGl::ChangeSTEPPT(double& step) { datastore::Store().STEPPT = step; }

// --- GL context and frames ----------------------------------------------------------------

void ClassGl::InitGL() {
  if (!control_) return;
  glview::GlView& c = *control_;
  datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  const auto bg = GlColour(sb.ColourBackground);
  glClearColor(bg[0], bg[1], bg[2], 1);

  glview::Light& light = c.Lights().Item(1);
  light.SetColour3(0, 1, 1, 1);
  light.SetColour2(1, 0, 1, 1);
  light.SetColour1(1, 1, 0, 1);
  light.SetPosition(10, 30, 150);
  light.SetEnabled(true);

  glview::GlCamera& cam = c.Camera();
  cam.SetUp(0, 1, 0);
  cam.SetTarget(0, 0, 0);
  cam.SetEye(100, 100, 100);
  cam.SetFarPlane(10000.0);
  cam.SetNearPlane(-10000.0);
  cam.SetViewAngle(180.0);
  cam.SetProjectionType(1);

  SceneMaterial = c.CreateMaterial();
  SceneMaterial->SetFace(GL_FRONT);
  SceneMaterial->SetAmbient(0.1f, 0.1f, 0.1f, 1);
  SceneMaterial->SetDiffuse(0.3f, 0.3f, 0.7f, 1);
  SceneMaterial->SetSpecular(0.6f, 0.6f, 0.6f, 1);
  SceneMaterial->SetSpecExp(60);

  MaterialRefs = {&c.Materials().Item(15), &c.Materials().Item(13), &c.Materials().Item(14), &c.Materials().Item(16)};

  if (SceneExtent == 0) SceneExtent = 90;
  double e = SceneExtent;
  c.SetSceneExtent(e, e, e);

  Grids = false;

  // A new context: the quadric and the axes list of an earlier one are gone with it.
  ViewShared& vs = Shared();
  if (vs.GluQuadric) gluDeleteQuadric(vs.GluQuadric);
  vs.GluQuadric = gluNewQuadric();
  if (vs.GluQuadric) gluQuadricCallback(vs.GluQuadric, GLU_ERROR, reinterpret_cast<_GLUfuncptr>(&GluErrorCallback));
  AxesList = 0;

  ViewDC = c.hDC();
  EditState = 1;

  glDisable(GL_LIGHTING);
  glEnable(GL_MAP1_VERTEX_3);
  glShadeModel(GL_FLAT);

  cam.SetOrtho(-SceneExtent, SceneExtent, -SceneExtent, SceneExtent);

  glEnable(GL_CULL_FACE);
  glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);

  c.Fonts().CreateOutlineFont(c.hDC(), FontOutline, "Comic Sans MS", true, false, 0.1);
  c.Fonts().CreateBitmapFont(c.hDC(), FontLabels, "Arial", true, true, 9);
  c.Fonts().CreateBitmapFont(c.hDC(), FontSmall, "Arial", true, true, 6);
}

// A load fills the tables row by row while the window pumps its events: the view draws nothing
// meanwhile (the progress bar tells the load), so that the frames neither take the cores the load
// runs on nor fit a scene to half-filled tables. Its animation is held until the load ends.
bool ClassGl::PausedForLoad(glview::GlView& c) {
  if (datastore::Store().LoaderBusy != 1) return false;
  if (c.Animation().Running()) {
    resumeAnimation_ = true;
    c.Animation().SetRunning(false);
  }
  if (!loadWatch_.isActive()) loadWatch_.start();
  return true;
}

void ClassGl::ResumeAfterLoad() {
  loadWatch_.stop();
  if (!control_) return;
  if (resumeAnimation_) {
    resumeAnimation_ = false;
    control_->Animation().SetRunning(true);
  }
  control_->Redraw();
}

void ClassGl::Draw() {
  // While an error box of the scene is open no frame is drawn.
  if (errorBoxOpen_ || !control_) return;
  glview::GlView& c = *control_;
  if (PausedForLoad(c)) return;
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;

  if (sb.LogoMode != 0) {
    sb.OptNoColourAxisX = 1.0;
    sb.OptLargeChars = 1.0;
    sb.OptNoLogoLabel = 1.0;
    sb.OptNoOriginLabel = 1.0;
    sb.OptNoTimeMoving = 1.0;
    sb.ColourBackground = {255, 255, 255};
    sb.AxisLineThickness = 18;
    sb.LinePlotThickness = 3;
    sb.ColourAxis = {128, 0, 128};
    sb.ColourAxisLabels = {40, 0, 255};
    sb.AxisLengthFactor = 0.0002;
  }

  if (double(st.LastDataRow) + double(st.EventCount) != 0 && st.SceneFitDone == 0) {
    ScaleDataToScene();
    if (sb.LoadDone == 1.0) st.SceneFitDone = 1;
  }

  c.Animation().Update();
  if (Grids) c.DrawGrid();

  glPushMatrix();
  if (sb.OptNoEarth == 0 && st.IsoScaleMode == 1 && sb.OptNoColourAxisX == 1.0 && sb.OptNoOriginLabel == 0)
    c.Fonts().DrawText3D(FontOutline, "RuzavI", float(st.ScaleFactor * 6978.137), 0, 0, 3, kTextPink);
  if (sb.OptNoLogoLabel == 0)
    c.Fonts().DrawText3D(FontOutline, Shared().ProductName, float(SceneExtent), 0, 0, 1, kTextPink);

  double E = SceneExtent, L = sb.LabelPositionFactor, A = sb.AxisLengthFactor;
  LabelDistance = L == 0 ? E : E * L * 0.6;
  if (A != 0) LabelDistance = L == 0 ? E * A * 0.65 : E * A * 0.65 * L;

  if (sb.LogoMode == 0.5) {
    c.Fonts().CreateBitmapFont(c.hDC(), FontLabels, "Arial", true, true, 30);
    sb.LogoMode = 1.0;
  }
  if (sb.OptNoPlotAxis == 0) DrawAxisLetters(c);
  glPopMatrix();

  glClear(GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glEnable(GL_BLEND);
  glLineWidth(sb.AxisLineThickness != 0 ? float(sb.AxisLineThickness) : 0.1f);

  DrawAxesList(c);

  if (sb.LinePlotThickness == 0) {
    glLineWidth(0.1f);
    glPointSize(0.1f);
  } else {
    glLineWidth(float(sb.LinePlotThickness));
    glPointSize(float(sb.LinePlotThickness));
    if (st.PenUpMode == 1) glPointSize(float(sb.LinePlotThickness * 15));
  }

  DrawScene(c);
}

void ClassGl::DrawAxisLetters(glview::GlView& c) {
  const datastore::SettingsRecord& sb = datastore::Store().SettingsBlock;
  long colour = PackColour(sb.ColourAxisLabels);
  float d = float(LabelDistance);
  glview::FontSet& f = c.Fonts();
  if (sb.OptLargeChars != 1.0) {
    f.DrawTextAt(FontSmall, "X ", d, 0, 0, colour);
    f.DrawTextAt(FontSmall, "Y ", 0, d, 0, colour);
    f.DrawTextAt(FontSmall, "Z ", 0, 0, d, colour);
  } else if (sb.LogoMode == 0) {
    f.DrawTextAt(FontLabels, "Z ", 0, 0, d, colour);
    f.DrawTextAt(FontLabels, "X ", d, 0, 0, colour);
    f.DrawTextAt(FontLabels, "Y ", 0, d, 0, colour);
  } else {
    f.DrawTextAt(FontLabels, "Z ", 0, 0, float(1.35 * LabelDistance), colour);
    f.DrawTextAt(FontLabels, "X ", float(0.95 * LabelDistance), float(-0.02 * LabelDistance), 0, colour);
    f.DrawTextAt(FontLabels, "Y ", float(0.05 * LabelDistance), float(0.92 * LabelDistance), 0, colour);
  }
}

void ClassGl::DrawGDI() {
  if (errorBoxOpen_ || !control_ || datastore::Store().LoaderBusy == 1) return;
  control_->DrawText2D(8, 3, Shared().TitleSuffix + "  " + datastore::Store().PlotTitle);
}

void ClassGl::Reshape(long Width, long Height, bool& handled) {
  ViewportW = Width;
  ViewportH = Height;
  // A view of no area has no camera to re-apply.
  if (control_ && Width > 0 && Height > 0) {
    glview::GlCamera& cam = control_->Camera();
    glview::Vec3f eye = cam.Eye(), target = cam.Target(), up = cam.Up();
    cam.LookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, up.x, up.y, up.z);
  }
  handled = true;
}

// --- animation timer ----------------------------------------------------------------------

void ClassGl::TheUpdateTimer_ThatTime() {
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  if (sb.ReloadRequest == 1.0 && st.DataFitted != 1) return;

  TickCountA += 1;
  if (TickCountA > 100) TickCountA -= 100;
  TickCountB += 1;
  if (TickCountB > 5) TickCountB -= 5;
  if (TickCountB != 5) return;

  if (st.STEPPT == 0) st.STEPPT = 100;
  if (st.AnimState < 1) {
    double last = st.LastDataRow;
    double next = CURRINDEXI < last - st.STEPPT ? CURRINDEXI + st.STEPPT : last;
    // A step that leaves the range of a row number is skipped.
    next = rt::RoundHalfEven(next);
    if (next >= std::numeric_limits<std::int32_t>::min() && next <= std::numeric_limits<std::int32_t>::max())
      CURRINDEXI = std::int32_t(next);
  }
  if (st.AnimState > 1) st.AnimState = 1;

  if (st.ExcelWatchState != 1) {
    if (sb.InteractiveOpt == 1.0 && TickCountA <= 6 && st.LoaderBusy != 1) {
      rt::Try([&] {
        if (ExcelWatchXls) ExcelWatchXls();
      });
    }
    if (sb.MovieFrameNo > 0) rt::Try([&] { MovieSaveAs(); });
  }
}

void ClassGl::MovieSaveAs() {
  datastore::DataStore& st = datastore::Store();
  datastore::SettingsRecord& sb = st.SettingsBlock;
  MovieState s{sb.MovieFrameNo,  sb.MovieMaxFrames,        sb.MovieInterval,        sb.MovieLastTime,
               sb.MoviePlotTime, st.MovieFileParts.Prefix, st.MovieFileParts.Folder};
  std::string fault;
  view::MovieSaveAs(s, sb.PlotDate, [&](std::string& name, std::string& folder) {
    if (control_) fault = SaveBMP(*control_, name, folder);
  });
  if (!fault.empty()) {
    // A frame that cannot be written ends the recording, with one box rather than one a frame.
    sb.MovieFrameNo = 0;
    sb.MovieLastTime = 0;
    sb.MovieArmed = 0;
    std::fprintf(stderr, "vantrel: %s\n", fault.c_str());
    forms::MsgBox(fault, 16, "Error");
  }
}

// --- the scene's error policy -------------------------------------------------------------

void ClassGl::SceneError(int number, const std::string& description) {
  Scene.ErrNumber = number;
  if (SilentSceneError(number)) return;
  frameHadError_ = true;
  std::pair<int, std::string> key{number, description};
  // Each error is shown once: not again while it keeps coming back frame after frame.
  if (shownErrors_.count(key)) return;
  for (const auto& p : pendingErrors_)
    if (p == key) return;
  pendingErrors_.push_back(std::move(key));
}

void ClassGl::PostSceneErrors() {
  if (pendingErrors_.empty() || errorsPosted_) return;
  if (!QCoreApplication::instance()) return;  // no event loop: the caller shows them
  errorsPosted_ = true;
  QTimer::singleShot(0, &posts_, [this] { ShowSceneErrors(); });
}

void ClassGl::ShowSceneErrors() {
  errorsPosted_ = false;
  if (errorBoxOpen_) return;
  errorBoxOpen_ = true;
  while (!pendingErrors_.empty()) {
    auto err = pendingErrors_.front();
    pendingErrors_.erase(pendingErrors_.begin());
    shownErrors_.insert(err);
    int answer = forms::MsgBox(err.second + "fauteComSuiteDrawBrokenLine", 1, "Error");
    Scene.ErrAnswer = answer;
    if (answer == forms::kCancel) {
      errorBoxOpen_ = false;
      rt::End();
    }
  }
  errorBoxOpen_ = false;
  if (control_) control_->Redraw();
}

}  // namespace vantrel::view
