#pragma once
// One installed service (or state object) of the run: get, set, and an override for a scope.
// The slot starts empty and makes its default on first use; set(nullptr) brings back a fresh
// default. A slot is constant-initialised, so it may be used from any static's constructor.
// get() costs one atomic load once the service exists; set() is for start-up and tests: a
// service replaced while another thread still uses it is not kept alive for that thread.

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace vantrel::rt {

template <class T>
class ServiceSlot {
 public:
  using Factory = std::shared_ptr<T> (*)();

  // makeDefault: the service in force while none is installed (nullptr: none, get() is not
  // to be called then; shared() answers nullptr).
  constexpr explicit ServiceSlot(Factory makeDefault = nullptr) : make_(makeDefault) {}
  ServiceSlot(const ServiceSlot&) = delete;
  ServiceSlot& operator=(const ServiceSlot&) = delete;

  T& get() {
    if (T* p = fast_.load(std::memory_order_acquire)) return *p;
    return *shared();
  }

  std::shared_ptr<T> shared() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!current_ && make_) {
      current_ = make_();
      fast_.store(current_.get(), std::memory_order_release);
    }
    return current_;
  }

  // Installs service (nullptr: a fresh default on next use); returns the one it replaces.
  std::shared_ptr<T> set(std::shared_ptr<T> service) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::swap(current_, service);
    fast_.store(current_.get(), std::memory_order_release);
    return service;
  }

  // Installs a service for the lifetime of the guard, then brings back the previous one.
  class Scoped {
   public:
    Scoped(ServiceSlot& slot, std::shared_ptr<T> service)
        : slot_(slot), current_(std::move(service)), previous_(slot_.set(current_)) {}
    ~Scoped() { slot_.set(std::move(previous_)); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    T& get() { return *current_; }
    const std::shared_ptr<T>& shared() const { return current_; }

   private:
    ServiceSlot& slot_;
    std::shared_ptr<T> current_;
    std::shared_ptr<T> previous_;
  };

 private:
  Factory make_;
  std::mutex mutex_;
  std::shared_ptr<T> current_;
  std::atomic<T*> fast_{nullptr};
};

// An installed callback (a reporter, a handler): set() with an empty function removes it.
// get() hands out the one in force, kept alive while the caller runs it; nullptr: none.
template <class Signature>
class CallbackSlot {
 public:
  using Function = std::function<Signature>;
  constexpr CallbackSlot() = default;
  CallbackSlot(const CallbackSlot&) = delete;
  CallbackSlot& operator=(const CallbackSlot&) = delete;

  void set(Function f) { slot_.set(f ? std::make_shared<Function>(std::move(f)) : nullptr); }
  std::shared_ptr<Function> get() { return slot_.shared(); }

 private:
  ServiceSlot<Function> slot_;
};

// The default factory that makes a D for a slot of T.
template <class T, class D = T>
std::shared_ptr<T> MakeDefault() {
  return std::make_shared<D>();
}

}  // namespace vantrel::rt
