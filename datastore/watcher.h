#pragma once
// ExcelWatchXls: keeps the plot in step with the worksheet in interactive mode. It compares the
// active workbook's window caption, its active sheet and its active cell's formula with what it
// saw at its previous call and with the formula of the last load, and reloads when they changed:
// at once for another sheet or window or an edit between two specifications, after a second
// call for any other change of the active cell's formula. Update from Excel (ReloadRequest)
// reloads at once.

namespace vantrel::datastore {

void ExcelWatchXls();

// True while one of the watcher's boxes is open; a call made then returns at once.
bool WatcherBoxOpen();

// Forgets the last sheet name and window caption (a new run).

inline constexpr const char* kForcedLastFormula = "kkkkkkkkkkkkkkkkkkk";
inline constexpr const char* kForcedPendingFormula = "oooooooooooooooooo";

}  // namespace vantrel::datastore
