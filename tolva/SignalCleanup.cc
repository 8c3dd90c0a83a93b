#include "SignalCleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace tolva {

namespace {

// Every signal whose default action ends the process, but SIGKILL; the
// real-time ones are added at run time.
const int kSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1,
                        SIGSEGV, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM, SIGSTKFLT, SIGXCPU, SIGXFSZ, SIGVTALRM,
                        SIGPROF, SIGIO,   SIGPWR,  SIGSYS};

// The -o file's and the viewer's: one slot each is enough, the rest spare.
const int kSlots = 4;

// What the handler reads: each path is written before its slot is armed,
// so that the handler only calls unlink. The handler may run on any thread.
struct Slot
{
  char path[PATH_MAX];
  std::atomic<bool> armed;
};
Slot gSlots[kSlots];
pid_t gOwner = 0;
static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flags");
bool gInstalled = false;

}  // namespace

void remove_armed_files()
{
  if (getpid() != gOwner) return;
  for (Slot& slot : gSlots)
    if (slot.armed.exchange(false)) unlink(slot.path);
}

namespace {

void remove_and_die(int signal)
{
  remove_armed_files();
  // Raised again, the signal waits until the handler returns, then kills.
  std::signal(signal, SIG_DFL);
  raise(signal);
}

template <typename Each>
void for_each_signal(Each each)
{
  for (int signal : kSignals) each(signal);
  for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) each(signal);
}

void install()
{
  if (gInstalled) return;
  gInstalled = true;
  std::atexit(remove_armed_files);
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = remove_and_die;
  sigfillset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for_each_signal([&action](int signal) {
    struct sigaction previous;
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_DFL)
      sigaction(signal, &action, nullptr);
  });
}

Slot* free_slot()
{
  for (Slot& slot : gSlots)
    if (!slot.armed.load()) return &slot;
  return nullptr;
}

}  // namespace

int make_removed_on_signal(char* pattern, int suffix)
{
  Slot* slot = free_slot();
  if (std::strlen(pattern) >= PATH_MAX || slot == nullptr) {
    errno = slot == nullptr ? EMFILE : ENAMETOOLONG;
    return -1;
  }
  install();
  sigset_t held, previous;
  sigemptyset(&held);
  for_each_signal([&held](int signal) { sigaddset(&held, signal); });
  pthread_sigmask(SIG_BLOCK, &held, &previous);
  int fd = mkostemps(pattern, suffix, O_CLOEXEC);
  int error = errno;
  if (fd >= 0) {
    std::strcpy(slot->path, pattern);
    gOwner = getpid();
    slot->armed.store(true, std::memory_order_release);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  errno = error;
  return fd;
}

void disarm_removal(const char* path)
{
  for (Slot& slot : gSlots)
    if (slot.armed.load() && std::strcmp(slot.path, path) == 0) slot.armed.store(false);
}

}  // namespace tolva
