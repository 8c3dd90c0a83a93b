#include "OrderedLoad.h"

#include <condition_variable>
#include <exception>
#include <functional>
#include <iostream>
#include <limits>
#include <mutex>
#include <sstream>
#include <string>

#include "AtomType.h"
#include "Messagestream.h"
#include "WorkerPool.h"

namespace tolva {

namespace {

class OrderedLoad
{
public:
  OrderedLoad(std::vector<CFragHandler>& f, size_t from, bool s)
    : frags(f), first(from), shown(s), verbose(gOut->getVerboseLevel()), queue(f.size() - from),
      slots(f.size() - from), done(f.size() - from, 0)
  {
  }

  void work()
  {
    size_t k;
    while (queue.take(k)) {
      // A file after one that failed is never read: nothing would print it.
      if (k < failed()) load(k);
      finish(k);
    }
  }

  void emit_in_order()
  {
    for (size_t k = 0; k < slots.size(); ++k) {
      std::cerr << slots[k].messages << std::flush;
      if (slots[k].failure) std::rethrow_exception(slots[k].failure);
    }
  }

private:
  struct Slot
  {
    std::string messages;
    std::exception_ptr failure;
  };

  size_t failed() const { return firstFailure.load(std::memory_order_acquire); }

  void load(size_t k)
  {
    std::ostringstream text;
    oMessagestream messages(text, verbose);
    oMessagestream* saved = gOut;
    gOut = &messages;
    const std::function<void()> gate = [this, k] { wait_for_files_before(k); };
    gBeforeNewMiscAtomType = &gate;
    try {
      frags[first + k].Load(shown, &text);
    } catch (...) {
      slots[k].failure = std::current_exception();
      size_t known = failed();
      while (k < known && !firstFailure.compare_exchange_weak(known, k, std::memory_order_acq_rel)) {
      }
    }
    gBeforeNewMiscAtomType = nullptr;
    gOut = saved;
    slots[k].messages = text.str();
  }

  void finish(size_t k)
  {
    std::lock_guard<std::mutex> lock(mutex);
    done[k] = 1;
    while (prefix < done.size() && done[prefix]) ++prefix;
    finished.notify_all();
  }

  // Every file before k is finished: the misc types they make exist.
  void wait_for_files_before(size_t k)
  {
    std::unique_lock<std::mutex> lock(mutex);
    finished.wait(lock, [this, k] { return prefix >= k; });
  }

  std::vector<CFragHandler>& frags;
  const size_t first;
  const bool shown;
  const unsigned verbose;
  CWorkQueue queue;
  std::vector<Slot> slots;
  std::atomic<size_t> firstFailure{std::numeric_limits<size_t>::max()};
  std::mutex mutex;
  std::condition_variable finished;
  std::vector<char> done;
  size_t prefix = 0;
};

}  // namespace

void load_in_order(std::vector<CFragHandler>& frags, size_t first, unsigned threads, bool shown)
{
  OrderedLoad load(frags, first, shown);
  run_threads(threads, [&load](unsigned) { load.work(); });
  load.emit_in_order();
}

}  // namespace tolva
