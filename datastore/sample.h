#pragma once
// The built-in figure drawn when a load read no data row: a centre point, a gap row and a
// closed pentagon in the XY plane.

namespace vantrel::datastore {

// Writes DataTable rows 0 to 7 (columns 0 to 3) and sets LastDataRow to 7; rowCounter comes
// back as 10 and stepOut as 0.001.
void FillSampleDataW(double& rowCounter, double& stepOut);

}  // namespace vantrel::datastore
