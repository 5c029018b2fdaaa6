#pragma once
// Program start: the run-time services are installed, then the main window runs.

namespace vantrel::ui {

// Installs the system locale and the real message boxes. Call once the QApplication exists.
void InstallPlatformServices();

int RunProgram(int argc, char** argv);

}  // namespace vantrel::ui
