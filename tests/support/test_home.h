#pragma once
// The folders a test program lives in: HOME and every XDG folder point at a fresh temporary
// folder, set by the test program's main() before any test runs, so that a test program run
// by hand never reads or writes the user's own settings, desktop files, caches or data.

#include <string>

namespace vantrel::test {

// Makes the fresh folder (under the system's temporary folder) and points the environment at
// it: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME, XDG_STATE_HOME, XDG_RUNTIME_DIR,
// and the system lists XDG_DATA_DIRS and XDG_CONFIG_DIRS (empty folders: the programs and
// file types installed on the machine are not seen either). Returns the folder.
std::string EnterTestHome();

// Removes the folder made by EnterTestHome (also run at exit; only the process that made it).
void LeaveTestHome();

}  // namespace vantrel::test
