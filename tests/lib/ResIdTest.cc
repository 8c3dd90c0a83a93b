#include <gtest/gtest.h>

#include <algorithm>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "BinaryBytes.h"
#include "Binstream.h"
#include "CapturedMessages.h"
#include "Messagestream.h"
#include "ResId.h"

using testing_support::CapturedMessages;

using testing_support::bytes_of;
using testing_support::hex;

namespace {

std::string text_of(const CResId& id)
{
  std::ostringstream os;
  os << id;
  return os.str();
}

// Groups thousands with a full stop, as some locales do.
struct GroupingPunct : std::numpunct<char>
{
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

// Parses a text and returns the id with the diagnostics it wrote.
struct Parsed
{
  CResId id;
  std::string messages;
};

Parsed parse(const char* text)
{
  CapturedMessages captured;
  CResId id(text);
  return {id, captured.text()};
}

}  // namespace

TEST(ResId, PrintedForm)
{
  CResId id(42, 'B', 'C');
  EXPECT_EQ(id.GetResNo(), 42);
  EXPECT_EQ(id.GetChainId(), 'B');
  EXPECT_EQ(id.GetInsCode(), 'C');

  EXPECT_EQ(text_of(CResId(12)), "12");
  EXPECT_EQ(text_of(CResId()), "-1");
  EXPECT_EQ(text_of(CResId(12, 'A')), "A12");
  EXPECT_EQ(text_of(CResId(12, '1')), "'1'12");
  EXPECT_EQ(text_of(CResId(-7, '#')), "'#'-7");
  EXPECT_EQ(text_of(CResId(12, 'A', 'B')), "A12.B");
  EXPECT_EQ(text_of(CResId(5, '_', '1')), "'_'5.1");
  EXPECT_EQ(text_of(CResId(-2147483647 - 1, 'Q')), "Q-2147483648");

  // The conversion gives the same text as the stream output.
  EXPECT_STREQ(static_cast<const char*>(CResId(12, '1', 'X')), "'1'12.X");
}

TEST(ResId, PrintedFormIgnoresTheStreamLocale)
{
  std::ostringstream os;
  os.imbue(std::locale(os.getloc(), new GroupingPunct));
  os << 12345 << ' ' << CResId(12345, 'A');
  EXPECT_EQ(os.str(), "12.345 A12345");
}

TEST(ResId, CachedTextFollowsEveryChange)
{
  CResId id(1, 'A');
  const char* first = id;
  EXPECT_STREQ(first, "A1");
  EXPECT_EQ(static_cast<const char*>(id), first);  // built once

  id.SetResNo(20);
  EXPECT_STREQ(static_cast<const char*>(id), "A20");
  id.SetChainId('7');
  EXPECT_STREQ(static_cast<const char*>(id), "'7'20");
  id.SetInsCode('K');
  EXPECT_STREQ(static_cast<const char*>(id), "'7'20.K");

  CResId copy(id);
  EXPECT_STREQ(static_cast<const char*>(copy), "'7'20.K");
  EXPECT_NE(static_cast<const char*>(copy), static_cast<const char*>(id));

  id = CResId(9);
  EXPECT_STREQ(static_cast<const char*>(id), "9");
  EXPECT_STREQ(static_cast<const char*>(copy), "'7'20.K");

  copy = copy;
  EXPECT_STREQ(static_cast<const char*>(copy), "'7'20.K");

  // Equality looks at the fields only.
  EXPECT_TRUE(copy == CResId("'7'20.K"));
}

TEST(ResId, MessageStreamWritesTheTextForm)
{
  std::stringbuf buf;
  Messagestream s(&buf, 2, 2);
  CResId id(12, 'A', 'B');
  s.setLevel(2) << "Residue " << id << " and " << CResId(4, '2') << std::endl;
  s.setLevel(3) << id << std::endl;
  EXPECT_EQ(buf.str(), "Residue A12.B and '2'4\n");
}

TEST(ResId, ParsesWellFormedTexts)
{
  struct Case { const char* text; int number; char chain; char insertion; };
  const Case cases[] = {
    {"12", 12, ' ', ' '},
    {"0", 0, ' ', ' '},
    {"0042", 42, ' ', ' '},
    {"9999", 9999, ' ', ' '},
    {"A12", 12, 'A', ' '},
    {"b7", 7, 'b', ' '},
    {"A12.B", 12, 'A', 'B'},
    {"12.x", 12, ' ', 'x'},
    {"'1'12", 12, '1', ' '},
    {"'A'3", 3, 'A', ' '},
    {"'-'5.9", 5, '-', '9'},
    {"' '8", 8, ' ', ' '},
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.text);
    EXPECT_EQ(p.messages, "") << c.text;
    EXPECT_EQ(p.id, CResId(c.number, c.chain, c.insertion)) << c.text;
  }
  EXPECT_EQ(text_of(CResId("'A'3")), "A3");
}

TEST(ResId, MalformedQuotedChainKeepsTheDefaults)
{
  for (const char* text : {"'1'", "'", "'12", "'1x5"}) {
    Parsed p = parse(text);
    EXPECT_EQ(p.messages, std::string("Malformed residue id ") + text + "\n");
    EXPECT_EQ(p.id, CResId()) << text;
  }
}

TEST(ResId, MalformedNumbersReportChainAndNumberPart)
{
  struct Case { const char* text; const char* message; const char* printed; };
  const Case cases[] = {
    {"12345", "Malformed residue number in residue id ' '12345\n", "-1"},
    {"A", "Malformed residue number in residue id 'A'\n", "A-1"},
    {"", "Malformed residue number in residue id ' '\n", "-1"},
    {"-5", "Malformed residue number in residue id ' '-5\n", "-1"},
    {"+5", "Malformed residue number in residue id ' '+5\n", "-1"},
    {" 5", "Malformed residue number in residue id ' ' 5\n", "-1"},
    {"5A", "Malformed residue number in residue id ' '5A\n", "-1"},
    {"A1x.B", "Malformed residue number in residue id 'A'1x.B\n", "A-1"},
    {"A.B", "Malformed residue number in residue id 'A'.B\n", "A-1"},
    {"'3'x", "Malformed residue number in residue id '3'x\n", "'3'-1"},
    {"\xd9\xa3", "Malformed residue number in residue id ' '\xd9\xa3\n", "-1"},
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.text);
    EXPECT_EQ(p.messages, c.message) << c.text;
    EXPECT_EQ(text_of(p.id), c.printed) << c.text;
    EXPECT_EQ(p.id.GetInsCode(), ' ') << c.text;
  }
}

TEST(ResId, MalformedInsertionCodeKeepsNumberAndChain)
{
  Parsed p = parse("12.AB");
  EXPECT_EQ(p.messages, "Malformed insertion code in residue id 12.AB\n");
  EXPECT_EQ(p.id, CResId(12));

  p = parse("12.");
  EXPECT_EQ(p.messages, "Malformed insertion code in residue id 12.\n");
  EXPECT_EQ(p.id, CResId(12));

  p = parse("'%'4.B.C");
  EXPECT_EQ(p.messages, "Malformed insertion code in residue id '%'4.B.C\n");
  EXPECT_EQ(p.id, CResId(4, '%'));
}

TEST(ResId, DiagnosticsHiddenBelowTheirLevelAndNullTextIsEmpty)
{
  CapturedMessages captured;
  gOut->setVerboseLevel(1);
  CResId id("12345");
  EXPECT_EQ(captured.text(), "");
  EXPECT_EQ(id, CResId());
  gOut->setVerboseLevel(2);

  CResId none(static_cast<const char*>(nullptr));
  EXPECT_EQ(none, CResId());
  EXPECT_EQ(captured.text(), "Malformed residue number in residue id ' '\n");
}

TEST(ResId, OrderIsChainThenNumberThenInsertionCode)
{
  // Written in the expected order, with signed characters: 0xE9 is negative.
  std::vector<CResId> sorted = {
    CResId(99, static_cast<char>(0xE9)),
    CResId(-5), CResId(-1), CResId(2), CResId(10), CResId(10, ' ', 'A'),
    CResId(3, '1'),
    CResId(1, 'A'), CResId(12, 'A', static_cast<char>(0xC0)), CResId(12, 'A'),
    CResId(12, 'A', 'B'), CResId(12, 'A', 'C'), CResId(100, 'A'),
    CResId(1, 'B'), CResId(0, 'a'),
  };
  for (size_t i = 0; i < sorted.size(); ++i) {
    for (size_t j = 0; j < sorted.size(); ++j) {
      EXPECT_EQ(sorted[i] < sorted[j], i < j) << sorted[i] << " vs " << sorted[j];
      EXPECT_EQ(sorted[i] == sorted[j], i == j) << sorted[i] << " vs " << sorted[j];
      EXPECT_EQ(sorted[i] != sorted[j], i != j) << sorted[i] << " vs " << sorted[j];
    }
  }
}

TEST(ResId, BinaryFormIsNumberChainInsertion)
{
  std::stringbuf buf;
  oBinstream out(&buf);
  out << CResId(258, 'A', 'B') << CResId();
  EXPECT_EQ(hex(buf.str()), "00 00 01 02 00 41 00 42 FF FF FF FF 00 20 00 20");
}

TEST(ResId, BinaryRoundTripDropsTheCachedTextAndSurvivesTruncation)
{
  const std::vector<CResId> ids = {
    CResId(), CResId(0, 'A'), CResId(9999, 'z', 'Q'), CResId(-300, '\'', '.'),
    CResId(2147483647, static_cast<char>(0xE9), static_cast<char>(0x80)),
  };
  std::stringbuf buf;
  oBinstream out(&buf);
  for (const CResId& id : ids) out << id;

  iBinstream in(&buf);
  for (const CResId& expected : ids) {
    CResId got(77, 'X', 'Y');
    EXPECT_STREQ(static_cast<const char*>(got), "X77.Y");
    ASSERT_TRUE(in >> got);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(text_of(got), static_cast<const char*>(got));
  }

  // A read cut short leaves the id as it was.
  std::stringbuf cut(std::string("\x00\x00\x00\x05\x00\x41\x00", 7));
  iBinstream short_in(&cut);
  CResId id(1, 'Z', 'Z');
  EXPECT_FALSE(short_in >> id);
  EXPECT_EQ(id, CResId(1, 'Z', 'Z'));
}
