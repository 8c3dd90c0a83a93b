// The parser: handler events, the trees it builds, each well-formedness
// stop with its message (and a good parse after it), re-entry, nesting,
// the choice of a registered DTD version, entity expansion bounds, input
// failures and memory exhaustion at every allocation.
#include <zlib.h>

#include <memory>
#include <string>
#include <vector>

#include "ParseSupport.h"
#include "TestSupport.h"
#include "VortanSupport.h"

using vortan_test::canonical;
using vortan_test::Parse;
using vortan_test::printed;
using vortan_test::Stderr;

namespace {

std::vector<std::string> events;

void on_text(const char* text, int start, int length)
{
  events.push_back("text " + std::string(text + start, length));
}
void on_start_document() { events.push_back("start"); }
void on_end_document() { events.push_back("end"); }
void on_start_element(void*, void*, const char* name, vortanLIST* attributes)
{
  events.push_back("<" + std::string(name) + " " + std::to_string(vortansize(attributes)));
}
void on_end_element(void*, void*, const char* name) { events.push_back("/" + std::string(name)); }

class Handlers
{
public:
  Handlers()
  {
    events.clear();
    vortansetCharDataContentHandler(on_text);
    vortansetDocumentContentHandler(on_start_document, on_end_document);
    vortansetElementContentHandler(on_start_element, on_end_element);
  }
  ~Handlers()
  {
    vortansetCharDataContentHandler(nullptr);
    vortansetDocumentContentHandler(nullptr, nullptr);
    vortansetElementContentHandler(nullptr, nullptr);
  }
};

// Every message printed, syntax errors included.
class AllMessages
{
public:
  AllMessages() : saved(vortanUserOptions) { vortanUserOptions = 7; }
  ~AllMessages() { vortanUserOptions = saved; }

private:
  int saved;
};

std::string nested(int depth, const std::string& open, const std::string& inner, const std::string& close)
{
  std::string text;
  for (int i = 0; i < depth; ++i) text += open;
  text += inner;
  for (int i = 0; i < depth; ++i) text += close;
  return text;
}

std::string billion_laughs()
{
  std::string dtd = "<!DOCTYPE l [<!ENTITY l0 \"lol\">";
  for (int i = 1; i <= 9; ++i) {
    dtd += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) dtd += "&l" + std::to_string(i - 1) + ";";
    dtd += "\">";
  }
  return dtd + "]><l>&l9;</l>";
}

}  // namespace

TEST(VortanParser, HandlerEventsInDocumentOrder)
{
  const struct {
    const char* document;
    std::vector<std::string> events;
  } cases[] = {
    {"<a>x&#65;y<b/>z</a>", {"start", "<a 0", "text xAy", "<b 0", "/b", "text z", "/a", "end"}},
    {"<?xml version='1.0'?><!--c--><a k='v' l='w'/><?p?>", {"start", "<a 2", "/a", "end"}},
    {"<a><!--c-->t<![CDATA[u]]><?p q?>v</a>", {"start", "<a 0", "text t", "text u", "text v", "/a", "end"}},
    // A text run joins the text of an entity with what surrounds it.
    {"<!DOCTYPE a [<!ENTITY e 'mid'>]><a>x&e;y&amp;</a>", {"start", "<a 0", "text xmidy&", "/a", "end"}},
  };
  for (const auto& c : cases) {
    Handlers handlers;
    Parse parse(c.document);
    EXPECT_EQ(parse.result, 0) << c.document;
    EXPECT_EQ(events, c.events) << c.document;
  }
}

TEST(VortanParser, TreesOfDocumentsAndDeclarations)
{
  const struct {
    const char *document, *canonical, *dtd;
  } cases[] = {
    {"<a x=\"1 &lt; 2\" y='&quot;'>t<b/><!--c--><?p  q r?><![CDATA[<&>]]></a>",
     "<a x=\"1 &lt; 2\" y=\"&quot;\">t<b></b><?p q r?>&lt;&amp;&gt;</a>", nullptr},
    {"<!DOCTYPE d [<!ELEMENT d (a)><!ELEMENT e ((a|b)*, c?)+><!ELEMENT f (#PCDATA|a)*>"
     "<!ELEMENT g (#PCDATA)><!ELEMENT h (#PCDATA)*><!ELEMENT i EMPTY><!ELEMENT j ANY>]><d/>",
     "<d></d>",
     "<!DOCTYPE d [<!ELEMENT d (a) 0><!ELEMENT e ((a | b)*, c?)+ 0><!ELEMENT f (#PCDATA | a)* 0>"
     "<!ELEMENT g (#PCDATA) 0><!ELEMENT h (#PCDATA)* 0><!ELEMENT i EMPTY 0><!ELEMENT j ANY 0>]>\n"},
    {"<!DOCTYPE d [<!ATTLIST d x CDATA #IMPLIED y (p|ID|-q) 'p' z ID #REQUIRED n NOTATION (m) #FIXED 'm'"
     " w NMTOKEN>]><d/>",
     "<d></d>",
     "<!DOCTYPE d [<!ATTLIST d x CDATA #IMPLIED y (p | ID | -q) 'p' z ID #REQUIRED n NOTATION (m) "
     "#FIXED 'm' w NMTOKEN 0>]>\n"},
    {"<!DOCTYPE SYSTEM [<!ENTITY % p 'v'><!ENTITY g SYSTEM 's' NDATA n><!NOTATION n PUBLIC 'x' 'y'>"
     "<!NOTATION m PUBLIC 'z'>]><SYSTEM/>",
     "<!DOCTYPE SYSTEM [\n<!NOTATION m PUBLIC 'z'>\n<!NOTATION n PUBLIC 'x' 'y'>\n]>\n<SYSTEM></SYSTEM>",
     "<!DOCTYPE SYSTEM [<!ENTITY % p 'v'0><!ENTITY g SYSTEM \"s\" NDATA n0>"
     "<!NOTATION n PUBLIC \"x\" \"y\" 0<!NOTATION m PUBLIC \"z\" 0]>\n"},
  };
  for (const auto& c : cases) {
    Stderr quiet;
    Parse parse(c.document);
    ASSERT_EQ(parse.result, 0) << c.document;
    EXPECT_EQ(canonical(parse.document), c.canonical);
    const void* dtd = vortangetPrologDtdDecl(vortangetDocumentProlog(parse.document));
    if (c.dtd) {
      EXPECT_EQ(printed(dtd), c.dtd);
    }
  }
}

// Each stop ends the parse with its message and leaves no Document; the
// next parse is not affected (leaks show in the sanitizer build).
TEST(VortanParser, WellFormednessStopsThenAGoodParse)
{
  const struct {
    std::string document;
    int result;
    std::string message;
  } cases[] = {
    {"<a></b>", 2, "The name in the element a's end-tag does not match the element type in the start tag.\n"},
    {"<a x='1' y='' x='2'/>", 2, "Attribute 'x' appears more than once in the element 'a' dtd\n"},
    {"<a x='1<2'/>", 2, "The attribute 'x' contains a < character.\n"},
    {"<!DOCTYPE a [<!ENTITY e '&#60;'>]><a x='&e;'/>", 2, "The attribute 'x' contains a < character.\n"},
    {"<a x='&u;'/>", 2, "The entity 'u' must be declared.\n"},
    {"<?xml version='1.0' standalone='maybe'?><a/>", 2, "\"yes\" or \"no\" required in standalone declaration.\n"},
    {"<!DOCTYPE a [<!ELEMENT a NONE>]><a/>", 2, "EMPTY or ANY required.\n"},
    {"<!DOCTYPE a [<!ENTITY e 'x&f;'><!ENTITY f '&e;'>]><a>&e;</a>", 2,
     "The entity 'e' is recursively referenced.\n"},
    {"<!DOCTYPE a [<!ENTITY e 'x&e;'>]><a b='&e;'/>", 2, "The entity 'e' is recursively referenced.\n"},
    {"<!DOCTYPE a [<!ENTITY % p '%p;'><!ENTITY % q 'x'>]><a/>", 0, ""},
    {"<!DOCTYPE a [<!ENTITY % p '&#37;p;'> %p;]><a/>", 2, "The entity 'p' is recursively referenced.\n"},
    {billion_laughs(), 2, "The entity 'l1' expands past the 16 MiB a document may expand to.\n"},
    {"<a>" + std::string(10000000, 'x') + "</a>", 0, ""},
    {"<a>\n" + std::string(10000000, 'x') + "</a>", 2, "The text at line 2 runs past the 10000000 bytes a text may hold.\n"},
    {"<a>" + std::string(9999999, 'x') + "&#65;&#65;</a>", 2, "The text at line 1 runs past the 10000000 bytes a text may hold.\n"},
    {"<a b='" + std::string(10000001, 'x') + "'/>", 2, "The text at line 1 runs past the 10000000 bytes a text may hold.\n"},
    {"<a></a/>", 1, "vortan:1:parse error\n"},
    {"<a>\n<b>", 1, "vortan:2:parse error\n"},
    {"<a/><b/>", 1, "vortan:1:parse error\n"},
    {"ATOM      1  N   MET A   1      27.340  24.430   2.614  1.00  9.67           N\n", 1,
     "vortan:1:parse error\n"},
    {"", 1, "vortan:1:parse error\n"},
  };
  AllMessages all;
  for (const auto& c : cases) {
    Stderr err;
    Parse parse(c.document);
    EXPECT_EQ(parse.result, c.result) << c.document;
    EXPECT_EQ(parse.document == nullptr, c.result != 0) << c.document;
    EXPECT_EQ(err.text(), c.message) << c.document;
    Parse good("<a x='&#60;'>&amp;</a>");
    EXPECT_EQ(good.result, 0) << "after " << c.document;
  }
}

TEST(VortanParser, EntitiesOfOneDocumentNeverReachTheNext)
{
  Parse first("<!DOCTYPE a [<!ENTITY e 'x'><!ENTITY e 'y'>]><a b='&e;'>&e;</a>");
  ASSERT_EQ(first.result, 0);
  EXPECT_EQ(canonical(first.document), "<a b=\"x\">x</a>");  // the first declaration wins
  Parse second("<a b='&e;'/>");
  EXPECT_EQ(second.result, 2);
}

namespace {
int nested_result = -1;
void reenter(void*, void*, const char*, vortanLIST*) { nested_result = vortanparse(); }
}  // namespace

TEST(VortanParser, AHandlerCannotStartAnotherParse)
{
  vortansetElementContentHandler(reenter, nullptr);
  Parse parse("<a><b/></a>");
  vortansetElementContentHandler(nullptr, nullptr);
  EXPECT_EQ(nested_result, 2);
  EXPECT_EQ(parse.result, 0);
  EXPECT_EQ(canonical(parse.document), "<a><b></b></a>");
}

TEST(VortanParser, NestingBoundOfElementsAndParticleGroups)
{
  AllMessages all;
  for (int depth : {10000, 10001}) {
    const bool over = depth > 10000;
    const struct {
      std::string document;
    } cases[] = {
      {nested(depth, "<e>", "", "</e>")},
      {nested(depth - 1, "<e>", "<e/>", "</e>")},
      {"<!DOCTYPE e [<!ELEMENT e " + nested(depth, "(", "e", ")") + ">]><e/>"},
    };
    for (const auto& c : cases) {
      Stderr err;
      Parse parse(c.document);
      EXPECT_EQ(parse.result, over ? 2 : 0) << depth;
      EXPECT_EQ(err.text(), over ? "vortan:1:parser stack overflow\n" : "") << depth;
    }
  }
}

TEST(VortanParser, RegisteredDTDVersionChosenAtTheFirstTag)
{
  vortaninit();
  vortanMAP* entities = vortannewGEReferenceTable();
  vortanputReferenceTable(entities, "v", vortan_test::str("V"));
  vortanputStaticDTDTable(vortan_test::str("vortan-test"), vortan_test::str("1"), vortannewMap(), entities,
                          vortannewMap());
  const struct {
    const char *document, *canonical, *message;
  } cases[] = {
    // The registry knows the type: its file is not looked for, its version's
    // entities serve, and the document's own stay ahead of them.
    {"<!DOCTYPE vortan-test SYSTEM 'no/such.dtd' [<!ENTITY v 'mine'><!ENTITY w 'W'>]>"
     "<vortan-test version='1' a='&v;&w;'>&v;</vortan-test>",
     "<vortan-test a=\"mineW\" version=\"1\">mine</vortan-test>", ""},
    {"<!DOCTYPE vortan-test><vortan-test version='1'>&v;</vortan-test>",
     "<vortan-test version=\"1\">V</vortan-test>", ""},
    {"<!DOCTYPE vortan-test><vortan-test version='2'/>", "<vortan-test version=\"2\"></vortan-test>",
     "Unable to retrieve vortan-test dtd version 2.\n"},
    {"<!DOCTYPE vortan-test><vortan-test></vortan-test>", "<vortan-test></vortan-test>",
     "Unable to retrieve vortan-test dtd version (null).  File content will not be validated.\n"},
    {"<!DOCTYPE other SYSTEM 'no/such.dtd'><other/>", "<other></other>", "Unable to find DTD file.\n"},
  };
  for (const auto& c : cases) {
    Stderr err;
    Parse parse(c.document);
    ASSERT_EQ(parse.result, 0) << c.document;
    EXPECT_EQ(canonical(parse.document), c.canonical);
    EXPECT_EQ(err.text(), c.message) << c.document;
  }
}

// Plain, gzip and failing input: a damaged gzip stream, or one cut short
// (even of its trailer alone), is the scanner's fatal input failure, which
// ends the parse and not the process.
TEST(VortanParser, GzipInputAndInputFailure)
{
  testing_support::TempDir dir;
  const std::string document = "<a b='c'>" + std::string(20000, 'x') + "</a>";
  gzFile packed = gzopen(dir.file("doc.gz").c_str(), "wb");
  gzwrite(packed, document.data(), document.size());
  gzclose(packed);
  const std::string whole = testing_support::read_file(dir.file("doc.gz"));
  std::string damaged = whole;
  damaged.replace(20, 20, std::string(20, '\xff'));  // no valid deflate block
  testing_support::write_file(dir.file("bad.gz"), damaged);
  testing_support::write_file(dir.file("cut.gz"), whole.substr(0, whole.size() / 2));
  testing_support::write_file(dir.file("no-trailer.gz"), whole.substr(0, whole.size() - 8));

  const struct {
    const char* file;
    int result;
    const char* message;
  } cases[] = {{"doc.gz", 0, ""}, {"bad.gz", 2, "input in flex scanner failed\n"},
               {"cut.gz", 2, "input in flex scanner failed\n"}, {"no-trailer.gz", 2, "input in flex scanner failed\n"}};
  for (const auto& c : cases) {
    FILE* file = fopen(dir.file(c.file).c_str(), "rb");
    vortanin = vortannewGZIPInputStream(vortannewFileInputStreamFILE(file));
    Stderr err;
    EXPECT_EQ(vortanparse(), c.result) << c.file;
    EXPECT_EQ(err.text(), c.message);
    if (c.result == 0) {
      EXPECT_EQ(canonical(vortanast), "<a b=\"c\">" + std::string(20000, 'x') + "</a>");
    }
    vortandelete(vortanast);
    vortanast = nullptr;
    vortancloseInputStream(vortanin);
    vortandeleteInputStream(vortanin);
    vortanin = nullptr;
  }
}

// Memory runs out at the first allocation, then the second, and so on: the
// parse fails with 2 and frees what it built, until it has enough.
TEST(VortanParser, MemoryExhaustedAtEveryAllocation)
{
  vortaninit();
  const std::string document =
    "<?xml version='1.0'?><!DOCTYPE a [<!ELEMENT a (#PCDATA|b)*><!ATTLIST a x CDATA 'd'>"
    "<!ENTITY e 'ee'><!ENTITY % p '<!ENTITY f \"ff\">'> %p;<!NOTATION n SYSTEM 's'>]>"
    "<!--c--><a x='&e;'>t&f;<b y='1'/><![CDATA[z]]><?p q?>&#65;</a><?r?>";
  Parse reference(document);
  ASSERT_EQ(reference.result, 0);
  const std::string expected = canonical(reference.document);
  for (long budget = 0;; ++budget) {
    std::unique_ptr<Parse> parse;
    bool failed;
    {
      vortan_test::MemoryBudget limit(budget);
      Stderr quiet;
      parse = std::make_unique<Parse>(document);
      failed = vortan_test::MemoryBudget::exhausted();
    }
    if (!failed) {
      EXPECT_EQ(parse->result, 0);
      EXPECT_EQ(canonical(parse->document), expected);
      break;
    }
    EXPECT_EQ(parse->document, nullptr) << budget;
    EXPECT_EQ(parse->result, 2) << budget;
  }
}
