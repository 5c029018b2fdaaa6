#include "platform/runtime/parallel.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace vantrel::rt {

unsigned ThreadsFor(size_t units, size_t minUnits) {
  const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
  if (minUnits == 0) minUnits = 1;
  const size_t want = units / minUnits;
  return static_cast<unsigned>(std::clamp<size_t>(want, 1, cores));
}

namespace {

// The first failure of a group of threads, kept for the caller.
struct Failure {
  std::mutex m;
  std::exception_ptr first;
  std::atomic<bool> failed{false};
  void Keep() {
    std::lock_guard<std::mutex> lock(m);
    if (!first) first = std::current_exception();
    failed = true;
  }
};

}  // namespace

void ParallelFor(size_t n, unsigned threads, const std::function<void(size_t)>& task, const std::function<void()>& wait,
                 int waitMs) {
  if (n == 0) return;
  threads = std::max(1u, threads);
  if (!wait && (threads == 1 || n == 1)) {
    for (size_t i = 0; i < n; ++i) task(i);
    return;
  }
  std::atomic<size_t> next{0};
  Failure failure;
  std::mutex m;
  std::condition_variable cv;
  size_t running = 0;
  auto work = [&] {
    for (size_t i; !failure.failed && (i = next.fetch_add(1)) < n;) {
      try {
        task(i);
      } catch (...) {
        failure.Keep();
      }
    }
  };
  const unsigned workers = std::min<size_t>(wait ? threads : threads - 1, n);
  std::vector<std::thread> pool;
  pool.reserve(workers);
  running = workers;
  for (unsigned k = 0; k < workers; ++k)
    pool.emplace_back([&] {
      work();
      std::lock_guard<std::mutex> lock(m);
      if (--running == 0) cv.notify_all();
    });
  if (wait) {
    std::unique_lock<std::mutex> lock(m);
    WaitWhilePumping(
        lock, cv, std::chrono::milliseconds(waitMs), [&] { return running == 0; },
        [&] {
          try {
            wait();
          } catch (...) {
            failure.Keep();
          }
        });
  } else {
    work();
  }
  for (auto& t : pool) t.join();
  if (failure.first) std::rethrow_exception(failure.first);
}

void OrderedPipeline(size_t n, unsigned threads, size_t ahead, const std::function<void(size_t)>& produce,
                     const std::function<void(size_t)>& consume, const std::function<void()>& wait, int waitMs) {
  if (n == 0) return;
  threads = std::max(1u, threads);
  ahead = std::max<size_t>(ahead, threads);
  std::mutex m;
  std::condition_variable ready, room;
  std::vector<char> done(n, 0);
  size_t next = 0;      // the next item a worker takes
  size_t consumed = 0;  // items consumed so far
  Failure failure;
  auto worker = [&] {
    for (;;) {
      size_t i;
      {
        std::unique_lock<std::mutex> lock(m);
        room.wait(lock, [&] { return failure.failed || next >= n || next < consumed + ahead; });
        if (failure.failed || next >= n) return;
        i = next++;
      }
      try {
        produce(i);
      } catch (...) {
        failure.Keep();
      }
      {
        std::lock_guard<std::mutex> lock(m);
        done[i] = 1;
      }
      ready.notify_all();
    }
  };
  std::vector<std::thread> pool;
  const unsigned workers = static_cast<unsigned>(std::min<size_t>(threads, n));
  pool.reserve(workers);
  for (unsigned k = 0; k < workers; ++k) pool.emplace_back(worker);
  for (size_t i = 0; i < n && !failure.failed; ++i) {
    {
      std::unique_lock<std::mutex> lock(m);
      WaitWhilePumping(
          lock, ready, std::chrono::milliseconds(waitMs), [&] { return done[i] || failure.failed.load(); },
          [&] {
            if (!wait) return;
            try {
              wait();
            } catch (...) {
              failure.Keep();
            }
          });
    }
    if (failure.failed) break;
    try {
      consume(i);
    } catch (...) {
      failure.Keep();
    }
    {
      std::lock_guard<std::mutex> lock(m);
      consumed = i + 1;
    }
    room.notify_all();
  }
  {
    std::lock_guard<std::mutex> lock(m);
    failure.failed = failure.failed || consumed < n;
  }
  room.notify_all();
  for (auto& t : pool) t.join();
  if (failure.first) std::rethrow_exception(failure.first);
}

void BackgroundTask::Start(std::function<void(std::stop_token)> fn) {
  Stop();
  stop_ = std::stop_source();
  failure_ = nullptr;
  done_ = false;
  thread_ = std::thread([this, fn = std::move(fn), token = stop_.get_token()] {
    std::exception_ptr failure;
    try {
      fn(token);
    } catch (...) {
      failure = std::current_exception();
    }
    {
      std::lock_guard<std::mutex> lock(m_);
      failure_ = failure;
      done_ = true;
    }
    cv_.notify_all();
  });
}

void BackgroundTask::Join(const std::function<void()>& wait, int waitMs) {
  if (!thread_.joinable()) return;
  if (wait) {
    std::exception_ptr waitFailure;
    {
      std::unique_lock<std::mutex> lock(m_);
      WaitWhilePumping(
          lock, cv_, std::chrono::milliseconds(waitMs), [&] { return done_ || waitFailure; },
          [&] {
            try {
              wait();
            } catch (...) {
              waitFailure = std::current_exception();
            }
          });
    }
    if (waitFailure) {
      Stop();
      std::rethrow_exception(waitFailure);
    }
  }
  thread_.join();
  if (std::exception_ptr failure = std::exchange(failure_, nullptr)) std::rethrow_exception(failure);
}

void BackgroundTask::Stop() noexcept {
  if (!thread_.joinable()) return;
  stop_.request_stop();
  thread_.join();
  failure_ = nullptr;
}

}  // namespace vantrel::rt
