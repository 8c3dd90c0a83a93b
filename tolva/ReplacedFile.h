// A file written whole or not at all: the text goes to a temporary file
// beside the file the target's links lead to, which takes that file's
// place only once it is complete, so that a failed write, or a signal that
// ends the run, leaves the target as it was and nothing else behind.
#ifndef TOLVA_REPLACEDFILE_H
#define TOLVA_REPLACEDFILE_H

#include <memory>
#include <string>

namespace tolva {

class CFollowedName;

class CReplacedFile
{
public:
  // Makes the temporary file, so that a target that cannot be made is
  // known before any work is done; GetError tells. A target that exists
  // and is no regular file (/dev/null, a pipe) is written in place: it
  // holds nothing to lose, and is only opened by Open. So is a regular file
  // that no name leads to (a deleted file behind /dev/stdout), through
  // the run's own descriptor of it, taken at once: there is none to take
  // of another process's.
  explicit CReplacedFile(const char* target);
  // Removes the temporary file unless Commit put it in place.
  ~CReplacedFile();
  CReplacedFile(const CReplacedFile&) = delete;
  CReplacedFile& operator=(const CReplacedFile&) = delete;

  // The errno of the last step that failed; 0 while none has.
  int GetError() const { return error; }
  // Where to write: -1 when the file could not be made or opened.
  int Open();
  // Puts the written file in the target's place, with the target's
  // permissions (a new file's are 0666 less the umask). False when that
  // fails.
  bool Commit();

private:
  bool Fail();

  std::string target;
  // Where the target's links lead, for a file replaced.
  std::unique_ptr<CFollowedName> final;
  // The temporary's name in that folder, or the target written in place.
  std::string path;
  int fd;
  int error;
  bool temporary;
};

}  // namespace tolva

#endif
