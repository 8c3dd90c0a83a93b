// An input that can be read only once (a pipe, a FIFO, /dev/stdin on a
// pipe), read whole into a private file, so that every reader tried on it
// (RNAML, then PDB) reads the same bytes.
#ifndef TOLVA_PIPEINPUT_H
#define TOLVA_PIPEINPUT_H

#include <string>

namespace tolva {

class CPipeInput
{
public:
  // Reads the pipe to its end, waiting for a writer as cat would; any
  // other path is left as it is. The copy has no name in any folder: it
  // goes when the object does, or with the process.
  explicit CPipeInput(const char* name);
  ~CPipeInput();
  CPipeInput(const CPipeInput&) = delete;
  CPipeInput& operator=(const CPipeInput&) = delete;

  // Where the readers open the input: the name itself, or the copy.
  const char* GetPath() const { return copy >= 0 ? copyPath.c_str() : name; }
  // The errno value of a pipe that could not be read or copied, else 0.
  int GetError() const { return error; }

private:
  bool copy_from(int pipe);

  const char* name;
  std::string copyPath;
  int copy = -1;
  int error = 0;
};

}  // namespace tolva

#endif
