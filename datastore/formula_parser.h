#pragma once
// Splitting a specification formula such as "=1000*MAX(A2:C60)+LEN(\"Orbit km\")" into its
// scale factor, its title and up to seven range texts.

#include <array>
#include <string>

#include "datastore/load_work.h"

namespace vantrel::datastore {

// Parses formula. title := "Vantrel", scale := 1.0 and parts 0 to 5 := "" first; part 6 (ValZ)
// keeps its text unless the formula gives a seventh group. keyWord is the keyword of the groups;
// it becomes "MAX" when the formula does not hold it. The scale is the number between "=" and
// the first keyword, read with "." as the decimal point whatever the locale (0 or none gives 1).
// Throws RtError 6 when that number is beyond the Double range (the scale then stays 1.0).
void Extraction_info(const std::string& formula, const std::string& prefix, double& scale, std::string& title,
                     std::array<std::string, kSpecParts>& parts, std::string& keyWord);

}  // namespace vantrel::datastore
