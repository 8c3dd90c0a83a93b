// Helpers shared by the test programs: scratch folders, file contents and
// the optional real structures kept beside the repository.
#ifndef TOLVA_TEST_SUPPORT_H
#define TOLVA_TEST_SUPPORT_H

#include <initializer_list>
#include <string>

namespace testing_support {

// A fresh folder removed with everything in it when the object dies.
class TempDir
{
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return dir; }
  std::string file(const std::string& name) const { return dir + "/" + name; }

private:
  std::string dir;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& contents);

// The number of descriptors the process holds open.
int open_descriptors();

// A path under the shared data folder, or "" when that folder is absent.
std::string shared_data(const std::string& relative);
// A path under the repository's tests/data folder.
std::string test_data(const std::string& relative);

// The XML toolkit's content-model finding for each element named, in order.
std::string content_mismatches(std::initializer_list<const char*> elements);

}  // namespace testing_support

#endif
