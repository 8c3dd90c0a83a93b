// The scanner: the tokens and values of each start condition, line
// counting, and documents whose names, "]]>" and CR LF fall across a refill
// of the input buffer.
#include <string>
#include <vector>

#include "ParseSupport.h"
#include "VortanSupport.h"
#include "vortanCharClass.h"
#include "vortanParseState.h"

using vortan_test::Parse;
using vortan_test::tokens;
using Tokens = std::vector<std::string>;

namespace {

struct TokenCase
{
  const char* input;
  Tokens expected;
};

const TokenCase token_cases[] = {
  // Tags, attribute values, content: a reference in a value is left to
  // the parser; one in content is expanded at once (amp is "&#38;").
  {"<a x='1' y=\"&lt;&#65;\tb\">t&amp;u</a>",
   {"STAG_OPEN", "NAME(a)", "NAME(x)", "EQ", "ATTVALUE(1)", "NAME(y)", "EQ", "REFERENCE(lt)",
    "ATTVALUE(A b)", "CLOSE", "CHARDATA(t)", "REFERENCE", "CHARREF(38)", "CHARDATA(u)",
    "ETAG_OPEN", "NAME(a)", "CLOSE"}},
  {"<e/> <f\n/>", {"STAG_OPEN", "NAME(e)", "EMPTY_CLOSE", "STAG_OPEN", "NAME(f)", "EMPTY_CLOSE"}},
  // References: the low 8 bits of the number, never a NUL; lt gives a
  // character.
  {"<a>&#321;&#x41;&lt;x\r\ny\rz</a>",
   {"STAG_OPEN", "NAME(a)", "CLOSE", "CHARREF(65)", "CHARREF(65)", "REFERENCE", "CHARREF(60)",
    "CHARDATA(x\ny\nz)", "ETAG_OPEN", "NAME(a)", "CLOSE"}},
  {"<a>&#256;</a>", {"STAG_OPEN", "NAME(a)", "CLOSE", "INVALID", "ETAG_OPEN", "NAME(a)", "CLOSE"}},
  // The XML declaration, white space around "=" included.
  {"<?xml version = \"1.0\" encoding='ISO-8859-1' standalone=\"yes\"?>",
   {"XMLDECL_OPEN", "VERSION", "EQ", "VERSIONNUM(1.0)", "ENCODING", "EQ", "NAME(ISO-8859-1)",
    "STANDALONE", "EQ", "NAME(yes)", "CLOSE"}},
  // PIs with and without text; a target beginning with xml is a PI.
  {"<?p?><?q  some\r\ntext ?><?xml-stylesheet a?>",
   {"PI_OPEN", "NAME(p)", "CLOSE", "PI_OPEN", "NAME(q)", "PI_TEXT(some\ntext )", "CLOSE", "PI_OPEN",
    "NAME(xml-stylesheet)", "PI_TEXT(a)", "CLOSE"}},
  // Comments lose each inner "--"; CDATA keeps "]" and "]]" short of "]]>".
  {"<!-- a -- b --><a><![CDATA[x]y]]z<]]></a>",
   {"COMMENT_OPEN", "COMMENT_TEXT( a  b )", "STAG_OPEN", "NAME(a)", "CLOSE", "CDATA_OPEN", "CDATA(x]y]]z<)",
    "ETAG_OPEN", "NAME(a)", "CLOSE"}},
  // The DTD: declarations, literals, a parameter entity supplying a whole
  // declaration and one expanded inside an entity value.
  {"<!DOCTYPE d SYSTEM \"a[1].dtd\" [<!ELEMENT d (#PCDATA|e)*>"
   "<!ATTLIST d i ID #REQUIRED n NMTOKENS #IMPLIED c (x|-y) 'x' t CDATA #FIXED \"v\">"
   "<!ENTITY % p \"<!ELEMENT e EMPTY>\"> %p; <!ENTITY g 'v&#65;%q;&r;'>"
   "<!NOTATION n PUBLIC \"-//A//B\"><!ENTITY u SYSTEM 's' NDATA n>]>",
   {"DOCTYPE_OPEN", "NAME(d)", "SYSTEM(SYSTEM)", "SYSTEMLITERAL(a[1].dtd)", "LSQB", "ELEMENT_OPEN",
    "NAME(d)", "LPAR", "PCDATA", "BAR", "NAME(e)", "RPAR", "STAR", "CLOSE", "ATTLIST_OPEN", "NAME(d)",
    "NAME(i)", "ID", "REQUIRED", "NAME(n)", "NMTOKENS_TYPE", "IMPLIED", "NAME(c)", "LPAR", "NAME(x)",
    "BAR", "NMTOKEN(-y)", "RPAR", "ATTVALUE(x)", "NAME(t)", "CDATA(CDATA)", "FIXED", "ATTVALUE(v)",
    "CLOSE", "ENTITY", "PERCENT", "NAME(p)", "ENTITYVALUE(<!ELEMENT e EMPTY>)", "CLOSE",
    "ELEMENT_OPEN", "NAME(e)", "NAME(EMPTY)", "CLOSE", "ENTITY", "NAME(g)", "ENTITYVALUE(vAQ&r;)",
    "CLOSE", "NOTATION", "NAME(n)", "PUBLIC(PUBLIC)", "PUBIDLITERAL(-//A//B)", "CLOSE", "ENTITY",
    "NAME(u)", "SYSTEM(SYSTEM)", "PUBIDLITERAL(s)", "NDATA", "NAME(n)", "CLOSE", "RSQB", "CLOSE"}},
  // Bytes no rule expects: text outside the root, "]]>" and a NUL in
  // content, "/>" in an end tag (a syntax error, not a stack underflow).
  {"ATOM", {"INVALID", "INVALID", "INVALID", "INVALID"}},
  {"<a>]]>", {"STAG_OPEN", "NAME(a)", "CLOSE", "INVALID"}},
  {"<a></a/>", {"STAG_OPEN", "NAME(a)", "CLOSE", "ETAG_OPEN", "NAME(a)", "INVALID", "CLOSE"}},
};

}  // namespace

TEST(VortanScanner, TokensAndValuesOfEachStartCondition)
{
  Parse reset("<x/>");  // a parse starts the entity tables afresh
  vortanputPEntity("p", "<!ELEMENT e EMPTY>");
  vortanputPEntity("q", "Q");
  for (const TokenCase& c : token_cases) {
    vortan_test::Stderr err;
    EXPECT_EQ(tokens(c.input), c.expected) << c.input;
    const std::string messages = err.text();
    EXPECT_TRUE(messages.empty() || messages == "Compatibility Error: Invalid comment\n")
      << c.input << ": " << messages;
  }
  // A NUL is a byte like any other: INVALID, never the end of the input.
  EXPECT_EQ(tokens(std::string("<a>\0</a>", 8)),
            (Tokens{"STAG_OPEN", "NAME(a)", "CLOSE", "INVALID", "ETAG_OPEN", "NAME(a)", "CLOSE"}));
}

TEST(VortanScanner, LinesCountedAsEachConditionCountsThem)
{
  const struct {
    const char* input;
    int lines;
  } cases[] = {
    {"<a>x\r\ny</a>", 2},         // CR LF in text: one line
    {"<a>x\ry</a>", 2},           // a lone CR in text counts
    {"\r<a/>", 1},                // a lone CR in skipped space does not
    {"<a\n b='1'\r\n/>", 3},      // LF and CR LF in a tag
    {"<!--\n\n--><a/>", 3},       // comment text
    {"<?p\r\r x\ny?><a/>", 4},    // after the target: lone CRs count too
  };
  for (const auto& c : cases) {
    Parse parse(c.input);
    EXPECT_EQ(parse.result, 0) << c.input;
    EXPECT_EQ(vortanLineNo, c.lines) << c.input;
  }
}

// A name, a "]]>" and a CR LF placed at every offset around the first two
// refills of the input buffer read as they would anywhere else.
TEST(VortanScanner, ConstructsAcrossARefillOfTheBuffer)
{
  for (size_t boundary : {size_t(vortanInputReadSize), size_t(2 * vortanInputReadSize)})
    for (size_t offset = boundary - 12; offset <= boundary + 4; ++offset) {
      const std::string pad(offset - 3, 'p');  // the construct starts at offset
      const struct {
        std::string document, canonical;
        int lines;
      } cases[] = {
        {"<r>" + pad + "<longname a='1'/></r>", "<r>" + pad + "<longname a=\"1\"></longname></r>", 1},
        {"<r><![CDATA[" + pad + "]]>x</r>", "<r>" + pad + "x</r>", 1},
        {"<r>" + pad + "\r\n\r\n</r>", "<r>" + pad + "&#10;&#10;</r>", 3},
        {"<r>" + pad + "<!--c--><?pi x?></r>", "<r>" + pad + "<?pi x?></r>", 1},
      };
      for (const auto& c : cases) {
        Parse parse(c.document);
        ASSERT_EQ(parse.result, 0) << offset;
        EXPECT_EQ(vortan_test::canonical(parse.document), c.canonical) << offset;
        EXPECT_EQ(vortanLineNo, c.lines) << offset;
      }
    }
}

// The scanner's byte classes agree with the name forms the checks use.
TEST(VortanScanner, ByteClassesAgreeWithTheNameForms)
{
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(vortanhasClass(c, vortanNameStart), vortanisNameStartChar(c)) << c;
    EXPECT_EQ(vortanhasClass(c, vortanNameChar), vortanisNameChar(c)) << c;
  }
}

TEST(VortanScanner, TextHelpers)
{
  const struct {
    char* (*helper)(const char*);
    const char *input, *output;
  } cases[] = {
    {vortanEOLNormalisation, "a\r\nb\rc\nd", "a\nb\nc\nd"},
    {vortanattributeQuoteReplacement, "'x\"", "&#39;x&#34;"},
    {vortanAttValueNormalizeWhiteSpaces, "a\tb\nc\rd", "a b c d"},
  };
  for (const auto& c : cases) {
    char* out = c.helper(c.input);
    EXPECT_STREQ(out, c.output);
    free(out);
  }
  EXPECT_EQ(vortanAddLineNo(1, "a\r\nb\rc\n"), 4);
  char* part = vortansubstring(1, 3, "abcd");
  EXPECT_STREQ(part, "bc");
  free(part);
  EXPECT_EQ(vortansubstring(3, 2, "abcd"), nullptr);
  EXPECT_EQ(vortansubstring(1, 5, "abcd"), nullptr);
}
