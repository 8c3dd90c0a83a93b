#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <random>
#include <regex>

#include "EveryElementTree.h"
#include "RnamlSupport.h"
#include "TestSupport.h"
#include "vortanInputStream.h"

using rnaml_test::every_element_tree;
using rnaml_test::file_of;
using rnaml_test::marshalled;
using rnaml_test::Read;
using rnaml_test::unmarshalled;
using rnaml_test::xml;
using testing_support::content_mismatches;
using testing_support::read_file;
using testing_support::test_data;
using vortan_test::MemoryBudget;
using vortan_test::Stderr;

namespace {

const std::string every_element = read_file(test_data("rnaml/every-element.xml"));
const std::string largest = "340282346638528859811704183484516925440.000000";

rnamlOBJECT* first(vortanLIST* list)
{
  vortanITERATOR* at = vortannewIterator(list);
  void* record = vortannext(at);
  vortandelete(at);
  return static_cast<rnamlOBJECT*>(record);
}

const char pdb_text[] =
  "HEADER    TRANSFER RNA                            01-JAN-00   1ABC\n"
  "ATOM      1  P     G A   1      50.193  51.190  50.534  1.00 99.95           P\n";

// A FILE holding text compressed with gzip.
FILE* gzip_file_of(const std::string& text)
{
  FILE* file = tmpfile();
  gzFile out = gzdopen(dup(fileno(file)), "wb");
  gzwrite(out, text.data(), static_cast<unsigned>(text.size()));
  gzclose(out);
  rewind(file);
  return file;
}

std::string in_model(const std::string& content)
{
  return "<rnaml version=\"1.1\"><molecule id=\"m\"><structure><model>" + content +
         "</model></structure></molecule></rnaml>";
}

std::string in_sequence(const std::string& text)
{
  return "<rnaml version=\"1.1\"><molecule id=\"m\"><sequence><seq-data>" + text + "</seq-data></sequence></molecule></rnaml>";
}

std::string layout(const std::string& coordinates)
{
  return "<ss-base-coord><coordinates>" + coordinates + "</coordinates></ss-base-coord>";
}

}  // namespace

// Every record element and every text element under each parent kind the
// tables list: the tree read equals the one built by hand through the
// record API. Validation runs and finds only the toolkit's one text item
// per (#PCDATA) element, which the comment inside seq-data splits in two.
TEST(RnamlUnmarshaller, ReadsEveryElementUnderEveryParent)
{
  Read read = unmarshalled(every_element, 1);
  rnamlOBJECT* expected = every_element_tree();
  ASSERT_NE(read.root, nullptr) << rnamlgetReason();
  EXPECT_TRUE(rnamlequals(read.root, expected)) << xml(read.root) << "\n" << xml(expected);
  EXPECT_EQ(read.err, "Validity Warning: Content of element 'seq-data' does not match the content model.\n");
  EXPECT_EQ(rnamlgetRoot(), read.root);
  EXPECT_STREQ(rnamlgetReason(), "");
  rnamldelete(read.root);
  rnamldelete(expected);
}

// Written and read back, compact and indented, a tree is the same, and
// floats are exact at the six decimals written.
TEST(RnamlUnmarshaller, MarshalledTreesReadBackTheSame)
{
  rnamlOBJECT* root = every_element_tree();
  rnamlOBJECT* model = first(rnamlgetStructureModels(rnamlgetMoleculeStructure(first(rnamlgetRnamlChildren(root)))));
  rnamlOBJECT* base = static_cast<rnamlOBJECT*>(vortangetListLast(rnamlgetModelBases(model)));
  const float awkward[][3] = {{0.1234567f, -1e-7f, 123456.7f}, {-3.4e38f, 1e-45f, 99.999999f}};
  for (const auto& xyz : awkward) {
    rnamlOBJECT* atom = rnamlnewAtom();
    rnamlsetAtomX(atom, xyz[0]);
    rnamlsetAtomY(atom, xyz[1]);
    rnamlsetAtomZ(atom, xyz[2]);
    rnamladdBaseAtom(base, atom);
  }
  for (int formatted : {0, 1}) {
    std::string text = marshalled(root, formatted);
    Read read = unmarshalled(text);
    ASSERT_NE(read.root, nullptr) << text;
    EXPECT_EQ(marshalled(read.root, formatted), text);
    EXPECT_NE(text.find("<coordinates>0.123457 -0.000000 123456.703125</coordinates>"), std::string::npos);
    rnamldelete(read.root);
  }
  rnamldelete(root);
}

struct Routing {
  const char* what;
  std::string document;
  std::string expected; // the root written compactly
};

TEST(RnamlUnmarshaller, RoutesTextsAndChildrenAsTheTablesSay)
{
  const std::string open = "<rnaml version=\"1.1\">", close = "</rnaml>", third(3000000, 'A');
  const Routing cases[] = {
    {"an empty text element stores nothing, not the blanks before it",
     in_model("<base>\n  <position> 4 </position>\n  <base-type/>\n  <strand></strand>\n</base>"),
     in_model("<base><position>4</position></base>")},
    {"numbers that cannot be read keep the defaults",
     in_model("<model-info><resolution>? Angstroms</resolution><free-energy>1e999</free-energy>"
              "</model-info><base><position>99999999999</position><alt-loc> </alt-loc></base>"),
     in_model("<model-info><resolution>" + largest + "</resolution><free-energy>" + largest +
              "</free-energy></model-info><base/>")},
    {"pages, volumes and issues set only what they read",
     open + "<reference id=\"r\"><pages>4208-17</pages><pages>5,</pages><pages/><volume>x</volume>"
            "<issue>2147483648</issue><pages>-3 ,7</pages></reference>" + close,
     open + "<reference id=\"r\"><pages>4208,-1</pages><pages>5,-1</pages><pages>-1,-1</pages>"
            "<volume>-1</volume><issue>-1</issue><pages>-3,7</pages></reference>" + close},
    {"attributes: empty values unread, flags only for the text true, numbers from their start",
     open + "<molecule id=\"m\" comment=\"\"><sequence length=\"\" circular=\"TRUE\" strand=\"\"/>"
            "<sequence length=\"12abc\" circular=\"true\"/></molecule>" + close,
     open + "<molecule id=\"m\"><sequence/><sequence length=\"12\" circular=\"true\"/></molecule>" + close},
    {"coordinates around line ends; occupancy that is no number is absent",
     in_model("<base><atom><atom-type>P</atom-type><coordinates> 1.5\n-2\r\n7 </coordinates><occupancy>abc</occupancy></atom></base>"),
     in_model("<base><atom><atom-type>P</atom-type><coordinates>1.500000 -2.000000 7.000000</coordinates></atom></base>")},
    {"layout coordinates keep what they read, in order, and the defaults after it",
     in_model("<secondary-structure-display>" + layout("1.5") + layout("") + layout("1.5 -2 3") + layout("x 2") +
              "</secondary-structure-display>"),
     in_model("<secondary-structure-display>" + layout("1.500000 0.000000") + layout("0.000000 0.000000") +
              layout("1.500000 -2.000000") + layout("0.000000 0.000000") + "</secondary-structure-display>")},
    {"an ignored element's children go to the record around it",
     in_model("<base><extra note=\"x\"><atom><atom-type>P</atom-type><coordinates>0 0 0</coordinates></atom></extra></base>"),
     in_model("<base><atom><atom-type>P</atom-type><coordinates>0.000000 0.000000 0.000000</coordinates>"
              "</atom></base>")},
    {"first free fields, the last one taken again when all are full",
     in_model("<str-annotation><base-stack><base-id><position>1</position></base-id><base-id><position>2"
              "</position></base-id><base-id><position>3</position></base-id></base-stack><pseudoknot>"
              "<helix-id ref=\"a\"/><helix-id ref=\"b\"/><helix-id ref=\"c\"/></pseudoknot><base-triple>"
              "<base-pair-id ref=\"a\"/><base-pair-id ref=\"b\"/><base-pair-id ref=\"c\"/>"
              "<base-pair-id ref=\"d\"/></base-triple></str-annotation>"),
     in_model("<str-annotation><base-stack><base-id><position>1</position></base-id><base-id><position>3"
              "</position></base-id></base-stack><pseudoknot><helix-id ref=\"a\"/><helix-id ref=\"c\"/>"
              "</pseudoknot><base-triple><base-pair-id ref=\"a\"/><base-pair-id ref=\"b\"/>"
              "<base-pair-id ref=\"d\"/></base-triple></str-annotation>")},
    {"CDATA sections are text, joined to the text around them",
     open + "<molecule id=\"m\"><sequence><seq-data><![CDATA[ACGU]]></seq-data></sequence><sequence>"
            "<seq-data>AC<![CDATA[G<U]]></seq-data></sequence></molecule>" + close,
     open + "<molecule id=\"m\"><sequence><seq-data>ACGU</seq-data></sequence><sequence>"
            "<seq-data>ACG&#60;U</seq-data></sequence></molecule>" + close},
    {"9,000,000 bytes in three CDATA sections: one text within the bound",
     in_sequence("<![CDATA[" + third + "]]><![CDATA[" + third + "]]><![CDATA[" + third + "]]>"), in_sequence(third + third + third)},
    {"an rnaml element inside an unknown root is still the root",
     "<wrapper>" + open + "<analysis id=\"a\"/>" + close + "</wrapper>",
     open + "<analysis id=\"a\"/>" + close},
  };
  for (const Routing& c : cases) {
    Read read = unmarshalled(c.document);
    EXPECT_EQ(read.err, "") << c.what;
    EXPECT_EQ(xml(read.root), c.expected) << c.what << ": " << rnamlgetReason();
    rnamldelete(read.root);
  }
}

struct Rejection {
  std::string document;
  const char* reason;  // a regular expression
  std::string printed; // on standard error: the findings of a document read to its end
};

const char kNotChecked[] = "-";

// Each rejected document gives null, frees what was built (the sanitizer
// build checks), keeps errno, and leaves the unmarshaller ready for the next.
// A document whose building stopped is still validated to its end.
TEST(RnamlUnmarshaller, RejectsAndRecoversForTheNextDocument)
{
  const std::string base = content_mismatches({"base"}), half(5000000, 'A'), open = "<rnaml version=\"1.1\">";
  const std::string past = "The text at line 1 runs past the 10000000 bytes a text may hold.\n";
  const Rejection cases[] = {
    {in_model("<atom/>"), "'atom' may not stand in 'model'", content_mismatches({"model", "atom"})},
    {"<rnaml version=\"1.1\"><name>x</name></rnaml>", "'name' may not stand in 'rnaml'", content_mismatches({"rnaml"})},
    {"<rnaml version=\"1.1\"><molecule id=\"m\"><rnaml version=\"1.1\"/></molecule></rnaml>",
     "'rnaml' may not stand in 'molecule'", content_mismatches({"molecule"})},
    {"<molecule id=\"m\"/>", "'molecule' may not stand outside an RNAML element", ""},
    {"<other><molecule-class/></other>", "'molecule-class' may not stand outside an RNAML element", ""},
    {"<other/>", "no rnaml element at the top of the document", ""},
    {"<x><rnaml version=\"1.1\"/><rnaml version=\"1.1\"><analysis id=\"a\"/></rnaml></x>",
     "a second 'rnaml' element", ""},
    {"<rnaml version=\"1.1\"><molecule id=\"m\"/></rnaml>junk", "not a well-formed XML document", ""},
    {"<rnaml version=\"1.1\"><molecule id=\"m\"></rnaml>", "not a well-formed XML document", kNotChecked},
    {pdb_text, "not a well-formed XML document", ""},
    // Coordinates are all there and finite, or the document is refused.
    {in_model("<base><atom><atom-type>P</atom-type><coordinates>1 nan 3</coordinates></atom></base>"),
     "line 1: the coordinates \"1 nan 3\" are not a finite number for each axis", base},
    {in_model("<base><atom><atom-type>P</atom-type><coordinates>1e39 0 0</coordinates></atom></base>"), ".*\"1e39 0 0\".*", base},
    {in_model("<base><atom><atom-type>P</atom-type><coordinates>1 2</coordinates></atom></base>"), ".*\"1 2\".*", base},
    {in_model("<base><atom><atom-type>P</atom-type><coordinates>1 2 3x</coordinates></atom></base>"), ".*\"1 2 3x\".*", base},
    {in_model("<base><atom><coordinates/></atom></base>"), ".*\"\".*", content_mismatches({"base", "atom", "coordinates"})},
    {in_model("<base><atom><atom-type>P</atom-type></atom></base>"), "line 1: an 'atom' without coordinates", base},
    {"", "not a well-formed XML document", ""},
    // One element's text joined across CDATA sections, comments, processing
    // instructions and unknown elements is bound as one; so is a revision's.
    {in_sequence("<![CDATA[" + half + "]]><![CDATA[" + half + "A]]>"), "not a well-formed XML document", past},
    {in_sequence(half + "<!---->" + half + "A"), "not a well-formed XML document", past},
    {in_sequence(half + "<unknown/>" + half + "A"), "not a well-formed XML document", past},
    {open + "<revision>" + half + "<date/>" + half + "A</revision></rnaml>", "not a well-formed XML document", past},
  };
  rnamlOBJECT* unmarshaller = rnamlnewUnmarshaller();
  rnamlsetUnmarshallerValidating(unmarshaller, 1);
  for (const Rejection& c : cases) {
    SCOPED_TRACE(c.document.substr(0, 120));
    FILE* file = file_of(c.document);
    errno = EDOM;
    Stderr err;
    EXPECT_EQ(rnamlunmarshallUnmarshaller(unmarshaller, file), nullptr);
    std::string printed = err.text();
    EXPECT_EQ(errno, EDOM);
    EXPECT_TRUE(std::regex_match(rnamlgetReason(), std::regex(c.reason))) << rnamlgetReason();
    if (c.printed != kNotChecked) {
      EXPECT_EQ(printed, c.printed);
    }
    EXPECT_EQ(rnamlgetRoot(), nullptr);
    fclose(file);

    file = file_of("<rnaml version=\"1.1\"><analysis id=\"a\"/></rnaml>");
    rnamlOBJECT* root = rnamlunmarshallUnmarshaller(unmarshaller, file);
    EXPECT_EQ(xml(root), "<rnaml version=\"1.1\"><analysis id=\"a\"/></rnaml>");
    rnamldelete(root);
    fclose(file);
  }
  rnamldelete(unmarshaller);
}

// Validated while it is read, a document gives what the validation of the
// whole parsed document gives, in the same order: a base's content finding
// before its atom's, although the atom ends first.
TEST(RnamlUnmarshaller, ValidationFindsWhatTheWholeDocumentsValidationFinds)
{
  const std::string text =
    "<rnaml version=\"1.1\"><molecule><structure><model id=\"x\"><base><base-type>A</base-type>"
    "<position>1</position><atom><coordinates>1 2 3</coordinates><atom-type>P</atom-type></atom></base>"
    "</model></structure></molecule></rnaml>";
  Read read = unmarshalled(text, 1);
  ASSERT_NE(read.root, nullptr) << rnamlgetReason();
  rnamldelete(read.root);
  FILE* file = file_of(text);
  vortanin = vortannewFileInputStreamFILE(file);
  Stderr err;
  vortanparse();
  vortanvalidate(vortanast);
  std::string whole = err.text();
  vortandelete(vortanast);
  vortanast = nullptr;
  vortandeleteFileInputStream(vortanin);
  vortanin = nullptr;
  fclose(file);
  EXPECT_EQ(read.err, whole);
  EXPECT_EQ(std::count(whole.begin(), whole.end(), '\n'), 3) << whole;
}

// Numbers are read and written with a '.' under a decimal-comma locale.
TEST(RnamlUnmarshaller, NumbersIgnoreADecimalCommaLocale)
{
  const std::string saved = setlocale(LC_NUMERIC, nullptr);
  const char* comma = nullptr;
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "nl_NL.UTF-8", "es_ES.UTF-8", "de_DE", "fr_FR"})
    if (setlocale(LC_NUMERIC, name) && *localeconv()->decimal_point == ',') {
      comma = name;
      break;
    }
  if (!comma) {
    setlocale(LC_NUMERIC, saved.c_str());
    GTEST_SKIP() << "no decimal-comma locale installed";
  }
  Read read = unmarshalled(
    in_model("<model-info><resolution>2.5</resolution></model-info>"
             "<base><atom><coordinates>1.5 -2.25 3e1</coordinates></atom></base>"));
  std::string written = xml(read.root);
  rnamldelete(read.root);
  setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_EQ(written, in_model("<model-info><resolution>2.500000</resolution></model-info><base><atom>"
                              "<coordinates>1.500000 -2.250000 30.000000</coordinates></atom></base>"))
    << comma;
}

// A gzip stream reads compressed and plain documents alike; a gzip PDB file
// gives null quietly, read either way; bytes of noise give null and the
// process goes on.
TEST(RnamlUnmarshaller, ReadsThroughGzipAndSurvivesNoise)
{
  rnamlOBJECT* unmarshaller = rnamlnewUnmarshaller();
  const std::string document = "<rnaml version=\"1.1\"/>";
  for (bool compressed : {false, true}) {
    for (const std::string& text : {document, std::string(pdb_text)}) {
      FILE* file = compressed ? gzip_file_of(text) : file_of(text);
      vortanINPUTSTREAM* gzip = vortannewGZIPInputStream(vortannewFileInputStreamFILE(file));
      rnamlOBJECT* root;
      {
        Stderr err;
        root = rnamlunmarshallUnmarshallerStream(unmarshaller, gzip);
        EXPECT_EQ(err.text(), "");
      }
      EXPECT_EQ(root ? xml(root) : "<null>", text == document ? document : "<null>");
      rnamldelete(root);
      vortancloseGZIPInputStream(gzip);
      vortandeleteGZIPInputStream(gzip);
    }
  }
  FILE* packed = gzip_file_of(pdb_text);
  {
    Stderr err;
    EXPECT_EQ(rnamlunmarshallUnmarshaller(unmarshaller, packed), nullptr);
    EXPECT_EQ(err.text(), "");
  }
  fclose(packed);
  std::mt19937 rng(7);
  for (int run = 0; run < 50; ++run) {
    std::string noise = run % 2 ? "<rnaml version=\"1.1\">" : "";
    for (int i = 0; i < 300; ++i) noise += static_cast<char>(rng() % (run % 3 ? 128 : 256));
    FILE* file = file_of(noise);
    Stderr err;
    EXPECT_EQ(rnamlunmarshallUnmarshaller(unmarshaller, file), nullptr);
    fclose(file);
  }
  errno = 0;
  EXPECT_EQ(rnamlunmarshallUnmarshaller(unmarshaller, nullptr), nullptr);
  EXPECT_EQ(errno, EINVAL);
  errno = 0;
  EXPECT_EQ(rnamlunmarshallUnmarshallerStream(unmarshaller, nullptr), nullptr);
  EXPECT_EQ(errno, EINVAL);
  rnamldelete(unmarshaller);
}

// Memory running out at any allocation of a read, validated or not, gives
// null, or the whole tree, and nothing left allocated.
TEST(RnamlUnmarshaller, RunningOutOfMemoryStopsTheBuilding)
{
  const std::string text = in_model(
    "<base><position>1</position><atom serial=\"1\"><atom-type>P</atom-type><coordinates>1 2 3</coordinates>"
    "</atom><atom><atom-type>C1'</atom-type><coordinates>0 0 0</coordinates></atom></base><str-annotation><base-stack><base-id><position>1"
    "</position></base-id><base-id><position>2</position></base-id></base-stack></str-annotation>");
  Read good = unmarshalled(text);
  const std::string whole = xml(good.root);
  rnamldelete(good.root);
  rnamlOBJECT* unmarshaller = rnamlnewUnmarshaller();
  for (long budget = 0, validating = 0; validating < 2; ++budget) {
    rnamlsetUnmarshallerValidating(unmarshaller, static_cast<int>(validating));
    FILE* file = file_of(text);
    rnamlOBJECT* root;
    bool failed;
    {
      MemoryBudget limit(budget);
      Stderr err;
      root = rnamlunmarshallUnmarshaller(unmarshaller, file);
      failed = MemoryBudget::exhausted();
    }
    fclose(file);
    if (!failed) {
      EXPECT_EQ(xml(root), whole);
      rnamldelete(root);
      budget = -1;
      ++validating;
      continue;
    }
    EXPECT_EQ(root, nullptr) << budget;
    EXPECT_STREQ(rnamlgetReason(), "out of memory") << budget;
  }
  rnamldelete(unmarshaller);
}

TEST(RnamlUnmarshaller, RecordsAndAttributeMaps)
{
  rnamlOBJECT* unmarshaller = rnamlnewUnmarshaller();
  EXPECT_EQ(vortanUserOptions & 3, 3);
  rnamlOBJECT* copy = rnamlclone(unmarshaller);
  EXPECT_TRUE(rnamlequalsUnmarshaller(copy, unmarshaller));
  rnamlsetUnmarshallerValidating(copy, 2);
  EXPECT_FALSE(rnamlequals(unmarshaller, copy));
  rnamldelete(copy);
  rnamldelete(unmarshaller);

  vortanLIST* attributes = vortan_test::list_of(
    {vortannewAttribute(vortan_test::str("comment"), vortan_test::str("c")),
     vortannewAttribute(vortan_test::str("reference-ids"), vortan_test::str("r1 r2")),
     vortannewAttribute(vortan_test::str("id"), vortan_test::str("x"))});
  vortanMAP* map = rnamlmapAttributes(attributes);
  EXPECT_EQ(vortansize(map), 3);
  rnamlOBJECT* record = rnamlnewModel();
  rnamladdObjectAttributes(record, map);
  EXPECT_EQ(xml(record), "<model comment=\"c\" reference-ids=\"r1 r2\"/>");
  vortanSTRING* id = vortan_test::str("id");
  EXPECT_STREQ(static_cast<char*>(vortanget(map, id)), "x");
  free(vortanput(map, id, nullptr));
  vortandelete(id);
  vortandelete(map);
  vortandelete(attributes);
  rnamldelete(record);
  EXPECT_EQ(rnamlmapAttributes(nullptr), nullptr);
}
