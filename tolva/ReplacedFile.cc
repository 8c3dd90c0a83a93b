#include "ReplacedFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "FollowedName.h"
#include "SignalCleanup.h"
#include "StandIns.h"

namespace tolva {

namespace {

mode_t creation_mask()
{
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// The temporary's name beside `name`: name.XXXXXX, the name cut short
// where the folder's file system holds no name that long.
std::string temporary_pattern(int folder, const std::string& name)
{
  long longest = folder == AT_FDCWD ? pathconf(".", _PC_NAME_MAX) : fpathconf(folder, _PC_NAME_MAX);
  if (longest <= 0) longest = NAME_MAX;
  const size_t kept = static_cast<size_t>(longest) > 7 ? static_cast<size_t>(longest) - 7 : 1;
  return name.substr(0, kept) + ".XXXXXX";
}

bool same_file(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A copy of a descriptor of the process that writes to that file, so that
// what is written through it goes on from where the run's other writes
// there stand, as into a pipe; -1 with errno set, EBADF where the process
// holds none.
int writer_of(const struct stat& file)
{
  DIR* open = opendir("/proc/self/fd");
  if (open == nullptr) return -1;
  int copy = -1, error = EBADF;
  while (const dirent* e = error == EBADF ? readdir(open) : nullptr) {
    char* end;
    const long fd = std::strtol(e->d_name, &end, 10);
    struct stat st;
    const int flags = *end == '\0' && end != e->d_name && fd != dirfd(open) ? fcntl(fd, F_GETFL) : -1;
    if (flags >= 0 && (flags & O_ACCMODE) != O_RDONLY && fstat(fd, &st) == 0 && same_file(st, file)) {
      copy = fcntl(fd, F_DUPFD_CLOEXEC, 3);
      error = copy < 0 ? errno : 0;
    }
  }
  closedir(open);
  errno = error;
  return copy;
}

}  // namespace

CReplacedFile::CReplacedFile(const char* name) : target(name), fd(-1), error(0), temporary(false)
{
  // An empty name names no file, as open would say; its temporary file
  // would land in the working folder.
  if (target.empty()) {
    error = ENOENT;
    return;
  }
  // /dev/stdout of a run started with >&- holds a stand-in: nothing
  // written there would reach anyone.
  if (names_closed_descriptor(name)) {
    error = EBADF;
    return;
  }
  // The kernel judges the name: its links, all told, and their lengths.
  // A name of nothing yet is followed below to where the file goes.
  struct stat st;
  const bool exists = stat(name, &st) == 0;
  if (!exists && errno != ENOENT) {
    error = errno;
    return;
  }
  if (exists && !S_ISREG(st.st_mode)) {
    path = target;
    if (S_ISDIR(st.st_mode))
      error = EISDIR;
    else if (access(name, W_OK) != 0)
      error = errno;
    return;
  }
  final.reset(new CFollowedName(name));
  struct stat at;
  const int folder = final->GetFolder();
  const bool reached = exists && final->GetError() == 0 &&
                       fstatat(folder, final->GetName().c_str(), &at, AT_SYMLINK_NOFOLLOW) == 0 && same_file(at, st);
  if (exists && !reached) {
    // The kernel reaches a file that no name leads to (a deleted log
    // behind /dev/stdout, a memfd): it is written in place, through the
    // run's own descriptor of it, as a pipe is. Another process's is not
    // the run's to write.
    final.reset();
    if ((fd = writer_of(st)) < 0) error = errno;
    return;
  }
  if ((error = final->GetError()) != 0) return;
  std::string pattern = temporary_pattern(folder, final->GetName());
  fd = make_removed_on_signal(&pattern[0], 0, folder);
  if (fd < 0) {
    error = errno;
    return;
  }
  path = pattern;
  temporary = true;
  if (fchmod(fd, exists ? st.st_mode & 07777 : 0666 & ~creation_mask()) != 0) Fail();
}

CReplacedFile::~CReplacedFile()
{
  if (fd >= 0) close(fd);
  if (temporary) {
    unlinkat(final->GetFolder(), path.c_str(), 0);
    disarm_removal(path.c_str(), final->GetFolder());
  }
}

bool CReplacedFile::Fail()
{
  if (error == 0) error = errno;
  return false;
}

int CReplacedFile::Open()
{
  if (error == 0 && fd < 0) {
    // A target written in place is opened only now: a pipe waits for its
    // reader there.
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) Fail();
  }
  return error == 0 ? fd : -1;
}

bool CReplacedFile::Commit()
{
  if (error != 0 || fd < 0) return false;
  // On disk before it replaces anything.
  if (temporary && fsync(fd) != 0) return Fail();
  int closed = close(fd);
  fd = -1;
  if (closed != 0) return Fail();
  if (!temporary) return true;
  const int folder = final->GetFolder();
  if (renameat(folder, path.c_str(), folder, final->GetName().c_str()) != 0) return Fail();
  // Renamed first: a signal in between finds no file under the old name.
  temporary = false;
  disarm_removal(path.c_str(), folder);
  return true;
}

}  // namespace tolva
