#pragma once
// An indexed control array (Check1(0..10), Text5(0..17), ...): elements made with Load at any
// index, reached with array(i), and handlers connected once for all elements, present and later,
// which receive the element's index first.

#include <functional>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/forms/qt/control.h"
#include "platform/runtime/rterror.h"

namespace vantrel::forms {

template <class T>
class ControlArray {
 public:
  ControlArray() = default;
  ControlArray(const ControlArray&) = delete;
  ControlArray& operator=(const ControlArray&) = delete;

  // Makes element `index` as T(args...); RtError 360 when it exists already.
  template <class... A>
  T& Load(int index, A&&... args) {
    if (items_.count(index)) throw rt::RtError(360, "Object already loaded");
    auto item = std::make_unique<T>(std::forward<A>(args)...);
    item->SetIndex(index);
    T& ref = *item;
    items_[index] = std::move(item);
    for (auto& c : connectors_) c(ref, index);
    return ref;
  }

  // The element; RtError 340 when there is none at that index.
  T& operator()(int index) const {
    auto it = items_.find(index);
    if (it == items_.end()) throw rt::RtError(340, "Control array element does not exist");
    return *it->second;
  }
  bool Exists(int index) const { return items_.count(index) != 0; }
  int Count() const { return static_cast<int>(items_.size()); }
  int LBound() const { return items_.empty() ? 0 : items_.begin()->first; }
  int UBound() const { return items_.empty() ? -1 : items_.rbegin()->first; }

  // Connects an event of every element to handler(index, event arguments...), e.g.
  //   Check1.Connect(&CheckBox::Click, [&](int i) { Check1_Click(i); });
  template <class C, class... A>
  void Connect(std::function<void(A...)> C::*event, std::type_identity_t<std::function<void(int, A...)>> handler) {
    static_assert(std::is_base_of_v<C, T>);
    auto connect = [event, handler](T& item, int index) {
      (item.*event) = [handler, index](A... a) { handler(index, std::forward<A>(a)...); };
    };
    for (auto& [i, item] : items_) connect(*item, i);
    connectors_.push_back(connect);
  }

  template <class F>
  void ForEach(F f) const {
    for (auto& [i, item] : items_) f(i, *item);
  }

 private:
  std::map<int, std::unique_ptr<T>> items_;
  std::vector<std::function<void(T&, int)>> connectors_;
};

}  // namespace vantrel::forms
