#include "ReplacedFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
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
    // Through a symbolic link the file it names is replaced, not the link.
    char real[PATH_MAX];
    if (realpath(name, real) != nullptr) target = real;
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
