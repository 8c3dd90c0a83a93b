#include <cstdint>
#include <regex>
#include <string>
#include <type_traits>
#include <vector>

#include "VortanSupport.h"
#include "vortanFields.h"
#include "vortanRecord.h"

using vortan_test::MemoryBudget;
using vortan_test::Stderr;
using vortan_test::str;
using vortan_test::text;

namespace {

// A field value in one word, whatever its C type.
template <typename T>
intptr_t to_word(T value)
{
  if constexpr (std::is_pointer_v<T>) return reinterpret_cast<intptr_t>(value);
  else return static_cast<intptr_t>(value);
}

template <typename T>
T from_word(intptr_t word)
{
  if constexpr (std::is_pointer_v<T>) return reinterpret_cast<T>(word);
  else return static_cast<T>(word);
}

struct Field {
  std::string accessor;
  bool is_record;
  intptr_t (*get)(const void*);
  void* (*set)(void*, intptr_t);
};

struct Kind {
  const char* name;
  int tag;
  void* (*make)(const std::vector<intptr_t>&);
  std::vector<Field> fields;
};

void* make_Prolog(const std::vector<intptr_t>& v)
{
  return vortannewProlog(from_word<vortanXMLDECL*>(v[0]), from_word<vortanLIST*>(v[1]),
                         vortannewPair(from_word<void*>(v[2]), from_word<void*>(v[3])));
}

#define FIELD_(Name, TYPE, i, Suffix, T, S)                                                    \
  Field{#Name #Suffix, vortanStorage##S == vortanStorageREC,                                   \
        [](const void* r) { return to_word(vortanget##Name##Suffix(static_cast<const vortan##TYPE*>(r))); }, \
        [](void* r, intptr_t v) -> void* {                                                     \
          return vortanset##Name##Suffix(static_cast<vortan##TYPE*>(r), from_word<T>(v));      \
        }},
#define FIELD(K, i, t) VORTAN_APPLY(FIELD_, (VORTAN_UNPACK_ K, i), t)
#define ARG_(K, i, Suffix, T, S) from_word<T>(v[i])
#define ARG(K, i, t) VORTAN_APPLY(ARG_, (K, i), t)
#define MAKE_NEW(Name, ...) \
  [](const std::vector<intptr_t>& v) -> void* { return vortannew##Name(VORTAN_EACH_FIELD(ARG, VORTAN_COMMA, Name, __VA_ARGS__)); }
#define MAKE_OWN(Name, ...) make_##Name

const std::vector<Kind> kinds = {
#define VORTAN_KIND(Name, TAG, TYPE, CTOR, ...) \
  {#Name, TAG, MAKE_##CTOR(Name, __VA_ARGS__), {VORTAN_EACH_FIELD(FIELD, VORTAN_NOTHING, (Name, TYPE), __VA_ARGS__)}},
#define VORTAN_LEAF(Name, TAG, TYPE) {#Name, TAG, [](const std::vector<intptr_t>&) -> void* { return vortannew##Name(); }, {}},
#include "vortanRecordKinds.def"
};

// Sample values for a kind's fields: a String per record field, and
// integers (a negative character, to see its sign kept).
std::vector<intptr_t> samples(const Kind& kind)
{
  std::vector<intptr_t> v;
  for (const Field& f : kind.fields)
    v.push_back(f.is_record ? to_word(str(f.accessor.c_str())) : static_cast<signed char>(0xE9));
  return v;
}

}  // namespace

TEST(VortanRecords, EveryKindIsMadeReadClonedComparedAndDeleted)
{
  ASSERT_EQ(kinds.size(), 47u);
  std::vector<void*> made;
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    std::vector<intptr_t> values = samples(kind);
    void* record = kind.make(values);
    made.push_back(record);
    ASSERT_EQ(vortantagOf(record), kind.tag);
    for (size_t i = 0; i < kind.fields.size(); ++i)
      EXPECT_EQ(kind.fields[i].get(record), values[i]) << kind.fields[i].accessor;

    void* copy = vortanclone(record);
    EXPECT_NE(copy, record);
    EXPECT_TRUE(vortanequals(record, copy));
    for (size_t i = 0; i < kind.fields.size(); ++i) {
      const Field& f = kind.fields[i];
      if (f.is_record) {
        EXPECT_NE(f.get(copy), f.get(record)) << f.accessor << " copied deeply";
      }
      // Equality looks at every field.
      intptr_t old = f.get(copy);
      EXPECT_EQ(f.set(copy, f.is_record ? to_word(str("other")) : old + 1), copy);
      EXPECT_FALSE(vortanequals(record, copy)) << f.accessor;
      if (f.is_record) vortandelete(from_word<void*>(old));
      else f.set(copy, old);
    }
    vortandelete(copy);
  }
  // A record of the next kind in the table is refused by every accessor,
  // even one of the same layout (a PEDecl by the GEDecl accessors).
  const std::regex misuse(vortan_test::misuse_report());
  for (size_t k = 0; k < kinds.size(); ++k) {
    void* other = made[(k + 1) % made.size()];
    EXPECT_FALSE(vortanequals(made[k], other));
    for (const Field& f : kinds[k].fields) {
      Stderr err;
      EXPECT_EQ(f.get(other), 0) << f.accessor;
      EXPECT_EQ(f.set(other, 0), other) << f.accessor;
      EXPECT_EQ(f.get(nullptr), 0) << f.accessor;
      std::string report = err.text();
      EXPECT_TRUE(std::regex_match(report, std::regex("(:vortanRecordKinds\\.def:[0-9]+: \n){3}")))
        << f.accessor << ": " << report;
    }
  }
  for (void* record : made) vortandelete(record);
}

TEST(VortanRecords, ADocumentBuiltByHandClonesAndComparesToItsLeaves)
{
  vortanLIST* markup = vortannewList();
  vortanLIST* names = vortannewList();
  vortanaddLast(names, str("a"));
  vortanaddLast(names, vortannewChildrenOpt(str("b")));
  vortanaddLast(markup, vortannewElementDecl(str("root"), vortannewChildrenSeq(names), 1));
  vortanaddLast(markup, vortannewAttlistDecl(str("root"), vortannewList(), 0));
  vortanDOCTYPEDECL* doctype = vortannewDocTypeDecl(
    str("root"), vortannewExternalID(vortannewSystemExternalID(str("root.dtd")), nullptr), markup);
  vortanLIST* after = vortannewList();
  vortanaddLast(after, vortannewComment(str(" after ")));
  vortanPROLOG* prolog = vortannewProlog(vortanbuildXMLDecl(), vortannewList(), vortannewPair(doctype, after));
  EXPECT_EQ(vortangetPrologDtdDecl(prolog), doctype);
  EXPECT_EQ(vortangetPrologMisc2(prolog), after);

  vortanXMLDECL* decl = vortangetPrologXmlDecl(prolog);
  EXPECT_EQ(text(vortangetXMLDeclVersion(decl)), "1.0");
  EXPECT_EQ(vortangetXMLDeclEncoding(decl), nullptr);
  EXPECT_EQ(vortangetXMLDeclStandalone(decl), -1);

  vortanELEMENT* root = vortannewElementWithName("root");
  vortanELEMENT* child = vortannewElementWithName("a");
  vortanaddContentPCData(child, "deep text");
  vortanaddAttribute(root, "id", "r1", 1);
  vortanaddContentElement(root, child);
  vortanDOCUMENT* document = vortannewDocument(prolog, root, vortannewList());

  auto* copy = static_cast<vortanDOCUMENT*>(vortanclone(document));
  EXPECT_TRUE(vortanequals(document, copy));
  // Change the text at the bottom of the copy's tree.
  vortanELEMENT* copied_child = static_cast<vortanELEMENT*>(
    vortangetListLast(vortangetContentList(vortangetElementContent(vortangetDocumentElement(copy)))));
  vortanCHARDATA* data = static_cast<vortanCHARDATA*>(
    vortangetListLast(vortangetContentList(vortangetElementContent(copied_child))));
  vortanconcatChar(vortangetCharDataString(data), '!');
  EXPECT_FALSE(vortanequals(document, copy));
  vortandelete(copy);

  vortandelete(document);
}

TEST(VortanRecords, PrologWithoutOrWithAWrongDoctypePart)
{
  vortanPROLOG* plain = vortannewProlog(nullptr, vortannewList(), nullptr);
  EXPECT_EQ(vortangetPrologDtdDecl(plain), nullptr);
  EXPECT_EQ(vortanisEmpty(vortangetPrologMisc2(plain)), 1);

  vortanSTRING* wrong = str("not a pair");
  Stderr err;
  vortanPROLOG* odd = vortannewProlog(nullptr, vortannewList(), reinterpret_cast<vortanPAIR*>(wrong));
  EXPECT_TRUE(std::regex_match(err.text(), std::regex(vortan_test::misuse_report())));
  EXPECT_TRUE(vortanequals(plain, odd));
  EXPECT_EQ(text(wrong), "not a pair");  // still the caller's
  for (void* r : {(void*)plain, (void*)odd, (void*)wrong}) vortandelete(r);
}

TEST(VortanElement, AttributesAreReplacedAtTheEnd)
{
  vortanELEMENT* e = vortannewElementWithName("e");
  vortanaddAttribute(e, "a", "1", 0);
  vortanaddAttribute(e, "b", "2", 0);
  vortanaddAttribute(e, "a", "3", 0);
  vortanLIST* attributes = vortangetElementAttributes(e);
  ASSERT_EQ(vortansize(attributes), 2);
  auto* last = static_cast<vortanATTRIBUTE*>(vortangetListLast(attributes));
  EXPECT_EQ(text(vortangetAttributeName(last)), "a");
  EXPECT_EQ(text(vortangetAttributeValue(last)), "3");

  vortanSTRING *a = str("a"), *z = str("z");
  EXPECT_EQ(text(vortangetElementAttributeByName(e, a)), "3");
  EXPECT_EQ(vortangetElementAttributeByName(e, z), nullptr);
  EXPECT_EQ(vortangetElementAttributeByName(nullptr, a), nullptr);
  vortandelete(a);
  vortandelete(z);
  vortandelete(e);
}

TEST(VortanElement, ReplacingAnIdAttributeMovesTheElementIdEntry)
{
  // The test sets the table up itself; whatever an earlier test left in
  // it comes back at the end.
  vortanMAP* saved = EAITable;
  EAITable = nullptr;
  vortanELEMENT* e = vortannewElementWithName("e");
  vortanaddAttribute(e, "id", "a", 1);
  vortanaddAttribute(e, "id", "b", 1);  // no table yet: nothing to keep up

  EAITable = vortannewMap();
  vortanSTRING *a = str("a"), *b = str("b"), *c = str("c"), *id = str("id");
  vortanput(EAITable, b, vortanclone(e));
  vortanput(EAITable, a, nullptr);
  vortanaddAttribute(e, "id", "c", 1);
  EXPECT_EQ(vortancontainsKey(EAITable, b), 0);
  EXPECT_EQ(vortancontainsKey(EAITable, a), 1);
  // Under "c": the element as it was before, with id "b".
  auto* kept = static_cast<vortanELEMENT*>(vortanget(EAITable, c));
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(text(vortangetElementAttributeByName(kept, id)), "b");
  EXPECT_EQ(text(vortangetElementAttributeByName(e, id)), "c");

  // An entry already under the new value stays as it was.
  vortanput(EAITable, a, vortannewElementWithName("other"));
  vortanaddAttribute(e, "id", "a", 1);
  EXPECT_EQ(vortancontainsKey(EAITable, c), 0);
  EXPECT_EQ(text(vortangetElementName(static_cast<vortanELEMENT*>(vortanget(EAITable, a)))), "other");

  vortandelete(EAITable);
  EAITable = saved;
  for (void* r : {(void*)e, (void*)a, (void*)b, (void*)c, (void*)id}) vortandelete(r);
}

TEST(VortanElement, ContentMergesTextAndIsSearchedByName)
{
  vortanELEMENT* e = vortannewElementWithName("e");
  vortanaddContentPCData(e, "a");
  vortanaddContentPCData(e, "b");
  vortanaddContentElement(e, vortannewElementWithName("x"));
  vortanaddContentPCData(e, "c");
  vortanaddContentElement(e, vortannewComment(str("note")));
  vortanaddContentElement(e, vortannewElementWithName("y"));
  vortanaddContentElement(e, vortannewElementWithName("x"));

  vortanLIST* items = vortangetContentList(vortangetElementContent(e));
  std::vector<int> tags;
  vortanITERATOR* it = vortannewIterator(items);
  while (vortanhasNext(it)) tags.push_back(vortantagOf(vortannext(it)));
  vortandelete(it);
  EXPECT_EQ(tags, (std::vector<int>{vortanTagCharData, vortanTagElement, vortanTagCharData,
                                    vortanTagComment, vortanTagElement, vortanTagElement}));
  EXPECT_EQ(text(vortangetCharDataString(static_cast<vortanCHARDATA*>(vortangetPairHead(
              static_cast<vortanPAIR*>(items->sentinel->tail))))),
            "ab");

  EXPECT_EQ(vortangetSpecificContent(e, "z"), nullptr);
  it = vortangetSpecificContent(e, "y");
  ASSERT_NE(it, nullptr);
  EXPECT_EQ(vortanhasnextElementType(it, "y"), 1);
  EXPECT_EQ(vortanhasnextElementType(it, "y"), 1);  // the iterator did not move
  vortanELEMENT* x = vortannextElementType(it, "x");
  EXPECT_EQ(x, vortangetPairHead(static_cast<vortanPAIR*>(
                 static_cast<vortanPAIR*>(items->sentinel->tail)->tail)));
  vortanELEMENT* y = vortannextElementType(it, "y");  // past text and a comment
  EXPECT_EQ(text(vortangetElementName(y)), "y");
  EXPECT_EQ(vortanhasnextElementType(it, "y"), 0);
  EXPECT_NE(vortannextElementType(it, "x"), nullptr);
  EXPECT_EQ(vortannextElementType(it, "x"), nullptr);
  EXPECT_EQ(vortanhasNext(it), 0);
  vortandelete(it);
  vortandelete(e);
}

TEST(VortanElement, OutOfMemoryChangesNothing)
{
  vortanELEMENT* e = vortannewElementWithName("e");
  vortanaddAttribute(e, "a", "1", 0);
  vortanaddContentElement(e, vortannewElementWithName("child"));
  struct Op {
    const char* name;
    void* (*run)(vortanELEMENT*);
  } ops[] = {
    {"addAttribute anew", [](vortanELEMENT* x) -> void* { return vortanaddAttribute(x, "b", "2", 0); }},
    {"addAttribute again", [](vortanELEMENT* x) -> void* { return vortanaddAttribute(x, "a", "2", 0); }},
    {"addContentPCData", [](vortanELEMENT* x) -> void* { return vortanaddContentPCData(x, "text"); }},
    {"newElementWithName", [](vortanELEMENT*) -> void* { return vortannewElementWithName("f"); }},
    {"buildXMLDecl", [](vortanELEMENT*) -> void* { return vortanbuildXMLDecl(); }},
  };
  // A failed operation leaves the element as it was.
  for (const Op& op : ops) {
    auto* target = static_cast<vortanELEMENT*>(vortanclone(e));
    vortan_test::under_every_allocation_failure(
      [&] { return op.run(target); },
      [&](void* result, bool failed) {
        if (failed) EXPECT_TRUE(vortanequals(target, e)) << op.name;
        else if (result != target) vortandelete(result);
        vortandelete(target);
        target = static_cast<vortanELEMENT*>(vortanclone(e));
      });
    vortandelete(target);
  }
  vortandelete(e);
}
