// A count of live objects that many threads raise and lower at once
// without contending for one cache line: each thread counts in a slot of
// its own, and reading the count adds the slots up. Reading it while other
// threads still make or destroy objects gives some value of the count
// during the read.
#ifndef TESSEL_LIVECOUNT_H
#define TESSEL_LIVECOUNT_H

#include <atomic>

class CLiveCount
{
public:
  constexpr CLiveCount() = default;
  CLiveCount(const CLiveCount&) = delete;
  CLiveCount& operator=(const CLiveCount&) = delete;

  void operator++() { slot().fetch_add(1, std::memory_order_relaxed); }
  void operator--() { slot().fetch_sub(1, std::memory_order_relaxed); }
  operator int() const;

private:
  static constexpr unsigned kSlots = 16;
  struct alignas(64) Slot
  {
    std::atomic<int> value{0};
  };

  std::atomic<int>& slot();

  Slot slots[kSlots];
};

#endif
