// The cluster tree over distances set by hand: complete linkage between
// groups, the representative member, the layout and the text form.
#include <gtest/gtest.h>

#include <sstream>

#include "Group.h"
#include "PackedMatrix.h"
#include "RmsEngine.h"
#include "StructureFiles.h"
#include "TesselInit.h"

using tolva::CGroup;
using tolva::CPackedMatrix;
using tolva::CRmsEngine;

namespace {

class GroupTest : public testing::Test
{
protected:
  void SetUp() override
  {
    TesselInit();
    for (int k = 1; k <= 3; ++k) engine.AddFrag(testing_support::example(k).c_str());
  }

  void distances(float d01, float d02, float d12)
  {
    CPackedMatrix m(3);
    m[0] = d01;
    m[1] = d02;
    m[2] = d12;
    engine.SetDistances(m);
  }

  CRmsEngine engine;
};

}  // namespace

TEST_F(GroupTest, CompleteLinkageIsTheLargestCrossDistance)
{
  distances(4.0f, 1.5f, 2.5f);
  CGroup pair(4.0f, &engine, new CGroup(0, 0, &engine), new CGroup(0, 1, &engine));
  CGroup single(0, 2, &engine);
  EXPECT_EQ(pair.Distance(single), 2.5f);
  EXPECT_EQ(single.Distance(pair), 2.5f);
  EXPECT_EQ(engine.Distance(2, 1), engine.Distance(1, 2));
  EXPECT_EQ(engine.Distance(1, 1), 0.0f);
}

TEST_F(GroupTest, RepresentativeHasTheLeastSquaredDistances)
{
  // Sums of squares: member 0 has 1 + 1 = 2, members 1 and 2 have 1 + 9.
  distances(1.0f, 1.0f, 3.0f);
  CGroup all(3.0f, &engine, new CGroup(1.0f, &engine, new CGroup(0, 0, &engine), new CGroup(0, 1, &engine)),
             new CGroup(0, 2, &engine));
  all.FindLMS();
  EXPECT_EQ(all.GetLMS(), 0);

  distances(2.0f, 2.0f, 2.0f);  // ties: the lowest index
  CGroup tied(2.0f, &engine, new CGroup(0, 2, &engine), new CGroup(2.0f, &engine, new CGroup(0, 1, &engine),
                                                                    new CGroup(0, 0, &engine)));
  tied.FindLMS();
  EXPECT_EQ(tied.GetLMS(), 0);

  CGroup leaf(0, 1, &engine);
  leaf.FindLMS();
  EXPECT_EQ(leaf.GetLMS(), 1);
}

TEST_F(GroupTest, LayoutPutsLeavesOnTheLeftEdge)
{
  distances(1.0f, 3.0f, 2.0f);
  CGroup* left = new CGroup(1.0f, &engine, new CGroup(0, 0, &engine), new CGroup(0, 1, &engine));
  CGroup root(3.0f, &engine, left, new CGroup(0, 2, &engine));
  root.SetInSpace(0, 0, 1000, 1000);
  EXPECT_EQ(root.GetX(), 1000.0f);
  EXPECT_EQ(left->GetLeft()->GetX(), 0.0f);
  EXPECT_EQ(left->GetLeft()->GetY(), 0.0f);
  EXPECT_EQ(left->GetRight()->GetY(), 500.0f);
  EXPECT_EQ(root.GetRight()->GetY(), 1000.0f);
  EXPECT_FLOAT_EQ(left->GetX(), 1000.0f / 3);
  EXPECT_EQ(left->GetY(), 250.0f);
  EXPECT_EQ(root.GetY(), 625.0f);
}

TEST_F(GroupTest, IdenticalStructuresStillLayOut)
{
  distances(0, 0, 0);
  CGroup root(0.0f, &engine, new CGroup(0.0f, &engine, new CGroup(0, 0, &engine), new CGroup(0, 1, &engine)),
              new CGroup(0, 2, &engine));
  root.SetInSpace(0, 0, 1000, 1000);
  EXPECT_EQ(root.GetX(), 0.0f);  // no 0 / 0
  EXPECT_EQ(root.GetLeft()->GetX(), 0.0f);
}

TEST_F(GroupTest, TextFormNamesTheMembers)
{
  distances(1.0f, 3.0f, 2.0f);
  CGroup group(1.5f, &engine, new CGroup(0, 0, &engine), new CGroup(0, 2, &engine));
  std::ostringstream before, after;
  before << group;
  const std::string e1 = testing_support::example(1), e3 = testing_support::example(3);
  EXPECT_EQ(before.str(), "Cluster with maximum distance of: 1.5 Angstroms.\nLMS member is unknown\n  " + e1 +
                              "\n  " + e3 + "\n");
  group.FindLMS();
  after << group;
  EXPECT_EQ(after.str(), "Cluster with maximum distance of: 1.5 Angstroms.\nLMS member is " + e1 + "\n  " + e1 +
                             "\n  " + e3 + "\n");
}

TEST_F(GroupTest, CopiesAreIndependentTrees)
{
  distances(1.0f, 3.0f, 2.0f);
  CGroup* source = new CGroup(3.0f, &engine, new CGroup(0, 0, &engine), new CGroup(0, 1, &engine));
  CGroup copy(*source);
  delete source;
  EXPECT_EQ(copy.GetMembers(), (std::set<int>{0, 1}));
  ASSERT_NE(copy.GetLeft(), nullptr);
  EXPECT_EQ(copy.GetLeft()->GetMembers(), std::set<int>{0});
  CGroup assigned(0, 2, &engine);
  assigned = copy;
  EXPECT_EQ(assigned.GetRight()->GetMembers(), std::set<int>{1});
}
