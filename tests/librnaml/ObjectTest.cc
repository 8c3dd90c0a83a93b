#include <regex>

#include "RnamlSupport.h"

using rnaml_test::xml;
using vortan_test::MemoryBudget;
using vortan_test::Stderr;

namespace {

rnamlOBJECT* title_with(const char* comment, std::vector<const char*> references,
                        std::vector<const char*> analyses = {})
{
  rnamlOBJECT* t = rnamlnewTitle();
  rnamlsetObjectComment(t, comment);
  for (const char* id : references) rnamladdObjectReferenceId(t, id);
  for (const char* id : analyses) rnamladdObjectAnalysisId(t, id);
  return t;
}

std::string taken(char* text)
{
  std::string s = text ? text : "<null>";
  free(text);
  return s;
}

}  // namespace

TEST(RnamlObject, HeadersAreEqualWithTheSameCommentAndIdsInOrder)
{
  struct Case {
    rnamlOBJECT *a, *b;
    bool equal;
  } cases[] = {
    {title_with(nullptr, {"a", "b"}), title_with(nullptr, {"a", "b"}), true},
    {title_with(nullptr, {"a", "b"}), title_with(nullptr, {"b", "a"}), false},
    {title_with(nullptr, {"a"}), title_with(nullptr, {"a", "a"}), false},
    {title_with(nullptr, {"a"}, {"x"}), title_with(nullptr, {"a"}, {"y"}), false},
    {title_with("", {}), title_with(nullptr, {}), false},
    {title_with("c", {}), title_with("c", {}), true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rnamlequalsObject(c.a, c.b), c.equal) << taken(rnamlgetObjectReferenceIdsString(c.a));
    EXPECT_EQ(rnamlequals(c.a, c.b), c.equal);
    rnamlOBJECT* other = title_with("old", {"o"});
    vortanLIST* held = rnamlgetObjectReferenceIds(other);
    EXPECT_EQ(rnamlassignObject(other, c.a), 0);
    EXPECT_EQ(rnamlgetObjectReferenceIds(other), held) << "the List record stays";
    EXPECT_TRUE(rnamlequals(other, c.a));
    rnamldelete(other);
    rnamldelete(c.a);
    rnamldelete(c.b);
  }
}

TEST(RnamlObject, IdsJoinWithSingleBlanks)
{
  rnamlOBJECT* t = title_with(nullptr, {"r1", "r22", "r3"});
  EXPECT_EQ(taken(rnamlgetObjectReferenceIdsString(t)), "r1 r22 r3");
  EXPECT_EQ(taken(rnamlgetObjectAnalysisIdsString(t)), "");
  EXPECT_EQ(taken(rnamlidsToString(nullptr)), "");
  vortanPAIR* pair = vortannewPair(nullptr, nullptr);
  EXPECT_EQ(taken(rnamlidsToString(reinterpret_cast<vortanLIST*>(pair))), "");
  vortandelete(pair);
  EXPECT_FALSE(rnamladdObjectDatabaseId(t, nullptr));
  EXPECT_EQ(rnamlgetObjectReferenceIdsString(nullptr), nullptr);
  rnamlassignObject(t, t);
  EXPECT_EQ(taken(rnamlgetObjectReferenceIdsString(t)), "r1 r22 r3");
  rnamldelete(t);
}

// A record makes its id lists when first asked for or added to: a list
// asked for is an empty List, the same one each time, and a record that
// was asked is equal to, clones and writes like one that was not.
TEST(RnamlObject, AnIdListAskedForIsTheEmptyListOfARecordNeverAsked)
{
  rnamlOBJECT* asked = rnamlnewAtom();
  rnamlOBJECT* never = rnamlnewAtom();
  vortanLIST* ids = rnamlgetObjectAnalysisIds(asked);
  ASSERT_NE(ids, nullptr);
  EXPECT_EQ(rnamlgetObjectAnalysisIds(asked), ids);
  EXPECT_EQ(vortansize(ids), 0);
  EXPECT_TRUE(rnamlequals(asked, never));
  EXPECT_TRUE(rnamlequals(never, asked));
  EXPECT_EQ(xml(asked), xml(never));
  rnamlOBJECT* copy = rnamlclone(asked);
  EXPECT_TRUE(rnamlequals(copy, never));
  rnamladdObjectDatabaseId(copy, "d1");
  EXPECT_EQ(rnamlassignObject(never, copy), 0);
  EXPECT_EQ(taken(rnamlgetObjectDatabaseIdsString(never)), "d1");
  EXPECT_EQ(rnamlassignObject(never, asked), 0);
  EXPECT_EQ(vortansize(rnamlgetObjectDatabaseIds(never)), 0);
  for (rnamlOBJECT* r : {asked, never, copy}) rnamldelete(r);
}

// Out of memory, an id adder adds nothing and the joining gives null; both
// say so with the binding's own line, and nothing is left behind.
TEST(RnamlObject, RunningOutOfMemoryInTheIdsLeavesTheRecordAsItWas)
{
  rnamlOBJECT* t = title_with("c", {"r1"});
  rnamlOBJECT* source = title_with("other", {"x", "y"}, {"z"});
  const std::regex binding_line("(.*\n)*:object:[0-9]+: Out of memory\n");
  for (long budget = 0; budget < 2; ++budget) {
    Stderr err;
    MemoryBudget limit(budget);
    EXPECT_FALSE(rnamladdObjectReferenceId(t, "r2"));
    EXPECT_TRUE(std::regex_match(err.text(), binding_line));
  }
  {
    Stderr err;
    MemoryBudget limit(0);
    EXPECT_EQ(rnamlgetObjectReferenceIdsString(t), nullptr);
    EXPECT_TRUE(std::regex_match(err.text(), binding_line));
  }
  for (long budget = 0; budget < 8; ++budget) {
    Stderr err;
    MemoryBudget limit(budget);
    EXPECT_EQ(rnamlassignObject(t, source), -1) << budget;
  }
  EXPECT_EQ(taken(rnamlgetObjectReferenceIdsString(t)), "r1");
  EXPECT_STREQ(rnamlgetObjectComment(t), "c");
  EXPECT_EQ(rnamlassignObject(t, source), 0);
  EXPECT_TRUE(rnamlequalsObject(t, source));
  rnamldelete(t);
  rnamldelete(source);
}
