#pragma once
// The two optional rewrites of DataTable's X, Y, Z columns that end the display pass: rows of
// north-east-down offsets from a site turned into Earth-centred kilometres, and a two-segment
// Earth-Moon trajectory joined and turned into one frame.

#include "datastore/load_work.h"

namespace vantrel::datastore {

// When the title gave a local site (NedSiteGiven = 1): every row 0..LastDataRow becomes the
// site plus its offsets, Earth-centred, divided by 1000; SpecScale := ScaleBeforeNed.
void LocalSiteStep(LoadWork& w);

// When the title asked for the Earth-Moon system (EarthMoonMode = 1): EarthMoonOpt := 1, the
// rows are split where the distance from the origin first changes by more than a factor of two,
// each segment is turned into the frame of its motion at the split, the second is moved onto
// the end of the first, and the whole is turned with X along that move; MoonDistance := 1000
// times the length of the move.
void EarthMoonStep(LoadWork& w);

}  // namespace vantrel::datastore
