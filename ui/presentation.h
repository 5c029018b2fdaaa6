#pragma once
// File/"To run in PowerPoint": a dated copy of the current data file in the working folder (or,
// in data-file mode, the file that was opened), and the command line that starts the program on
// it, shown selected on the panel Frame1 for copying. A copy that fails is reported and no
// command line is shown, so the line never names a file that is not there.

#include <string>

namespace vantrel::forms {
class Frame;
class TextBox;
}  // namespace vantrel::forms

namespace vantrel::ui {

// "PowerPoint" + yyyymmdd + "_" + hhmmss + ".vnx" for a date serial.
std::string PresentationCopyName(double serial);

// The command line: the program path in double quotes, one blank, the data file in double
// quotes (a path with blanks stays one argument).
std::string PresentationCommandLine(const std::string& programPath, const std::string& dataFile);

// The menu handler. Frame1 is the panel, Text1 its command-line box. Returns the data file the
// command line names, or "" when the copy failed.
std::string mnuFRunPowerPoint_Click(forms::Frame& Frame1, forms::TextBox& Text1);

}  // namespace vantrel::ui
