#pragma once
// Program start: the platform services are installed, the main window is created with the
// command line, its load handler runs, then it is shown and the event loop runs. main() and the
// journey tests build the program through the same two calls.

#include <memory>
#include <string>
#include <vector>

namespace vantrel::ui {

class MainWindow;

// The settings key (section "App") that keeps the workbook attached last.
inline constexpr const char* kLastWorkbookKey = "LastWorkbook";

// Installs every service the program needs of its platform: the system locale, the real
// message boxes, the settings store, the event pump, the toolbar layout store on the settings,
// and the running spreadsheet (the workbook named by VANTREL_WORKBOOK, else a LibreOffice Calc
// listening on VANTREL_CALC's connection, else the workbook attached last, kept in the settings
// store). Call once the QApplication exists.
void InstallPlatformServices();

// Creates the main window with the command-line arguments (after the program's own path), runs
// its load handler and shows it; the first activation then runs the first load.
std::unique_ptr<MainWindow> StartMainWindow(std::vector<std::string> arguments);

int RunProgram(int argc, char** argv);

}  // namespace vantrel::ui
