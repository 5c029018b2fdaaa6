#include "platform/forms/layout_store.h"

#include "platform/runtime/service_slot.h"

namespace vantrel::forms {
namespace {

constinit rt::ServiceSlot<LayoutStore> g_layouts{&rt::MakeDefault<LayoutStore, MemoryLayoutStore>};

}  // namespace

std::string MemoryLayoutStore::Read(const std::string& key, const std::string& subkey, const std::string& value) {
  auto it = texts_.find({key, subkey, value});
  return it == texts_.end() ? std::string() : it->second;
}

void MemoryLayoutStore::Write(const std::string& key, const std::string& subkey, const std::string& value,
                              const std::string& text) {
  texts_[{key, subkey, value}] = text;
}

LayoutStore& Layouts() { return g_layouts.get(); }

void SetLayoutStore(std::shared_ptr<LayoutStore> store) { g_layouts.set(std::move(store)); }

}  // namespace vantrel::forms
