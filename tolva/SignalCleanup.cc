#include "SignalCleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <pthread.h>
#include <sched.h>
#include <unistd.h>

namespace tolva {

namespace {

// Every signal whose default action ends the process, but SIGKILL; the
// real-time ones are added at run time.
const int kSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1,
                        SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM,
                        SIGPROF, SIGIO,   SIGPWR,  SIGSYS};

template <typename Each>
void for_each_signal(Each each)
{
  for (int signal : kSignals) each(signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) each(signal);
}

// A slot is claimed by one thread while it makes its file, then armed.
// Its path is written only while it is claimed, so that a handler, on any
// thread, reads an armed path as it stands and only calls unlink.
enum : int { kFree, kClaimed, kArmed };

struct Slot
{
  std::atomic<int> state{kFree};
  std::atomic<pthread_t> owner{};
  char path[PATH_MAX];
};

// The -o file's and the viewer's fit in the first block; every thread
// that copies a pipe under a name holds one more for a moment. Blocks are
// appended when all are taken and never freed, so that the handler walks
// them without a lock or an allocation.
const int kSlotsPerBlock = 8;

struct Block
{
  Slot slots[kSlotsPerBlock];
  std::atomic<Block*> next{nullptr};
};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<Block*>::is_always_lock_free &&
                  std::atomic<pthread_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the handler reads the slots");

Block gFirst;
std::atomic<pid_t> gOwner{0};
// Set once the files are being removed for the end of the run.
std::atomic<bool> gEnding{false};

}  // namespace

void remove_armed_files()
{
  if (getpid() != gOwner.load()) return;
  gEnding.store(true);
  for (Block* block = &gFirst; block != nullptr; block = block->next.load())
    for (Slot& slot : block->slots) {
      int state;
      // A file being made on another thread is armed within a few calls.
      while ((state = slot.state.load()) == kClaimed) sched_yield();
      if (state != kArmed) continue;
      // Freed only once unlinked: a second signal, taken by another thread
      // meanwhile, finds the file still armed and unlinks it too before it
      // ends the run.
      unlink(slot.path);
      int armed = kArmed;
      slot.state.compare_exchange_strong(armed, kFree);
    }
}

namespace {

// A fault the kernel raised for the instruction that made it runs that
// instruction again when the handler returns; a memory error reported
// later (BUS_MCEERR_AO) is none.
bool is_fault(int signal, const siginfo_t* info)
{
  return info != nullptr && info->si_code > 0 && !(signal == SIGBUS && info->si_code == BUS_MCEERR_AO) &&
         (signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL);
}

void remove_and_die(int signal, siginfo_t* info, void*)
{
  const int saved = errno;
  remove_armed_files();
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  errno = saved;
  // A fault then faults again, fatally: the run dies of it with its own
  // code and address. Any other signal is raised again: it waits until the
  // handler returns, then kills.
  if (!is_fault(signal, info)) raise(signal);
}

void install()
{
  static std::once_flag once;
  std::call_once(once, [] {
    gOwner.store(getpid());
    std::atexit(remove_armed_files);
    struct sigaction action = {};
    action.sa_sigaction = remove_and_die;
    sigfillset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_SIGINFO;
    for_each_signal([&action](int signal) {
      struct sigaction previous;
      if (sigaction(signal, nullptr, &previous) == 0 && !(previous.sa_flags & SA_SIGINFO) &&
          previous.sa_handler == SIG_DFL)
        sigaction(signal, &action, nullptr);
    });
  });
}

// A free slot, claimed; null when no memory is left for another block.
Slot* claim()
{
  for (Block* block = &gFirst;;) {
    for (Slot& slot : block->slots) {
      int free = kFree;
      if (slot.state.compare_exchange_strong(free, kClaimed)) return &slot;
    }
    Block* next = block->next.load();
    if (next == nullptr) {
      Block* fresh = new (std::nothrow) Block;
      if (fresh == nullptr) return nullptr;
      fresh->slots[0].state.store(kClaimed);
      if (block->next.compare_exchange_strong(next, fresh)) return &fresh->slots[0];
      delete fresh;  // another thread appended one first: `next` is it
    }
    block = next;
  }
}

// The files are being removed for the end of the run: one made now could
// be left behind, so none is, and the thread waits for the end with its
// signals held.
[[noreturn]] void wait_for_the_end(Slot& slot)
{
  slot.state.store(kFree);
  for (;;) pause();
}

}  // namespace

const sigset_t& handled_signals()
{
  static const sigset_t set = [] {
    sigset_t signals;
    sigemptyset(&signals);
    for_each_signal([&signals](int signal) { sigaddset(&signals, signal); });
    return signals;
  }();
  return set;
}

void hold_handled_signals(sigset_t& previous) { pthread_sigmask(SIG_BLOCK, &handled_signals(), &previous); }

void drop_handlers()
{
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction current;
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_DFL || current.sa_handler == SIG_IGN)
      continue;
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal, &fallback, nullptr);
  }
}

int make_removed_on_signal(char* pattern, int suffix)
{
  if (std::strlen(pattern) >= PATH_MAX) {
    errno = ENAMETOOLONG;
    return -1;
  }
  install();
  sigset_t previous;
  hold_handled_signals(previous);
  Slot* slot = claim();
  // Seen after the claim: a handler that starts later waits for the slot.
  if (slot != nullptr && gEnding.load()) wait_for_the_end(*slot);
  int fd = -1, error = ENOMEM;
  if (slot != nullptr) {
    std::strcpy(slot->path, pattern);
    fd = mkostemps(slot->path, suffix, O_CLOEXEC);
    error = errno;
    if (fd >= 0) {
      std::strcpy(pattern, slot->path);
      slot->owner.store(pthread_self());
    }
    slot->state.store(fd >= 0 ? kArmed : kFree);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  errno = error;
  return fd;
}

void disarm_removal(const char* path)
{
  // Only the caller's own slots are compared: another thread may be
  // writing a path into a slot it has just claimed.
  const pthread_t self = pthread_self();
  for (Block* block = &gFirst; block != nullptr; block = block->next.load())
    for (Slot& slot : block->slots)
      if (slot.state.load() == kArmed && pthread_equal(slot.owner.load(), self) &&
          std::strcmp(slot.path, path) == 0) {
        int armed = kArmed;
        slot.state.compare_exchange_strong(armed, kFree);
        return;
      }
}

}  // namespace tolva
