// Worker threads for the tool's parallel phases: POSIX threads started on
// one task, joined in order, with the first failure handed to the caller.
#ifndef TOLVA_WORKERPOOL_H
#define TOLVA_WORKERPOOL_H

#include <atomic>
#include <cstddef>
#include <functional>

namespace tolva {

// Starts `count` threads on task(k), k = 0 .. count-1, and joins them all.
// While they run, the calling thread calls `wait` over and over when it is
// given (it should sleep a little), and only joins otherwise. The first
// failure of any worker is rethrown here once all are joined; a thread
// that cannot be started is a failure too.
void run_threads(unsigned count, const std::function<void(unsigned)>& task,
                 const std::function<void()>& wait = std::function<void()>());

// Hands out the items 0 .. n-1 one at a time to any number of threads.
class CWorkQueue
{
public:
  explicit CWorkQueue(size_t n) : count(n), next(0) {}
  // The next item, false when none is left.
  bool take(size_t& item)
  {
    item = next.fetch_add(1, std::memory_order_relaxed);
    return item < count;
  }

private:
  const size_t count;
  std::atomic<size_t> next;
};

// The number of threads for n items under -j: 1 without threads.
unsigned worker_count(size_t n);

}  // namespace tolva

#endif
