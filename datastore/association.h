#pragma once
// The data-file type association: the registry records that open ".vnx" files with the
// program, also written the freedesktop way (mime package, .desktop file, default application).

#include <string>

#include "platform/shell/desktop.h"

namespace vantrel::datastore {

// Registers ext (".vnx") as class className opened by command (the program's path). Does
// nothing more when the extension already belongs to className; every failure is passed over.
// The desktop association is written whenever its files are missing or differ.
void AssociateFileType(const std::string& ext, const std::string& className, const std::string& command);

// The program's command: its folder, "/" and its executable name.
std::string ProgramCommand();

// Once per run: section "App" of the settings, "associateEXE" := the executable name and
// "associateEXT" := ".vnx". Returns true when it wrote them.
bool SaveAssociationRecords();
void ResetAssociationRecordsForTesting();

// The runner of the desktop's cache tools (tests record instead of running them).
void SetAssociationToolRunner(platform::ToolRunner runner);  // empty: the real tools

}  // namespace vantrel::datastore
