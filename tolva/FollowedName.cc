#include "FollowedName.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace tolva {

namespace {

// As many links as the kernel follows in one name.
const int kMaxLinks = 40;

}  // namespace

CFollowedName::CFollowedName(const char* start) : folder(AT_FDCWD), error(0)
{
  std::string next = start;
  for (int links = 0;; ++links) {
    if (!Enter(next)) return;
    char to[PATH_MAX];
    const ssize_t n = readlinkat(folder, name.c_str(), to, sizeof to);
    // Not a link, or nothing there yet: the name is the last.
    if (n < 0 && (errno == EINVAL || errno == ENOENT)) return;
    if (n < 0 || links == kMaxLinks || n == static_cast<ssize_t>(sizeof to)) {
      error = n < 0 ? errno : links == kMaxLinks ? ELOOP : ENAMETOOLONG;
      return;
    }
    next.assign(to, static_cast<size_t>(n));
  }
}

CFollowedName::~CFollowedName()
{
  if (folder >= 0) close(folder);
}

// Moves into the folder of `path`, relative to the present one (an
// absolute path starts anew), and keeps its last name.
bool CFollowedName::Enter(const std::string& path)
{
  const size_t slash = path.rfind('/');
  name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (slash != std::string::npos) {
    const int next = openat(folder, path.substr(0, slash + 1).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (next < 0) {
      error = errno;
      return false;
    }
    if (folder >= 0) close(folder);
    folder = next;
  }
  if (name.empty() || name == "." || name == "..") {
    error = EISDIR;
    return false;
  }
  return true;
}

}  // namespace tolva
