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

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// What the handler reads: prepared before it is armed, so that the handler
// only calls unlink. The handler may run on any thread.
char gPath[PATH_MAX];
pid_t gOwner = 0;
std::atomic<bool> gArmed(false);
static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flag");
bool gInstalled = false;

void remove_and_die(int signal)
{
  if (gArmed.load(std::memory_order_acquire) && getpid() == gOwner) unlink(gPath);
  // Raised again, the signal waits until the handler returns, then kills.
  std::signal(signal, SIG_DFL);
  raise(signal);
}

void install()
{
  if (gInstalled) return;
  gInstalled = true;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = remove_and_die;
  sigfillset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) {
    struct sigaction previous;
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_DFL)
      sigaction(signal, &action, nullptr);
  }
}

}  // namespace

int make_removed_on_signal(char* pattern)
{
  if (std::strlen(pattern) >= sizeof gPath) {
    errno = ENAMETOOLONG;
    return -1;
  }
  install();
  sigset_t held, previous;
  sigemptyset(&held);
  for (int signal : kSignals) sigaddset(&held, signal);
  pthread_sigmask(SIG_BLOCK, &held, &previous);
  int fd = mkostemp(pattern, O_CLOEXEC);
  int error = errno;
  if (fd >= 0) {
    gArmed.store(false);
    std::strcpy(gPath, pattern);
    gOwner = getpid();
    gArmed.store(true, std::memory_order_release);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  errno = error;
  return fd;
}

void disarm_removal() { gArmed.store(false); }

void remove_armed_file()
{
  if (gArmed.load() && getpid() == gOwner) unlink(gPath);
  gArmed.store(false);
}

}  // namespace tolva
