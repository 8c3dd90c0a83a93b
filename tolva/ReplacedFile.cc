#include "ReplacedFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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

// The file a name leads to through its links, whether that file exists
// yet or not, as the shell's > makes it: a link is never replaced by the
// file it names. Empty, with errno set, when the links go round or cannot
// be read.
std::string followed(std::string name)
{
  for (int hop = 0; hop < 40; ++hop) {  // as many as the kernel follows
    struct stat st;
    if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
    char to[PATH_MAX];
    const ssize_t n = readlink(name.c_str(), to, sizeof to);
    if (n < 0) return std::string();
    if (n == static_cast<ssize_t>(sizeof to)) {
      errno = ENAMETOOLONG;
      return std::string();
    }
    const size_t folder = name.rfind('/');
    const std::string link(to, static_cast<size_t>(n));
    name = link[0] == '/' || folder == std::string::npos ? link : name.substr(0, folder + 1) + link;
  }
  errno = ELOOP;
  return std::string();
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
  struct stat st;
  mode_t mode = 0666 & ~creation_mask();
  if (stat(name, &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      path = target;
      if (S_ISDIR(st.st_mode))
        error = EISDIR;
      else if (access(name, W_OK) != 0)
        error = errno;
      return;
    }
    mode = st.st_mode & 07777;
  }
  if ((target = followed(target)).empty()) {
    error = errno;
    return;
  }
  std::string pattern = target + ".XXXXXX";
  fd = make_removed_on_signal(&pattern[0]);
  if (fd < 0) {
    error = errno;
    return;
  }
  path = pattern;
  temporary = true;
  if (fchmod(fd, mode) != 0) Fail();
}

CReplacedFile::~CReplacedFile()
{
  if (fd >= 0) close(fd);
  if (temporary) {
    unlink(path.c_str());
    disarm_removal(path.c_str());
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
  if (std::rename(path.c_str(), target.c_str()) != 0) return Fail();
  // Renamed first: a signal in between finds no file under the old name.
  temporary = false;
  disarm_removal(path.c_str());
  return true;
}

}  // namespace tolva
