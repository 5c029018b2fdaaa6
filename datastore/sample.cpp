#include "datastore/sample.h"

#include <cmath>

#include "datastore/state.h"

namespace vantrel::datastore {

void FillSampleDataW(double& rowCounter, double& stepOut) {
  const double r = 10.5 * 29242.77201;
  const double pi = 3.14159;  // the short value: the last corner does not quite meet the first
  double x[8] = {0}, y[8] = {0};
  for (int k = 0; k < 6; ++k) {
    const double a = (-72.0 * k) * (pi / 180);
    x[k + 2] = r * std::cos(a);
    y[k + 2] = r * std::sin(a);
  }
  NumTable<5>& t = Store().DataTable;
  for (rowCounter = 1; rowCounter <= 8; ++rowCounter) {
    const int i = static_cast<int>(rowCounter) - 1;
    t.Set(i, 0, 0);
    t.Set(i, 1, x[i]);
    t.Set(i, 2, y[i]);
    t.Set(i, 3, 0);
  }
  rowCounter += 1;
  // The figure's rows are the data now: the last one is row 7.
  Store().LastDataRow = 7;
  stepOut = 1.0 / 1000;
}

}  // namespace vantrel::datastore
