#pragma once
// The view object: the state of the 3-D view, the frame pipeline the view control's events
// drive (InitGL, Draw, DrawGDI, Reshape), the one-time fit of loaded data into the scene, the
// axes list, the animation timer that moves the current row, and the scene routine with its
// sections in a fixed order. One object for the whole run; it reads and writes the data
// store's shared values in place (datastore::Store()).
//
// The scene's sections are members declared here and defined each in its own file
// (scene_*.cpp).

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <QObject>
#include <QTimer>

#include "datastore/services.h"
#include "datastore/tables.h"
#include "platform/runtime/rterror.h"
#include "platform/timer/timer.h"
#include "view/scene_model.h"

namespace vantrel::glview {
class GlView;
class Material;
class Texture;
}  // namespace vantrel::glview

namespace vantrel::view {

// Per-axis fit of the data: filled by the fit, read by the scene.
struct AxisFitRecord {
  double Min = 0, Max = 0, Range = 0, Offset = 0, Scale = 0;
};

// Values the scene's sections hand to one another and to the next frame. Each starts at 0
// and keeps its content until a section writes it again.
struct SceneValues {
  double AxisLength = 0;
  double CubeWallX = 0, CubeWallY = 0, CubeWallZ = 0;
  double CentralRadius = 0;  // km
  double SunRayScale = 0;
  std::array<float, 4> SunLightPos{};  // the Sun's position in 1000 km, elements 0 to 3
  std::array<double, 3> SunVector{};   // minus the Sun's position in metres (elements 1 to 3 as 0 to 2)
  double PointTime = 0;                // day number of the last point visited
  double ThrustOn = 0;                 // 1 while an event is in force
  double CentralTextureLoaded = 0, MoonTextureLoaded = 0;
  double ErrNumber = 0;  // number of the last error of the scene
  double ErrAnswer = 0;  // answer of the last error box
};

// Remembered values of the trajectory pass, the colour scale and the texts at the current
// point (each starts at 0 and keeps its content until the scene writes it again).
struct TrajectoryValues {
  std::int64_t DrawRow = 0;                   // after the main pass: one past the last row visited
  double EventRow = 0;                        // row of EventsTable walked by the event steps
  double EventValue = 0;                      // event value in force at the current row
  double LastEventValue = 0;                  // event value whose colour was last applied
  double ValueRow = 0;                        // row of ValZTable walked by the values pass
  double ValueFound = 0;                      // 1 when a ValZTable row after the current time exists
  double ValueBase = 0;                       // base of the value bars
  double ValueScale = 0;                      // scene length per value unit of the bars
  std::array<float, 3> ValueOffset{};         // the current bar's tip along X, Y, Z
  unsigned TrajPrimitive = 0;                 // GL_LINE_STRIP or GL_POINTS
  std::string LegendText;                     // first line of the value legend
  long LabelColour = 0;                       // colour of the 3-D texts at the current point
  double PointX = 0, PointY = 0, PointZ = 0;  // the current point
};

struct TrajectoryBatches;
struct TrajectoryFrame;

class ClassGl : public datastore::ViewServices {
 public:
  // Error numbers the scene skips without a message.
  static bool SilentSceneError(int number);

  // control: the view control (GlCtlRef); may be null in tests that need no drawing, in which
  // case the statements on the control are skipped.
  explicit ClassGl(glview::GlView* control = nullptr);
  ~ClassGl() override;
  ClassGl(const ClassGl&) = delete;
  ClassGl& operator=(const ClassGl&) = delete;

  // --- public members -------------------------------------------------------------------
  std::shared_ptr<glview::Texture> planet_texture;  // the central body's texture
  double MeridienDeg = 0;                           // turning angle of the central body
  double yyear = 0;
  double MeridienDegl = 0;                           // turning angle of the Moon
  std::shared_ptr<glview::Texture> planet_texturel;  // the Moon's texture

  // --- operations, in the order of the view control's needs ------------------------------
  void init();
  // Camera presets ("isonew", "isonewPlus", "proj", "projinverse").
  void CameraSet(const std::string& mode, double a, double b) override;
  void InitGL();
  void Draw();
  void DrawGDI();
  void Reshape(long Width, long Height, bool& handled);
  void KeyDown(int& KeyCode, int& Shift);
  // A coordinate of the eye after a key turn, guarded against a jump across a plane: a change
  // larger than 1 + 10 % of the old value is taken for a change of sign and undone.
  static float noSteps(double old, double now);
  void KeyPress(int& KeyAscii);
  void MouseDown(int& Button, int& Shift, float& X, float& Y);
  void MouseMove(int& Button, int& Shift, float& X, float& Y);
  void MouseUp(int& Button, int& Shift, float& X, float& Y);
  void Pick(std::vector<std::int32_t>& buffer);
  // The first usable name (not -1) of the hit with the smallest unsigned minimum depth among
  // hitCount records of a selection buffer; 0 for none. RtError 9 when the buffer is shorter
  // than its records announce.
  static long PickNearest(const std::vector<std::int32_t>& buffer, long hitCount);
  long GetEditState() const { return EditState; }
  void SetEditState(long state);
  bool GetGrids() const { return Grids; }
  void SetGrids(bool on);
  void SetCursor(long ID);

  // The animation indices. Both arguments are by reference and may be the same variable:
  // ChangeCURRINDEXI(v, v) reads the current row into v and holds the animation.
  // RtError 6 when Nbre_in does not fit a Long.
  void ChangeCURRINDEXI(double& Nbre_in, double& currentCURRINDEXI);
  void ChangeCURRINDEXMINI(double& Nbre_in, double& currentCURRINDEXMINI);
  void ChangeSTEPPT(double& step);

  // A line from the scene origin to (posxd, posyd, poszd), coloured from col01 at the origin
  // to col02 with alpha 0.6 at the end, drawn at once; the line width goes back to the plot's.
  void AddAxisFromCenter(double lineSized, double col01rd, double col01gd, double col01bd, double col02rd,
                         double col02gd, double col02bd, double posxd, double posyd, double poszd);

  // The colour of value colorNorm on the five-segment ramp from magenta (miniVALPen) to red
  // (maxiVALPen); an empty range first becomes one unit wide, also in the caller's variable.
  void ColorScale(double colorNorm, double& rred, double& ggreen, double& bblue, double& aalpha, double miniVALPen,
                  double& maxiVALPen);
  // The 32 colour-scale dots along the value axis; leaves the point size for the trajectory.
  void ScaleColorDot();
  // The three wall projections of row i of RAYT (X, Y, Z in columns 1 to 3), inside the
  // caller's GL_POINTS primitive. The two sizes are accepted and not applied.
  void DrawCubic(const datastore::NumTable<5>& RAYT, double minCubicX, double minCubicY, double minCubicZ,
                 std::int64_t i, double Specific_SizePoint, double USERFLAG_SizePoint);

  // Saves the next movie frame when one is due (the timer's movie step).
  virtual void MovieSaveAs();

  // The worksheet watcher the timer runs once in a hundred ticks; installed by the program.
  std::function<void()> ExcelWatchXls;

  // Shows the error boxes of the last frames' scene errors (posted after the frame by Draw;
  // tests call it directly). Cancel ends the program.
  void ShowSceneErrors();
  bool SceneErrorBoxOpen() const { return errorBoxOpen_; }
  bool SceneErrorsPending() const { return !pendingErrors_.empty(); }

  // The timer tick (connected to THEUPDATETIMER at creation).
  void TheUpdateTimer_ThatTime();

  // Fits the loaded tables into the scene (called by Draw).
  void ScaleDataToScene();

  // --- state, readable by the sections and the tests ------------------------------------
  glview::GlView* GlCtlRef() const { return control_; }
  timer::IntervalTimer& THEUPDATETIMER() { return timer_; }

  long EditState = 0;
  std::array<AxisFitRecord, 3> AxisFit{};
  bool Dragging = false;
  bool Grids = false;
  // Remembered values of the camera presets and of the tool modes.
  long IsoStep = 0;        // 0 to 7 (45 degrees a step); 0 to 5 for the "plus" views
  long IsoQuadrant = 0;    // quadrant 0 to 3 of the real isometric view
  double IsoAxis = 0;      // vertical axis of the isometric views: 1 X, 2 Y, 3 Z; 0 until set
  long ProjStep = 0;       // 0 to 7, the axis views
  double OrthoZoom = 0;    // half-width of the square box of zminus / zplus; 0 until set
  double LightBackOn = 0;  // 1 while the lightback mode has set the white clear colour
  long MouseX = 0, MouseY = 0;
  long PressX = 0, PressY = 0;
  float PressNdcX = 0, PressNdcY = 0;
  long ViewDC = 0;
  long ViewportW = 0, ViewportH = 0;
  std::shared_ptr<glview::Material> SceneMaterial;
  std::array<glview::Material*, 4> MaterialRefs{};
  long PickedName = 0;
  double SceneExtent = 100;
  std::int32_t CURRINDEXI = 0;
  long TimerInterval = 1;
  std::int32_t CURRINDEXMINI = 0;
  int FontOutline = 0, FontLabels = 0, FontSmall = 0;
  unsigned AxesList = 0;  // display list of the axes, rebuilt in place every frame
  double MouseStep = 0;
  std::array<void*, 2> SceneQuadric{};

  // Remembered values.
  double LabelDistance = 0;               // of Draw
  double TickCountA = 0, TickCountB = 0;  // of the timer tick
  SceneValues Scene;                      // of the scene routine
  SpacecraftValues Craft;                 // of the spacecraft model
  BoxValues Box;                          // of the box builder
  BodyValues Bodies;                      // of the bodies and the sun lighting
  TrajectoryValues Traj;                  // of the trajectory, colour scale and texts

  // The box builder of the spacecraft model. A box of half-extents (epaisseurX, largY, hautZ)
  // centred at the origin; monolitheNonCenter shifts it along the one axis whose offset is
  // not 0 so that it lies against a centred body; face draws one face (xyz = +-1, +-2, +-3:
  // its normal axis and side), counter-clockwise seen from outside; glVertex3fColor issues a
  // corner coloured by the signs of its coordinates.
  void monolitheNonCenter(double epaisseurX, double largY, double hautZ, double locX, double locY, double locZ);
  void monolythe(double epaisseurX, double largY, double hautZ);
  void face(double xyz, double positionAxe, double larg, double haut);
  void glVertex3fColor(double A, double b, double C);

 protected:
  // The scene routine: its sections in their order, under one error policy.
  void DrawScene(glview::GlView& control);
  // Runs one step of the scene: a run-time error abandons the step and is handled by the
  // scene's error policy; the following step runs.
  template <class F>
  void SceneStep(F&& f);
  void SceneError(int number, const std::string& description);

  // Sections of the scene, called by DrawScene in this order.
  virtual void DrawSpacecraft();     // spacecraft model (set-up)
  virtual void DrawTrajectory();     // clear values, trajectory, colours, cubic projections, labels
  virtual void DrawValueLegend();    // value legend
  virtual void DrawPointTexts();     // 3-D texts at the current point
  virtual void DrawSunLighting();    // ephemeris and sun lighting
  virtual void DrawCentralBodies();  // central body and other bodies
  virtual void DrawMoon();           // the Moon
  virtual void DrawDateOverlays();   // date and time overlays (end of frame)
  virtual void ColorScaleLabels();   // colour-scale labels (end of frame)
  // Radius in km of the central body (or of the Moon in Moon mode).
  virtual void MainFocus(double& Rastre, double MOONONLY, double MAINnum);
  // The cubic frame inside the axes list.
  virtual void DrawAxisCubic(double width, double length);

  // Draws the axes list of the previous frame and builds the one of the next.
  void DrawAxesList(glview::GlView& control);

 private:
  void DrawAxisLetters(glview::GlView& control);
  void SceneSetUp();
  void ResetLightAndCamera();
  void ReadFixedEventFile();
  void ReadFixedTrajectoryFile();
  void PostSceneErrors();

  // The steps of DrawSpacecraft, in their order.
  void SetUpModelMaterial();
  void FindModelRows();
  void PlaceModel();
  void SizeModel();
  void DrawModelBody();
  void DrawThrustPlume();
  void DrawPlusYWing();
  void DrawMinusYWing();
  void DrawPlatePanel();
  // The steps of DrawTrajectory, in their order.
  void PrepareTrajectoryFrame(TrajectoryFrame& f);
  void DrawPenUpPolyline(TrajectoryFrame& f);
  void DrawMainPass(TrajectoryFrame& f);
  void DrawPointLabels(const TrajectoryFrame& f);

  glview::GlView* control_;
  timer::IntervalTimer timer_;
  QObject posts_;  // context of calls posted after a frame; they die with the object
  // While a load runs the view draws nothing and its own animation is held; this timer watches
  // for the end of the load, then the animation (when it ran) and the frames come back.
  bool PausedForLoad(glview::GlView& control);
  void ResumeAfterLoad();
  QTimer loadWatch_;
  bool resumeAnimation_ = false;
  std::shared_ptr<TrajectoryBatches> trajBatches_;  // vertex arrays kept from frame to frame

  bool errorBoxOpen_ = false;
  bool frameHadError_ = false;
  bool errorsPosted_ = false;
  std::vector<std::pair<int, std::string>> pendingErrors_;
  std::set<std::pair<int, std::string>> shownErrors_;
};

template <class F>
void ClassGl::SceneStep(F&& f) {
  try {
    f();
  } catch (const rt::RtError& e) {
    SceneError(e.number(), e.description());
  }
}

}  // namespace vantrel::view
