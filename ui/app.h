#pragma once
// Program start: the platform services are installed, the main window is created with the
// command line, its load handler runs, then it is shown and the event loop runs.

#include <string>
#include <vector>

namespace vantrel::ui {

// Installs the system locale, the real message boxes, the settings store, the event pump and
// the toolbar layout store on the settings. Call once the QApplication exists.
void InstallPlatformServices();

int RunProgram(int argc, char** argv);

}  // namespace vantrel::ui
