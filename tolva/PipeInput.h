// An input that can be read only once (a pipe, a FIFO, /dev/stdin on a
// pipe), read whole into a private file, so that every reader tried on it
// (RNAML, then PDB) reads the same bytes. A pipe is copied once, however
// many times and under whatever names (its FIFO's path, /dev/stdin,
// /dev/fd/N) it is given, and from whichever thread; the copy is freed
// once the last of those namings is loaded.
#ifndef TOLVA_PIPEINPUT_H
#define TOLVA_PIPEINPUT_H

#include <memory>
#include <string>
#include <sys/types.h>
#include <utility>

namespace tolva {

class CPipeInput
{
public:
  // Counts one more naming to be loaded of the pipe that `name` is, if it
  // is one. Called for every path before any is loaded, it keeps a copy
  // for exactly as long as a naming still has to read it; a naming not
  // counted keeps the copy only while it reads it.
  static void Expect(const char* name);
  // What the caller found already: `name` is a regular file, not reached
  // through a link, so no pipe. No one then looks at it again.
  static void NotePlainFile(const char* name);

  // Reads the pipe to its end, waiting for a writer as cat would, unless
  // its copy is made already; any other path is left as it is. The copy
  // has no name in any folder (where the folder cannot make such a file,
  // one only until it is unlinked, a moment later): it goes with the
  // process.
  explicit CPipeInput(const char* name);
  // The naming is done: the last one frees the copy.
  ~CPipeInput();
  CPipeInput(const CPipeInput&) = delete;
  CPipeInput& operator=(const CPipeInput&) = delete;

  // Where the readers open the input: the name itself, or the copy.
  const char* GetPath() const;
  // Why the pipe could not be read or copied; empty when it could.
  const std::string& GetError() const;

  // Why a reader could not open GetPath(), when errno `error` says that
  // no descriptor is left: for a pipe, the line of a copy that could not
  // be made, since which of its opens finds none first is chance; for any
  // other file, the system's reason. Empty for any other error.
  std::string DescriptorFailure(int error) const;

  struct Copy;
  typedef std::pair<dev_t, ino_t> Key;

private:
  const char* name;
  Key key{};
  // Shared with the other namings loading now; it outlives them all.
  std::shared_ptr<Copy> copy;
};

}  // namespace tolva

#endif
