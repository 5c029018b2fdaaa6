#pragma once
// The working values of one load. The loader's steps share them; a load starts with a fresh
// LoadWork (0, empty texts), except where a step's comment says otherwise.
//
// Names: the loader's established names keep their spelling (cellFormula, ReadRows, num1);
// the values added here are in camelCase.

#include <array>
#include <memory>
#include <string>

#include "datastore/textfile.h"

namespace vantrel::datastore {

struct MemoryTables;

// The seven parts of a specification formula, in their fixed order.
enum SpecPart : int { kPartXYZ = 0, kPartT, kPartEvents, kPartQuater, kPartSApY, kPartSAmY, kPartValZ, kSpecParts };

// First and last row and column of one range of the specification.
struct RangeBounds {
  double firstRow = 0, lastRow = 0, firstCol = 0, lastCol = 0;
};

struct LoadWork {
  // Attachment to the spreadsheet.
  double attachError = 0;  // 0, or 429 once the attachment failed for good
  double attachAttempts = 0;
  double boxAnswer = 0;         // answer of the last message box of the load
  bool fileFaultShown = false;  // a workbook or file fault was told to the user in this load

  // File names.
  std::string workingFolder;
  std::string CurrentDataFile;
  std::string currentDataFileMapped;  // CurrentDataFile as the VirtualStore mapping gives it
  std::string DemoDataFile;
  std::string numberFormat;  // "0.0000000000"

  // Specification.
  std::string cellFormula;
  std::string TitlePrefix;
  double NoSpecFlag = 0;
  double LastErrNumber = 0;
  double SpecScale = 0;
  std::array<std::string, kSpecParts> ranges;  // rangeXYZ$ .. rangeValZ$
  double Ncol1 = 0, Ncol2 = 0, num1 = 0, num2 = 0, SpecFound = 0;
  std::array<RangeBounds, kSpecParts> bounds;  // the other ranges' rows and columns

  // Worksheet road: source caption, sheet name, window count, values-only marks, scale text.
  std::string sourceCaption;
  std::string sheetName;
  double windowCount = 0;
  std::array<bool, 5> valuesOnly{};
  std::string scaleText;

  // Title keywords of the reading pass.
  double TimeInSeconds = -1;    // True unless a keyword turned it off
  double LengthsInMetres = -1;  // True unless a keyword turned it off
  double PenUpXyzOnly = 0;
  std::string AxisShiftCode;
  std::string AxisSwapCode;
  double NedSiteGiven = 0;
  double SiteLatitude = 0, SiteLongitude = 0, SiteHeight = 0;
  double ScaleBeforeNed = 0;

  // The reader.
  double ReadRows = 0;
  double EventRows = 0;
  double EventsListLast = 0;
  double DemoShown = 0;
  std::string FileInUse;
  // File number 1: opened by the reader, left open for the display pass, which closes it.
  InputFile file1;
  // The data lines of the data file this load wrote, stored while it was written; the reader
  // takes them instead of reading the file back, and drops them.
  std::shared_ptr<MemoryTables> filled;
};

}  // namespace vantrel::datastore
