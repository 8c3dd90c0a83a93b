// A temporary file's template that cannot be filled makes nothing and
// touches no other name; one that can is filled in its six letters alone.
#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <set>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

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
  // Good ones, filled from eight threads at once (each create on a thread
  // of its own): distinct files, the rest of each template kept. Each
  // thread disarms its own, as only the thread that armed a file can.
  std::vector<std::string> made(8);
  std::vector<std::thread> threads;
  for (size_t k = 0; k < made.size(); ++k)
    threads.emplace_back([&made, &out, k] {
      std::string pattern = out + "XXXXXX" + (k % 2 ? ".pdb" : "");
      const int fd = tolva::make_removed_on_signal(&pattern[0], k % 2 ? 4 : 0);
      if (fd < 0) return;
      close(fd);
      made[k] = pattern;
      unlink(pattern.c_str());
      tolva::disarm_removal(pattern.c_str());
    });
  for (std::thread& t : threads) t.join();
  std::set<std::string> names;
  for (size_t k = 0; k < made.size(); ++k) {
    EXPECT_EQ(made[k].size(), out.size() + 6 + (k % 2 ? 4 : 0)) << made[k];
    EXPECT_EQ(made[k].compare(0, out.size(), out), 0) << made[k];
    EXPECT_NE(made[k].substr(out.size(), 6), "XXXXXX") << made[k];
    EXPECT_EQ(made[k].substr(out.size() + 6), k % 2 ? ".pdb" : "") << made[k];
    names.insert(made[k]);
  }
  EXPECT_EQ(names.size(), made.size());
}
