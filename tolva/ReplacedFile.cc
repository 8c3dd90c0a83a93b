#include "ReplacedFile.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolva {

namespace {

mode_t creation_mask()
{
  mode_t mask = umask(0);
  umask(mask);
  return mask;
}

}  // namespace

CReplacedFile::CReplacedFile(const char* name) : target(name), temporary(false)
{
  struct stat st;
  mode_t mode = 0666 & ~creation_mask();
  if (stat(name, &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      path = target;
      return;
    }
    mode = st.st_mode & 07777;
    // Through a symbolic link the file it names is replaced, not the link.
    char real[PATH_MAX];
    if (realpath(name, real) != nullptr) target = real;
  }
  std::string pattern = target + ".XXXXXX";
  int fd = mkstemp(&pattern[0]);
  if (fd < 0) return;
  if (fchmod(fd, mode) != 0 || close(fd) != 0) {
    unlink(pattern.c_str());
    return;
  }
  path = pattern;
  temporary = true;
}

CReplacedFile::~CReplacedFile()
{
  if (temporary) unlink(path.c_str());
}

bool CReplacedFile::Commit()
{
  if (!temporary) return !path.empty();
  // On disk before it replaces anything.
  int fd = open(path.c_str(), O_RDONLY);
  bool synced = fd >= 0 && fsync(fd) == 0;
  if (fd >= 0) close(fd);
  if (!synced || std::rename(path.c_str(), target.c_str()) != 0) return false;
  temporary = false;
  return true;
}

}  // namespace tolva
