#include "datastore/state.h"

#include "platform/runtime/service_slot.h"
#include "platform/runtime/utf8.h"

namespace vantrel::datastore {

DataStore::DataStore() : MainWindow(std::make_shared<NullMainWindow>()), View(std::make_shared<NullView>()) {}

namespace {
constinit rt::ServiceSlot<DataStore> g_store{&rt::MakeDefault<DataStore>};
}  // namespace

DataStore& Store() { return g_store.get(); }

void SetStore(std::shared_ptr<DataStore> store) { g_store.set(std::move(store)); }

ScopedStore::ScopedStore() : scope_(g_store, std::make_shared<DataStore>()) {}

ScopedStore::ScopedStore(std::shared_ptr<MainWindowServices> main, std::shared_ptr<ViewServices> view) : ScopedStore() {
  if (main) store().MainWindow = std::move(main);
  if (view) store().View = std::move(view);
}

ScopedStore::~ScopedStore() = default;

void AddLogLine(MainWindowServices& main, std::string_view line) {
  std::string text = main.Text20Text();
  text += "\r\n";
  text += line;
  if (text.size() > kMaxLogText) {
    // Drop whole lines from the front, keeping the text valid UTF-8.
    size_t cut = text.size() - kMaxLogText;
    size_t nl = text.find("\r\n", cut);
    cut = nl == std::string::npos ? cut : nl;
    while (cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) ++cut;
    text.erase(0, cut);
  }
  main.SetText20Text(text);
}

}  // namespace vantrel::datastore
