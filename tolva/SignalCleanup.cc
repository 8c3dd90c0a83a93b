#include "SignalCleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <pthread.h>
#include <sys/random.h>
#include <sys/syscall.h>
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

sigset_t ignored_now()
{
  sigset_t ignored;
  sigemptyset(&ignored);
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction current;
    if (sigaction(signal, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_IGN)
      sigaddset(&ignored, signal);
  }
  return ignored;
}

// What the process was started with ignored, seen before main, so before
// GTK or the window ignore anything themselves.
const sigset_t gStartedIgnored = ignored_now();

using namespace slot;

// The path, and the folder it is taken in, are written only while the
// slot is claimed (the moves are in the header).
struct Slot
{
  std::atomic<int> state{kFree};
  std::atomic<pthread_t> owner{};
  int folder = AT_FDCWD;
  char path[PATH_MAX];
};

// Makes one move of the table, if the slot is where it starts.
template <State From, State To>
bool move(Slot& slot)
{
  static_assert(is_move(From, To), "a slot makes only the moves of its table");
  int from = From;
  return slot.state.compare_exchange_strong(from, To);
}

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

// A create in a FUSE or NFS folder may take its time: the end waits this
// long, in all, for those under way on other threads, so that a signal
// still ends the run within a tenth of a second.
const long kCreateWaitNs = 50'000'000;

long long monotonic_ns()
{
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

// Takes the slot's file, if it has one, and unlinks it. A create still
// under way is waited for until the deadline, then forsaken: its name is
// not known to be the run's. A slot another handler took is unlinked
// again: that one may still be before its unlink, and this one may end
// the run first.
void remove_slot(Slot& slot, long long deadline)
{
  for (;;) {
    int state = slot.state.load();
    if (state == kCreating && monotonic_ns() < deadline) {
      const timespec nap = {0, 1'000'000};
      nanosleep(&nap, nullptr);
      continue;
    }
    if (state == kCreating) {
      if (move<kCreating, kForsaken>(slot)) return;
      continue;
    }
    if (state == kArmed && !move<kArmed, kRemoving>(slot)) continue;
    if (state == kArmed || state == kRemoving) unlinkat(slot.folder, slot.path, 0);
    return;
  }
}

}  // namespace

void remove_armed_files()
{
  if (getpid() != gOwner.load()) return;
  gEnding.store(true);
  const long long deadline = monotonic_ns() + kCreateWaitNs;
  for (Block* block = &gFirst; block != nullptr; block = block->next.load())
    for (Slot& slot : block->slots) remove_slot(slot, deadline);
}

namespace {

// A fault the kernel raised at an instruction, which runs again once the
// handler returns: the kernel then forces the fault on the process with
// its default action, also on the first process of a PID namespace, which
// no signal sent ends. A trap and a seccomp SIGSYS resume past their
// instruction, so they do not recur.
bool recurs(int signal, const siginfo_t* info)
{
  return info != nullptr && info->si_code > 0 &&
         (signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL);
}

// The signal is queued again to this thread, with its own information,
// and held until the handler returns: it then ends the run with its
// default action, a fault at the instruction that made it, with its own
// code and address in the core, whether that instruction would fault again
// or not. When it cannot be queued (a full queue of real-time signals) a
// plain one is sent. The first process of a PID namespace drops every
// signal queued so, as no default action ends that process: unless the
// fault recurs, it ends at once, with the status a shell gives the signal.
void remove_and_die(int signal, siginfo_t* info, void*)
{
  const int saved = errno;
  remove_armed_files();
  if (getpid() == 1 && !recurs(signal, info)) _exit(128 + signal);
  struct sigaction fallback = {};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  if (syscall(SYS_rt_tgsigqueueinfo, getpid(), syscall(SYS_gettid), signal, info) != 0) kill(getpid(), signal);
  errno = saved;
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
    for (Slot& slot : block->slots)
      if (move<kFree, kClaimed>(slot)) return &slot;
    Block* next = block->next.load();
    if (next == nullptr) {
      Block* fresh = new (std::nothrow) Block;
      if (fresh == nullptr) return nullptr;
      move<kFree, kClaimed>(fresh->slots[0]);
      if (block->next.compare_exchange_strong(next, fresh)) return &fresh->slots[0];
      delete fresh;  // another thread appended one first: `next` is it
    }
    block = next;
  }
}

// Six letters or digits in place of the template's XXXXXX, drawn afresh
// for each try.
void draw_name(char* letters)
{
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::atomic<uint64_t> tries{0};
  uint64_t bits;
  if (getrandom(&bits, sizeof bits, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof bits)) {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    bits = (static_cast<uint64_t>(now.tv_sec) << 30 ^ static_cast<uint64_t>(now.tv_nsec) ^
            static_cast<uint64_t>(getpid()) << 40) +
           tries.fetch_add(1) * 0x9E3779B97F4A7C15ULL;
  }
  for (int k = 0; k < 6; ++k, bits /= 62) letters[k] = kAlphabet[bits % 62];
}

// The end of the run has begun, and it ends the process: no file is made,
// and the slot is never written again, as the end may be reading its path.
// The thread, its signals held, waits for that end: a refusal would fail
// the run before the signal that is ending it.
[[noreturn]] void wait_for_the_end(Slot& slot)
{
  move<kCreating, kClaimed>(slot);
  for (;;) pause();
}

// One create, made on a thread of its own that holds every handled
// signal: a create in a FUSE or NFS folder may keep its thread in the
// kernel for as long as the server takes, and the thread that asked for
// the file stays free to take a signal meanwhile.
struct Create
{
  Slot* slot;
  char* letters;
  pthread_t owner;
  int fd = -1;
  int error = ENOMEM;
};

// Makes the file under fresh names in the claimed slot until one is new.
void* create(void* request)
{
  Create& c = *static_cast<Create*>(request);
  Slot& slot = *c.slot;
  for (int attempt = 0; attempt < 10000; ++attempt) {
    draw_name(c.letters);
    // Stored before the end is looked at, as the end does the other way
    // round: either this thread sees the end and makes nothing, or the end
    // sees the create under way and waits for it.
    move<kClaimed, kCreating>(slot);
    if (gEnding.load()) wait_for_the_end(slot);
    c.fd = openat(slot.folder, slot.path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    c.error = errno;
    if (c.fd >= 0) {
      slot.owner.store(c.owner);
      if (move<kCreating, kArmed>(slot)) return nullptr;
      // The end has forsaken the slot: the file is this run's to remove.
      unlinkat(slot.folder, slot.path, 0);
      close(c.fd);
      wait_for_the_end(slot);
    }
    if (!move<kCreating, kClaimed>(slot) || gEnding.load()) wait_for_the_end(slot);
    if (c.error != EEXIST) break;
  }
  move<kClaimed, kFree>(slot);
  return nullptr;
}

// Runs the create on a thread of its own, which starts with the caller's
// mask: the handled signals held. Where no thread can be started, on the
// caller's, with them held all along.
void create_apart(Create& request, const sigset_t& previous)
{
  pthread_t creator;
  if (pthread_create(&creator, nullptr, create, &request) != 0) {
    create(&request);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return;
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  pthread_join(creator, nullptr);
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

void handle_signals_as_first_process()
{
  if (getpid() == 1) install();
}

void drop_handlers()
{
  for (int signal = 1; signal < NSIG; ++signal) {
    struct sigaction current;
    if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_DFL ||
        (current.sa_handler == SIG_IGN && sigismember(&gStartedIgnored, signal)))
      continue;
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigaction(signal, &fallback, nullptr);
  }
}

int make_removed_on_signal(char* pattern, int suffix, int folder)
{
  const size_t length = std::strlen(pattern);
  if (length >= PATH_MAX) {
    errno = ENAMETOOLONG;
    return -1;
  }
  if (suffix < 0 || length < static_cast<size_t>(suffix) + 6 ||
      std::strncmp(pattern + length - suffix - 6, "XXXXXX", 6) != 0) {
    errno = EINVAL;
    return -1;
  }
  install();
  sigset_t previous;
  hold_handled_signals(previous);
  Slot* slot = claim();
  if (slot == nullptr) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    errno = ENOMEM;
    return -1;
  }
  slot->folder = folder;
  std::strcpy(slot->path, pattern);
  Create request{slot, slot->path + length - suffix - 6, pthread_self()};
  create_apart(request, previous);
  if (request.fd >= 0) std::strcpy(pattern, slot->path);
  errno = request.error;
  return request.fd;
}

void disarm_removal(const char* path, int folder)
{
  // Only the caller's own slots are compared: another thread may be
  // writing a path into a slot it has just claimed.
  const pthread_t self = pthread_self();
  for (Block* block = &gFirst; block != nullptr; block = block->next.load())
    for (Slot& slot : block->slots)
      if (slot.state.load() == kArmed && pthread_equal(slot.owner.load(), self) && slot.folder == folder &&
          std::strcmp(slot.path, path) == 0) {
        move<kArmed, kFree>(slot);
        return;
      }
}

}  // namespace tolva
