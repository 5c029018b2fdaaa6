#pragma once
// The handlers of the main window's menus: File/Options and Exit, the interactive-mode item,
// View/Grid and Reset, Help/About and the UpdateExcel command of the menu bar. The Print item
// and the items of the Edit menu do nothing.

#include <string>

namespace vantrel::ui {

class CommandHost;

// The title of the About box, also shown after the page numbers of the help pages.
inline constexpr const char* kAboutTitle = "Vantrel, 2014-2026";
// The About box's text for the version digits ("002008006").
std::string AboutText(const std::string& versionDigits);

class MenuCommands {
 public:
  explicit MenuCommands(CommandHost& host) : host_(host) {}

  void mnuFOptions_Click();
  void mnuFPrint_Click() {}
  // Closes the main window. Errors 53, 52 and 5 pass silently; any other is shown in a box
  // titled "Error" with the critical icon.
  void mnuFExit_Click();
  void mnuEMove_Click() {}
  void mnuERotate_Click() {}
  void mnuEScale_Click() {}
  void mnuEProperties_Click() {}
  void mnuOinteractive_Click();
  void mnuVGrids_Click();
  void mnuVReset_Click();
  void mnuHAbout_Click();
  // Reloads from the spreadsheet now, leaving interactive and data-file mode. While a load runs
  // the reload waits for it in the load queue, and the running load keeps its own mode.
  void mnuUpdateExcel_Click();

 private:
  CommandHost& host_;
};

}  // namespace vantrel::ui
