// An input that can be read only once (a pipe, a FIFO, /dev/stdin on a
// pipe), read whole into a private file, so that every reader tried on it
// (RNAML, then PDB) reads the same bytes. A pipe is copied once per run,
// however many times and under whatever names (its FIFO's path,
// /dev/stdin, /dev/fd/N) it is given, and from whichever thread.
#ifndef TOLVA_PIPEINPUT_H
#define TOLVA_PIPEINPUT_H

#include <string>

namespace tolva {

class CPipeInput
{
public:
  // Reads the pipe to its end, waiting for a writer as cat would, unless
  // the run has read it already; any other path is left as it is. The
  // copy has no name in any folder: it goes with the process.
  explicit CPipeInput(const char* name);

  // Where the readers open the input: the name itself, or the copy.
  const char* GetPath() const;
  // Why the pipe could not be read or copied; empty when it could.
  const std::string& GetError() const;

  struct Copy;

private:
  const char* name;
  const Copy* copy = nullptr;
};

}  // namespace tolva

#endif
