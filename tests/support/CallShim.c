/* Preloaded into the tool by the tests, to reach a moment no timing could.
 * SHIM_FAULT_FSYNC=1: fsync (the -o file's, still armed) faults. The first
 * unlink of a path holding SHIM_HOLD_UNLINK (its signals held), or the first
 * fork's parent (SHIM_HOLD_FORK=1), makes SHIM_DIR/held and waits for
 * SHIM_DIR/go. SHIM_NO_TMPFILE=1: O_TMPFILE fails, as on FUSE.
 * SHIM_EMFILE_AT=n: the n-th opening of a /proc/self/fd/ path finds no
 * descriptor; SHIM_EMFILE_DUP=1: so does every dup. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

static int held, opened;

/* Async-signal-safe: the unlink held may be a signal handler's. */
static void hold(void)
{
  char path[PATH_MAX];
  strcat(strcpy(path, getenv("SHIM_DIR")), "/held");
  close(syscall(SYS_openat, AT_FDCWD, path, O_WRONLY | O_CREAT, 0600));
  strcpy(path + strlen(path) - 4, "go");
  struct timespec pause = {0, 10000000};
  for (int k = 0; k < 6000 && access(path, F_OK) != 0; ++k) nanosleep(&pause, NULL);
}

static int refused(const char* path, int flags)
{
  const char* at = getenv("SHIM_EMFILE_AT");
  if (getenv("SHIM_NO_TMPFILE") && (flags & O_TMPFILE) == O_TMPFILE) return errno = EOPNOTSUPP;
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
  return refused(path, flags) ? -1 : syscall(SYS_openat, AT_FDCWD, path, flags, mode);
}

FILE* fopen(const char* path, const char* mode)
{
  FILE* (*next)(const char*, const char*) = (FILE * (*)(const char*, const char*)) dlsym(RTLD_NEXT, "fopen");
  return refused(path, 0) ? NULL : next(path, mode);
}

int fsync(int fd)
{
  int* volatile nowhere = (int*)16;
  if (getenv("SHIM_FAULT_FSYNC")) *nowhere = 0;
  return syscall(SYS_fsync, fd);
}

int unlink(const char* path)
{
  sigset_t all, mask;
  sigfillset(&all);
  const char* which = getenv("SHIM_HOLD_UNLINK");
  if (which && strstr(path, which) && !__atomic_exchange_n(&held, 1, __ATOMIC_SEQ_CST)) {
    pthread_sigmask(SIG_BLOCK, &all, &mask);
    hold();
    pthread_sigmask(SIG_SETMASK, &mask, NULL);
  }
  return syscall(SYS_unlinkat, AT_FDCWD, path, 0);
}

pid_t fork(void)
{
  pid_t (*next)(void) = (pid_t(*)(void))dlsym(RTLD_NEXT, "fork");
  const int first = getenv("SHIM_HOLD_FORK") && !__atomic_exchange_n(&held, 1, __ATOMIC_SEQ_CST);
  pid_t pid = next();
  if (pid > 0 && first) hold();
  return pid;
}

int dup(int fd)
{
  if (getenv("SHIM_EMFILE_DUP")) return errno = EMFILE, -1;
  return syscall(SYS_dup, fd);
}
