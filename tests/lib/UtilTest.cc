#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <vector>

#include "Numerics.h"
#include "TextUtil.h"

namespace {

std::vector<std::string> split(const char* text, const char* delims)
{
  std::vector<char> copy(text, text + std::strlen(text) + 1);
  char* cursor = copy.data();
  std::vector<std::string> tokens;
  while (char* token = strsep(&cursor, delims)) tokens.push_back(token);
  return tokens;
}

}  // namespace

TEST(TextUtil, StrsepYieldsEmptyTokensBetweenAdjacentDelimiters)
{
  EXPECT_EQ(split("a,,b", ","), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(split("whole", ","), (std::vector<std::string>{"whole"}));
  EXPECT_EQ(split("a,", ","), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(split("", ","), (std::vector<std::string>{""}));
  EXPECT_EQ(split("A1, B2", ", "), (std::vector<std::string>{"A1", "", "B2"}));

  char* null_cursor = nullptr;
  EXPECT_EQ(strsep(&null_cursor, ","), nullptr);
}

TEST(TextUtil, CurrentDateIsTodayAsYearMonthDay)
{
  char buffer[16];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(get_current_time(buffer), buffer);
  ASSERT_EQ(std::strlen(buffer), 10u);
  std::time_t now = std::time(nullptr);
  char expected[16];
  std::strftime(expected, sizeof expected, "%Y/%m/%d", std::localtime(&now));
  EXPECT_STREQ(buffer, expected);
  EXPECT_EQ(buffer[4], '/');
  EXPECT_EQ(buffer[7], '/');
}

TEST(Numerics, ZeroTestIncludesItsBounds)
{
  EXPECT_TRUE(equal0(1e-10));
  EXPECT_TRUE(equal0(-1e-10));
  EXPECT_TRUE(equal0(0.0));
  EXPECT_FALSE(equal0(2e-10));
  EXPECT_FALSE(equal0(-2e-10));
  EXPECT_FALSE(equal0(std::nan("")));
}

TEST(Numerics, ArcTangentCoversEveryQuadrant)
{
  EXPECT_DOUBLE_EQ(arctan2(0, -1), -M_PI);
  EXPECT_DOUBLE_EQ(arctan2(1, 0), M_PI / 2);
  EXPECT_DOUBLE_EQ(arctan2(-1, 0), -M_PI / 2);
  EXPECT_DOUBLE_EQ(arctan2(-1, -1), -3 * M_PI / 4);
  EXPECT_DOUBLE_EQ(arctan2(1, -1), 3 * M_PI / 4);
  EXPECT_DOUBLE_EQ(arctan2(1, 1), M_PI / 4);
  EXPECT_DOUBLE_EQ(arctan2(-1, 1), -M_PI / 4);
  EXPECT_DOUBLE_EQ(arctan2(0, 0), 0.0);
  EXPECT_DOUBLE_EQ(arctan2(0, 5), 0.0);
  EXPECT_DOUBLE_EQ(arctan2(5e-11, -3), -M_PI);  // within tolerance of the axis
  EXPECT_DOUBLE_EQ(arctan2(std::nan(""), 1), 1.0);
  // The closed form agrees with the C library away from the negative axis.
  for (double a = -3.1; a < 3.1; a += 0.37)
    EXPECT_NEAR(arctan2(std::sin(a), std::cos(a)), a, 1e-12) << a;
}

TEST(Numerics, ScalarHelpers)
{
  EXPECT_EQ(minf(1, 2), 1);
  EXPECT_EQ(minf(3, 2), 2);
  EXPECT_TRUE(std::signbit(minf(0.0f, -0.0f)));  // equal values give the second
  EXPECT_EQ(minf(std::nanf(""), 1), 1);
  EXPECT_EQ(absf(-2.5f), 2.5f);
  float z = absf(-0.0f);
  EXPECT_FALSE(std::signbit(z));
  EXPECT_EQ(RadToDegree(static_cast<float>(M_PI)), 180.0f);
  EXPECT_EQ(DegToRadian(180), static_cast<float>(M_PI));
  EXPECT_NEAR(DegToRadian(90), M_PI / 2, 1e-7);
}
