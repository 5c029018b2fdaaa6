#include "datastore/sheet_link.h"

#include "datastore/state.h"
#include "platform/runtime/rterror.h"

namespace vantrel::datastore {

namespace {
SheetConnector& Connector() { return Store().Seams.sheetConnector; }
}  // namespace

void SetSheetConnector(SheetConnector connector) { Connector() = std::move(connector); }

std::shared_ptr<SheetLink> AttachRunningSheet() {
  std::shared_ptr<SheetLink> link = Connector() ? Connector()() : AttachSpreadsheetLayer();
  if (!link) throw rt::RtError(rt::kErrCannotCreate);
  return link;
}

}  // namespace vantrel::datastore
