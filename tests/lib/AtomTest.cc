#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Atom.h"
#include "AtomSet.h"
#include "AtomType.h"
#include "Exception.h"
#include "TypeTestSupport.h"

namespace {

using type_test::bytes_of;
using type_test::int_bytes;
using type_test::Registry;

std::string text_of(const CAtom& a)
{
  std::ostringstream s;
  s << a;
  return s.str();
}

// A heap set read from bytes; null when the read failed.
std::unique_ptr<AtomSet> read_set(const std::string& bytes, bool* ok = nullptr)
{
  std::stringbuf buf(bytes);
  iBinstream in(&buf);
  AtomSet* set = nullptr;
  in >> set;
  if (ok) *ok = static_cast<bool>(in);
  return std::unique_ptr<AtomSet>(set);
}

std::string tags(std::initializer_list<int> t)
{
  std::string s;
  for (int c : t) s += std::string{'\0', static_cast<char>(c)};
  return s;
}

}  // namespace

TEST_F(Registry, AtomsAreCountedAndCopied)
{
  int before = CAtom::count;
  {
    CAtom plain;
    EXPECT_EQ(plain.getType(), nullptr);
    EXPECT_EQ(plain.getAltLoc(), ' ');
    EXPECT_EQ(plain.getNumber(), 0);
    EXPECT_EQ(plain.x, 0.0f);
    CAtom typed(1.5f, -2.0f, 3.25f, a_C1p);
    CAtom copy(typed);
    EXPECT_EQ(CAtom::count, before + 3);
    std::unique_ptr<CAtom> clone(typed.clone());
    EXPECT_EQ(CAtom::count, before + 4);
    EXPECT_EQ(clone->getType(), a_C1p);
    EXPECT_EQ(clone->z, 3.25f);
  }
  EXPECT_EQ(CAtom::count, before);
}

TEST_F(Registry, AtomsAreEqualByTypeAlone)
{
  CAtom here(0, 0, 0, a_P);
  CAtom there(5, 5, 5, a_P);
  there.setAltLoc('B');
  there.setNumber(12);
  CAtom other(0, 0, 0, a_O1P);
  EXPECT_TRUE(here == there);
  EXPECT_FALSE(here != there);
  EXPECT_FALSE(here == other);

  std::vector<CAtom> atoms = {other, there, here};
  EXPECT_EQ(std::find(atoms.begin(), atoms.end(), here) - atoms.begin(), 1);
}

TEST_F(Registry, SetAllKeepsTheSerialAndAssignmentCopiesAll)
{
  CAtom a(1, 2, 3, a_N9);
  a.setNumber(42);
  a.SetAll(4, 5, 6, a_C8, 'A');
  EXPECT_EQ(a.getNumber(), 42);
  EXPECT_EQ(a.getType(), a_C8);
  EXPECT_EQ(a.getAltLoc(), 'A');
  EXPECT_EQ(a.y, 5.0f);

  CAtom b;
  b = a;
  EXPECT_EQ(b.getNumber(), 42);
  EXPECT_EQ(b.getAltLoc(), 'A');
  EXPECT_EQ(b.x, 4.0f);
  const CAtom& same = b;
  b = same;
  EXPECT_EQ(b.getType(), a_C8);

  // The writer numbers atoms through const references.
  const CAtom& written = a;
  written.setNumber(7);
  EXPECT_EQ(a.getNumber(), 7);
}

TEST_F(Registry, AtomTextForm)
{
  CAtom a(1.0f, -2.5f, 10.125f, a_C1p);
  a.setAltLoc('A');
  std::ostringstream point;
  point << static_cast<const CPoint3D&>(a);
  EXPECT_EQ(text_of(a), point.str() + " C1* A");
  EXPECT_EQ(text_of(CAtom()).substr(point.str().size()), " (null)  ");
}

TEST_F(Registry, AtomBinaryFormLeavesTheSerialOut)
{
  CAtom a(1.0f, 2.0f, -0.5f, a_O2p);
  a.setAltLoc('B');
  a.setNumber(99);
  std::string bytes = bytes_of(a);
  EXPECT_EQ(bytes, bytes_of(static_cast<const CPoint3D&>(a)) + int_bytes(25) + std::string("\0B", 2));

  CAtom back;
  back.setNumber(5);
  std::stringbuf buf(bytes);
  iBinstream in(&buf);
  in >> back;
  ASSERT_TRUE(in);
  EXPECT_EQ(back.getType(), a_O2p);
  EXPECT_EQ(back.getAltLoc(), 'B');
  EXPECT_EQ(back.z, -0.5f);
  EXPECT_EQ(back.getNumber(), 5);
}

TEST_F(Registry, UntypedOrUnreadableAtomsHaveNoBinaryForm)
{
  std::stringbuf out_buf;
  oBinstream out(&out_buf);
  out << CAtom();
  EXPECT_FALSE(out);
  EXPECT_EQ(out_buf.str(), "");

  // An unknown type id fails the read and leaves the atom as it was.
  CAtom kept(7, 8, 9, a_N1);
  std::string bytes = bytes_of(static_cast<const CPoint3D&>(CAtom(1, 1, 1, nullptr))) + int_bytes(120) +
                      std::string("\0A", 2);
  std::stringbuf buf(bytes);
  iBinstream in(&buf);
  in >> kept;
  EXPECT_FALSE(in);
  EXPECT_EQ(kept.getType(), a_N1);
  EXPECT_EQ(kept.x, 7.0f);
}

TEST_F(Registry, AtomSetMembership)
{
  std::vector<std::unique_ptr<AtomSet>> sets;
  sets.emplace_back(new all_atom_set);
  sets.emplace_back(new base_atom_set);
  sets.emplace_back(new backbone_atom_set);
  sets.emplace_back(new pse_atom_set);
  sets.emplace_back(new no_hydrogen_set);
  sets.emplace_back(new no_pse_lp_atom_set);
  sets.emplace_back(new no_O2p_atom_set);
  const char* names[] = {"all", "base_only", "backbone_only", "pse_only", "no_hydrogen", "no_pse_lp", "no_O2p"};

  struct Case
  {
    t_Atom* type;
    const char* members;  // one 0/1 per set above
  };
  const Case cases[] = {
    {a_C1p, "1011111"},  {a_O2p, "1010110"},  {a_PSY, "1101101"},  {a_PSZ, "1101101"},
    {a_PSAZ, "1010101"}, {a_LP1, "1100101"},  {a_H1p, "1010011"},  {a_N9, "1100111"},
    {a_HA, "1100011"},   {a_CA, "1010111"},   {a_MG, "1000111"},   {a_O2P, "1010111"},
  };
  for (std::size_t i = 0; i < sets.size(); ++i) EXPECT_STREQ(static_cast<const char*>(*sets[i]), names[i]);
  for (const Case& c : cases) {
    CAtom atom(0, 0, 0, c.type);
    for (std::size_t i = 0; i < sets.size(); ++i)
      EXPECT_EQ((*sets[i])(atom), c.members[i] == '1') << c.type->getName() << " in " << names[i];
  }
  t_Atom* hydrogen = at_Misc::findOrCreate("1HB", "1HB ");
  EXPECT_FALSE((*sets[4])(CAtom(0, 0, 0, hydrogen)));

  // Only "all" takes an untyped atom; the others refuse it instead of
  // asking a missing type.
  CAtom untyped;
  for (std::size_t i = 0; i < sets.size(); ++i) EXPECT_EQ((*sets[i])(untyped), i == 0) << names[i];
}

TEST_F(Registry, ConjunctionNamesItsLeavesAndAsksTheSecondOnlyWhenNeeded)
{
  atomset_and both(new no_hydrogen_set, new no_pse_lp_atom_set);
  EXPECT_STREQ(static_cast<const char*>(both), "no_hydrogen no_pse_lp");
  EXPECT_TRUE(both(CAtom(0, 0, 0, a_C1p)));
  EXPECT_FALSE(both(CAtom(0, 0, 0, a_H1p)));
  EXPECT_FALSE(both(CAtom(0, 0, 0, a_LP7)));
  EXPECT_FALSE(both(CAtom()));

  atomset_and nested(new atomset_and(new base_atom_set, new no_hydrogen_set),
                     new atomset_and(new no_O2p_atom_set, new all_atom_set));
  EXPECT_STREQ(static_cast<const char*>(nested), "base_only no_hydrogen no_O2p all");

  // Names longer than any fixed buffer still come out whole.
  AtomSet* deep = new no_pse_lp_atom_set;
  std::string expected = "no_pse_lp";
  for (int i = 0; i < 40; ++i) {
    deep = new atomset_and(new backbone_atom_set, deep);
    expected = "backbone_only " + expected;
  }
  EXPECT_EQ(std::string(static_cast<const char*>(*deep)), expected);
  delete deep;

  AtomSet* missing = nullptr;
  EXPECT_THROW(atomset_and(new all_atom_set, missing), CIntLibException);
}

TEST_F(Registry, ConjunctionCopiesOwnTheirOperands)
{
  std::unique_ptr<atomset_and> original(new atomset_and(new base_atom_set, new no_hydrogen_set));
  atomset_and copy(*original);
  std::unique_ptr<AtomSet> clone(original->clone());
  atomset_and assigned(new all_atom_set, new all_atom_set);
  EXPECT_STREQ(static_cast<const char*>(assigned), "all all");
  assigned = *original;
  original.reset();  // the copies must not share what it freed

  CAtom base(0, 0, 0, a_N9), hydrogen(0, 0, 0, a_H8), sugar(0, 0, 0, a_C1p);
  const std::vector<const AtomSet*> copies = {&copy, clone.get(), &assigned};
  for (const AtomSet* s : copies) {
    EXPECT_STREQ(static_cast<const char*>(*s), "base_only no_hydrogen");
    EXPECT_TRUE((*s)(base));
    EXPECT_FALSE((*s)(hydrogen));
    EXPECT_FALSE((*s)(sugar));
  }
  const atomset_and& same = assigned;
  assigned = same;
  EXPECT_TRUE(assigned(base));
}

TEST_F(Registry, AtomSetBinaryForm)
{
  atomset_and both(new no_hydrogen_set, new no_pse_lp_atom_set);
  std::string bytes = bytes_of(static_cast<const AtomSet*>(&both));
  EXPECT_EQ(bytes, tags({2, 7, 8}));
  std::unique_ptr<AtomSet> back = read_set(bytes);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(static_cast<const char*>(*back), "no_hydrogen no_pse_lp");
  EXPECT_FALSE((*back)(CAtom(0, 0, 0, a_H1p)));
  EXPECT_TRUE((*back)(CAtom(0, 0, 0, a_C1p)));

  const char* names[] = {"all", "base_only", "backbone_only", "pse_only", "no_hydrogen", "no_pse_lp", "no_O2p"};
  for (int tag = 3; tag <= 9; ++tag) {
    std::unique_ptr<AtomSet> leaf = read_set(tags({tag}));
    ASSERT_NE(leaf, nullptr) << tag;
    EXPECT_STREQ(static_cast<const char*>(*leaf), names[tag - 3]);
    EXPECT_EQ(bytes_of(static_cast<const AtomSet*>(leaf.get())), tags({tag}));
  }

  std::unique_ptr<AtomSet> nested = read_set(tags({2, 2, 4, 7, 9}));
  ASSERT_NE(nested, nullptr);
  EXPECT_STREQ(static_cast<const char*>(*nested), "base_only no_hydrogen no_O2p");
  EXPECT_EQ(bytes_of(static_cast<const AtomSet*>(nested.get())), tags({2, 2, 4, 7, 9}));
}

TEST_F(Registry, UnreadableAtomSetsFailTheStreamAndLeaveThePointer)
{
  for (const std::string& bytes : {tags({0}), tags({1}), tags({10}), tags({2, 4, 12}), tags({2, 11, 4}),
                                   tags({2, 2, 4, 5}), tags({2, 4}), std::string("\0", 1)}) {
    std::stringbuf buf(bytes);
    iBinstream in(&buf);
    AtomSet* kept = reinterpret_cast<AtomSet*>(&buf);
    in >> kept;
    EXPECT_FALSE(in);
    EXPECT_EQ(kept, reinterpret_cast<AtomSet*>(&buf));
  }
  // A stream of nothing but conjunction tags cannot exhaust the stack.
  std::string endless;
  for (int i = 0; i < 100000; ++i) endless += tags({2});
  bool ok = true;
  EXPECT_EQ(read_set(endless, &ok), nullptr);
  EXPECT_FALSE(ok);

  std::stringbuf out_buf;
  oBinstream out(&out_buf);
  out << static_cast<const AtomSet*>(nullptr);
  EXPECT_FALSE(out);
}
