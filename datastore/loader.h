#pragma once
// LoadExcelDataXls: the only routine that fills the data tables. One load takes the data from
// the running spreadsheet (the worksheet road), or in data-file mode and for the demo from a data
// file, registers the file type, reads the data file into the tables, applies the title
// keywords and the transformations, and hands the tables to the view. It reaches the main window
// and the view only through the services of the store.

#include <functional>
#include <string>

#include "datastore/load_work.h"
#include "datastore/state.h"

namespace vantrel::datastore {

// The data file a load writes in the working folder and a presentation copies.
std::string CurrentDataFileIn(const std::string& workingFolder);

// Asks for a load: it runs now, or, when a load is running, once that load has returned.
void LoadExcelDataXls();

// One load, now (the load queue calls it).
void RunOneLoad();

// Whether a load takes the worksheet road (not data-file mode, not a data file or the demo as
// the source).
bool LoadTakesWorksheetRoad(const DataStore& s);

// Replaces the reader and the display pass of the store's loads, for tests.
void SetLoaderSteps(LoaderSteps steps);

}  // namespace vantrel::datastore
