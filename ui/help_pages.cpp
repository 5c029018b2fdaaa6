#include "ui/help_pages.h"

#include "datastore/load_queue.h"
#include "datastore/state.h"
#include "platform/forms/msgbox.h"

namespace vantrel::ui {
namespace {

const std::string LF = "\n";
const std::string Q = "\"";

std::array<std::string, 4> BuildPages() {
  std::array<std::string, 4> p;
  p[0] = LF + LF +
         "Show in live a real Vanexial 3D trajectory or object from the current already opened Excel sheet "
         "with 3 contiguous columns of values X, Y, Z" +
         LF + LF +
         "Select a cell in your Excel sheet containing a formula like      = MAX(A2:C2000)      for the range of "
         "cells X,Y,Z  And run this program. It's all." +
         LF + LF +
         "After a while --data loading--, enjoy the mouse functions left or right button down in the plot "
         "window, and  try the icons! Try also the window full size." +
         LF +
         " ** Dble Click in the plot window to disable/enable the automatic rotation given while moving the "
         "mouse with the right button down!" +
         LF +
         " ** Move the cursors labelled Redraw Start and Redraw Speed in order to watch dynamically the plot "
         "increasing." +
         LF + " ** If the time is given (see full syntax here after), the time will appear moving on the plot!  etc." +
         LF +
         "Note : if Excel is not already open, the program sent a message to open it, and if still not open, "
         "then a Demo plot or the previous file plot is run. Maximum number of points= 1 0485 756 (instead of "
         "32000 for Excel plots).";
  p[1] = "Note : The full syntax of the formula is      = 0.01 +  LEN(" + Q + "MyTitle kmday" + Q +
         ") + MAX(A2:C2000) + MAX(D2:D2000)+MAX(E2:F30)+...etc" + LF + LF +
         "In this example  0.01   is a scaling factor for the values X, Y, Z       MyTitle    is the comment "
         "which will appears in the corner. Default units are m and s; kmday is a keyword for the non-defautl "
         "units" +
         LF +
         "A2:C2000   is the range for the cells containing  X, Y, Z                  D2:D2000  is the range "
         "for the cells containing the time T of the data X, Y, Z.  In short, D2 only is accepted." +
         LF +
         "E2:F30  is the range for the cells containing  Time with Events: event=1 for starting the plot with "
         "a Event major colour,  event=0 for continuing the plot with a Nominal minor colour." +
         LF +
         "+...etc  is the range for the cells containing  Time with quaternions  w x y z   and     Time with "
         "angle\u00b0 of rotation of each panel ..." +
         LF + LF +
         "Note : The order of the terms in the formula must be preserved. The specification MAX's... can be "
         "simplified as a single one MAX(A2:O2000).";
  p[2] = "Note : The program will take into account the first cell it found with a key word  MAX if the cell "
         "containing the formula is not selected. " +
         LF + LF +
         "Note : YOU CAN DYNAMICALLY CHANGE THE WORKSHEET DATA TO IMMEDIATELY CHANGE THE Vantrel PLOT. See the "
         "User Manual." +
         LF + LF +
         "Note: The plot is performed with an automatic scale on each axis, except if a scaling factor is "
         "given. The earth sphere (r= 6378 km ) and moon will be shown if the formula scaling factor is given "
         "<>1. See the Menu File/Options to change many settings" +
         LF + LF + "Note about the available PenUp function: If a X data is empty (ie its cell equal " + Q + Q +
         "), the plot line is interrupted. YOU CAN DRAW MANY OBJECTS.";
  p[3] = LF + LF +
         "Important Note: You can use the software in a Powerpoint presentation : See the Menu     File/ To run "
         "in PowerPoint       for creating a specific file and facilitating the needed specification to paste "
         "into one of the Powerpoint object." +
         LF + LF +
         "Note: Each time the programme runs, it create (and reset if exist)  a file in the programme directory "
         "with the name " +
         Q + "_Vantrel.vnx" + Q +
         ". You can rename that file for traceability or future use in a Powerpoint presentation." + LF + LF +
         "Note: All the files created have extension .vnx. Those are associated to the tool Vantrel, just dble "
         "click on it for the show." +
         LF + LF +
         "Special Windows 8: the true files created are stored in the programme directory of the Virtual Store "
         "located at : " +
         Q + "C:\\Users\\...\\AppData\\Local\\VirtualStore\\..." + Q + LF + LF +
         "   Click on   OK    to run the    Demo  ! ";
  return p;
}

}  // namespace

const std::array<std::string, 4>& HelpPageTexts() {
  static const std::array<std::string, 4> pages = BuildPages();
  return pages;
}

const std::array<std::string, 4>& HelpPageMarks() {
  static const std::array<std::string, 4> marks = {"1/4 ", "2/4 ", "31/4 ", "4/4 "};
  return marks;
}

void HelpDemo::mnuHContents_Click(const std::string& programTitle) {
  const auto& pages = HelpPageTexts();
  const auto& marks = HelpPageMarks();
  for (int i = 0; i < 3; ++i) forms::MsgBox(pages[i], 64, marks[i] + programTitle);
  const int answer = forms::MsgBox(pages[3], 1, marks[3] + programTitle);

  datastore::DataStore& st = datastore::Store();
  st.SettingsBlock.SceneInitDone = 0;
  if (answer == forms::kOK) RunDemo();
  else LeaveDemo();
}

void HelpDemo::RunDemo() {
  // Everything the demo changes is set right before its load starts: a demo asked for while a
  // load runs must not change the option values that load works with.
  const bool queued = datastore::LoadRunning();
  if (queued) ++demosQueued_;
  datastore::RequestLoad([this, queued] {
    if (queued) --demosQueued_;
    datastore::DataStore& st = datastore::Store();
    st.SceneFitDone = 0;
    st.DataFitted = 0;
    st.SourceMode = 1;
    // The user's values are kept aside once: a second demo in a row keeps them.
    if (DemoRunning != 1) st.DemoBackupBlock = st.SettingsBlock;
    st.SettingsBlock = st.FactorySettingsBlock;
    DemoRunning = 1;
  });
}

void HelpDemo::LeaveDemo() {
  auto leave = [this] {
    datastore::DataStore& st = datastore::Store();
    if (DemoRunning == 1) st.SettingsBlock = st.DemoBackupBlock;
    DemoRunning = 0;
  };
  auto backToSource = [] {
    datastore::DataStore& st = datastore::Store();
    st.SceneFitDone = 0;
    st.DataFitted = 0;
    st.SourceMode = st.CmdLineInfo.DataFileMode == 1 ? 2 : 0;
  };
  if (demosQueued_ > 0) {
    // A demo is still waiting for its load: leave it after that load, then reload the source.
    datastore::RequestLoad([leave, backToSource] {
      leave();
      backToSource();
    });
    return;
  }
  leave();
  if (datastore::Store().SourceMode <= 1) datastore::RequestLoad(backToSource);
}

}  // namespace vantrel::ui
