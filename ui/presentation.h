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

// A text a shell takes literally: in single quotes, a quote inside written as '\''.
std::string ShellQuoted(const std::string& text);

// The command line: the program path, one blank, the data file, each quoted by ShellQuoted (a
// path with blanks, quotes, "$" or backquotes stays one argument and runs nothing).
std::string PresentationCommandLine(const std::string& programPath, const std::string& dataFile);

// The menu handler. Frame1 is the panel, Text1 its command-line box. Returns the data file the
// command line names, or "" when the copy failed.
std::string mnuFRunPowerPoint_Click(forms::Frame& Frame1, forms::TextBox& Text1);

}  // namespace vantrel::ui
