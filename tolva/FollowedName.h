// Where a name finally leads through its links, as the kernel's open takes
// it: the folder that holds the last name, and that name in it, which is
// no link, whether a file stands there yet or not. Each link is followed
// from its own folder, through that folder's descriptor, so that no path
// is built longer than the kernel itself needs, and the kernel follows the
// links on the way to each folder. Up to 40 links are followed, as the
// kernel follows. A link in /proc to an open file (/dev/stdout) is read as
// the path its text shows, which may not lead to that file.
#ifndef TOLVA_FOLLOWEDNAME_H
#define TOLVA_FOLLOWEDNAME_H

#include <string>

namespace tolva {

class CFollowedName
{
public:
  explicit CFollowedName(const char* name);
  ~CFollowedName();
  CFollowedName(const CFollowedName&) = delete;
  CFollowedName& operator=(const CFollowedName&) = delete;

  // The errno of the step that failed: ELOOP past 40 links, EISDIR for a
  // name of a folder, a folder's own failure to open (ENOENT, ENOTDIR,
  // EACCES); 0 when none did.
  int GetError() const { return error; }
  // The folder's descriptor (AT_FDCWD for the working folder), held as a
  // path and closed with the object.
  int GetFolder() const { return folder; }
  // The last name, in that folder.
  const std::string& GetName() const { return name; }

private:
  bool Enter(const std::string& path);

  int folder;
  std::string name;
  int error;
};

}  // namespace tolva

#endif
