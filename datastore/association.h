#pragma once
// The data-file type association: the registry records that open ".vnx" files with the
// program and, for an installed program on a desktop that knows no application for the type,
// the freedesktop files of one user (mime package and .desktop file).

#include <string>

#include "platform/shell/desktop.h"

namespace vantrel::datastore {

// Registers ext (".vnx") as class className opened by command (the program's path). Does
// nothing more in the registry when the extension already belongs to className; every failure
// is passed over. When command is the installed program and no application is known for the
// type, the user's desktop files are written (see platform::RegisterDesktopAssociation).
void AssociateFileType(const std::string& ext, const std::string& className, const std::string& command);

// The MIME type of the data files of class className ("application/x-vanexexcelfile"), as the
// installed MIME package and desktop entry name it.
std::string DataFileMimeType(const std::string& className);

// The program's command: its folder, "/" and its executable name.
std::string ProgramCommand();

// Once per run: section "App" of the settings, "associateEXE" := the executable name and
// "associateEXT" := ".vnx". Returns true when it wrote them.
bool SaveAssociationRecords();

// The runner of the desktop's cache tools in the store in force (tests record instead of
// running them; empty: the real tools).
void SetAssociationToolRunner(platform::ToolRunner runner);

}  // namespace vantrel::datastore
