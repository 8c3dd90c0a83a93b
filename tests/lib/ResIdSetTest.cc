#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "BinaryBytes.h"
#include "Binstream.h"
#include "CapturedMessages.h"
#include "Exception.h"
#include "ResIdSet.h"

using testing_support::CapturedMessages;

using testing_support::bytes_of;
using testing_support::hex;

namespace {

// The ids of a set, each in its text form, in set order.
std::vector<std::string> ids_of(const CResIdSet& set)
{
  std::vector<std::string> out;
  for (const CResId& id : set) out.push_back(static_cast<const char*>(id));
  return out;
}

std::vector<std::string> numbers(int from, int to, const std::string& chain = "")
{
  std::vector<std::string> out;
  for (int n = from; n <= to; ++n) out.push_back(chain + std::to_string(n));
  return out;
}

std::string text_of(const CResIdSet& set)
{
  std::ostringstream os;
  os << set;
  return os.str();
}

struct Parsed
{
  std::vector<std::string> ids;
  std::string messages;
};

Parsed parse(const char* expression)
{
  CapturedMessages captured;
  CResIdSet set;
  set._parse_and_insert(expression);
  return {ids_of(set), captured.text()};
}

}  // namespace

TEST(ResIdSet, ConstructionAndInsertion)
{
  CResIdSet set(4, 'B');
  EXPECT_EQ(ids_of(set), (std::vector<std::string>{"B4"}));

  set.insert(4, 'B');
  set.insert(2, 'B');
  set.insert(CResId(2, 'B', 'A'));
  EXPECT_EQ(ids_of(set), (std::vector<std::string>{"B2", "B2.A", "B4"}));
}

TEST(ResIdSet, ParsesIdsAndRanges)
{
  struct Case { const char* expression; std::vector<std::string> ids; };
  const Case cases[] = {
    {"12", {"12"}},
    {"1-5", numbers(1, 5)},
    {"A10-A12", numbers(10, 12, "A")},
    {"A5.B-A7", {"A5.B", "A6", "A7"}},
    {"'1'3-'1'5", {"'1'3", "'1'4", "'1'5"}},
    {"1,2 3", {"1", "2", "3"}},
    {"B5 A1-A3 B5", {"A1", "A2", "A3", "B5"}},
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.expression);
    EXPECT_EQ(p.messages, "") << c.expression;
    EXPECT_EQ(p.ids, c.ids) << c.expression;
  }
}

TEST(ResIdSet, EmptyItemsAreSkippedSilently)
{
  struct Case { const char* expression; std::vector<std::string> ids; };
  const Case cases[] = {
    {"A1, A5", {"A1", "A5"}},
    {"1, 2", {"1", "2"}},
    {",A1,,A2,", {"A1", "A2"}},
    {"  A1-A3 ,\tB5\n", {"A1", "A2", "A3", "B5"}},
    {"", {}},
    {" , ,, ", {}},
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.expression);
    EXPECT_EQ(p.messages, "") << c.expression;
    EXPECT_EQ(p.ids, c.ids) << c.expression;
  }

  CResIdSet set;
  set._parse_and_insert(nullptr);
  EXPECT_TRUE(set.empty());
}

TEST(ResIdSet, LongExpressionsHaveNoLengthLimit)
{
  std::string expression;
  for (int n = 1; n <= 3000; ++n) expression += "A" + std::to_string(n) + ", ";
  Parsed p = parse(expression.c_str());
  EXPECT_EQ(p.messages, "");
  EXPECT_EQ(p.ids.size(), 3000u);
}

TEST(ResIdSet, PrintedFormJoinsRunsWithinAChain)
{
  CResIdSet set;
  EXPECT_EQ(text_of(set), "");

  for (CResId id : {CResId(1, 'A'), CResId(2, 'A'), CResId(3, 'A'), CResId(5, 'A'), CResId(6, 'B')})
    set.insert(id);
  EXPECT_EQ(text_of(set), "A1-A3,A5,B6");

  set.clear();
  set.insert(CResId(5));
  set.insert(CResId(5, ' ', 'A'));
  EXPECT_EQ(text_of(set), "5,5.A");

  // A run ignores insertion codes inside it, and never crosses chains.
  set.clear();
  set._parse_and_insert("A9 B10 C1 C2.X C3 7");
  EXPECT_EQ(text_of(set), "7,A9,B10,C1-C3");

  set.clear();
  set._parse_and_insert("1-3,5");
  EXPECT_EQ(text_of(set), "1-3,5");

  set.clear();
  set.insert(2147483647, 'A');
  set.insert(-2147483647 - 1, 'B');
  EXPECT_EQ(text_of(set), "A2147483647,B-2147483648");
}

TEST(ResIdSet, PrintedFormParsesBackToTheSameSet)
{
  CResIdSet set;
  set._parse_and_insert("1-4 9 A2-A6 A8 B1 '3'5-'3'7 z10-z12");
  CResIdSet again;
  std::string text = text_of(set);
  EXPECT_EQ(text, "1-4,9,'3'5-'3'7,A2-A6,A8,B1,z10-z12");
  again._parse_and_insert(text.c_str());
  EXPECT_TRUE(again == set);
}

TEST(ResIdSet, IntersectionDifferenceAndEquality)
{
  CResIdSet requested, present;
  requested._parse_and_insert("A1-A5");
  present._parse_and_insert("A2 A4 A9");

  CResIdSet common, missing;
  std::set_intersection(requested.begin(), requested.end(), present.begin(), present.end(),
                        std::inserter(common, common.begin()));
  std::set_difference(requested.begin(), requested.end(), present.begin(), present.end(),
                      std::inserter(missing, missing.begin()));
  EXPECT_EQ(text_of(common), "A2,A4");
  EXPECT_EQ(text_of(missing), "A1,A3,A5");

  CResIdSet same;
  same._parse_and_insert("A4,A2");
  EXPECT_TRUE(same == common);
  same.insert(3, 'A');
  EXPECT_TRUE(same != common);
}

TEST(ResIdSet, CursorWalksTheIdsAndCopiesKeepItsPosition)
{
  CResIdSet set;
  set._parse_and_insert("B2 A1 C3");
  EXPECT_EQ(set.GetChainId(), 'A');
  EXPECT_EQ(set.GetResNo(), 1);

  CResIdSet before = set++;
  EXPECT_EQ(before.GetChainId(), 'A');
  EXPECT_EQ(set.GetChainId(), 'B');
  EXPECT_EQ(set.GetResNo(), 2);

  CResIdSet copy(set);
  CResIdSet assigned;
  assigned = set;
  set.clear();
  EXPECT_EQ(copy.GetResNo(), 2);
  EXPECT_EQ(assigned.GetChainId(), 'B');
  EXPECT_EQ((++copy).GetResNo(), 3);

  ++copy;
  EXPECT_THROW(copy.GetResNo(), CIntLibException);
  ++copy;  // stays past the end
  EXPECT_THROW(copy.GetChainId(), CIntLibException);
  EXPECT_THROW(CResIdSet().GetResNo(), CIntLibException);

  assigned = assigned;
  EXPECT_EQ(assigned.GetResNo(), 2);
}

TEST(ResIdSet, BinaryFormIsCountThenIds)
{
  CResIdSet set;
  set.insert(CResId(1));
  set.insert(CResId(2, 'A'));
  std::stringbuf buf;
  oBinstream out(&buf);
  out << set << CResIdSet();
  EXPECT_EQ(hex(buf.str()),
            "00 00 00 02 "
            "00 00 00 01 00 20 00 20 "
            "00 00 00 02 00 41 00 20 "
            "00 00 00 00");
}

TEST(ResIdSet, BinaryRoundTripReplacesTheTarget)
{
  CResIdSet set;
  set._parse_and_insert("1-3 A5.B '7'9 z4");
  std::stringbuf buf;
  oBinstream out(&buf);
  out << set;

  iBinstream in(&buf);
  CResIdSet got;
  got._parse_and_insert("Q1-Q9");
  ASSERT_TRUE(in >> got);
  EXPECT_TRUE(got == set);
  EXPECT_EQ(ids_of(got), (std::vector<std::string>{"1", "2", "3", "'7'9", "A5.B", "z4"}));
}

TEST(ResIdSet, BinaryCountsOfZeroOrBelowAndTruncationsAreSafe)
{
  for (const char* count : {"\x00\x00\x00\x00", "\xFF\xFF\xFF\xFF", "\x80\x00\x00\x00"}) {
    std::stringbuf buf(std::string(count, 4));
    iBinstream in(&buf);
    CResIdSet got(3, 'C');
    in >> got;
    EXPECT_TRUE(got.empty());
  }

  // A count far above what follows stops at the end of the data.
  std::string data("\x7F\xFF\xFF\xFF" "\x00\x00\x00\x04\x00\x42\x00\x20" "\x00\x00", 14);
  std::stringbuf buf(data);
  iBinstream in(&buf);
  CResIdSet got;
  in >> got;
  EXPECT_TRUE(in.fail());
  EXPECT_EQ(ids_of(got), (std::vector<std::string>{"B4"}));
}
