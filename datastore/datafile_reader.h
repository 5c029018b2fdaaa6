#pragma once
// The data-file reader: chooses the file of the load (the current data file, the demo file or
// a named file), reads its header line (formula, title keywords) and turns every further line
// into one row of the data tables.

#include <string>

#include "datastore/load_work.h"
#include "datastore/state.h"
#include "datastore/textfile.h"
#include "datastore/title_keywords.h"

namespace vantrel::datastore {

// Opens name for reading into file and logs the result in the log box; errNum := 0 or the
// error number. Shows the error in a box only for an unexpected error that names the clipboard.
void OpenfileW(DataStore& s, const std::string& name, InputFile& file, double& errNum);

// Reads the next line of file into line. On failure line keeps its text and the first nine
// failures of the run are logged.
void LinInputW(DataStore& s, InputFile& file, std::string& line);

struct ReaderHooks {
  ConvertA1Fn convertA1 = QuietConvertA1;  // the A1 range reader of the title keywords
  // The data lines' conversion: 0 threads as the file's size asks (one for a small file), 1 on
  // the calling thread, more on that many threads in chunks of chunkBytes (0: the usual size).
  unsigned readThreads = 0;
  size_t chunkBytes = 0;
};

// The reader step of a load: reads s.SourceMode, s.CmdLineInfo.DataFileMode, s.CmdLineFirst and
// the load's file names, TitlePrefix, cellFormula and ranges; fills the tables and counters and
// leaves ReadRows, EventRows, EventsListLast, DemoShown and FileInUse in w for the display pass.
// w.file1 stays open. Never throws a run-time error: a failed step is passed over.
void ReadDataFileStep(DataStore& s, LoadWork& w, const ReaderHooks& hooks = {});

}  // namespace vantrel::datastore
