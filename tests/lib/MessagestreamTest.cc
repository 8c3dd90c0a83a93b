#include <gtest/gtest.h>

#include <sstream>

#include "Messagestream.h"

namespace {

// A flush counter to see that a dropped end-of-line does nothing at all.
class CountingBuf : public std::stringbuf
{
public:
  int syncs = 0;

protected:
  int sync() override { ++syncs; return std::stringbuf::sync(); }
};

}  // namespace

TEST(Messagestream, DropsMessagesAboveTheVerboseLevel)
{
  CountingBuf buf;
  Messagestream s(&buf, 2, 2);
  s.setLevel(3) << "hidden " << 42 << 'c' << std::endl;
  EXPECT_EQ(buf.str(), "");
  EXPECT_EQ(buf.syncs, 0);

  s.setLevel(2) << "shown " << 42 << std::endl;
  EXPECT_EQ(buf.str(), "shown 42\n");
  EXPECT_EQ(buf.syncs, 1);

  s.setVerboseLevel(3);
  s.setLevel(3) << "now " << 1.5 << std::endl;
  EXPECT_EQ(buf.str(), "shown 42\nnow 1.5\n");
}

TEST(Messagestream, LowLevelsAlwaysPassAndLevelPersists)
{
  std::stringbuf buf;
  Messagestream s(&buf, 2, 2);
  s.setLevel(0) << "a";
  s.setLevel(1) << "b";
  s << "c";  // keeps level 1
  s.setLevel(7);
  s << 5u << "d";
  EXPECT_EQ(buf.str(), "abc");
  EXPECT_TRUE(s.good());
}

TEST(Messagestream, SharesOnlyTheTargetsBuffer)
{
  std::ostringstream target;
  target.setf(std::ios::hex, std::ios::basefield);
  oMessagestream s(target, 3);
  EXPECT_EQ(s.getVerboseLevel(), 3u);
  EXPECT_EQ(s.getLevel(), 3u);
  s << 255;
  EXPECT_EQ(target.str(), "255");
}

TEST(Messagestream, GlobalStreamStartsAtLevelTwo)
{
  ASSERT_EQ(gOut, &out);
  EXPECT_EQ(gOut->getVerboseLevel(), 2u);
  EXPECT_EQ(gOut->rdbuf(), std::cerr.rdbuf());
}
