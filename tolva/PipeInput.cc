#include "PipeInput.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolva {

namespace {

// A fresh file of mode 0600 in $TMPDIR (or /tmp), its name removed at
// once: nothing is left behind, however the run ends.
int unnamed_file()
{
  const char* base = std::getenv("TMPDIR");
  std::string path = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tolva-pipe-XXXXXX";
  int fd = mkostemp(&path[0], O_CLOEXEC);
  if (fd >= 0) unlink(path.c_str());
  return fd;
}

bool write_all(int fd, const char* bytes, ssize_t count)
{
  while (count > 0) {
    ssize_t n = write(fd, bytes, static_cast<size_t>(count));
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) errno = EIO;
    if (n <= 0) return false;
    bytes += n;
    count -= n;
  }
  return true;
}

}  // namespace

CPipeInput::CPipeInput(const char* n) : name(n)
{
  struct stat st;
  if (name == nullptr || stat(name, &st) != 0 || !S_ISFIFO(st.st_mode)) return;
  int pipe = open(name, O_RDONLY | O_CLOEXEC);
  if (pipe < 0) {
    error = errno;
    return;
  }
  copy = unnamed_file();
  if (copy < 0 || !copy_from(pipe)) {
    error = errno;
    if (copy >= 0) close(copy);
    copy = -1;
  }
  close(pipe);
  // Each reader opens the copy afresh, from its first byte.
  if (copy >= 0) copyPath = "/proc/self/fd/" + std::to_string(copy);
}

CPipeInput::~CPipeInput()
{
  if (copy >= 0) close(copy);
}

bool CPipeInput::copy_from(int pipe)
{
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = read(pipe, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    if (!write_all(copy, buffer, n)) return false;
  }
}

}  // namespace tolva
