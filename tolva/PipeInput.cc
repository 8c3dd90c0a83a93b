#include "PipeInput.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>
#include <utility>

namespace tolva {

// One pipe's bytes, made by the first naming to need them; later namings
// wait for it and read the same file.
struct CPipeInput::Copy
{
  std::once_flag made;
  std::string path;
  std::string error;
};

namespace {

const std::string kNoError;

std::string copy_folder()
{
  const char* base = std::getenv("TMPDIR");
  return base != nullptr && *base != '\0' ? base : "/tmp";
}

// A fresh file of mode 0600 in the folder, its name removed at once:
// nothing is left behind, however the run ends.
int unnamed_file(const std::string& folder)
{
  std::string path = folder + "/tolva-pipe-XXXXXX";
  int fd = mkostemp(&path[0], O_CLOEXEC);
  if (fd >= 0) unlink(path.c_str());
  return fd;
}

// Why no copy could be made there, from errno.
std::string folder_failure(const std::string& folder)
{
  return "no copy of the pipe could be made in " + folder + ": " + std::strerror(errno);
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

// Copies the pipe to its end; the reason of a failure, else empty. A
// failure to write is the folder's, which the message names.
std::string copy_pipe(int pipe, int copy, const std::string& folder)
{
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = read(pipe, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::strerror(errno);
    if (n == 0) return std::string();
    if (!write_all(copy, buffer, n)) return folder_failure(folder);
  }
}

void make_copy(const char* name, CPipeInput::Copy& copy)
{
  int pipe = open(name, O_RDONLY | O_CLOEXEC);
  if (pipe < 0) {
    copy.error = std::strerror(errno);
    return;
  }
  const std::string folder = copy_folder();
  int fd = unnamed_file(folder);
  copy.error = fd < 0 ? folder_failure(folder) : copy_pipe(pipe, fd, folder);
  close(pipe);
  if (!copy.error.empty()) {
    if (fd >= 0) close(fd);
    return;
  }
  // Kept open for the run: each reader opens the copy afresh, from its
  // first byte.
  copy.path = "/proc/self/fd/" + std::to_string(fd);
}

// The copy of the pipe st describes, shared by all its namings. The
// copies are never destroyed: a worker left behind on a FIFO may still
// hold one when the process ends.
CPipeInput::Copy& copy_of(const struct stat& st)
{
  static std::mutex lock;
  static auto* copies = new std::map<std::pair<dev_t, ino_t>, CPipeInput::Copy>;
  std::lock_guard<std::mutex> guard(lock);
  return (*copies)[{st.st_dev, st.st_ino}];
}

}  // namespace

CPipeInput::CPipeInput(const char* n) : name(n)
{
  struct stat st;
  if (name == nullptr || stat(name, &st) != 0 || !S_ISFIFO(st.st_mode)) return;
  Copy& shared = copy_of(st);
  std::call_once(shared.made, make_copy, name, std::ref(shared));
  copy = &shared;
}

const char* CPipeInput::GetPath() const { return copy != nullptr && copy->error.empty() ? copy->path.c_str() : name; }

const std::string& CPipeInput::GetError() const { return copy != nullptr ? copy->error : kNoError; }

}  // namespace tolva
