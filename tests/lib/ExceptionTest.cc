#include <gtest/gtest.h>

#include <cfloat>
#include <sstream>
#include <string>

#include "Exception.h"

namespace {

std::string text_of(const CException& e)
{
  std::ostringstream s;
  s << e;
  return s.str();
}

const std::string kBugLine = std::string("Please send a bug report to '") + kBugReportAddress + "'.";

}  // namespace

TEST(Exception, DefaultPrintsNothing)
{
  EXPECT_EQ(text_of(CException()), "");
  EXPECT_STREQ(CException().GetMessage(), "");
}

TEST(Exception, AppendedPiecesCarryNoSeparator)
{
  CException e("Invalid point index");
  e << 3u;
  EXPECT_EQ(text_of(e), "Invalid point index3");

  CException f("");
  f << -7 << " " << 4000000000UL << " " << -12L << " " << 'x' << " " << 1.5f;
  EXPECT_EQ(text_of(f), "-7 4000000000 -12 x 1.500000");
}

TEST(Exception, NulCharacterLeavesMessageUnchanged)
{
  CException e("abc");
  e << '\0';
  EXPECT_EQ(text_of(e), "abc");
}

TEST(Exception, LargestFloatIsFormattedWhole)
{
  CException e("x=");
  e << FLT_MAX << "!";
  std::string expected = "x=340282346638528859811704183484516925440.000000!";
  EXPECT_EQ(text_of(e), expected);
  e << -FLT_MAX;
  EXPECT_EQ(text_of(e), expected + "-340282346638528859811704183484516925440.000000");
}

TEST(Exception, InternalErrorCarriesFileLineAndBugReport)
{
  CIntLibException e("Pivot(s) not set.", "Transfo.cc", 42);
  EXPECT_EQ(text_of(e), "Transfo.cc:42: Pivot(s) not set.\n\n" + kBugLine);
  EXPECT_EQ(text_of(CIntLibException()), ":0: \n\n" + kBugLine);
  EXPECT_EQ(text_of(CIntLibException("m", nullptr, 1)), ":1: m\n\n" + kBugLine);
}

TEST(Exception, DynamicClassChoosesTheForm)
{
  CFatalIntLibException fatal("boom", "a.cc", 7);
  const CException& as_root = fatal;
  EXPECT_EQ(text_of(as_root), "a.cc:7: boom\n\n" + kBugLine);

  CFatalSocketException sock("lost", "net.cc", 9);
  EXPECT_EQ(text_of(sock), "net.cc:9: lost");

  CFatalLibException lib("plain");
  EXPECT_EQ(text_of(static_cast<const CException&>(lib)), "plain");
}

TEST(Exception, ThrownNamedObjectKeepsItsClass)
{
  try {
    CIntLibException e("Bad index ", __FILE__, 123);
    e << 5;
    throw e;
  } catch (const CIntLibException& caught) {
    EXPECT_EQ(caught.GetLine(), 123);
    EXPECT_EQ(std::string(caught.GetMessage()), "Bad index 5");
    return;
  } catch (...) {
  }
  FAIL() << "the internal error lost its class";
}

TEST(Exception, CopiesAreDeepAndSelfAssignmentIsHarmless)
{
  CIntLibException* source = new CIntLibException("original", "src.cc", 11);
  CIntLibException copy(*source);
  CIntLibException assigned;
  assigned = *source;
  delete source;
  EXPECT_EQ(text_of(copy), "src.cc:11: original\n\n" + kBugLine);
  EXPECT_EQ(text_of(assigned), "src.cc:11: original\n\n" + kBugLine);

  CIntLibException& alias = assigned;
  assigned = alias;
  EXPECT_EQ(text_of(assigned), "src.cc:11: original\n\n" + kBugLine);

  CException plain("kept");
  CException& plain_alias = plain;
  plain = plain_alias;
  EXPECT_EQ(text_of(plain), "kept");
}
