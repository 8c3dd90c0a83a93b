#include "PipeInput.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <sys/stat.h>
#include <unistd.h>
#include <functional>
#include <utility>

#include "SignalCleanup.h"
#include "StandIns.h"

namespace tolva {

// One pipe's bytes, made by the first naming to need them; later namings
// wait for it and read the same file. The last holder closes the file,
// which frees its space.
struct CPipeInput::Copy
{
  std::once_flag made;
  int fd = -1;
  std::string path;
  std::string error;

  ~Copy()
  {
    if (fd >= 0) close(fd);
  }
};

namespace {

const std::string kNoError;

std::string copy_folder()
{
  const char* base = std::getenv("TMPDIR");
  return base != nullptr && *base != '\0' ? base : "/tmp";
}

// A fresh file of mode 0600 in the folder that never has a name there:
// nothing is left behind, however the run ends. Where the folder's file
// system cannot make one (FUSE, NFS), a named file is made, armed for
// removal like the -o file until its name is gone, and unlinked at once.
int unnamed_file(const std::string& folder)
{
  int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR)) return fd;
  std::string path = folder + "/tolva-pipe-XXXXXX";
  fd = make_removed_on_signal(&path[0]);
  if (fd >= 0) {
    unlink(path.c_str());
    disarm_removal(path.c_str());
  }
  return fd;
}

// A process without a descriptor left is no fault of the folder nor of
// the pipe, and the message says so.
bool out_of_descriptors(int error) { return error == EMFILE || error == ENFILE; }

std::string no_descriptor_left(int error)
{
  return std::string("no copy of the pipe could be made: no file descriptor is left (") + std::strerror(error) + ")";
}

// Why no copy could be made there, from errno.
std::string folder_failure(const std::string& folder)
{
  if (out_of_descriptors(errno)) return no_descriptor_left(errno);
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
    copy.error = out_of_descriptors(errno) ? no_descriptor_left(errno) : std::strerror(errno);
    return;
  }
  const std::string folder = copy_folder();
  int fd = refused_as_closed_descriptor(folder.c_str()) ? -1 : unnamed_file(folder);
  copy.error = fd < 0 ? folder_failure(folder) : copy_pipe(pipe, fd, folder);
  close(pipe);
  if (!copy.error.empty()) {
    if (fd >= 0) close(fd);
    return;
  }
  // Each reader opens the copy afresh, from its first byte; the number
  // cannot go to another file while a naming holds the copy.
  copy.fd = fd;
  copy.path = "/proc/self/fd/" + std::to_string(fd);
}

bool pipe_key(const char* name, CPipeInput::Key& key)
{
  struct stat st;
  if (name == nullptr || stat(name, &st) != 0 || !S_ISFIFO(st.st_mode)) return false;
  key = {st.st_dev, st.st_ino};
  return true;
}

// Every pipe with namings still to load, and the copy of each once made.
// Never destroyed: a worker left behind on a FIFO may still use it when
// the process ends.
class Pipes
{
public:
  void note_plain(const char* name)
  {
    std::lock_guard<std::mutex> guard(lock);
    seen.emplace(name, Seen{false, CPipeInput::Key()});
  }

  // Counts the naming when `name` is a pipe.
  void expect(const char* name)
  {
    CPipeInput::Key key;
    const bool pipe = is_pipe(name, key);
    std::lock_guard<std::mutex> guard(lock);
    if (pipe) ++pipes[key].left;
  }

  // Whether `name` is a pipe, and which: looked at once, then known.
  bool is_pipe(const char* name, CPipeInput::Key& key)
  {
    {
      std::lock_guard<std::mutex> guard(lock);
      auto found = seen.find(name);
      if (found != seen.end()) {
        key = found->second.key;
        return found->second.pipe;
      }
    }
    const bool pipe = pipe_key(name, key);
    std::lock_guard<std::mutex> guard(lock);
    seen.emplace(name, Seen{pipe, key});
    return pipe;
  }

  std::shared_ptr<CPipeInput::Copy> take(const CPipeInput::Key& key)
  {
    std::lock_guard<std::mutex> guard(lock);
    Namings& namings = pipes[key];
    // A naming nobody counted counts itself.
    if (namings.left == 0) namings.left = 1;
    if (namings.copy == nullptr) namings.copy = std::make_shared<CPipeInput::Copy>();
    return namings.copy;
  }

  // After the last naming, the copy goes with its last holder.
  void done(const CPipeInput::Key& key)
  {
    std::lock_guard<std::mutex> guard(lock);
    auto found = pipes.find(key);
    if (found != pipes.end() && --found->second.left == 0) pipes.erase(found);
  }

private:
  struct Namings
  {
    size_t left = 0;
    std::shared_ptr<CPipeInput::Copy> copy;
  };

  struct Seen
  {
    bool pipe;
    CPipeInput::Key key;
  };

  std::mutex lock;
  std::map<CPipeInput::Key, Namings> pipes;
  std::unordered_map<std::string, Seen> seen;
};

Pipes& pipes()
{
  static auto* all = new Pipes;
  return *all;
}

}  // namespace

void CPipeInput::NotePlainFile(const char* name) { pipes().note_plain(name); }

void CPipeInput::Expect(const char* name)
{
  if (name != nullptr) pipes().expect(name);
}

CPipeInput::CPipeInput(const char* n) : name(n)
{
  if (name == nullptr || !pipes().is_pipe(name, key)) return;
  copy = pipes().take(key);
  std::call_once(copy->made, make_copy, name, std::ref(*copy));
}

CPipeInput::~CPipeInput()
{
  if (copy != nullptr) pipes().done(key);
}

const char* CPipeInput::GetPath() const { return copy != nullptr && copy->error.empty() ? copy->path.c_str() : name; }

const std::string& CPipeInput::GetError() const { return copy != nullptr ? copy->error : kNoError; }

std::string CPipeInput::DescriptorFailure(int error) const
{
  if (!out_of_descriptors(error)) return std::string();
  return copy != nullptr ? no_descriptor_left(error) : std::strerror(error);
}

}  // namespace tolva
