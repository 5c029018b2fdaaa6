#include "platform/spreadsheet/spreadsheet.h"

#include <cmath>

#include "platform/runtime/vb.h"

namespace vantrel::spreadsheet {

std::string CellValue::AsString() const {
  switch (kind) {
    case Kind::Empty: return "";
    case Kind::Number: return rt::CStr(number);
    case Kind::Text: return text;
    case Kind::Boolean: return number != 0 ? "True" : "False";
    case Kind::Error: return text;
    case Kind::Date: {
      double day = std::floor(number);
      std::string s = rt::FormatDate(number, "yyyy/mm/dd");
      if (number != day) s += " " + rt::FormatDate(number, "hh:nn:ss");
      return s;
    }
  }
  return "";
}

namespace {
std::shared_ptr<Connector>& Installed() {
  static std::shared_ptr<Connector> c;
  return c;
}
}  // namespace

void SetConnector(std::shared_ptr<Connector> c) { Installed() = std::move(c); }
std::shared_ptr<Connector> GetConnector() { return Installed(); }

Application GetRunning() {
  auto c = Installed();
  if (!c) throw rt::RtError(rt::kErrCannotCreate);
  return c->Attach();
}

}  // namespace vantrel::spreadsheet
