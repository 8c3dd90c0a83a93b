// The DTD registry, its reference tables and the compilation of
// declarations into a validator structure.
#include <string>

#include "VortanSupport.h"

using vortan_test::Stderr;
using vortan_test::str;
using vortan_test::text;

namespace {

// Every test starts and ends without tables.
class VortanRegistry : public testing::Test
{
protected:
  void SetUp() override { vortandestroy(); }
  void TearDown() override
  {
    vortandestroy();
    vortanUserOptions = 0;
  }
};

// A registry entry's tables, told apart by one general entity.
void register_dtd(const char* name, const char* version, const char* mark)
{
  vortanMAP* ge = vortannewGEReferenceTable();
  vortanputReferenceTable(ge, "mark", str(mark));
  vortanputStaticDTDTable(str(name), str(version), vortannewMap(), ge, vortannewMap());
}

TEST_F(VortanRegistry, InitIsIdempotentAndDestroyGivesFreshTables)
{
  vortaninit();
  vortanMAP* first = GERTable;
  register_dtd("doc", "1", "a");
  vortanputGEntity("mine", "x");
  vortaninit();
  EXPECT_EQ(GERTable, first);
  EXPECT_STREQ(vortangetGEntity("mine"), "x");
  vortanSTRING* doc = str("doc");
  EXPECT_NE(vortangetStaticDTD(doc), nullptr);
  for (auto list : {vortanDeclaredIDs, vortanIDReferences, vortanDeclaredNotations,
                    vortanDeclaredElementTypes})
    EXPECT_TRUE(vortanisEmpty(list));

  vortandestroy();
  EXPECT_EQ(staticDTDTable, nullptr);
  EXPECT_EQ(vortanDeclaredIDs, nullptr);
  vortaninit();
  EXPECT_EQ(vortangetStaticDTD(doc), nullptr);
  EXPECT_STREQ(vortangetGEntity("mine"), "");
  EXPECT_EQ(vortansize(GERTable), 5);
  vortandelete(doc);
}

TEST_F(VortanRegistry, EntityTablesStartPredefinedAndKeepTheFirstDeclaration)
{
  vortaninit();
  const char* predefined[][2] = {{"amp", "&#38;"}, {"lt", "&#60;"}, {"gt", ">"},
                                 {"apos", "'"},    {"quot", "\""}};
  for (auto& e : predefined) EXPECT_STREQ(vortangetGEntity(e[0]), e[1]) << e[0];
  EXPECT_STREQ(vortangetGEntity("undeclared"), "");
  EXPECT_STREQ(vortangetGEntity(nullptr), "");

  vortanputGEntity("e", "first");
  vortanputGEntity("e", "second");
  vortanputGEntity("lt", "<");
  vortanputPEntity("p", "one");
  vortanputPEntity("p", "two");
  vortanputGEntity(nullptr, "ignored");
  EXPECT_STREQ(vortangetGEntity("e"), "first");
  EXPECT_STREQ(vortangetGEntity("lt"), "&#60;");
  EXPECT_STREQ(vortangetPEntity("p"), "one");
  EXPECT_STREQ(vortangetPEntity("e"), "");
  EXPECT_EQ(vortansize(GERTable), 6);

  EXPECT_EQ(vortangetCharacterReferenceTable(65), 'A');
  EXPECT_EQ(vortangetCharacterReferenceTable(256), '\0');
  EXPECT_EQ(vortangetCharacterReferenceTable(0x1E9), static_cast<char>(0xE9));
}

TEST_F(VortanRegistry, ReregisteringWarnsOnceAndKeepsTheSecondEntry)
{
  register_dtd("doc", "1.1", "old");
  register_dtd("doc", "2", "other version");
  Stderr err;
  register_dtd("doc", "1.1", "new");
  EXPECT_EQ(err.text(), "Warning: Static DTD table already contains an entry for doc version 1.1.\n");

  vortanSTRING *doc = str("doc"), *v = str("1.1");
  vortanMAP* versions = vortangetStaticDTD(doc);
  ASSERT_NE(versions, nullptr);
  EXPECT_EQ(vortansize(versions), 2);
  vortansetReferenceTables(static_cast<vortanPAIR*>(vortanget(versions, v)));
  EXPECT_STREQ(vortangetGEntity("mark"), "new");
  vortandelete(doc);
  vortandelete(v);
}

TEST_F(VortanRegistry, ValidatorStructureIsACopyAndTablesAreReplacedByCopies)
{
  vortanMAP* validator = vortannewMap();
  vortanSTRING* a = str("a");
  vortanput(validator, a, vortannewPair(vortannewEmpty(), vortannewMap()));
  vortanputStaticDTDTable(str("doc"), str("1"), validator, vortannewGEReferenceTable(),
                          vortannewMap());
  EXPECT_EQ(vortangetValidatorStructure("doc", "2"), nullptr);
  EXPECT_EQ(vortangetValidatorStructure("doc", nullptr), nullptr);
  EXPECT_EQ(vortangetValidatorStructure("other", "1"), nullptr);

  vortanMAP* copy = vortangetValidatorStructure("doc", "1");
  EXPECT_NE(copy, validator);
  vortandelete(copy);  // the registry keeps its own
  copy = vortangetValidatorStructure("doc", "1");
  EXPECT_TRUE(vortanequals(copy, validator));

  vortanputGEntity("local", "x");
  vortanSTRING *doc = str("doc"), *one = str("1");
  vortansetReferenceTables(static_cast<vortanPAIR*>(vortanget(vortangetStaticDTD(doc), one)));
  EXPECT_TRUE(vortanequals(validatorStructure, validator));
  EXPECT_STREQ(vortangetGEntity("local"), "");  // the entry's own table now
  vortansetReferenceTables(reinterpret_cast<vortanPAIR*>(doc));  // not a Pair: ignored
  EXPECT_TRUE(vortanequals(validatorStructure, validator));
  for (void* r : {(void*)copy, (void*)a, (void*)doc, (void*)one}) vortandelete(r);
}

TEST_F(VortanRegistry, ReferenceTablesNeverLeakWhatTheyRefuse)
{
  vortanMAP* table = vortannewReferenceTable();
  vortanputReferenceTable(table, "k", str("v"));
  vortanputReferenceTable(table, "k", str("refused"));
  vortanputReferenceTable(table, "e", vortannewElementWithName("x"));
  vortanputReferenceTable(nullptr, "k", str("no table"));
  vortanLIST* not_a_map = vortannewList();
  vortanputReferenceTable(reinterpret_cast<vortanMAP*>(not_a_map), "k", str("x"));
  EXPECT_TRUE(vortanisEmpty(not_a_map));
  vortandelete(not_a_map);
  vortanputReferenceTable(table, nullptr, str("no name"));
  EXPECT_STREQ(vortangetReferenceTable(table, "k"), "v");
  EXPECT_STREQ(vortangetReferenceTable(table, "e"), "");  // not a String
  EXPECT_STREQ(vortangetReferenceTable(nullptr, "k"), "");
  EXPECT_EQ(vortansize(table), 2);
  vortanremoveReferenceTable(table, "k");
  EXPECT_EQ(vortansize(table), 1);
  vortanclearReferenceTable(table);
  EXPECT_EQ(vortansize(table), 0);
  {
    Stderr err;
    vortanremoveReferenceTable(nullptr, "k");
    EXPECT_TRUE(std::regex_match(err.text(), std::regex(vortan_test::misuse_report())));
  }
  vortandelete(table);

  vortaninit();
  vortanputEAIDTable(vortannewElementWithName("first"), "id");
  vortanputEAIDTable(vortannewElementWithName("second"), "id");
  vortanSTRING* id = str("id");
  EXPECT_EQ(text(vortangetElementName(static_cast<vortanELEMENT*>(vortanget(EAITable, id)))), "first");
  vortanclearEAIDTable();
  EXPECT_TRUE(vortanisEmpty(EAITable));
  vortandelete(id);
}

}  // namespace
