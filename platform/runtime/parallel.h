#pragma once
// Work on several cores for the long steps of a load (reading a sheet, writing and reading the
// data file), with the calling thread free to keep the window alive while it waits.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>

namespace vantrel::rt {

// The threads worth starting for `units` of work when each should have at least `minUnits`:
// 1 for small work, at most the machine's cores (and never more than 8).
unsigned ThreadsFor(size_t units, size_t minUnits);

// Runs task(i) for every i in [0, n) on `threads` threads and returns when all have run. With
// a `wait`, the calling thread runs no task: it calls wait() about every `waitMs` milliseconds
// until the others are done (the event loop's pass, a progress bar). Without one, the calling
// thread is one of the `threads`. The first exception a task throws is rethrown here once
// every task that started has ended; tasks not yet started are skipped.
void ParallelFor(size_t n, unsigned threads, const std::function<void(size_t)>& task,
                 const std::function<void()>& wait = {}, int waitMs = 20);

// produce(i) for i in [0, n) on `threads` worker threads, at most `ahead` items beyond the
// next one to consume; consume(i) on the calling thread in order 0, 1, ..., n-1 as each is
// ready. While it waits for the next item, the calling thread calls wait() about every
// `waitMs` milliseconds. An exception from produce or consume stops the work: items not yet
// started are skipped and the exception is rethrown once the workers have ended.
void OrderedPipeline(size_t n, unsigned threads, size_t ahead, const std::function<void(size_t)>& produce,
                     const std::function<void(size_t)>& consume, const std::function<void()>& wait = {},
                     int waitMs = 20);

// Waits on cv (lock held) until done() holds; each time `every` passes without it, runs pump()
// with the lock released (the event loop's pass), so that the window stays alive meanwhile.
template <class Done, class Pump>
void WaitWhilePumping(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, std::chrono::milliseconds every,
                      Done done, Pump pump) {
  while (!done()) {
    if (cv.wait_for(lock, every, done)) return;
    lock.unlock();
    pump();
    lock.lock();
  }
}

// Runs a function on a thread of its own. Join() waits for it to end and rethrows what it
// threw; the destructor asks it to stop and joins it, so that no thread outlives its owner.
// The function reads its stop token where it can end early.
class BackgroundTask {
 public:
  BackgroundTask() = default;
  explicit BackgroundTask(std::function<void(std::stop_token)> fn) { Start(std::move(fn)); }
  BackgroundTask(const BackgroundTask&) = delete;
  BackgroundTask& operator=(const BackgroundTask&) = delete;
  ~BackgroundTask() { Stop(); }

  // Starts fn; a task still running is stopped first.
  void Start(std::function<void(std::stop_token)> fn);
  // Started and not joined yet.
  bool Running() const { return thread_.joinable(); }
  void RequestStop() { stop_.request_stop(); }
  // Waits for the end of the task; with a `wait`, calls it about every `waitMs` milliseconds
  // meanwhile (an exception from it stops the task and is rethrown). Rethrows the task's
  // exception. Returns at once when no task runs.
  void Join(const std::function<void()>& wait = {}, int waitMs = 20);
  // Asks the task to stop, waits for its end and drops its exception.
  void Stop() noexcept;

 private:
  std::thread thread_;
  std::stop_source stop_;
  std::mutex m_;
  std::condition_variable cv_;
  bool done_ = true;
  std::exception_ptr failure_;
};

// A queue of at most `capacity` items between threads. Push blocks while it is full, Pop while
// it is empty. Close() ends both sides: Push refuses from then on and Pop hands out what is left,
// then nothing, so that a failure on either side stops the other without a deadlock.
template <class T>
class BoundedQueue {
 public:
  explicit BoundedQueue(size_t capacity) : capacity_(capacity ? capacity : 1) {}

  // False (the item dropped) once the queue is closed.
  bool Push(T item) {
    {
      std::unique_lock lock(m_);
      room_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
      if (closed_) return false;
      items_.push_back(std::move(item));
    }
    ready_.notify_one();
    return true;
  }
  // Nothing once the queue is closed and empty.
  std::optional<T> Pop() {
    std::unique_lock lock(m_);
    ready_.wait(lock, [&] { return closed_ || !items_.empty(); });
    return TakeFront(lock);
  }
  // Nothing when the queue is empty, without waiting.
  std::optional<T> TryPop() {
    std::unique_lock lock(m_);
    return TakeFront(lock);
  }
  void Close() {
    {
      std::lock_guard lock(m_);
      closed_ = true;
    }
    room_.notify_all();
    ready_.notify_all();
  }
  // Closes the queue and drops the items left in it.
  void Abandon() {
    std::deque<T> dropped;
    {
      std::lock_guard lock(m_);
      closed_ = true;
      dropped.swap(items_);
    }
    room_.notify_all();
    ready_.notify_all();
  }

 private:
  std::optional<T> TakeFront(std::unique_lock<std::mutex>& lock) {
    if (items_.empty()) return std::nullopt;
    std::optional<T> item(std::move(items_.front()));
    items_.pop_front();
    lock.unlock();
    room_.notify_one();
    return item;
  }

  const size_t capacity_;
  std::mutex m_;
  std::condition_variable room_, ready_;
  std::deque<T> items_;
  bool closed_ = false;
};

// A count that only grows, shared between threads: one side advances it (the batches filled,
// the batches written), others wait for it to reach a value. Close() wakes every waiter for
// good, when no more advance will come.
class Progress {
 public:
  // Back to 0 and open.
  void Reset() {
    std::lock_guard lock(m_);
    value_ = 0;
    closed_ = false;
  }
  // The count becomes `to` when that is more.
  void Advance(size_t to) {
    {
      std::lock_guard lock(m_);
      if (to > value_) value_ = to;
    }
    cv_.notify_all();
  }
  void Close() {
    {
      std::lock_guard lock(m_);
      closed_ = true;
    }
    cv_.notify_all();
  }
  bool Closed() {
    std::lock_guard lock(m_);
    return closed_;
  }
  size_t Value() {
    std::lock_guard lock(m_);
    return value_;
  }
  // Waits until the count reaches n or the progress is closed; true when it reached n.
  bool WaitFor(size_t n) {
    std::unique_lock lock(m_);
    cv_.wait(lock, [&] { return value_ >= n || closed_; });
    return value_ >= n;
  }
  // The same, running pump() (no lock held) each time `every` passes meanwhile.
  template <class Pump>
  bool WaitForPumping(size_t n, std::chrono::milliseconds every, Pump pump) {
    std::unique_lock lock(m_);
    WaitWhilePumping(
        lock, cv_, every, [&] { return value_ >= n || closed_; }, pump);
    return value_ >= n;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  size_t value_ = 0;
  bool closed_ = false;
};

// Turns 0, 1, 2, ... taken by several threads: the holder of turn i runs once the holder of turn
// i - 1 is done, so that work that must go in order (reading a file, storing lines) is shared by
// threads that run out of order.
class Turns {
 public:
  // Waits for turn i, runs f and passes the turn on, also when f throws. Once the turns are
  // abandoned, returns false without running f.
  template <class F>
  bool Take(size_t i, F&& f) {
    if (!done_.WaitFor(i) || done_.Closed()) return false;
    struct PassOn {
      Progress& done;
      size_t next;
      ~PassOn() { done.Advance(next); }
    } passOn{done_, i + 1};
    std::forward<F>(f)();
    return true;
  }
  // Every waiting and later Take returns false.
  void Abandon() { done_.Close(); }
  // Turn 0 comes next, nothing abandoned.
  void Reset() { done_.Reset(); }

 private:
  Progress done_;  // the turns done so far
};


}  // namespace vantrel::rt
