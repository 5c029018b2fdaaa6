#include "platform/spreadsheet/spreadsheet.h"

#include <cmath>

#include "platform/runtime/service_slot.h"
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
constinit rt::ServiceSlot<Connector> g_connector;
}  // namespace

void SetConnector(std::shared_ptr<Connector> c) { g_connector.set(std::move(c)); }
std::shared_ptr<Connector> GetConnector() { return g_connector.shared(); }

Application GetRunning() {
  auto c = g_connector.shared();
  if (!c) throw rt::RtError(rt::kErrCannotCreate);
  return c->Attach();
}

}  // namespace vantrel::spreadsheet
