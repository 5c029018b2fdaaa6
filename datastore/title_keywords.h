#pragma once
// Title keywords of the reading pass: words of the plot title that set the modes and units the
// reading of the data lines depends on. Each recognised word is cut out of the title.

#include <functional>
#include <string>

#include "datastore/load_work.h"
#include "datastore/state.h"

namespace vantrel::datastore {

// Replaces the first occurrence of word in text (exact case) by one blank, or removes it when
// it ends the text.
void CutWordW(const std::string& word, std::string& text);

// Reads an A1 range text into its first and last column and row (a single cell gives 0 as last
// column and row); outputs stay untouched for a text it cannot read.
using ConvertA1Fn =
    std::function<void(const std::string& range, double& firstCol, double& lastCol, double& firstRow, double& lastRow)>;
// A quiet reader of "A10:C200" and "AB12" ("$" and blanks ignored, any letter case).
void QuietConvertA1(const std::string& range, double& firstCol, double& lastCol, double& firstRow, double& lastRow);

// The reading pass on s.PlotTitle: sets PenUpLabelMode, PenUpMode, OneColumnMode,
// TimeRangeGiven, LengthsInKm, EarthMoonMode and NedViewOn in s; TimeInSeconds,
// LengthsInMetres, PenUpXyzOnly, the axis codes, the site values, ScaleBeforeNed, SpecScale and
// the range bounds in w.
void ReadingPassKeywords(DataStore& s, LoadWork& w, const ConvertA1Fn& convertA1 = QuietConvertA1);

}  // namespace vantrel::datastore
