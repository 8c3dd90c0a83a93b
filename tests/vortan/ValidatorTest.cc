// Validation: the content-model matcher, attribute values by type, IDs and
// ID references, the findings printed whatever the options, and the
// parse-time checks.
#include <functional>
#include <initializer_list>
#include <sstream>
#include <tuple>
#include <string>
#include <vector>

#include "ParseSupport.h"
#include "VortanSupport.h"
#include "vortanRecord.h"
#include "vortanValidatingParse.h"

using vortan_test::Parse;
using vortan_test::Stderr;
using vortan_test::el;
using vortan_test::list_of;
using vortan_test::str;

namespace {

// --- building records -----------------------------------------------------

void* seq(std::initializer_list<void*> p) { return vortannewChildrenSeq(list_of(p)); }
void* alt(std::initializer_list<void*> p) { return vortannewChildrenAlt(list_of(p)); }
void* opt(void* p) { return vortannewChildrenOpt(p); }
void* star(void* p) { return vortannewChildrenStar(p); }
void* plus(void* p) { return vortannewChildrenPlus(p); }
void* pcdata() { return vortannewPCData(); }
void* name(const char* n) { return str(n); }

void* text(const char* t) { return vortannewCharData(str(t)); }
void* comment(const char* t) { return vortannewComment(str(t)); }

// element name -> Pair(model, {attribute -> Pair(type, default)}).
struct Declared {
  const char* element;
  void* model;
  std::vector<std::tuple<const char*, void*, void*>> attributes;
};

vortanMAP* validator_of(std::initializer_list<Declared> declarations)
{
  vortanMAP* validator = vortannewMap();
  for (const Declared& d : declarations) {
    vortanMAP* attributes = vortannewMap();
    for (auto& [a, type, def] : d.attributes) vortanputReferenceTable(attributes, a, vortannewPair(type, def));
    vortanputReferenceTable(validator, d.element, vortannewPair(d.model, attributes));
  }
  return validator;
}

class VortanValidation : public testing::Test
{
protected:
  void SetUp() override
  {
    vortandestroy();
    vortaninit();
  }
  void TearDown() override
  {
    vortandestroy();
    vortanUserOptions = 0;
  }
};

// --- the content-model matcher ----------------------------------------------

// Items consumed from the start, or -1 when the particle does not match.
int consumed(const void* particle, vortanLIST* items)
{
  vortanITERATOR* start = vortannewIterator(items);
  vortanITERATOR* end = vortanvalidityChildren(start, particle);
  int n = -1;
  if (end) {
    vortanITERATOR* walk = vortannewIterator(items);
    for (n = 0; walk->current != end->current && vortanhasNext(walk); ++n) vortannext(walk);
    vortandelete(walk);
  }
  vortandelete(start);
  vortandelete(end);
  return n;
}

// Items from words: "#" is a text, any other word an element of that name.
vortanLIST* items_of(const std::string& words)
{
  vortanLIST* items = vortannewList();
  std::istringstream in(words);
  for (std::string w; in >> w;) vortanaddLast(items, w == "#" ? text("x") : el(w.c_str()));
  return items;
}

TEST(VortanContentModel, MatchesGreedilyWithoutBacktrackingAndAlwaysEnds)
{
  struct Row {
    const char* model;
    void* (*make)();
    const char* items;
    int consumed;
  } rows[] = {
    {"(a, b)", [] { return seq({name("a"), name("b")}); }, "a b", 2},
    {"(a | b?) empty", [] { return alt({name("a"), opt(name("b"))}); }, "", 0},
    {"(a | b?) on c", [] { return alt({name("a"), opt(name("b"))}); }, "c", 0},
    {"(b? | a) takes a", [] { return alt({opt(name("b")), name("a")}); }, "a", 1},
    // No alternative advances: the last one's result, here a failure.
    {"(b? | a) empty", [] { return alt({opt(name("b")), name("a")}); }, "", -1},
    {"(a?)*", [] { return star(seq({opt(name("a"))})); }, "", 0},
    {"(a?)* twice", [] { return star(seq({opt(name("a"))})); }, "a a", 2},
    {"(a*)*", [] { return star(seq({star(name("a"))})); }, "a a b", 2},
    {"(a | b?)*", [] { return star(alt({name("a"), opt(name("b"))})); }, "a b a c", 3},
    {"(a, b)* stops at a half", [] { return star(seq({name("a"), name("b")})); }, "a b a", 2},
    {"a+ needs one", [] { return plus(name("a")); }, "", -1},
    {"a+", [] { return plus(name("a")); }, "a a b", 2},
    {"(a*, a) greedy", [] { return seq({star(name("a")), name("a")}); }, "a", -1},
    {"(#PCDATA) one text", [] { return seq({pcdata()}); }, "# #", 1},
    {"(#PCDATA) no text", [] { return seq({pcdata()}); }, "", -1},
    {"(#PCDATA | d)*", [] { return star(alt({pcdata(), name("d")})); }, "# d # e", 3},
    // A numbering system: ((numbering-range)* | numbering-table).
    {"numbering empty", [] { return alt({star(seq({name("r")})), name("t")}); }, "", -1},
    {"numbering ranges", [] { return alt({star(seq({name("r")})), name("t")}); }, "r r", 2},
    {"numbering table", [] { return alt({star(seq({name("r")})), name("t")}); }, "t", 1},
  };
  for (const Row& row : rows) {
    void* model = row.make();
    vortanLIST* items = items_of(row.items);
    EXPECT_EQ(consumed(model, items), row.consumed) << row.model << " on '" << row.items << "'";
    vortandelete(model);
    vortandelete(items);
  }

  Stderr err;
  void* bad = seq({name("a"), vortannewEmpty()});
  vortanLIST* items = items_of("a b");
  EXPECT_EQ(consumed(bad, items), -1);
  EXPECT_EQ(err.text(), "Invalid dtd in vortanvalidityChildren.\n");
  vortandelete(bad);
  vortandelete(items);
}

// --- attribute values ------------------------------------------------------

TEST_F(VortanValidation, AttributeValuesAgainstTheirTypes)
{
  struct Row {
    void* (*type)();
    const char* value;
    const char* findings;  // with bit 1; without it nothing is printed
  } rows[] = {
    {[]() -> void* { return vortannewCData(nullptr); }, "<any & thing>", ""},
    {[]() -> void* { return vortannewId(); }, "a1", ""},
    {[]() -> void* { return vortannewId(); }, "1a", "ID '1a' from element 'e' is not in Name form.\n"},
    {[]() -> void* { return vortannewIdRef(); }, "b", "No referenced for IDREF 'b' from element 'e'.\n"},
    {[]() -> void* { return vortannewIdRef(); }, "-b",
     "IDREF '-b' from element 'e' is not in Name form.\nNo referenced for IDREF '-b' from element 'e'.\n"},
    {[]() -> void* { return vortannewIdRefs(); }, " x\t2y ",
     "IDREFS '2y' from element 'e' is not in Names form.\nNo referenced for IDREF 'x' from element "
     "'e'.\nNo referenced for IDREF '2y' from element 'e'.\n"},
    {[]() -> void* { return vortannewEntity(); }, "pic", ""},
    {[]() -> void* { return vortannewEntity(); }, "9",
     "ENTITY '9' from element 'e' is not in Name form.\nNo unparsed entity referenced by ENTITY '9' "
     "from element 'e'.\n"},
    {[]() -> void* { return vortannewEntities(); }, "pic  none",
     "No unparsed entity referenced by ENTITIES 'none' from element 'e'.\n"},
    {[]() -> void* { return vortannewNmToken(); }, "9.a-b", ""},
    {[]() -> void* { return vortannewNmToken(); }, "a b", "NMTOKEN 'a b' from element 'e' is not in NmToken form.\n"},
    {[]() -> void* { return vortannewNmTokens(); }, "a 9 !",
     "NMTOKENS '!' from element 'e' is not in NmTokens form.\n"},
    {[]() -> void* { return vortannewNotationType(list_of({str("n1"), str("n2")})); }, "n2", ""},
    {[]() -> void* { return vortannewNotationType(list_of({str("n1")})); }, "n3",
     "NOTATION 'n3' from element 'e' does not match any declared notation.\n"},
    {[]() -> void* { return vortannewEnumeration(list_of({str("a"), str("b")})); }, "b", ""},
    {[]() -> void* { return vortannewEnumeration(list_of({str("a")})); }, "c",
     "ENUMERATION 'c' from element 'e' does not match any declared name token.\n"},
  };
  vortanputReferenceTable(UETable, "pic", vortannewPublicID(str("p")));
  for (int bit : {1, 0}) {
    vortanUserOptions = bit;
    for (const Row& row : rows) {
      vortanMAP* validator = validator_of({{"e", vortannewAny(), {{"x", row.type(), vortannewImplied()}}}});
      vortanELEMENT* e = el("e", {{"x", row.value}});
      Stderr err;
      vortanspecializedValidatorElement(e, validator);
      std::string expected;
      std::istringstream lines(row.findings);
      for (std::string line; bit && std::getline(lines, line);) expected += "Validity Warning: " + line + "\n";
      EXPECT_EQ(err.text(), expected) << row.value << " with bit " << bit;
      vortanSTRING* x = str("x");  // the value is split on a copy, never in place
      EXPECT_STREQ(vortantextOf(vortangetElementAttributeByName(e, x)), row.value);
      vortandelete(x);
      vortandelete(validator);
      vortandelete(e);
    }
  }
}

// --- documents ----------------------------------------------------------------

// Registers the DTD "doc" version "1" and returns a Document over root.
vortanDOCUMENT* document_of(vortanELEMENT* root, const char* doctype = nullptr)
{
  vortanIMPLIED* (*implied)() = vortannewImplied;
  vortanMAP* validator = validator_of({
    {"doc", star(alt({name("item"), name("pair"), name("text"), name("zzz")})),
     {{"version", vortannewCData(nullptr), implied()}}},
    {"item", vortannewEmpty(),
     {{"id", vortannewId(), vortannewRequired()},
      {"ref", vortannewIdRef(), implied()},
      {"refs", vortannewIdRefs(), implied()},
      {"id2", vortannewId(), implied()},
      {"n1", vortannewNotationType(list_of({str("gif")})), implied()},
      {"n2", vortannewNotationType(list_of({str("gif")})), implied()}}},
    {"pair", seq({name("item"), name("item")}), {}},
    {"text", seq({pcdata()}), {}},
  });
  vortanputStaticDTDTable(str("doc"), str("1"), validator, vortannewGEReferenceTable(), vortannewMap());
  vortanDOCTYPEDECL* dtd = doctype ? vortannewDocTypeDecl(str(doctype), nullptr, vortannewList()) : nullptr;
  vortanPROLOG* prolog =
    vortannewProlog(vortanbuildXMLDecl(), vortannewList(), dtd ? vortannewPair(dtd, vortannewList()) : nullptr);
  return vortannewDocument(prolog, root, vortannewList());
}

std::string validate(vortanDOCUMENT* document)
{
  Stderr err;
  vortanvalidate(document);
  return err.text();
}

TEST_F(VortanValidation, IdsReferencesAndContentModelsOfADocument)
{
  vortanUserOptions = vortanOptionValidity;
  vortanDOCUMENT* document = document_of(
    el("doc", {{"version", "1"}},
       {el("item", {{"id", "a"}, {"refs", " a\tb  "}}), el("item", {{"id", "a"}, {"ref", "c"}}),
        el("item", {}, {text("  \n")}),
        el("pair", {}, {el("item", {{"id", "p"}}), comment("between"), text(" \t"), el("item", {{"id", "q"}})}),
        el("text", {}, {text("one"), comment("splits"), text("two")}), el("text"),
        el("text", {}, {text("only")}), el("item", {{"id", "z"}}, {comment("c"), text("x")})}));
  vortanDOCUMENT* before = static_cast<vortanDOCUMENT*>(vortanclone(document));
  EXPECT_EQ(validate(document),
            "Validity Warning: ID 'a' from element 'item' already defined.\n"
            "Validity Warning: Attribute 'id' should be defined for element 'item'.\n"
            "Validity Warning: Content of element 'text' does not match the content model.\n"
            "Validity Warning: Content of element 'text' does not match the content model.\n"
            "Validity Warning: Element 'item' is not EMPTY as specified.\n"
            "Validity Warning: No referenced for IDREF 'b' from element 'item'.\n"
            "Validity Warning: No referenced for IDREF 'c' from element 'item'.\n");
  EXPECT_TRUE(vortanequals(document, before));
  EXPECT_EQ(vortansize(vortanDeclaredIDs), 4);  // a, p, q, z
  EXPECT_EQ(vortansize(vortanIDReferences), 3);

  // A second run starts afresh; without bit 1 nothing of it is printed.
  vortanUserOptions = 0;
  EXPECT_EQ(validate(document), "");
  EXPECT_EQ(vortansize(vortanDeclaredIDs), 4);
  vortandelete(document);
  vortandelete(before);
}

TEST_F(VortanValidation, SomeFindingsArePrintedWhateverTheOptions)
{
  vortanDOCUMENT* document = document_of(
    el("doc", {{"version", "1"}, {"bogus", "1"}},
       {el("zzz", {}, {el("deeper")}),
        el("item", {{"id", "a"}, {"id2", "b"}, {"n1", "gif"}, {"n2", "gif"}})}));
  EXPECT_EQ(validate(document),
            "The attribute 'bogus' is not present in element 'doc' dtd\n"
            "The element 'zzz' is not present in the dtd\n"
            "Validity Warning: The element 'item' has more than one ID.\n"
            "Validity Warning: Element 'item'has more than one notation attribute specified\n"
            "Validity Warning: Element 'item' is empty and containt a notation attribute\n"
            "Validity Warning: Element 'item' is empty and containt a notation attribute\n");
  vortandelete(document);
}

TEST_F(VortanValidation, OnlyTheRootTypeWithoutARegisteredVersionOrARoot)
{
  vortanUserOptions = vortanOptionValidity;
  const char* mismatch =
    "Validity Warning: The root element does not have the same name as the document name \n\n";
  struct Row {
    vortanELEMENT* root;
    const char* doctype;
    std::string findings;
  } rows[] = {
    {el("doc", {{"version", "2"}}, {el("zzz")}), "doc", ""},
    {el("doc", {}, {el("zzz")}), "other", mismatch},
    {nullptr, "doc", mismatch},
    {nullptr, nullptr, ""},
  };
  for (Row& row : rows) {
    vortandestroy();
    vortaninit();
    vortanDOCUMENT* document = document_of(row.root, row.doctype);
    vortanaddLast(vortanIDReferences, vortannewPair(str("left over"), el("x")));
    EXPECT_EQ(validate(document), row.findings);
    EXPECT_EQ(vortansize(vortanIDReferences), 0);
    vortandelete(document);
  }
}

// Runs work with the first allocation failing, then the second, and so on
// until it runs with memory to spare: nothing may crash or leak.
void under_every_allocation_failure(const std::function<void()>& work)
{
  for (long budget = 0;; ++budget) {
    vortan_test::MemoryBudget limit(budget);
    Stderr err;
    work();
    if (!vortan_test::MemoryBudget::exhausted()) return;
  }
}

TEST_F(VortanValidation, RunsOutOfMemoryAnywhereWithoutHarm)
{
  vortanUserOptions = vortanOptionValidity;
  vortanDOCUMENT* document = document_of(
    el("doc", {{"version", "1"}},
       {el("item", {{"id", "a"}, {"refs", "a b"}}), el("pair", {}, {el("item", {{"id", "p"}}), el("item")})}));
  std::string findings = validate(document);
  under_every_allocation_failure([&] { vortanvalidate(document); });
  EXPECT_EQ(validate(document), findings);
  under_every_allocation_failure([] {
    auto string = [](const char* t) {  // str() leaves its copy when memory runs out
      char* copy = strdup(t);
      vortanSTRING* s = vortannewString(copy);
      if (!s) free(copy);
      return s;
    };
    vortanMAP* ge = vortannewGEReferenceTable();
    vortanputStaticDTDTable(string("other"), string("1"), vortannewMap(), ge, vortannewMap());
  });
  vortandelete(document);
}

// Read whole and validated, or validated while it is read, a document gives
// the same findings in the same order: an element's content finding comes
// before those of its children, although its children are read first.
// What stays of the tree is the root without content.
TEST_F(VortanValidation, ValidatingWhileParsingFindsWhatTheWholeWalkFinds)
{
  vortandelete(document_of(nullptr));  // registers "doc" version "1"
  const std::string nested =
    "<!DOCTYPE doc><doc version='1' bogus='b'>\n"
    "<pair><item id='a'>t</item><item id='a' ref='c'/><item/></pair>\n"
    "<zzz><item/><pair/></zzz><text>one<!--c-->two</text>loose\n"
    "<pair><item id='p'/><?pi x?><item id='q' refs='p a z'/></pair></doc>";
  const std::string documents[] = {
    nested,
    "<!DOCTYPE other><doc version='1'><zzz/><text>x</text></doc>",
    "<doc version='1'/>",
    "<doc><zzz/></doc>",
    "<doc version='1'><item id='a' ref='b'></doc>",
  };
  for (int options : {0, 1, 3}) {  // no bits, validity, and well-formedness too
    for (const std::string& text : documents) {
      SCOPED_TRACE(text);
      vortanUserOptions = options;
      Stderr whole;
      {
        Parse parse(text);
        if (parse.document) vortanvalidate(parse.document);
      }
      std::string expected = whole.text();
      // Inside a caller's own holder of reports, which the parse's holding
      // of its findings must give back.
      Stderr streamed;
      vortanByteBuffer held;
      vortaninitByteBuffer(&held);
      vortanByteBuffer* outer = vortanholdReports(&held);
      vortansetValidatingParse(1);
      Parse parse(text);
      vortansetValidatingParse(0);
      vortanreleaseParseFindings(1);
      vortanholdReports(outer);
      EXPECT_EQ(streamed.text(), "");
      EXPECT_EQ(std::string(held.bytes ? held.bytes : ""), expected);
      vortanfreeByteBuffer(&held);
      if (text != nested) continue;
      EXPECT_EQ(vortan_test::canonical(parse.document), "<doc bogus=\"b\" version=\"1\"></doc>");
      if (options == 1) {
        EXPECT_EQ(expected,
                  "The attribute 'bogus' is not present in element 'doc' dtd\n"
                  "Validity Warning: Content of element 'doc' does not match the content model.\n"
                  "Validity Warning: Content of element 'pair' does not match the content model.\n"
                  "Validity Warning: Element 'item' is not EMPTY as specified.\n"
                  "Validity Warning: ID 'a' from element 'item' already defined.\n"
                  "Validity Warning: Attribute 'id' should be defined for element 'item'.\n"
                  "The element 'zzz' is not present in the dtd\n"
                  "Validity Warning: Content of element 'text' does not match the content model.\n"
                  "Validity Warning: Content of element 'pair' does not match the content model.\n"
                  "Validity Warning: No referenced for IDREF 'c' from element 'item'.\n"
                  "Validity Warning: No referenced for IDREF 'z' from element 'item'.\n");
      }
    }
  }
  // The findings wait for the caller, who may drop them.
  Stderr dropped;
  vortansetValidatingParse(1);
  { Parse parse(nested); }
  vortansetValidatingParse(0);
  vortanreleaseParseFindings(0);
  EXPECT_EQ(dropped.text(), "");
}

// --- parse-time checks ---------------------------------------------------------

TEST_F(VortanValidation, WellFormednessChecksAnswerAndPrintUnderBit2)
{
  vortanputGEntity("e", "text");
  vortanputReferenceTable(UETable, "pic", str("gif"));
  vortanLIST* repeated = list_of({vortannewAttribute(str("a"), str("1")), vortannewAttribute(str("b"), str("2")),
                                  vortannewAttribute(str("a"), str("3"))});
  vortanLIST* unique = list_of({vortannewAttribute(str("a"), str("1")), vortannewAttribute(str("b"), str("2"))});
  vortanLIST* many = vortannewList();
  for (int i = 0; i < 100; ++i) {
    std::string n = "a" + std::to_string(i % 99);
    vortanaddLast(many, vortannewAttribute(str(n.c_str()), str("v")));
  }
  vortanATTRIBUTE *lt = vortannewAttribute(str("at"), str("x<y")), *gt = vortannewAttribute(str("at"), str("x>y"));
  struct Row {
    int holds;
    std::function<int()> check;
    const char* message;
  } rows[] = {
    {1, [] { return vortanwellFormednessElementTypeMatch("a", "a"); }, ""},
    {0, [] { return vortanwellFormednessElementTypeMatch("a", "b"); },
     "The name in the element a's end-tag does not match the element type in the start tag."},
    {1, [&] { return vortanwellFormednessUniqueAttSpec("e", unique); }, ""},
    {0, [&] { return vortanwellFormednessUniqueAttSpec("e", repeated); },
     "Attribute 'a' appears more than once in the element 'e' dtd"},
    {0, [&] { return vortanwellFormednessUniqueAttSpec("e", many); },
     "Attribute 'a0' appears more than once in the element 'e' dtd"},
    {1, [&] { return vortanwellFormednessNoLessThanInAttributeValues(gt); }, ""},
    {0, [&] { return vortanwellFormednessNoLessThanInAttributeValues(lt); },
     "The attribute 'at' contains a < character."},
    {1, [] { return vortanwellFormednessEntityDeclared("e"); }, ""},
    {0, [] { return vortanwellFormednessEntityDeclared("f"); }, "The entity 'f' must be declared."},
    {1, [] { return vortanwellFormednessParsedEntity("e"); }, ""},
    {0, [] { return vortanwellFormednessParsedEntity("pic"); },
     "The entity reference 'pic' contain the name of an unparsed entity."},
  };
  for (int bits : {2, 5}) {
    vortanUserOptions = bits;
    for (const Row& row : rows) {
      Stderr err;
      EXPECT_EQ(row.check(), row.holds) << row.message;
      EXPECT_EQ(err.text(), row.holds || !(bits & 2) ? "" : std::string(row.message) + "\n");
    }
  }
  for (void* r : {(void*)repeated, (void*)unique, (void*)many, (void*)lt, (void*)gt}) vortandelete(r);
}

TEST_F(VortanValidation, DeclarationChecks)
{
  auto attdef = [](void* type, void* def) { return vortannewAttDef(str("at"), type, def); };
  auto value = [](const char* v) { return vortannewAttValue(str(v)); };
  struct Row {
    int legal;
    vortanATTDEF* attdef;
  } rows[] = {
    {1, attdef(vortannewId(), value("a"))},
    {0, attdef(vortannewIdRef(), value("1a"))},
    {1, attdef(vortannewIdRefs(), value(" a b "))},
    {0, attdef(vortannewEntities(), value("a 1"))},
    {1, attdef(vortannewNmTokens(), value("1 -"))},
    {0, attdef(vortannewNmToken(), value(""))},
    {1, attdef(vortannewNotationType(list_of({str("gif")})), vortannewFixed(str("gif")))},
    {0, attdef(vortannewNotationType(list_of({str("png")})), value("png"))},  // not declared
    {0, attdef(vortannewEnumeration(list_of({str("x")})), vortannewFixed(str("y")))},
    {1, attdef(vortannewIdRef(), vortannewRequired())},
  };
  vortanvalidityUniqueNotationName("gif");
  for (const Row& row : rows) {
    Stderr err;
    EXPECT_EQ(vortanvalidityAttributeDefaultLegal(row.attdef), row.legal);
    EXPECT_EQ(err.text(), row.legal ? "" : "Validity Warning: The declared default value of the attribute'at' "
                                           "doesn't meet the lexical constraints of its type\n");
    vortandelete(row.attdef);
  }

  Stderr err;
  vortanID* id = vortannewId();
  vortanREQUIRED* required = vortannewRequired();
  vortanUserOptions = 0;
  EXPECT_EQ(vortanvalidityUniqueNotationName("gif"), 0);  // printed under bit 1 only
  EXPECT_EQ(vortanvalidityIDAttributeDefault(id, nullptr, "id"), 1);
  vortanUserOptions = vortanOptionValidity;
  EXPECT_EQ(vortanvalidityUniqueNotationName("gif"), 0);
  EXPECT_EQ(vortanvalidityIDAttributeDefault(id, nullptr, "id"), 0);
  EXPECT_EQ(vortanvalidityIDAttributeDefault(id, required, "id"), 1);
  EXPECT_EQ(vortanvalidityUniqueElementTypeDeclaration("a"), 1);
  EXPECT_EQ(vortanvalidityUniqueElementTypeDeclaration("a"), 0);
  vortanPEDECL* nested = vortannewPEDecl(str("p"), vortannewEntityValue(str("<!ELEMENT a ANY>")), 0);
  vortanPEDECL* open = vortannewPEDecl(str("q"), vortannewEntityValue(str("<!ELEMENT a ANY")), 0);
  EXPECT_EQ(vortanvalidityProperDeclarationPENesting(nested), 1);
  EXPECT_EQ(vortanvalidityProperDeclarationPENesting(open), 0);
  EXPECT_EQ(err.text(),
            "Validity Warning: The notation 'gif' is declared more than once\n"
            "Validity Warning: The attribute 'id' must have a declared default of #IMPLIED or #REQUIRED \n"
            "Validity Warning: The element 'a' is declared more than once\n"
            "Validity Warning: The entity 'q' is not properly nested with markup declaration\n");
  EXPECT_EQ(vortansize(vortanDeclaredNotations), 3);
  for (void* r : {(void*)id, (void*)required, (void*)nested, (void*)open}) vortandelete(r);
}

TEST_F(VortanValidation, DeclarationsCompileIntoAValidatorStructure)
{
  auto element = [](const char* n, void* model) { return vortannewElementDecl(str(n), model, 0); };
  auto attlist = [](const char* n, const char* a, void* type) {
    return vortannewAttlistDecl(str(n), list_of({vortannewAttDef(str(a), type, vortannewImplied())}), 0);
  };
  vortanLIST* declarations = list_of(
    {element("a", seq({name("b")})), vortannewComment(str("c")), attlist("a", "x", vortannewId()),
     element("b", vortannewEmpty()), attlist("a", "x", vortannewIdRef()), attlist("a", "y", vortannewNmToken()),
     element("a", vortannewAny()),
     vortannewNotationDecl(str("gif"), vortannewPublicID(str("image/gif")), 0),
     vortannewGEDecl(str("e"), vortannewEntityValue(str("v")), 0)});
  vortanLIST* original = static_cast<vortanLIST*>(vortanclone(declarations));
  vortanMAP* expected = validator_of({
    {"a", seq({name("b")}), {{"x", vortannewId(), vortannewImplied()}, {"y", vortannewNmToken(), vortannewImplied()}}},
    {"b", vortannewEmpty(), {}},
  });
  for (int run = 0; run < 2; ++run) {  // compiling again is no redeclaration
    Stderr err;
    vortanMAP* compiled = vortangenerateValidatorStructure(declarations);
    EXPECT_TRUE(vortanequals(compiled, expected));
    EXPECT_EQ(err.text(), "Validity Warning: The element 'a' is declared more than once\n");
    vortandelete(compiled);
  }
  EXPECT_TRUE(vortanequals(declarations, original));

  vortanMAP* notations = vortangenerateUnparsedEntityStructure(declarations);
  EXPECT_EQ(vortansize(notations), 1);
  vortanSTRING* gif = str("gif");
  EXPECT_STREQ(vortantextOf(vortangetPublicIDName(static_cast<vortanPUBLICID*>(vortanget(notations, gif)))),
               "image/gif");
  vortandelete(gif);

  vortanaddLast(declarations, attlist("undeclared", "x", vortannewId()));
  Stderr err;
  EXPECT_EQ(vortangenerateValidatorStructure(declarations), nullptr);
  EXPECT_EQ(err.text(), "Validity Warning: The element 'a' is declared more than once\n"
                        "Invalid dtd in groupElementsAndAttributes.\n");
  for (void* r : {(void*)declarations, (void*)original, (void*)expected, (void*)notations}) vortandelete(r);
}

}  // namespace
