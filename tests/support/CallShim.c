/* Preloaded into the tool by the tests, to reach a moment no timing could.
 * SHIM_FAULT_FSYNC: fsync (the -o file's, still armed) faults: =accerr, a
 * read of a page the next unlink makes readable; =bus, a read of a mapped
 * page past its file's end; =fpe, a SIGFPE the process
 * queues itself, as SHIM_FAULT_TMPFILE=fpe at an O_TMPFILE open; else a
 * write at address 16. The first unlink of a path holding SHIM_HOLD_UNLINK
 * (its signals held), the first fork's parent (SHIM_HOLD_FORK=1), or the
 * first create of a path holding SHIM_HOLD_CREATE, made by another process
 * (a FUSE server), makes SHIM_DIR/held and waits for SHIM_DIR/go;
 * SHIM_LATE=1: that create is made at the go; SHIM_TAKEN=1: it then fails,
 * the name another's file; SHIM_FREEZE=1: from its start the monotonic
 * clock stands still, and a nanosleep makes SHIM_DIR/waiting. A create of
 * a pipe's copy makes SHIM_DIR/made, a pause SHIM_DIR/paused.
 * The first write to a descriptor whose path holds SHIM_HOLD_WRITE makes
 * SHIM_DIR/held and waits for SHIM_DIR/go, its signals open. A note holds
 * the thread id of its maker. SHIM_NO_THREAD=1: no thread can be started.
 * SHIM_HOLD_RAISE=1: the TERM handler's reset to the default action, the
 * step before its signal is raised again, makes SHIM_DIR/raise and waits
 * for SHIM_DIR/raise-go. SHIM_NO_TMPFILE=1: O_TMPFILE fails, as on FUSE.
 * SHIM_NAME_TAKEN=1: the first create finds its name taken. SHIM_NO_QUEUE=1:
 * no signal can be queued with its information. SHIM_REFUSE=socket: no
 * socket can be made. SHIM_EMFILE_AT=n: the n-th opening of a
 * /proc/self/fd/ path finds no descriptor; SHIM_EMFILE_DUP=1: so does every
 * dup. */
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
#include <sys/mman.h>
#include <sys/prctl.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static int held, opened, created, taken, frozen;
static struct timespec frozen_at;
static volatile char* page;
static int (*next_sigaction)(int, const struct sigaction*, struct sigaction*);

/* Async-signal-safe: the unlink held may be a signal handler's. */
static const char* in_dir(char* path, const char* name)
{
  return strcat(strcat(strcpy(path, getenv("SHIM_DIR")), "/"), name);
}

/* Made whole under another name, so that it appears with its contents. */
static void note(const char* name)
{
  char path[PATH_MAX], part[PATH_MAX], digits[24];
  int at = sizeof digits;
  in_dir(path, name);
  strcat(strcpy(part, path), ".part");
  int fd = syscall(SYS_openat, AT_FDCWD, part, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  for (long tid = syscall(SYS_gettid); tid > 0 || at == sizeof digits; tid /= 10) digits[--at] = '0' + tid % 10;
  if (syscall(SYS_write, fd, digits + at, sizeof digits - at) < 0) abort();
  close(fd);
  rename(part, path);
}

/* Makes SHIM_DIR/<name>, unless it is null, and waits for SHIM_DIR/<go>. */
static void hold(const char* name, const char* go)
{
  char path[PATH_MAX];
  struct timespec pause = {0, 1000000};
  if (name) note(name);
  for (int k = 0; k < 600000 && access(in_dir(path, go), F_OK) != 0; ++k) syscall(SYS_nanosleep, &pause, NULL);
}

static void fault(const char* how)
{
  int* volatile nowhere = (int*)16;
  siginfo_t info = {.si_signo = SIGFPE, .si_code = FPE_INTDIV};
  if (how && !strcmp(how, "fpe"))
    syscall(SYS_rt_tgsigqueueinfo, getpid(), syscall(SYS_gettid), SIGFPE, &info);
  else if (how && !strcmp(how, "accerr"))
    (void)*(page = mmap(NULL, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  else if (how && !strcmp(how, "bus"))
    (void)*(volatile char*)mmap(NULL, 4096, PROT_READ, MAP_SHARED, memfd_create("empty", 0), 0);
  else if (how)
    *nowhere = 0;
}

static int create_elsewhere(int dir, const char* path, int flags, int mode)
{
  const int late = getenv("SHIM_LATE") != NULL;
  if (getenv("SHIM_FREEZE")) syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &frozen_at), frozen = 1;
  if (late) note("held");
  pid_t maker = fork();
  if (maker == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (late) hold(NULL, "go");
    close(syscall(SYS_openat, dir, path, flags, mode));
    note("made");
    _exit(0);
  }
  waitpid(maker, NULL, 0);
  if (!late) hold("held", "go");
  if (getenv("SHIM_TAKEN")) return errno = EEXIST, -1;
  return syscall(SYS_openat, dir, path, flags & ~(O_CREAT | O_EXCL), mode);
}

__attribute__((constructor)) static void no_queue(void)
{
  next_sigaction = (int (*)(int, const struct sigaction*, struct sigaction*))dlsym(RTLD_NEXT, "sigaction");
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
  if ((flags & O_EXCL) && strstr(path, "tolva-pipe-")) note("made");
  if (getenv("SHIM_NO_TMPFILE") && unnamed) return errno = EOPNOTSUPP;
  if (getenv("SHIM_NAME_TAKEN") && (flags & O_EXCL) && !__atomic_exchange_n(&taken, 1, __ATOMIC_SEQ_CST))
    return errno = EEXIST;
  if (at && strstr(path, "/proc/self/fd/") && __atomic_add_fetch(&opened, 1, __ATOMIC_SEQ_CST) == atoi(at))
    return errno = EMFILE;
  return 0;
}

static int open_in(int dir, const char* path, int flags, int mode)
{
  const char* which = getenv("SHIM_HOLD_CREATE");
  if (which && (flags & O_EXCL) && strstr(path, which) && !__atomic_exchange_n(&created, 1, __ATOMIC_SEQ_CST))
    return create_elsewhere(dir, path, flags, mode);
  return refused(path, flags) ? -1 : syscall(SYS_openat, dir, path, flags, mode);
}

static int mode_of(int flags, va_list rest)
{
  return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(rest, int) : 0;
}

int open(const char* path, int flags, ...)
{
  va_list rest;
  va_start(rest, flags);
  const int mode = mode_of(flags, rest);
  va_end(rest);
  return open_in(AT_FDCWD, path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...)
{
  va_list rest;
  va_start(rest, flags);
  const int mode = mode_of(flags, rest);
  va_end(rest);
  return open_in(dir, path, flags, mode);
}

FILE* fopen(const char* path, const char* mode)
{
  FILE* (*next)(const char*, const char*) = (FILE * (*)(const char*, const char*)) dlsym(RTLD_NEXT, "fopen");
  return refused(path, 0) ? NULL : next(path, mode);
}

int fsync(int fd)
{
  fault(getenv("SHIM_FAULT_FSYNC"));
  return syscall(SYS_fsync, fd);
}

static int unlinked(int dir, const char* path)
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
  return syscall(SYS_unlinkat, dir, path, 0);
}

int unlink(const char* path) { return unlinked(AT_FDCWD, path); }

int unlinkat(int dir, const char* path, int flags)
{
  return flags ? syscall(SYS_unlinkat, dir, path, flags) : unlinked(dir, path);
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
  return syscall(SYS_dup, fd);
}

int clock_gettime(clockid_t clock, struct timespec* now)
{
  if (frozen && clock == CLOCK_MONOTONIC) return *now = frozen_at, 0;
  return syscall(SYS_clock_gettime, clock, now);
}

int nanosleep(const struct timespec* span, struct timespec* left)
{
  if (frozen) note("waiting");
  return syscall(SYS_nanosleep, span, left);
}

int pause(void)
{
  sigset_t mask;
  note("paused");
  pthread_sigmask(SIG_SETMASK, NULL, &mask);
  return sigsuspend(&mask);
}

/* Whether the descriptor's file is the one SHIM_HOLD_WRITE names, the
 * first time it is. */
static int write_held(int fd)
{
  static int writes;
  const char* which = getenv("SHIM_HOLD_WRITE");
  char link[64], path[PATH_MAX];
  if (!which) return 0;
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, path, sizeof path - 1);
  if (n < 0) return 0;
  path[n] = '\0';
  return strstr(path, which) && !__atomic_exchange_n(&writes, 1, __ATOMIC_SEQ_CST);
}

ssize_t write(int fd, const void* bytes, size_t count)
{
  if (write_held(fd)) hold("held", "go");
  return syscall(SYS_write, fd, bytes, count);
}

ssize_t writev(int fd, const struct iovec* parts, int count)
{
  if (write_held(fd)) hold("held", "go");
  return syscall(SYS_writev, fd, parts, count);
}

int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*), void* arg)
{
  int (*next)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*) =
    (int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*))dlsym(RTLD_NEXT, "pthread_create");
  return getenv("SHIM_NO_THREAD") ? EAGAIN : next(thread, attr, start, arg);
}

int sigaction(int signal, const struct sigaction* action, struct sigaction* old)
{
  if (getenv("SHIM_HOLD_RAISE") && signal == SIGTERM && action && action->sa_handler == SIG_DFL)
    hold("raise", "raise-go");
  return next_sigaction(signal, action, old);
}

int socket(int domain, int type, int protocol)
{
  const char* refused = getenv("SHIM_REFUSE");
  return refused && !strcmp(refused, "socket") ? errno = EACCES, -1 : syscall(SYS_socket, domain, type, protocol);
}
