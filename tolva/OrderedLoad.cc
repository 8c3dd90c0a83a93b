#include "OrderedLoad.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <iostream>
#include <limits>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "AtomType.h"
#include "Messagestream.h"
#include "WorkerPool.h"

namespace tolva {

namespace {

std::atomic<bool> gLeftBehind{false};

// The state the workers share. It lives on the heap, held by every worker,
// and the workers load handlers of its own: a run that ends on a failing
// file may leave a worker blocked on a later one (a FIFO without writer),
// and that worker must find its state and handler still there.
class OrderedLoad
{
public:
  OrderedLoad(const std::vector<CFragHandler>& f, size_t from, bool s)
    : frags(f.begin() + static_cast<std::ptrdiff_t>(from), f.end()), shown(s), verbose(gOut->getVerboseLevel()),
      queue(frags.size()), slots(frags.size()), done(frags.size(), 0)
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

  // Waits until every file is loaded, or until the first failing file and
  // all before it are: nothing after it changes what the run prints.
  // True when every file is finished.
  bool wait_for_outcome()
  {
    std::unique_lock<std::mutex> lock(mutex);
    decided.wait(lock, [this] { return outcome_known(); });
    return prefix == done.size();
  }

  // Writes the messages in file order up to the first failure, which is
  // rethrown; without one, moves every loaded handler into `into`.
  void hand_over(std::vector<CFragHandler>& into, size_t from)
  {
    for (size_t k = 0; k < slots.size(); ++k) {
      std::cerr << slots[k].messages << std::flush;
      if (slots[k].failure) std::rethrow_exception(slots[k].failure);
    }
    for (size_t k = 0; k < frags.size(); ++k) into[from + k] = std::move(frags[k]);
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
      frags[k].Load(shown, &text);
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
    // The caller wakes once, not once per file.
    if (outcome_known()) decided.notify_one();
  }

  // Under the lock: all loaded, or the first failure and all before it.
  bool outcome_known() const { return prefix == done.size() || prefix > failed(); }

  // Every file before k is finished: the misc types they make exist.
  void wait_for_files_before(size_t k)
  {
    std::unique_lock<std::mutex> lock(mutex);
    finished.wait(lock, [this, k] { return prefix >= k; });
  }

  std::vector<CFragHandler> frags;
  const bool shown;
  const unsigned verbose;
  CWorkQueue queue;
  std::vector<Slot> slots;
  std::atomic<size_t> firstFailure{std::numeric_limits<size_t>::max()};
  std::mutex mutex;
  std::condition_variable finished;
  std::condition_variable decided;
  std::vector<char> done;
  size_t prefix = 0;
};

// Starts up to `count` workers; as many as could be started.
std::vector<std::thread> start_workers(unsigned count, const std::shared_ptr<OrderedLoad>& load)
{
  std::vector<std::thread> workers;
  try {
    for (unsigned k = 0; k < count; ++k) workers.emplace_back([load] { load->work(); });
  } catch (const std::system_error&) {
  }
  return workers;
}

}  // namespace

void load_in_order(std::vector<CFragHandler>& frags, size_t first, unsigned threads, bool shown)
{
  const std::shared_ptr<OrderedLoad> load = std::make_shared<OrderedLoad>(frags, first, shown);
  std::vector<std::thread> workers = start_workers(threads, load);
  // Without any worker, this thread loads them all, in order.
  if (workers.empty()) load->work();
  if (load->wait_for_outcome()) {
    for (std::thread& worker : workers) worker.join();
  } else {
    for (std::thread& worker : workers) worker.detach();
    gLeftBehind.store(true);
  }
  load->hand_over(frags, first);
}

bool workers_left_behind() { return gLeftBehind.load(); }

}  // namespace tolva
