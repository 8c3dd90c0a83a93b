/* Preloaded into the tool by the tests, to reach a moment that no timing
 * could; a variable left unset leaves its call alone.
 *   SHIM_FAULT_WRITE=s  a write to a file whose path holds s faults
 *   SHIM_HOLD_UNLINK=s  the first unlink of a path holding s makes
 *                       SHIM_DIR/held, then waits with its thread's
 *                       signals held until SHIM_DIR/go is there
 *   SHIM_HOLD_FORK=1    the parent of the first fork likewise, with its
 *                       signals open
 *   SHIM_NO_TMPFILE=1   open with O_TMPFILE fails, as on FUSE or NFS
 *   SHIM_EMFILE=s, SHIM_EMFILE_AT=n (1 when unset): the n-th opening of a
 *                       path holding s finds no descriptor left */
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

static const char *fault_write, *hold_unlink, *emfile;
static int hold_fork, no_tmpfile, emfile_at, emfile_seen, held;
static char held_path[PATH_MAX], go_path[PATH_MAX];

__attribute__((constructor)) static void settings(void)
{
  const char* dir = getenv("SHIM_DIR");
  fault_write = getenv("SHIM_FAULT_WRITE");
  hold_unlink = getenv("SHIM_HOLD_UNLINK");
  hold_fork = getenv("SHIM_HOLD_FORK") != NULL;
  no_tmpfile = getenv("SHIM_NO_TMPFILE") != NULL;
  emfile = getenv("SHIM_EMFILE");
  emfile_at = getenv("SHIM_EMFILE_AT") != NULL ? atoi(getenv("SHIM_EMFILE_AT")) : 1;
  snprintf(held_path, sizeof held_path, "%s/held", dir != NULL ? dir : "/nonexistent");
  snprintf(go_path, sizeof go_path, "%s/go", dir != NULL ? dir : "/nonexistent");
}

/* Async-signal-safe: a held unlink may be the signal handler's. */
static void wait_for_go(void)
{
  close(syscall(SYS_openat, AT_FDCWD, held_path, O_WRONLY | O_CREAT, 0600));
  struct timespec pause = {0, 10000000};
  for (int k = 0; k < 6000 && access(go_path, F_OK) != 0; ++k) nanosleep(&pause, NULL);
}

static int refused(const char* path, int flags)
{
  if (no_tmpfile && (flags & O_TMPFILE) == O_TMPFILE) errno = EOPNOTSUPP;
  else if (emfile != NULL && strstr(path, emfile) && __atomic_add_fetch(&emfile_seen, 1, __ATOMIC_SEQ_CST) == emfile_at)
    errno = EMFILE;
  else
    return 0;
  return 1;
}

int open(const char* path, int flags, ...)
{
  va_list rest;
  va_start(rest, flags);
  int mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(rest, int) : 0;
  va_end(rest);
  return refused(path, flags) ? -1 : (int)syscall(SYS_openat, AT_FDCWD, path, flags, mode);
}
int open64(const char* path, int flags, ...) __attribute__((alias("open")));

FILE* fopen(const char* path, const char* mode)
{
  static FILE* (*next)(const char*, const char*);
  if (next == NULL) next = (FILE * (*)(const char*, const char*)) dlsym(RTLD_NEXT, "fopen");
  return refused(path, 0) ? NULL : next(path, mode);
}

ssize_t write(int fd, const void* bytes, size_t count)
{
  char link[32], path[PATH_MAX] = "";
  int* volatile nowhere = (int*)16;
  if (fault_write != NULL && snprintf(link, sizeof link, "/proc/self/fd/%d", fd) > 0 &&
      readlink(link, path, sizeof path - 1) > 0 && strstr(path, fault_write))
    *nowhere = 0;
  return syscall(SYS_write, fd, bytes, count);
}

int unlink(const char* path)
{
  if (hold_unlink != NULL && strstr(path, hold_unlink) && !__atomic_exchange_n(&held, 1, __ATOMIC_SEQ_CST)) {
    sigset_t all, mask;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &mask);
    wait_for_go();
    pthread_sigmask(SIG_SETMASK, &mask, NULL);
  }
  return syscall(SYS_unlinkat, AT_FDCWD, path, 0);
}

pid_t fork(void)
{
  static pid_t (*next)(void);
  if (next == NULL) next = (pid_t(*)(void))dlsym(RTLD_NEXT, "fork");
  const int first = hold_fork && !__atomic_exchange_n(&held, 1, __ATOMIC_SEQ_CST);
  pid_t pid = next();
  if (pid > 0 && first) wait_for_go();
  return pid;
}
