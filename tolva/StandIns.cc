#include "StandIns.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolva {

namespace {

// The stand-ins are all one file: one identity to compare with.
bool gTaken = false;
dev_t gDevice;
ino_t gInode;

// A memory file reopened as a path through /proc: a file no folder holds.
// Where that cannot be had, the root folder, which a path reaches
// otherwise too: only links to it are then taken for stand-ins.
int open_stand_in()
{
  const int anonymous = memfd_create("tolva-stand-in", MFD_CLOEXEC);
  int stand_in = -1;
  if (anonymous >= 0) {
    stand_in = open(("/proc/self/fd/" + std::to_string(anonymous)).c_str(), O_PATH | O_CLOEXEC);
    close(anonymous);
  }
  return stand_in >= 0 ? stand_in : open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
}

bool is_stand_in(const char* path)
{
  struct stat link, st;
  return lstat(path, &link) == 0 && S_ISLNK(link.st_mode) && stat(path, &st) == 0 && st.st_dev == gDevice &&
         st.st_ino == gInode;
}

}  // namespace

void stand_in_for_closed_descriptors()
{
  bool closed[3], any = false;
  for (int fd = 0; fd <= 2; ++fd) any |= closed[fd] = fcntl(fd, F_GETFD) < 0 && errno == EBADF;
  if (!any) return;
  // Made on the lowest free numbers, which may be the closed ones: each
  // is then given the stand-in over whatever took it meanwhile.
  const int stand_in = open_stand_in();
  struct stat st;
  if (stand_in < 0 || fstat(stand_in, &st) != 0) return;
  gTaken = true;
  gDevice = st.st_dev;
  gInode = st.st_ino;
  for (int fd = 0; fd <= 2; ++fd)
    if (closed[fd] && fd != stand_in) dup3(stand_in, fd, O_CLOEXEC);
  if (stand_in > 2 || !closed[stand_in]) close(stand_in);
}

bool names_closed_descriptor(const char* path)
{
  if (!gTaken) return false;
  // Every folder on the way is looked at: a path that goes on past a
  // descriptor's name reaches the stand-in first.
  const std::string whole(path);
  for (size_t end = whole.find('/', 1); end != std::string::npos; end = whole.find('/', end + 1))
    if (whole[end - 1] != '/' && is_stand_in(whole.substr(0, end).c_str())) return true;
  return is_stand_in(path);
}

bool refused_as_closed_descriptor(const char* path)
{
  if (!names_closed_descriptor(path)) return false;
  errno = EBADF;
  return true;
}

}  // namespace tolva
