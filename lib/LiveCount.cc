#include "LiveCount.h"

namespace {

std::atomic<unsigned> gNextSlot{0};

}  // namespace

std::atomic<int>& CLiveCount::slot()
{
  // Threads take the slots in turn; two that share one still count right.
  thread_local const unsigned mine = gNextSlot.fetch_add(1, std::memory_order_relaxed) % kSlots;
  return slots[mine].value;
}

CLiveCount::operator int() const
{
  int total = 0;
  for (const Slot& s : slots) total += s.value.load(std::memory_order_relaxed);
  return total;
}
