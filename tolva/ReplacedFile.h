// A file written whole or not at all: the text goes to a temporary file
// beside the target, which takes the target's place only once it is
// complete, so that a failed write leaves the target as it was.
#ifndef TOLVA_REPLACEDFILE_H
#define TOLVA_REPLACEDFILE_H

#include <string>

namespace tolva {

class CReplacedFile
{
public:
  // Makes the temporary file. A target that exists and is no regular file
  // (/dev/null, a pipe) is written in place: it holds nothing to lose.
  explicit CReplacedFile(const char* target);
  // Removes the temporary file unless Commit put it in place.
  ~CReplacedFile();
  CReplacedFile(const CReplacedFile&) = delete;
  CReplacedFile& operator=(const CReplacedFile&) = delete;

  // Where to write; empty when no temporary file could be made.
  const std::string& GetPath() const { return path; }
  // Puts the written and closed file in the target's place, with the
  // target's permissions (a new file's are 0666 less the umask). False
  // when that fails.
  bool Commit();

private:
  std::string target;
  std::string path;
  bool temporary;
};

}  // namespace tolva

#endif
