// Validating a generated document of n elements against a small DTD: the
// time per element must not grow with n.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "vortan.h"
#include "vortanListBuilder.h"

namespace {

vortanSTRING* str(const char* text)
{
  return vortannewString(strdup(text));
}

vortanLIST* list_of(std::initializer_list<void*> items)
{
  vortanLIST* list = vortannewList();
  for (void* item : items) vortanaddLast(list, item);
  return list;
}

void declare(vortanMAP* validator, const char* element, void* model,
             std::initializer_list<std::tuple<const char*, void*, void*>> attributes)
{
  vortanMAP* declared = vortannewMap();
  for (auto& [name, type, def] : attributes) vortanputReferenceTable(declared, name, vortannewPair(type, def));
  vortanputReferenceTable(validator, element, vortannewPair(model, declared));
}

// db (version) holds records: rec (id, ref, kind) of a value v and an
// optional empty note.
void register_dtd()
{
  vortaninit();
  vortanMAP* v = vortannewMap();
  declare(v, "db", vortannewChildrenStar(vortannewChildrenSeq(list_of({str("rec")}))),
          {{"version", vortannewCData(nullptr), vortannewRequired()}});
  declare(v, "rec", vortannewChildrenSeq(list_of({str("v"), vortannewChildrenOpt(str("note"))})),
          {{"id", vortannewId(), vortannewRequired()},
           {"ref", vortannewIdRef(), vortannewImplied()},
           {"kind", vortannewEnumeration(list_of({str("a"), str("b")})), vortannewAttValue(str("a"))}});
  declare(v, "v", vortannewChildrenSeq(list_of({vortannewPCData()})), {});
  declare(v, "note", vortannewEmpty(), {});
  vortanputStaticDTDTable(str("db"), str("1"), v, vortannewGEReferenceTable(), vortannewMap());
}

// A document of n elements: the root and records of two or three elements.
vortanDOCUMENT* generate(long n)
{
  vortanELEMENT* root = vortannewElementWithName("db");
  vortanaddAttribute(root, "version", "1", 0);
  vortanListBuilder children;
  vortanstartListBuilder(&children, vortangetContentList(vortangetElementContent(root)));
  char id[32], ref[32];
  for (long made = 1, i = 0; made < n; ++i) {
    vortanELEMENT* rec = vortannewElementWithName("rec");
    std::snprintf(id, sizeof id, "r%ld", i);
    std::snprintf(ref, sizeof ref, "r%ld", i / 2);
    vortanaddAttribute(rec, "id", id, 1);
    vortanaddAttribute(rec, "ref", ref, 0);
    vortanaddAttribute(rec, "kind", i % 2 ? "a" : "b", 0);
    vortanELEMENT* value = vortannewElementWithName("v");
    vortanaddContentPCData(value, "1.25");
    vortanaddContentElement(rec, value);
    made += 2;
    if (made < n && i % 2) {
      vortanaddContentElement(rec, vortannewElementWithName("note"));
      ++made;
    }
    vortanappendListBuilder(&children, rec);
  }
  vortanPROLOG* prolog = vortannewProlog(vortanbuildXMLDecl(), vortannewList(), nullptr);
  return vortannewDocument(prolog, root, vortannewList());
}

void BM_ValidateDocument(benchmark::State& state)
{
  const long n = state.range(0);
  register_dtd();
  vortanUserOptions = vortanOptionValidity;
  vortanDOCUMENT* document = generate(n);
  for (auto _ : state) vortanvalidate(document);
  state.SetItemsProcessed(state.iterations() * n);
  state.counters["ns_per_element"] = benchmark::Counter(
    static_cast<double>(state.iterations() * n), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  vortandelete(document);
  vortandestroy();
}
BENCHMARK(BM_ValidateDocument)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
