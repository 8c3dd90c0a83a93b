// A temporary file's template that cannot be filled makes nothing and
// touches no other name.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <string>
#include <utility>

#include "RunTool.h"
#include "SignalCleanup.h"
#include "TestSupport.h"

TEST(SignalCleanup, OnlyTheTemplatesSixLettersAreReplaced)
{
  testing_support::TempDir dir;
  const std::string out = dir.file("out");
  const std::pair<std::string, int> refused[] = {{out, 0}, {out + "XXXXX", 0}, {out + "XXXXXX.pdb", 0},
                                                 {out + "XXXXXX", 4}, {out + "XXXXXX.pdb", 3}, {out + "XXXXXX", -1},
                                                 {out + std::string(PATH_MAX, 'X'), 0}};
  for (const auto& c : refused) {
    std::string pattern = c.first;
    EXPECT_EQ(tolva::make_removed_on_signal(&pattern[0], c.second), -1) << c.first << " " << c.second;
    EXPECT_EQ(errno, c.first.size() >= PATH_MAX ? ENAMETOOLONG : EINVAL) << c.first << " " << c.second;
    EXPECT_EQ(pattern, c.first);
  }
  EXPECT_EQ(testing_support::run_program("/bin/ls", {"-A", dir.path()}).out, "");
}
