#include "platform/forms/layout_store.h"

namespace vantrel::forms {
namespace {

std::shared_ptr<LayoutStore>& Slot() {
  static std::shared_ptr<LayoutStore> s = std::make_shared<MemoryLayoutStore>();
  return s;
}

}  // namespace

std::string MemoryLayoutStore::Read(const std::string& key, const std::string& subkey,
                                    const std::string& value) {
  auto it = texts_.find({key, subkey, value});
  return it == texts_.end() ? std::string() : it->second;
}

void MemoryLayoutStore::Write(const std::string& key, const std::string& subkey, const std::string& value,
                              const std::string& text) {
  texts_[{key, subkey, value}] = text;
}

LayoutStore& Layouts() { return *Slot(); }

void SetLayoutStore(std::shared_ptr<LayoutStore> store) {
  Slot() = store ? std::move(store) : std::make_shared<MemoryLayoutStore>();
}

}  // namespace vantrel::forms
