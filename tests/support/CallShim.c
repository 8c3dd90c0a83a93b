/* Preloaded into the tool by the tests, to reach a moment no timing could.
 * SHIM_FAULT_FSYNC: fsync (the -o file's, still armed) faults: =accerr, a
 * read of a page the next unlink makes readable; =fpe, a SIGFPE the process
 * queues itself, as SHIM_FAULT_TMPFILE=fpe at an O_TMPFILE open; else a
 * write at address 16. The first unlink of a path holding SHIM_HOLD_UNLINK
 * (its signals held), the first fork's parent (SHIM_HOLD_FORK=1), or the
 * first create of a path holding SHIM_HOLD_CREATE, made by another process
 * (a FUSE server), makes SHIM_DIR/held and waits for SHIM_DIR/go, while
 * O_TMPFILE opens make SHIM_DIR/asked, creates SHIM_DIR/made; SHIM_LATE=1:
 * that create is made 15 ms after the go. SHIM_NO_TMPFILE=1: O_TMPFILE
 * fails, as on FUSE. SHIM_NAME_TAKEN=1: the first create finds its name
 * taken. SHIM_NO_QUEUE=1: no signal can be queued with its information.
 * SHIM_EMFILE_AT=n: the n-th opening of a /proc/self/fd/ path finds no
 * descriptor; SHIM_EMFILE_DUP=1: so does every dup. */
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
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static int held, holding, opened, created, taken;
static volatile char* page;

/* Async-signal-safe: the unlink held may be a signal handler's. */
static const char* in_dir(char* path, const char* name)
{
  return strcat(strcat(strcpy(path, getenv("SHIM_DIR")), "/"), name);
}

static void note(const char* name)
{
  char path[PATH_MAX];
  close(syscall(SYS_openat, AT_FDCWD, in_dir(path, name), O_WRONLY | O_CREAT, 0600));
}

/* Makes SHIM_DIR/held, unless told not to, and waits for go. */
static void hold(int quiet)
{
  char path[PATH_MAX];
  struct timespec pause = {0, 1000000};
  if (!quiet) note("held");
  holding = 1;
  for (int k = 0; k < 60000 && access(in_dir(path, "go"), F_OK) != 0; ++k) nanosleep(&pause, NULL);
  holding = 0;
}

static void fault(const char* how)
{
  int* volatile nowhere = (int*)16;
  siginfo_t info = {.si_signo = SIGFPE, .si_code = FPE_INTDIV};
  if (how && !strcmp(how, "fpe"))
    syscall(SYS_rt_tgsigqueueinfo, getpid(), syscall(SYS_gettid), SIGFPE, &info);
  else if (how && !strcmp(how, "accerr"))
    (void)*(page = mmap(NULL, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  else if (how)
    *nowhere = 0;
}

static int create_elsewhere(const char* path, int flags, int mode)
{
  const int late = getenv("SHIM_LATE") != NULL;
  if (late) note("held");
  pid_t maker = fork();
  if (maker == 0) {
    struct timespec delay = {0, 15000000};
    if (late) hold(1), nanosleep(&delay, NULL);
    close(syscall(SYS_openat, AT_FDCWD, path, flags, mode));
    note("made");
    _exit(0);
  }
  waitpid(maker, NULL, 0);
  if (!late) hold(0);
  return syscall(SYS_openat, AT_FDCWD, path, flags & ~(O_CREAT | O_EXCL), mode);
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
  if (holding && (unnamed || (flags & O_CREAT))) note(unnamed ? "asked" : "made");
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
  return refused(path, flags) ? -1 : syscall(SYS_openat, AT_FDCWD, path, flags, mode);
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

int unlink(const char* path)
{
  sigset_t all, mask;
  sigfillset(&all);
  const char* which = getenv("SHIM_HOLD_UNLINK");
  if (page) mprotect((void*)page, 4096, PROT_READ);
  if (which && strstr(path, which) && !__atomic_exchange_n(&held, 1, __ATOMIC_SEQ_CST)) {
    pthread_sigmask(SIG_BLOCK, &all, &mask);
    hold(0);
    pthread_sigmask(SIG_SETMASK, &mask, NULL);
  }
  return syscall(SYS_unlinkat, AT_FDCWD, path, 0);
}

pid_t fork(void)
{
  pid_t (*next)(void) = (pid_t(*)(void))dlsym(RTLD_NEXT, "fork");
  const int first = getenv("SHIM_HOLD_FORK") && !__atomic_exchange_n(&held, 1, __ATOMIC_SEQ_CST);
  pid_t pid = next();
  if (pid > 0 && first) hold(0);
  return pid;
}

int dup(int fd)
{
  if (getenv("SHIM_EMFILE_DUP")) return errno = EMFILE, -1;
  return syscall(SYS_dup, fd);
}
