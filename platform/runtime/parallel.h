#pragma once
// Work on several cores for the long steps of a load (reading a sheet, writing and reading the
// data file), with the calling thread free to keep the window alive while it waits.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>

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

}  // namespace vantrel::rt
