/* Preloaded into the tool by the tests, to reach a moment no timing could.
 * SHIM_FAULT_FSYNC: fsync (the -o file's, still armed) faults: =accerr, a
 * read of a page the next unlink makes readable; =fpe, a SIGFPE the process
 * queues itself, as SHIM_FAULT_TMPFILE=fpe at an O_TMPFILE open; else a
 * write at address 16. A hold makes SHIM_DIR/held and waits for
 * SHIM_DIR/go: the first unlink of a path holding SHIM_HOLD_UNLINK (its
 * signals held), the first fork's parent (SHIM_HOLD_FORK=1), or the first
 * create of a path holding SHIM_HOLD_CREATE, made by another process (a
 * FUSE server) at once, or only at the go (SHIM_LATE=1), or not by this
 * one: it finds another's file there (SHIM_TAKEN=1, EEXIST at the go).
 * SHIM_FREEZE=1: the monotonic clock stands still from that create on, and
 * a nanosleep then makes SHIM_DIR/waiting. While a hold lasts, O_TMPFILE
 * opens make SHIM_DIR/asked. A create of a tolva-pipe- name makes
 * SHIM_DIR/made, a pause SHIM_DIR/paused. SHIM_HOLD_RAISE=1: queueing a
 * signal with its information makes SHIM_DIR/raise and waits for
 * SHIM_DIR/raise-go. SHIM_NO_TMPFILE=1: O_TMPFILE fails, as on FUSE.
 * SHIM_NAME_TAKEN=1: the first create finds its name taken. SHIM_NO_QUEUE=1:
 * no signal can be queued with its information. SHIM_REFUSE names calls
 * refused (memfd_create, socket, eventfd). SHIM_EMFILE_AT=n: the n-th
 * opening of a /proc/self/fd/ path finds no descriptor; SHIM_EMFILE_DUP=1:
 * so does every dup. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/eventfd.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static int held, opened, created, taken, holding, frozen;
static struct timespec frozen_at;
static volatile char* page;
typedef long (*Syscall)(long, ...);
static Syscall found;

/* The C library's syscall, found before any signal handler may need it:
 * the tool's own calls may come before this shim's constructor. */
static Syscall next(void)
{
  if (!found) found = (Syscall)dlsym(RTLD_NEXT, "syscall");
  return found;
}
#define next_syscall (next())
__attribute__((constructor)) static void find_next(void) { next(); }

/* Async-signal-safe: the unlink held may be a signal handler's. */
static const char* in_dir(char* path, const char* name)
{
  return strcat(strcat(strcpy(path, getenv("SHIM_DIR")), "/"), name);
}

static void note(const char* name)
{
  char path[PATH_MAX];
  close(next_syscall(SYS_openat, AT_FDCWD, in_dir(path, name), O_WRONLY | O_CREAT, 0600));
}

/* Makes SHIM_DIR/<name>: a hold has begun. What it stands for is set
 * before the note, as the test acts on it. */
static void begin_hold(const char* name)
{
  __atomic_store_n(&holding, 1, __ATOMIC_SEQ_CST);
  if (name) note(name);
}

static void wait_for(const char* go)
{
  char path[PATH_MAX];
  struct timespec pause = {0, 1000000};
  for (int k = 0; k < 600000 && access(in_dir(path, go), F_OK) != 0; ++k) next_syscall(SYS_nanosleep, &pause, NULL);
}

static void hold(const char* name, const char* go)
{
  begin_hold(name);
  wait_for(go);
  __atomic_store_n(&holding, 0, __ATOMIC_SEQ_CST);
}

static void fault(const char* how)
{
  int* volatile nowhere = (int*)16;
  siginfo_t info = {.si_signo = SIGFPE, .si_code = FPE_INTDIV};
  if (how && !strcmp(how, "fpe"))
    next_syscall(SYS_rt_tgsigqueueinfo, getpid(), syscall(SYS_gettid), SIGFPE, &info);
  else if (how && !strcmp(how, "accerr"))
    (void)*(page = mmap(NULL, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  else if (how)
    *nowhere = 0;
}

static int create_elsewhere(const char* path, int flags, int mode)
{
  const int late = getenv("SHIM_LATE") != NULL, other = getenv("SHIM_TAKEN") != NULL;
  if (getenv("SHIM_FREEZE")) {
    next_syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &frozen_at);
    __atomic_store_n(&frozen, 1, __ATOMIC_SEQ_CST);
  }
  if (late) begin_hold("held");
  pid_t maker = fork();
  if (maker == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (late) wait_for("go");
    close(next_syscall(SYS_openat, AT_FDCWD, path, flags, mode));
    note("made");
    _exit(0);
  }
  waitpid(maker, NULL, 0);
  if (late)
    __atomic_store_n(&holding, 0, __ATOMIC_SEQ_CST);
  else
    hold("held", "go");
  if (other) return errno = EEXIST, -1;
  return next_syscall(SYS_openat, AT_FDCWD, path, flags & ~(O_CREAT | O_EXCL), mode);
}

__attribute__((constructor)) static void no_queue(void)
{
  struct sock_filter only[] = {BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(struct seccomp_data, nr)),
                               BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_rt_tgsigqueueinfo, 0, 1),
                               BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EAGAIN),
                               BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)};
  struct sock_fprog filter = {4, only};
  if (getenv("SHIM_NO_QUEUE") && (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) || prctl(PR_SET_SECCOMP, 2, &filter)))
    abort();
}

static int refused(const char* path, int flags)
{
  const char* at = getenv("SHIM_EMFILE_AT");
  const int unnamed = (flags & O_TMPFILE) == O_TMPFILE;
  if (unnamed) fault(getenv("SHIM_FAULT_TMPFILE"));
  if (unnamed && __atomic_load_n(&holding, __ATOMIC_SEQ_CST)) note("asked");
  if ((flags & O_EXCL) && strstr(path, "tolva-pipe-")) note("made");
  if (getenv("SHIM_NO_TMPFILE") && unnamed) return errno = EOPNOTSUPP;
  if (getenv("SHIM_NAME_TAKEN") && (flags & O_EXCL) && !__atomic_exchange_n(&taken, 1, __ATOMIC_SEQ_CST))
    return errno = EEXIST;
  if (at && strstr(path, "/proc/self/fd/") && __atomic_add_fetch(&opened, 1, __ATOMIC_SEQ_CST) == atoi(at))
    return errno = EMFILE;
  return 0;
}

int open(const char* path, int flags, ...)
{
  va_list rest;
  va_start(rest, flags);
  int mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(rest, int) : 0;
  va_end(rest);
  const char* which = getenv("SHIM_HOLD_CREATE");
  if (which && (flags & O_EXCL) && strstr(path, which) && !__atomic_exchange_n(&created, 1, __ATOMIC_SEQ_CST))
    return create_elsewhere(path, flags, mode);
  return refused(path, flags) ? -1 : next_syscall(SYS_openat, AT_FDCWD, path, flags, mode);
}

FILE* fopen(const char* path, const char* mode)
{
  FILE* (*next)(const char*, const char*) = (FILE * (*)(const char*, const char*)) dlsym(RTLD_NEXT, "fopen");
  return refused(path, 0) ? NULL : next(path, mode);
}

int fsync(int fd)
{
  fault(getenv("SHIM_FAULT_FSYNC"));
  return next_syscall(SYS_fsync, fd);
}

int unlink(const char* path)
{
  sigset_t all, mask;
  sigfillset(&all);
  const char* which = getenv("SHIM_HOLD_UNLINK");
  if (page) mprotect((void*)page, 4096, PROT_READ);
  if (which && strstr(path, which) && !__atomic_exchange_n(&held, 1, __ATOMIC_SEQ_CST)) {
    pthread_sigmask(SIG_BLOCK, &all, &mask);
    hold("held", "go");
    pthread_sigmask(SIG_SETMASK, &mask, NULL);
  }
  return next_syscall(SYS_unlinkat, AT_FDCWD, path, 0);
}

pid_t fork(void)
{
  pid_t (*next)(void) = (pid_t(*)(void))dlsym(RTLD_NEXT, "fork");
  const int first = getenv("SHIM_HOLD_FORK") && !__atomic_exchange_n(&held, 1, __ATOMIC_SEQ_CST);
  pid_t pid = next();
  if (pid > 0 && first) hold("held", "go");
  return pid;
}

int dup(int fd)
{
  if (getenv("SHIM_EMFILE_DUP")) return errno = EMFILE, -1;
  return next_syscall(SYS_dup, fd);
}

int clock_gettime(clockid_t clock, struct timespec* now)
{
  if (clock == CLOCK_MONOTONIC && __atomic_load_n(&frozen, __ATOMIC_SEQ_CST)) return *now = frozen_at, 0;
  return next_syscall(SYS_clock_gettime, clock, now);
}

int nanosleep(const struct timespec* span, struct timespec* left)
{
  if (__atomic_load_n(&frozen, __ATOMIC_SEQ_CST)) note("waiting");
  return next_syscall(SYS_nanosleep, span, left);
}

int pause(void)
{
  note("paused");
  return next_syscall(SYS_pause);
}

/* Six arguments taken whatever the call, as the C library's own does. */
long syscall(long number, ...)
{
  va_list rest;
  va_start(rest, number);
  long a[6];
  for (int k = 0; k < 6; ++k) a[k] = va_arg(rest, long);
  va_end(rest);
  if (number == SYS_rt_tgsigqueueinfo && getenv("SHIM_HOLD_RAISE")) hold("raise", "raise-go");
  return next_syscall(number, a[0], a[1], a[2], a[3], a[4], a[5]);
}

static int refusing(const char* call)
{
  const char* which = getenv("SHIM_REFUSE");
  return which && strstr(which, call) ? (errno = ENOSYS, 1) : 0;
}

int memfd_create(const char* name, unsigned flags)
{
  return refusing("memfd") ? -1 : next_syscall(SYS_memfd_create, name, flags);
}

int socket(int domain, int type, int protocol)
{
  return refusing("socket") ? -1 : next_syscall(SYS_socket, domain, type, protocol);
}

int eventfd(unsigned count, int flags)
{
  return refusing("eventfd") ? -1 : next_syscall(SYS_eventfd2, count, flags);
}
