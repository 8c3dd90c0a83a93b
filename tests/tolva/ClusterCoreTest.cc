#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "CompleteLinkage.h"
#include "Exception.h"
#include "PackedMatrix.h"
#include "ProgressBar.h"

using tolva::CMerge;
using tolva::CPackedMatrix;

namespace {

// The literal algorithm: rescan every pair of groups at every merge.
std::vector<CMerge> naive_linkage(const CPackedMatrix& m)
{
  struct Group { uint64_t id; std::set<uint64_t> members; };
  std::vector<Group> groups;
  for (uint64_t i = 0; i < m.size(); ++i) groups.push_back({i, {i}});
  std::vector<CMerge> merges;
  uint64_t next = m.size();
  while (groups.size() > 1) {
    float best = FLT_MAX;
    size_t a = 0, b = 0;
    for (size_t x = 0; x + 1 < groups.size(); ++x)
      for (size_t y = x + 1; y < groups.size(); ++y) {
        float d = 0.0f;
        for (uint64_t i : groups[x].members)
          for (uint64_t j : groups[y].members)
            if (m.at(i, j) > d) d = m.at(i, j);
        if (d < best) { best = d; a = x; b = y; }
      }
    merges.push_back({groups[a].id, groups[b].id, best});
    Group merged{next++, groups[a].members};
    merged.members.insert(groups[b].members.begin(), groups[b].members.end());
    groups.erase(groups.begin() + b);
    groups.erase(groups.begin() + a);
    groups.push_back(merged);
  }
  return merges;
}

CPackedMatrix matrix_of(uint64_t n, const std::vector<float>& upper)
{
  CPackedMatrix m(n);
  for (uint64_t p = 0; p < upper.size(); ++p) m[p] = upper[p];
  return m;
}

void expect_same(const std::vector<CMerge>& got, const std::vector<CMerge>& want)
{
  ASSERT_EQ(got.size(), want.size());
  for (size_t k = 0; k < got.size(); ++k) {
    EXPECT_EQ(got[k].left, want[k].left) << "merge " << k;
    EXPECT_EQ(got[k].right, want[k].right) << "merge " << k;
    EXPECT_EQ(got[k].distance, want[k].distance) << "merge " << k;
  }
}

std::string bar(uint64_t total, const std::vector<uint64_t>& steps, bool catch_up)
{
  std::ostringstream os;
  tolva::CProgressBar progress(os, total);
  for (uint64_t done : steps) catch_up ? progress.catch_up(done) : progress.step(done);
  progress.finish();
  return os.str();
}

const std::string kBarHead = "%:  0    25   50   75   100\n   <|";
const std::string kNineteen(19, '|');

}  // namespace

TEST(PackedMatrix, IndexLayoutIsRowByRow)
{
  EXPECT_EQ(CPackedMatrix::index(5, 0, 1), 0u);
  EXPECT_EQ(CPackedMatrix::index(5, 0, 4), 3u);
  EXPECT_EQ(CPackedMatrix::index(5, 1, 2), 4u);
  EXPECT_EQ(CPackedMatrix::index(5, 3, 4), 9u);
  CPackedMatrix m(4);
  m[CPackedMatrix::index(4, 1, 3)] = 2.5f;
  EXPECT_EQ(m.at(1, 3), 2.5f);
  EXPECT_EQ(m.at(3, 1), 2.5f);
  EXPECT_EQ(m.at(2, 2), 0.0f);
  EXPECT_EQ(m.pairs(), 6u);
}

TEST(PackedMatrix, PairRecoveryIsExactBeyond32Bits)
{
  for (uint64_t n : {2ull, 3ull, 7ull, 100ull}) {
    for (uint64_t p = 0; p < CPackedMatrix::pair_count(n); ++p) {
      auto ij = CPackedMatrix::pair_at(n, p);
      ASSERT_LT(ij.first, ij.second);
      ASSERT_EQ(CPackedMatrix::index(n, ij.first, ij.second), p) << n << " " << p;
    }
  }
  const uint64_t n = 200000;  // 2e10 pairs: past 32 bits
  uint64_t last = CPackedMatrix::pair_count(n) - 1;
  EXPECT_GT(last, 1ull << 32);
  for (uint64_t p : std::vector<uint64_t>{0, 1, n - 2, n - 1, last / 3, last / 2, last - n, last - 1, last}) {
    auto ij = CPackedMatrix::pair_at(n, p);
    EXPECT_EQ(CPackedMatrix::index(n, ij.first, ij.second), p) << p;
  }
  EXPECT_EQ(CPackedMatrix::pair_at(n, last), std::make_pair(n - 2, n - 1));
}

TEST(CompleteLinkage, ThreeStructureExample)
{
  // d(0,1) = 1, d(0,2) = 3, d(1,2) = 2: 0 and 1 first, then the root at 3.
  auto merges = tolva::complete_linkage(matrix_of(3, {1, 3, 2}));
  expect_same(merges, {{0, 1, 1.0f}, {2, 3, 3.0f}});
}

TEST(CompleteLinkage, TiesGoToTheFirstPairInGroupOrder)
{
  // All equal: (0,1), then (2,3) since the merged group moves to the end.
  auto merges = tolva::complete_linkage(matrix_of(4, {1, 1, 1, 1, 1, 1}));
  expect_same(merges, {{0, 1, 1.0f}, {2, 3, 1.0f}, {4, 5, 1.0f}});
  auto zeros = tolva::complete_linkage(matrix_of(3, {0, 0, 0}));
  expect_same(zeros, {{0, 1, 0.0f}, {2, 3, 0.0f}});
}

TEST(CompleteLinkage, MatchesTheFullRescanOnRandomMatrices)
{
  std::mt19937 rng(12345);
  for (int trial = 0; trial < 60; ++trial) {
    uint64_t n = 2 + rng() % 40;
    CPackedMatrix m = CPackedMatrix::Unset(n);
    bool few_values = trial % 2 == 0;  // many ties
    std::uniform_real_distribution<float> any(0.0f, 20.0f);
    for (uint64_t p = 0; p < m.pairs(); ++p) m[p] = few_values ? static_cast<float>(rng() % 4) : any(rng);
    std::vector<tolva::CMerge> expected = naive_linkage(m);
    expect_same(tolva::complete_linkage(m), expected);
    expect_same(tolva::complete_linkage_in_place(m), expected);
    if (testing::Test::HasFailure()) FAIL() << "trial " << trial << " n " << n;
  }
}

TEST(CompleteLinkage, RootIsTheLargestDistance)
{
  std::mt19937 rng(7);
  CPackedMatrix m(30);
  float largest = 0;
  for (uint64_t p = 0; p < m.pairs(); ++p) {
    m[p] = std::uniform_real_distribution<float>(0, 9)(rng);
    largest = std::max(largest, m[p]);
  }
  auto merges = tolva::complete_linkage(m);
  EXPECT_EQ(merges.back().distance, largest);
  for (size_t k = 1; k < merges.size(); ++k) EXPECT_GE(merges[k].distance, merges[k - 1].distance);
}

TEST(CompleteLinkage, NotANumberIsAnInternalError)
{
  EXPECT_THROW(tolva::complete_linkage(matrix_of(3, {1, std::nanf(""), 2})), CIntLibException);
  EXPECT_THROW(tolva::complete_linkage(matrix_of(2, {INFINITY})), CIntLibException);
  EXPECT_TRUE(tolva::complete_linkage(CPackedMatrix(1)).empty());
}

TEST(ProgressBar, AlwaysNineteenMarks)
{
  std::string expected3 = "[3] \n" + kBarHead + kNineteen + "|>\n";
  EXPECT_EQ(bar(3, {1, 2, 3}, false), expected3);
  EXPECT_EQ(bar(3, {3}, true), expected3);

  std::vector<uint64_t> each;
  for (uint64_t k = 1; k <= 4950; ++k) each.push_back(k);
  std::string expected = "[4950] \n" + kBarHead + kNineteen + "|>\n";
  EXPECT_EQ(bar(4950, each, false), expected);
  EXPECT_EQ(bar(4950, {17, 2000, 4949, 4950}, true), expected);
}

TEST(ProgressBar, MarksAppearAtFivePercentSteps)
{
  std::ostringstream os;
  tolva::CProgressBar progress(os, 100);
  size_t head = os.str().size();
  // The single-precision threshold creeps just above the exact steps: the
  // tenth one is a little over 50 %.
  for (uint64_t k = 1; k <= 50; ++k) progress.step(k);
  EXPECT_EQ(os.str().size() - head, 9u);
  progress.step(51);
  EXPECT_EQ(os.str().size() - head, 10u);
  progress.catch_up(100);
  EXPECT_EQ(os.str().size() - head, 19u);
}
