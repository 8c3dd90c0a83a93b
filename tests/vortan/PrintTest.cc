// The compact and indented printers: goldens that fix the bytes of written
// documents, the declaration forms, and xmllint as an oracle on generated
// documents.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "VortanSupport.h"

using testing_support::read_file;
using testing_support::TempDir;
using vortan_test::el;
using vortan_test::list_of;
using vortan_test::str;

namespace {

std::string printed(const void* record, bool pretty = false)
{
  char* bytes = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&bytes, &size);
  if (pretty) vortanprettyPrint(file, record);
  else vortanprint(file, record);
  fclose(file);  // the printers leave the FILE open
  std::string text(bytes, size);
  free(bytes);
  return text;
}

void* text(const char* t) { return vortannewCharData(str(t)); }

TEST(VortanPrint, GoldenDocumentInBothForms)
{
  vortanPROLOG* prolog = vortannewProlog(
    vortanbuildXMLDecl(), list_of({vortannewComment(str(" c "))}),
    vortannewPair(vortannewDocTypeDecl(str("doc"), nullptr, vortannewList()), vortannewList()));
  vortanELEMENT* root = el(
    "doc", {{"version", "1.0"}},
    {el("item", {{"id", "a&b"}, {"q", "it's \"x\""}},
        {el("name", {}, {text("A < B & C > D")}), el("e"), el("note", {}, {text("text"), el("b"), text("tail")})}),
     el("br")});
  vortanDOCUMENT* document =
    vortannewDocument(prolog, root, list_of({vortannewPI(str("pi"), str("data"))}));

  EXPECT_EQ(printed(document),
            "<?xml version=\"1.0\"?><!-- c --><!DOCTYPE doc>\n\n"
            "<doc version=\"1.0\"><item id=\"a&#38;b\" q=\"it&#39;s &#34;x&#34;\">"
            "<name>A &#60; B &#38; C &#62; D</name><e/><note>text<b/>tail</note></item><br/></doc>"
            "<?pi data?>\n");
  EXPECT_EQ(printed(document, true),
            "<?xml version=\"1.0\"?>\n"
            "\n"
            "<!-- c -->\n"
            "\n"
            "<!DOCTYPE doc>\n"
            "<doc version=\"1.0\">\n"
            "  <item id=\"a&#38;b\" q=\"it&#39;s &#34;x&#34;\">\n"
            "    <name>A &#60; B &#38; C &#62; D</name>\n"
            "    <e/>\n"
            "    <note>text<b/>tail</note>\n"
            "  </item>\n"
            "  <br/>\n"
            "</doc>\n"
            "\n"
            "<?pi data?>\n");
  // Elements without attributes or content, as the binding writes them.
  vortanELEMENT* a = el("a");
  EXPECT_EQ(printed(a), "<a/>");
  EXPECT_EQ(printed(a, true), "<a/>\n");
  vortanaddContentElement(a, el("b", {{"x", "1"}}));
  EXPECT_EQ(printed(a), "<a><b x=\"1\"/></a>");
  EXPECT_EQ(printed(a, true), "<a>\n  <b x=\"1\"/>\n</a>\n");
  vortandelete(a);
  vortandelete(document);
}

TEST(VortanPrint, EveryOtherKindInItsCompactForm)
{
  auto external = [](void* id, vortanNDATADECL* ndata) { return vortannewExternalID(id, ndata); };
  struct Row {
    void* record;
    const char* compact;
  } rows[] = {
    {vortannewXMLDecl(str("1.0"), str("UTF-8"), 1), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"},
    {vortannewXMLDecl(str("1.0"), nullptr, 0), "<?xml version=\"1.0\" standalone=\"no\"?>"},
    {vortannewDocTypeDecl(str("d"), external(vortannewSystemExternalID(str("d.dtd")), nullptr),
                          list_of({vortannewElementDecl(str("d"), vortannewEmpty(), 0)})),
     "<!DOCTYPE d SYSTEM \"d.dtd\" [<!ELEMENT d EMPTY 0>]>\n"},
    {vortannewElementDecl(str("a"),
                          vortannewChildrenSeq(list_of({vortannewChildrenOpt(str("a")),
                                                        vortannewChildrenStar(vortannewChildrenAlt(
                                                          list_of({vortannewPCData(), str("b")}))),
                                                        vortannewChildrenPlus(str("c"))})),
                          0),
     "<!ELEMENT a (a?, (#PCDATA | b)*, c+) 0>"},
    {vortannewAttlistDecl(str("a"),
                          list_of({vortannewAttDef(str("id"), vortannewId(), vortannewRequired()),
                                   vortannewAttDef(str("t"), vortannewEnumeration(list_of({str("x"), str("y")})),
                                                   vortannewAttValue(str("x"))),
                                   vortannewAttDef(str("n"), vortannewCData(nullptr), nullptr)}),
                          1),
     "<!ATTLIST a id ID #REQUIRED t (x | y) 'x' n CDATA 1>"},
    {vortannewAttValue(str("it's")), "\"it&#39;s\""},
    {vortannewFixed(str("a<b")), "#FIXED 'a&#60;b'"},
    {vortannewGEDecl(str("e"), vortannewEntityValue(str("v")), 0), "<!ENTITY e 'v'0>"},
    {vortannewPEDecl(str("p"), external(vortannewSystemExternalID(str("f.dtd")), nullptr), 0),
     "<!ENTITY % p SYSTEM \"f.dtd\"0>"},
    {vortannewGEDecl(str("i"), external(vortannewPublicExternalID(str("-//X"), str("x")), vortannewNDataDecl(str("gif"))), 0),
     "<!ENTITY i PUBLIC \"-//X\" \"x\" NDATA gif0>"},
    {vortannewNotationDecl(str("n"), vortannewPublicID(str("pub")), 0), "<!NOTATION n PUBLIC \"pub\" 0"},
    {vortannewNotationType(list_of({str("a"), str("b")})), "NOTATION (a | b)"},
    {vortannewNDataDecl(str("gif")), " NDATA gif"},
    {vortannewCData(str("a<b")), "<![CDATA[a&#60;b]]>"},
    {vortannewPI(str("t"), nullptr), "<?t?>"},
    {vortannewComment(nullptr), "<!---->"},
    {vortannewPEReference(str("p")), "%p;"},
    {vortannewEntityRef(str("e")), "&e;"},
    {vortannewChar('x'), "x"},
    {list_of({str("a"), vortannewAny(), vortannewImplied()}), "(a ANY #IMPLIED)"},
    {vortannewPair(str("a"), vortannewPair(str("b"), str("c"))), "a b c"},
    {vortannewMapEntry(str("k"), str("v")), "(k,v)"},
    {vortannewIdRefs(), "IDREFS"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(printed(row.record), row.compact);
    vortandelete(row.record);
  }

  vortanDOCTYPEDECL* dtd = vortannewDocTypeDecl(
    str("d"), nullptr, list_of({vortannewElementDecl(str("d"), vortannewAny(), 0), vortannewComment(str("c"))}));
  EXPECT_EQ(printed(dtd, true), "\n<!DOCTYPE d [\n  <!ELEMENT d ANY 0>\n<!--c-->]>\n");
  vortanITERATOR* iterator = vortannewIterator(dtd ? vortangetDocTypeDeclMarkupDecl(dtd) : nullptr);
  EXPECT_EQ(printed(iterator), "");
  vortandelete(iterator);
  vortandelete(dtd);
}

// --- xmllint as an oracle ------------------------------------------------------

std::string replaced(const std::string& text, const std::map<char, std::string>& by)
{
  std::string out;
  for (char c : text) {
    auto it = by.find(c);
    out += it == by.end() ? std::string(1, c) : it->second;
  }
  return out;
}

// The printer's escapes, which comments, PIs and CDATA sections keep as text.
std::string printer_escaped(const std::string& t)
{
  return replaced(t, {{'&', "&#38;"}, {'<', "&#60;"}, {'>', "&#62;"}, {'\'', "&#39;"}, {'"', "&#34;"}});
}
std::string canonical_text(const std::string& t)
{
  return replaced(t, {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}});
}
std::string canonical_value(const std::string& t)
{
  return replaced(t, {{'&', "&amp;"}, {'<', "&lt;"}, {'"', "&quot;"}});
}

// Random documents with every kind of content, built together with their
// canonical form (sorted attributes, empty elements as start and end tag,
// CDATA sections as text) as xmllint --c14n writes it.
class Generator
{
public:
  explicit Generator(unsigned seed) : rng(seed) {}

  vortanELEMENT* element(int depth, std::string& canonical)
  {
    std::string name = word();
    vortanELEMENT* e = vortannewElementWithName(name.c_str());
    std::map<std::string, std::string> attributes;
    for (int n = pick(4); n > 0; --n) attributes[word()] = phrase("ab09 &<>'\".;=");
    for (auto& [a, v] : attributes) vortanaddAttribute(e, a.c_str(), v.c_str(), 0);
    canonical += "<" + name;
    for (auto& [a, v] : attributes) canonical += " " + a + "=\"" + canonical_value(v) + "\"";
    canonical += ">";
    for (int n = pick(5); n > 0; --n) {
      std::string t = phrase("ab09 &<>'\"\n.;=");
      switch (pick(depth > 0 ? 6 : 4)) {
      case 0: vortanaddContentElement(e, vortannewCharData(str(t.c_str()))); canonical += canonical_text(t); break;
      case 1: vortanaddContentElement(e, vortannewComment(str(t.c_str()))); canonical += "<!--" + printer_escaped(t) + "-->"; break;
      case 2: vortanaddContentElement(e, vortannewCData(str(t.c_str()))); canonical += canonical_text(printer_escaped(t)); break;
      case 3: {
        std::string target = "p" + word(), data = "d" + t;
        vortanaddContentElement(e, vortannewPI(str(target.c_str()), str(data.c_str())));
        canonical += "<?" + target + " " + printer_escaped(data) + "?>";
        break;
      }
      default: vortanaddContentElement(e, element(depth - 1, canonical));
      }
    }
    canonical += "</" + name + ">";
    return e;
  }

private:
  std::mt19937 rng;
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
  std::string word()
  {
    // No colon: xmllint reads namespaces.
    std::string w(1, "abcdefgh_"[pick(9)]);
    for (int n = pick(6); n > 0; --n) w += "abcdefgh_-.019"[pick(14)];
    return w;
  }
  std::string phrase(const std::string& alphabet)
  {
    std::string t;
    for (int n = pick(12); n > 0; --n) t += alphabet[pick(static_cast<int>(alphabet.size()))];
    return t;
  }
};

std::string run(const std::string& command, int* status)
{
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  *status = pclose(pipe);
  return out;
}

TEST(VortanPrint, XmllintReadsBothFormsAndFindsTheSameDocument)
{
  if (std::system("command -v xmllint >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint not installed";
  TempDir dir;
  for (unsigned seed = 1; seed <= 8; ++seed) {
    Generator generate(seed);
    std::string canonical;
    vortanDOCUMENT* document = vortannewDocument(vortannewProlog(vortanbuildXMLDecl(), vortannewList(), nullptr),
                                                 generate.element(3, canonical), vortannewList());
    for (bool pretty : {false, true}) {
      std::string path = dir.file(pretty ? "pretty.xml" : "compact.xml");
      FILE* file = fopen(path.c_str(), "w");
      if (pretty) vortanprettyPrint(file, document);
      else vortanprint(file, document);
      fclose(file);
      int status;
      std::string out = run("xmllint --c14n " + path + " 2>&1", &status);
      EXPECT_EQ(status, 0) << out << read_file(path);
      if (!pretty) {
        EXPECT_EQ(out, canonical) << "seed " << seed << ": " << read_file(path);
      }
    }
    vortandelete(document);
  }
}

}  // namespace
