#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "VortanSupport.h"
#include "vortanByteBuffer.h"
#include "vortanListBuilder.h"
#include "vortanRecord.h"

using vortan_test::MemoryBudget;
using vortan_test::Stderr;
using vortan_test::str;
using vortan_test::text;
using Texts = std::vector<std::string>;

namespace {

// The texts of a List of Strings, or of a Map's keys, in iteration order.
Texts texts(void* container)
{
  Texts out;
  vortanITERATOR* it = vortannewIterator(container);
  while (vortanhasNext(it)) {
    void* item = vortannext(it);
    if (vortanhasTag(item, vortanTagMapEntry)) item = vortangetKey(static_cast<vortanMAPENTRY*>(item));
    out.push_back(text(static_cast<vortanSTRING*>(item)));
  }
  vortandelete(it);
  return out;
}

vortanLIST* list_of(const Texts& items)
{
  vortanListBuilder builder;
  vortanstartListBuilder(&builder, nullptr);
  for (const std::string& item : items) vortanappendListBuilder(&builder, str(item.c_str()));
  return vortanfinishListBuilder(&builder);
}

// A Map of the pairs put in order; a null value text puts a null value.
vortanMAP* map_of(std::initializer_list<std::pair<const char*, const char*>> entries)
{
  vortanMAP* map = vortannewMap();
  for (const auto& [key, value] : entries) {
    vortanSTRING* k = str(key);
    vortanput(map, k, value ? str(value) : nullptr);
    vortandelete(k);  // the Map stored a copy
  }
  return map;
}

// A List a, b . c: its chain ends in the String c instead of a Pair.
vortanLIST* dotted_list()
{
  vortanLIST* list = list_of({"a", "b"});
  vortanPAIR* second = static_cast<vortanPAIR*>(static_cast<vortanPAIR*>(list->sentinel->tail)->tail);
  second->tail = str("c");
  return list;
}

}  // namespace

TEST(VortanList, AddInFrontAddLastAndTheLastElement)
{
  vortanLIST* list = vortannewList();
  EXPECT_EQ(vortansize(list), 0);
  EXPECT_EQ(vortanisEmpty(list), 1);
  EXPECT_EQ(vortangetListLast(list), nullptr);
  EXPECT_EQ(texts(list), Texts{});

  vortanadd(list, str("a"));
  vortanadd(list, str("b"));
  vortanaddLast(list, str("c"));
  EXPECT_EQ(texts(list), (Texts{"b", "a", "c"}));
  EXPECT_EQ(text(static_cast<vortanSTRING*>(vortangetListLast(list))), "c");
  EXPECT_EQ(vortansize(list), 3);
  EXPECT_EQ(vortanisEmpty(list), 0);
  EXPECT_EQ(vortanisEmpty(nullptr), 0);
  EXPECT_EQ(vortangetListLast(nullptr), nullptr);
  vortanLIST* same = list_of({"b", "a", "c"});
  vortanLIST* other_order = list_of({"a", "b", "c"});
  vortanLIST* shorter = list_of({"b", "a"});
  EXPECT_TRUE(vortanequals(list, same));
  EXPECT_FALSE(vortanequals(list, other_order));
  EXPECT_FALSE(vortanequals(list, shorter));
  for (vortanLIST* l : {list, same, other_order, shorter}) vortandelete(l);
}

TEST(VortanList, ADottedEndCountsAsTheLastElement)
{
  vortanLIST* list = dotted_list();
  EXPECT_EQ(texts(list), (Texts{"a", "b", "c"}));
  EXPECT_EQ(vortansize(list), 3);
  EXPECT_EQ(text(static_cast<vortanSTRING*>(vortangetListLast(list))), "c");
  vortanSTRING* c = str("c");
  EXPECT_EQ(vortancontains(list, c), 1);

  vortanLIST* copy = static_cast<vortanLIST*>(vortanclone(list));
  EXPECT_TRUE(vortanequals(list, copy));
  vortanaddLast(copy, str("d"));  // wraps c into a Pair, then appends
  EXPECT_EQ(texts(copy), (Texts{"a", "b", "c", "d"}));
  EXPECT_FALSE(vortanequals(list, copy));

  // Removing the dotted end unlinks it and hands it to the caller.
  void* removed = vortanRemove(list, c);
  EXPECT_EQ(texts(list), (Texts{"a", "b"}));
  vortandelete(removed);

  // A light delete leaves every element, the dotted end too, to the caller.
  vortanLIST* light = dotted_list();
  std::vector<void*> items;
  vortanITERATOR* it = vortannewIterator(light);
  while (vortanhasNext(it)) items.push_back(vortannext(it));
  vortandelete(it);
  vortandeletelight(light, 1);
  for (void* item : items) EXPECT_EQ(vortantagOf(item), vortanTagString);
  for (void* item : items) vortandelete(item);

  vortandelete(c);
  vortandelete(copy);
  vortandelete(list);
}

TEST(VortanList, RemovingThroughTheIterator)
{
  vortanLIST* list = list_of({"a", "b", "c", "d"});
  vortanITERATOR* it = vortannewIterator(list);
  vortanremove(it);  // nothing returned yet: nothing happens
  EXPECT_EQ(text(static_cast<vortanSTRING*>(vortannext(it))), "a");
  void* b = vortannext(it);
  vortanremove(it);
  vortanremove(it);  // a second remove in a row does nothing
  EXPECT_EQ(text(static_cast<vortanSTRING*>(vortannext(it))), "c");
  void* d = vortannext(it);
  vortanremove(it);
  EXPECT_EQ(vortanhasNext(it), 0);
  EXPECT_EQ(texts(list), (Texts{"a", "c"}));
  EXPECT_EQ(text(static_cast<vortanSTRING*>(b)), "b");  // the caller's now
  vortandelete(b);
  vortandelete(d);
  vortandelete(it);
  vortandelete(list);
}

TEST(VortanList, RemoveByValueUnlinksEveryEqualElement)
{
  vortanSTRING* xs[] = {str("x"), str("x"), str("x")};
  vortanLIST* list = vortannewList();
  for (void* item : {(void*)xs[0], (void*)str("a"), (void*)xs[1], (void*)str("b"), (void*)xs[2]})
    vortanaddLast(list, item);
  vortanSTRING* x = str("x");
  EXPECT_EQ(vortanRemove(list, x), xs[2]);  // the last one unlinked
  EXPECT_EQ(texts(list), (Texts{"a", "b"}));
  EXPECT_EQ(vortanRemove(list, x), nullptr);
  for (vortanSTRING* each : xs) vortandelete(each);  // all three are the caller's

  // Clearing, or lightly: the element stays the caller's. And a bare Pair.
  vortanclear(list);
  EXPECT_EQ(vortansize(list), 0);
  vortanadd(list, x);
  vortanclearlight(list, 1);
  EXPECT_EQ(vortanisEmpty(list), 1);
  vortanadd(list, x);
  vortanPAIR* pair = vortannewPair(str("h"), vortannewPair(str("t"), nullptr));
  vortanclear(pair);
  EXPECT_EQ(vortangetPairHead(pair), nullptr);
  EXPECT_EQ(vortangetPairTail(pair), nullptr);
  vortandelete(pair);
  vortandelete(list);
}

TEST(VortanList, AMillionItemsCostNoStack)
{
  vortanLIST* list = nullptr;
  int size = 0, equal = 0, contains = 0;
  vortan_test::on_small_stack([&] {
    vortanListBuilder builder;
    vortanstartListBuilder(&builder, nullptr);
    char item[16];
    for (int i = 0; i < 1000000; ++i) {
      snprintf(item, sizeof item, "%d", i);
      vortanappendListBuilder(&builder, str(item));
    }
    list = vortanfinishListBuilder(&builder);
    void* copy = vortanclone(list);
    size = vortansize(copy);
    equal = vortanequals(list, copy);
    vortanSTRING* last = str("999999");
    contains = vortancontains(copy, last);
    vortandelete(last);
    vortandelete(copy);
    vortandelete(list);
  });
  EXPECT_EQ(size, 1000000);
  EXPECT_EQ(equal, 1);
  EXPECT_EQ(contains, 1);
}

TEST(VortanMap, PutAddsInFrontAndReplacesInPlace)
{
  vortanMAP* map = map_of({{"k1", "v1"}, {"k2", nullptr}, {"k3", "v3"}});
  EXPECT_EQ(texts(map), (Texts{"k3", "k2", "k1"}));
  vortanSTRING *k1 = str("k1"), *k2 = str("k2"), *k4 = str("k4");
  vortanSTRING* old = static_cast<vortanSTRING*>(vortanput(map, k1, str("v1b")));
  EXPECT_EQ(text(old), "v1");
  vortandelete(old);
  EXPECT_EQ(vortansize(map), 3);
  EXPECT_EQ(text(static_cast<vortanSTRING*>(vortanget(map, k1))), "v1b");

  // A null value and a missing key both get null; containsKey tells them apart.
  EXPECT_EQ(vortanget(map, k2), nullptr);
  EXPECT_EQ(vortanget(map, k4), nullptr);
  EXPECT_EQ(vortancontainsKey(map, k2), 1);
  EXPECT_EQ(vortancontains(map, k4), 0);
  EXPECT_EQ(vortancontainsKey(nullptr, k2), 0);

  vortanMAPENTRY* entry = static_cast<vortanMAPENTRY*>(vortanRemove(map, k1));
  EXPECT_EQ(text(static_cast<vortanSTRING*>(vortangetValue(entry))), "v1b");
  vortandelete(entry);

  // Removing through the iterator deletes the entry.
  vortanITERATOR* it = vortannewIterator(map);
  vortannext(it);
  vortanremove(it);
  auto* next = static_cast<vortanMAPENTRY*>(vortannext(it));
  EXPECT_EQ(text(static_cast<vortanSTRING*>(vortangetKey(next))), "k2");
  EXPECT_EQ(texts(map), Texts{"k2"});
  vortandelete(it);
  vortanclear(map);
  EXPECT_EQ(vortanisEmpty(map), 1);
  for (void* o : {(void*)map, (void*)k1, (void*)k2, (void*)k4}) vortandelete(o);
}

TEST(VortanMap, EqualityIgnoresOrderButNotMissingKeys)
{
  vortanMAP* a = map_of({{"x", "1"}, {"y", "2"}, {"z", "3"}});
  vortanMAP* b = map_of({{"z", "3"}, {"x", "1"}, {"y", "2"}});
  vortanMAP* c = static_cast<vortanMAP*>(vortanclone(a));
  EXPECT_TRUE(vortanequals(a, b));
  EXPECT_TRUE(vortanequals(a, c));
  // {p: null, q: 1} and {q: 1, r: null}: same size, but p is not in the second.
  vortanMAP* d = map_of({{"p", nullptr}, {"q", "1"}});
  vortanMAP* e = map_of({{"q", "1"}, {"r", nullptr}});
  EXPECT_FALSE(vortanequals(d, e));
  for (vortanMAP* m : {a, b, c, d, e}) vortandelete(m);
}

TEST(VortanString, ConcatTrimAndSharedText)
{
  vortanSTRING* s = vortannewString(nullptr);
  EXPECT_EQ(text(s), "");
  EXPECT_EQ(vortanconcatString(s, "ab"), s);
  vortanconcatChar(s, 'c');
  EXPECT_EQ(text(s), "abc");
  vortanconcatString(s, vortangetStringStr(s));  // its own text
  EXPECT_EQ(text(s), "abcabc");
  EXPECT_EQ(vortanconcatString(s, nullptr), nullptr);
  EXPECT_EQ(text(s), "abcabc");

  struct {
    const char* in;
    const char* out;
  } cases[] = {{" \t\r\n x y \n", "x y"}, {" \r\n\t", ""}, {"", ""}, {"z", "z"}};
  for (const auto& c : cases) {
    vortanSTRING* in = str(c.in);
    vortanSTRING* out = vortantrimString(in);
    EXPECT_EQ(text(out), c.out);
    EXPECT_EQ(text(in), c.in);
    vortandelete(in);
    vortandelete(out);
  }

  {
    MemoryBudget none(0);
    Stderr err;
    EXPECT_EQ(vortanconcatString(s, "more"), nullptr);
    EXPECT_EQ(vortantrimString(s), nullptr);
    EXPECT_EQ(vortannewString(nullptr), nullptr);
    std::string report = err.text();
    EXPECT_TRUE(std::regex_match(report, std::regex("(:vortan[A-Za-z]+\\.c:[0-9]+: Out of Memory\n){3}")))
      << report;
  }
  EXPECT_EQ(text(s), "abcabc");
  vortandelete(s);
}

TEST(VortanByteBuffer, GrowsByDoublingAndFailsOnce)
{
  vortanByteBuffer buffer;
  vortaninitByteBuffer(&buffer);
  std::string expected;
  for (int i = 0; i < 10000; ++i) {
    std::string piece = std::to_string(i) + ",";
    vortanappendByteBufferText(&buffer, piece.c_str());
    expected += piece;
  }
  vortanappendByteBufferChar(&buffer, '!');
  expected += '!';
  EXPECT_EQ(buffer.length, expected.size());
  EXPECT_LT(buffer.capacity, 2 * expected.size() + 64);
  vortanSTRING* s = vortantakeByteBufferString(&buffer);
  EXPECT_EQ(text(s), expected);
  EXPECT_EQ(buffer.bytes, nullptr);
  vortandelete(s);

  // Bytes with a NUL: the buffer keeps them all, the String ends at the NUL.
  vortanappendByteBuffer(&buffer, "a\0b", 3);
  EXPECT_EQ(buffer.length, 3u);
  EXPECT_EQ(std::string(buffer.bytes, 3), std::string("a\0b", 3));
  s = vortantakeByteBufferString(&buffer);
  EXPECT_EQ(text(s), "a");
  vortandelete(s);

  s = vortantakeByteBufferString(&buffer);  // nothing appended: an empty String
  EXPECT_EQ(text(s), "");
  vortandelete(s);

  vortanappendByteBufferText(&buffer, "kept");
  {
    MemoryBudget none(0);
    Stderr err;
    std::string big(1000, 'x');
    EXPECT_EQ(vortanappendByteBufferText(&buffer, big.c_str()), -1);
    EXPECT_EQ(vortanappendByteBufferText(&buffer, "x"), -1);  // latched, no second report
    EXPECT_EQ(vortantakeByteBufferString(&buffer), nullptr);
    std::string report = err.text();
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << report;
  }
  vortanappendByteBufferText(&buffer, "y");  // the take left a fresh buffer
  Stderr err;
  EXPECT_EQ(vortanappendByteBuffer(&buffer, "z", SIZE_MAX), -1);  // size overflow
  EXPECT_NE(err.text(), "");
  vortanfreeByteBuffer(&buffer);
}

TEST(VortanObject, CloneUnderExhaustedMemoryLeavesNothing)
{
  vortanMAP* map = vortannewMap();
  vortanSTRING* key = str("key");
  vortanput(map, key, dotted_list());
  vortandelete(key);
  vortanLIST* original = list_of({"a", "b"});
  vortanaddLast(original, map);
  vortanaddLast(original, vortannewPair(str("head"), str("tail")));

  // Under the address sanitizer: no failed clone leaves anything behind.
  long budget = vortan_test::under_every_allocation_failure(
    [&] { return vortanclone(original); },
    [&](void* copy, bool failed) {
      if (failed) return;
      EXPECT_TRUE(vortanequals(copy, original));
      vortandelete(copy);
    });
  EXPECT_GT(budget, 10);
  vortandelete(original);
}

TEST(VortanObject, MisuseIsReportedAndRefused)
{
  vortanSTRING* s = str("s");
  void* wrong = s;
  const std::regex misuse(vortan_test::misuse_report());
  struct Case {
    const char* what;
    std::function<bool()> refused;
  } cases[] = {
    {"getPairHead", [&] { return vortangetPairHead(static_cast<vortanPAIR*>(wrong)) == nullptr; }},
    {"setPairTail", [&] { return vortansetPairTail(static_cast<vortanPAIR*>(wrong), s) == wrong; }},
    {"add", [&] { return vortanadd(static_cast<vortanLIST*>(wrong), s) == wrong; }},
    {"addLast", [&] { return vortanaddLast(nullptr, s) == nullptr; }},
    {"startListBuilder", [&] {
       vortanListBuilder b;
       return vortanstartListBuilder(&b, static_cast<vortanLIST*>(wrong)) == -1;
     }},
    {"newIterator", [&] { return vortannewIterator(wrong) == nullptr; }},
    {"next", [&] { return vortannext(static_cast<vortanITERATOR*>(wrong)) == nullptr; }},
    {"remove", [&] { return vortanremove(static_cast<vortanITERATOR*>(wrong)) == wrong; }},
    {"get", [&] { return vortanget(static_cast<vortanMAP*>(wrong), s) == nullptr; }},
    {"put", [&] { return vortanput(nullptr, s, s) == nullptr; }},
    {"getKey", [&] { return vortangetKey(static_cast<vortanMAPENTRY*>(wrong)) == nullptr; }},
    {"setValue", [&] { return vortansetValue(nullptr, s) == nullptr; }},
    {"getStringStr", [&] { return vortangetStringStr(static_cast<vortanSTRING*>(nullptr)) == nullptr; }},
    {"concatString", [&] { return vortanconcatString(nullptr, "x") == nullptr; }},
    {"Remove", [&] { return vortanRemove(nullptr, s) == nullptr; }},
  };
  for (const Case& c : cases) {
    Stderr err;
    bool refused = c.refused();
    std::string report = err.text();
    EXPECT_TRUE(refused) << c.what;
    EXPECT_TRUE(std::regex_match(report, misuse)) << c.what << ": " << report;
  }
  // The predicates answer silently.
  Stderr err;
  EXPECT_EQ(vortanhasNext(static_cast<vortanITERATOR*>(wrong)), 0);
  EXPECT_EQ(vortansize(wrong), 0);
  EXPECT_EQ(vortancontains(wrong, s), 0);
  EXPECT_EQ(vortanRemove(wrong, s), nullptr);
  EXPECT_EQ(vortannewIterator(nullptr), nullptr);
  EXPECT_EQ(err.text(), "");
  vortandelete(s);
}
