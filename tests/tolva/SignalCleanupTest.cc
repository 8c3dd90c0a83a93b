// The temporary files removed on a signal, made from a template: one that
// cannot be filled makes nothing and touches no other name.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "SignalCleanup.h"
#include "TestSupport.h"

using testing_support::TempDir;

namespace {

int entries(const std::string& folder)
{
  int n = 0;
  DIR* dir = opendir(folder.c_str());
  while (dirent* e = readdir(dir)) n += e->d_name[0] != '.';
  closedir(dir);
  return n;
}

}  // namespace

TEST(SignalCleanup, OnlyTheTemplatesSixLettersAreReplaced)
{
  TempDir dir;
  const std::string out = dir.file("out");
  const struct
  {
    std::string pattern;
    int suffix;
  } refused[] = {{out, 0}, {out + "XXXXX", 0}, {out + "XXXXXX.pdb", 0}, {out + "XXXXXX", 4},
                 {out + "XXXXXX.pdb", 3}, {out + "XXXXXX", -1}, {out + std::string(PATH_MAX, 'X'), 0}};
  for (const auto& c : refused) {
    std::string pattern = c.pattern;
    EXPECT_EQ(tolva::make_removed_on_signal(&pattern[0], c.suffix), -1) << c.pattern << " " << c.suffix;
    EXPECT_EQ(errno, c.pattern.size() >= PATH_MAX ? ENAMETOOLONG : EINVAL) << c.pattern << " " << c.suffix;
    EXPECT_EQ(pattern, c.pattern);
  }
  EXPECT_EQ(entries(dir.path()), 0);
  std::string pattern = out + "XXXXXX.pdb";
  const int fd = tolva::make_removed_on_signal(&pattern[0], 4);
  ASSERT_GE(fd, 0);
  struct stat st;
  ASSERT_EQ(fstat(fd, &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(pattern.compare(0, out.size(), out), 0);
  EXPECT_EQ(pattern.substr(pattern.size() - 4), ".pdb");
  EXPECT_NE(pattern, out + "XXXXXX.pdb");
  EXPECT_EQ(entries(dir.path()), 1);
  close(fd);
  unlink(pattern.c_str());
  tolva::disarm_removal(pattern.c_str());
}
