#include "StandIns.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolva {

namespace {

// The stand-ins are all one file: one identity to compare with, unless no
// name can lead to them.
bool gCompared = false;
dev_t gDevice;
ino_t gInode;

// The object held as a path through /proc, or -1; the object is closed.
int as_path(int object)
{
  if (object < 0) return -1;
  const int path = open(("/proc/self/fd/" + std::to_string(object)).c_str(), O_PATH | O_CLOEXEC);
  close(object);
  return path;
}

// A socket held as a path: an inode of its own, in no folder, and one that
// no open succeeds on, so no name of the descriptor (/dev/stdin) reads or
// writes anything, even once the check of that name is past. Where no
// socket can be had, the root folder as a path: where /proc is not
// mounted, no name leads to a descriptor at all, and it is never compared;
// where it is, links to the root are taken for stand-ins, as a path
// through a descriptor's name must never reach the root's files.
int open_stand_in()
{
  const int stand_in = as_path(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  gCompared = stand_in >= 0 || access("/proc/self/fd", F_OK) == 0;
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
  if (stand_in < 0 || fstat(stand_in, &st) != 0) {
    gCompared = false;
    return;
  }
  gDevice = st.st_dev;
  gInode = st.st_ino;
  for (int fd = 0; fd <= 2; ++fd)
    if (closed[fd] && fd != stand_in) dup3(stand_in, fd, O_CLOEXEC);
  if (stand_in > 2 || !closed[stand_in]) close(stand_in);
}

bool names_closed_descriptor(const char* path)
{
  if (!gCompared) return false;
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
