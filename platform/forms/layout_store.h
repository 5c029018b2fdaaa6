#pragma once
// Where a toolbar keeps its saved layout: a text under (key, subkey, value). The program plugs
// in its settings store; until then layouts live in memory for the run.

#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace vantrel::forms {

class LayoutStore {
 public:
  virtual ~LayoutStore() = default;
  virtual std::string Read(const std::string& key, const std::string& subkey, const std::string& value) = 0;
  virtual void Write(const std::string& key, const std::string& subkey, const std::string& value,
                     const std::string& text) = 0;
};

class MemoryLayoutStore : public LayoutStore {
 public:
  std::string Read(const std::string& key, const std::string& subkey, const std::string& value) override;
  void Write(const std::string& key, const std::string& subkey, const std::string& value,
             const std::string& text) override;

 private:
  std::map<std::tuple<std::string, std::string, std::string>, std::string> texts_;
};

LayoutStore& Layouts();
void SetLayoutStore(std::shared_ptr<LayoutStore> store);  // nullptr restores the memory store

}  // namespace vantrel::forms
