#include "WorkerPool.h"

#include <exception>
#include <mutex>
#include <pthread.h>
#include <vector>

#include "Exception.h"
#include "Options.h"

namespace tolva {

namespace {

// One worker's record: the task it runs and where it reports a failure.
struct ThreadRecord
{
  unsigned index;
  const std::function<void(unsigned)>* task;
  std::atomic<unsigned>* running;
  std::exception_ptr* failure;
  std::mutex* mutex;
};

}  // namespace

}  // namespace tolva

// The start routine of every worker thread. A failure is kept for the main
// thread, which rethrows it once all workers are joined: it never ends the
// process from here, and no lock is left held.
extern "C" void* __redirect(void* argument)
{
  tolva::ThreadRecord* record = static_cast<tolva::ThreadRecord*>(argument);
  try {
    (*record->task)(record->index);
  } catch (...) {
    std::lock_guard<std::mutex> lock(*record->mutex);
    if (!*record->failure) *record->failure = std::current_exception();
  }
  record->running->fetch_sub(1);
  return nullptr;
}

namespace tolva {

void run_threads(unsigned count, const std::function<void(unsigned)>& task, const std::function<void()>& wait)
{
  std::mutex mutex;
  std::exception_ptr failure;
  std::atomic<unsigned> running(count);
  std::vector<ThreadRecord> records(count);
  std::vector<pthread_t> threads;
  threads.reserve(count);
  for (unsigned k = 0; k < count; ++k) {
    records[k] = ThreadRecord{k, &task, &running, &failure, &mutex};
    pthread_t thread;
    if (pthread_create(&thread, nullptr, __redirect, &records[k]) != 0) {
      running.fetch_sub(count - k);
      std::lock_guard<std::mutex> lock(mutex);
      if (!failure) failure = std::make_exception_ptr(CException("Cannot start a worker thread."));
      break;
    }
    threads.push_back(thread);
  }
  if (wait)
    while (running.load() > 0) wait();
  for (pthread_t thread : threads) pthread_join(thread, nullptr);
  if (failure) std::rethrow_exception(failure);
}

unsigned worker_count(size_t n)
{
  const unsigned jobs = static_cast<unsigned>(__nb_threads);
  if (jobs <= 1 || n <= 1) return 1;
  return jobs < n ? jobs : static_cast<unsigned>(n);
}

}  // namespace tolva
