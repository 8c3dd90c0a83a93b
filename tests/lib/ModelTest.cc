#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "AtomSet.h"
#include "Binstream.h"
#include "CapturedMessages.h"
#include "Messagestream.h"
#include "Model.h"
#include "ModelTestSupport.h"
#include "Pdbstream.h"
#include "ResidueFactory.h"
#include "ResidueTestSupport.h"
#include "TestSupport.h"
#include "fPdbstream.h"

namespace {

using namespace model_test;
using namespace residue_test;
using testing_support::CapturedMessages;

typedef Registry ModelTest;

// Two nucleotides of chain A, one of chain B; kDG, kDC and kDA hold 22,
// 19 and 21 atoms.
std::string three_nucleotides()
{
  return lines_of(kDG, "  G", 'A', 1) + lines_of(kDC, "  C", 'A', 2) + lines_of(kDA, "  A", 'B', 3);
}

std::string lines_of_atoms(const std::vector<CAtom>& atoms, const char* residue, char chain, int number)
{
  std::string text;
  for (const CAtom& a : atoms)
    text += atom_line(a.getType()->getPdbName(), residue, chain, number, a.x, a.y, a.z);
  return text;
}

std::string water(char chain, int number)
{
  std::string line = atom_line("O", "HOH", chain, number, 1.5f, 2.5f, 3.5f);
  return "HETATM" + line.substr(6);
}

// Atoms that are neither pseudo-atoms nor lone pairs: those a file holds.
unsigned file_atoms(const AbstractResidue& r)
{
  unsigned n = 0;
  for (AbstractResidue::ResidueConstIterator i = r.begin(new no_pse_lp_atom_set); i != r.end(); ++i) ++n;
  return n;
}

std::vector<CResId> ids_of(const Model& m)
{
  std::vector<CResId> ids;
  for (const AbstractResidue* r : m) ids.push_back(r->getResId());
  return ids;
}

// A factory that counts its live copies and the residues it makes.
class CountingFM : public CResidueFM
{
public:
  static int live;
  static int made;
  CountingFM() { ++live; }
  CountingFM(const CountingFM&) : CResidueFM() { ++live; }
  ~CountingFM() override { --live; }
  CountingFM* clone() const override { return new CountingFM(*this); }
  AbstractResidue* createResidue() const override
  {
    ++made;
    return CResidueFM::createResidue();
  }
};
int CountingFM::live = 0;
int CountingFM::made = 0;

// ---- Ownership ----

TEST_F(ModelTest, CopiesAreDeepAndFreeWhatTheyOwn)
{
  int before = AbstractResidue::count;
  {
    Model original;
    read_model(three_nucleotides(), original);
    ASSERT_EQ(original.size(), 3u);
    EXPECT_EQ(AbstractResidue::count, before + 3);

    Model copy(original);
    std::unique_ptr<Model> clone(original.clone());
    EXPECT_EQ(AbstractResidue::count, before + 9);
    for (unsigned i = 0; i < 3; ++i) {
      EXPECT_NE(copy[i], original[i]);
      EXPECT_NE((*clone)[i], original[i]);
      EXPECT_EQ(copy[i]->getResId(), original[i]->getResId());
      EXPECT_EQ(copy[i]->getType(), original[i]->getType());
      EXPECT_EQ(copy[i]->size(), original[i]->size());
    }
    // Moving the original's atoms leaves the copy's where they were.
    CPoint3D p = at(*copy[0], a_C1p);
    CTransfo shift;
    shift.SetTranslation(CPoint3D(10, 0, 0));
    original[0]->Transform(shift);
    EXPECT_FLOAT_EQ(at(*copy[0], a_C1p).x, p.x);
    EXPECT_FLOAT_EQ(at(*original[0], a_C1p).x, p.x + 10);

    // Assignment replaces the residues held; to itself it changes nothing.
    Model other;
    read_model(lines_of(kALA, "ALA", 'A', 10), other);
    other = original;
    EXPECT_EQ(ids_of(other), ids_of(original));
    EXPECT_EQ(AbstractResidue::count, before + 12);
    Model& same = other;
    other = same;
    EXPECT_EQ(ids_of(other), ids_of(original));
    EXPECT_EQ(AbstractResidue::count, before + 12);
  }
  EXPECT_EQ(AbstractResidue::count, before);
}

TEST_F(ModelTest, MovingAndReleasingHandResiduesOverWithoutCopies)
{
  int before = AbstractResidue::count;
  Model source;
  read_model(three_nucleotides(), source);
  const AbstractResidue* first = source[0];

  Model moved(std::move(source));
  EXPECT_EQ(AbstractResidue::count, before + 3);
  ASSERT_EQ(moved.size(), 3u);
  EXPECT_EQ(moved[0], first);
  // The model moved from is empty and still reads.
  EXPECT_TRUE(source.empty());
  read_model(lines_of(kALA, "ALA", 'A', 10), source);
  EXPECT_EQ(source.size(), 1u);

  std::vector<AbstractResidue*> taken = moved.release();
  EXPECT_TRUE(moved.empty());
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(taken[0], first);
  EXPECT_EQ(AbstractResidue::count, before + 4);
  for (AbstractResidue* r : taken) delete r;
  source.clear();
  EXPECT_TRUE(source.empty());
  EXPECT_EQ(AbstractResidue::count, before);
}

TEST_F(ModelTest, TheFactoryIsOwnedClonedAndReplaced)
{
  CountingFM::live = CountingFM::made = 0;
  {
    Model model(new CountingFM);
    read_model(three_nucleotides(), model);
    // One residue more than read: the reader's last try finds no atom.
    EXPECT_GE(CountingFM::made, 3);
    Model copy(model);
    EXPECT_EQ(CountingFM::live, 2);
    EXPECT_NE(dynamic_cast<const CountingFM*>(&copy.getResidueFM()), nullptr);

    // Handing a model the factory it holds keeps it alive.
    CountingFM* own = new CountingFM;
    copy.setResidueFM(own);
    EXPECT_EQ(CountingFM::live, 2);
    copy.setResidueFM(own);
    EXPECT_EQ(CountingFM::live, 2);
    EXPECT_EQ(&copy.getResidueFM(), own);

    copy.setResidueFM(nullptr);
    EXPECT_EQ(CountingFM::live, 1);
    EXPECT_NE(dynamic_cast<const CResidueFM*>(&copy.getResidueFM()), nullptr);
    Model plain;
    EXPECT_NE(dynamic_cast<const CResidueFM*>(&plain.getResidueFM()), nullptr);
  }
  EXPECT_EQ(CountingFM::live, 0);
}

// ---- Iterators ----

TEST_F(ModelTest, IteratorsCountStepsAndCompareIds)
{
  Model m;
  // File order B1, A2, A1, C5: the order of ids is not the order of the list.
  read_model(lines_of(kDG, "  G", 'B', 1) + lines_of(kDC, "  C", 'A', 2) +
               lines_of(kDA, "  A", 'A', 1) + lines_of(kDT, "  T", 'C', 5),
             m);
  ASSERT_EQ(m.size(), 4u);
  Model::model_iterator b = m.begin();
  Model::model_iterator a = b;
  ++a;
  a++;
  ++a;
  EXPECT_EQ(a - b, 3u);
  EXPECT_EQ(b - b, 0u);
  EXPECT_EQ(m.end() - m.begin(), 4u);
  EXPECT_EQ((*a)->getResId(), CResId(5, 'C'));
  --a;
  EXPECT_EQ((*a)->getResId(), CResId(1, 'A'));
  EXPECT_EQ(a - b, 2u);

  Model::model_iterator b1 = m.begin(), a2 = b1, a1 = b1;
  ++a2;
  ++++a1;
  EXPECT_TRUE(a1 < a2);   // A1 before A2, though it comes later in the list
  EXPECT_TRUE(a2 < b1);   // chain A before chain B
  EXPECT_FALSE(b1 < a2);
  EXPECT_FALSE(a1 < a1);

  const Model& c = m;
  Model::model_const_iterator ci = m.begin();
  EXPECT_TRUE(ci == c.begin());
  EXPECT_EQ(*ci, m[0]);
  EXPECT_EQ(c.end() - ci, 4u);
}

// ---- PDB input ----

TEST_F(ModelTest, ReadsResiduesInFileOrderAcrossTerRecords)
{
  std::string text = lines_of(kDG, "  G", 'A', 1) + lines_of(kDC, "  C", 'A', 2) +
                     "TER      42        C A   2\n" + lines_of(kALA, "ALA", 'B', 10) +
                     "TER\n" + water('B', 101) + "END   \n" + lines_of(kDA, "  A", 'C', 1);
  Model m;
  read_model(text, m);
  ASSERT_EQ(m.size(), 4u);
  std::vector<CResId> ids = {CResId(1, 'A'), CResId(2, 'A'), CResId(10, 'B'), CResId(101, 'B')};
  EXPECT_EQ(ids_of(m), ids);
  EXPECT_EQ(m[0]->getType(), r_dG);
  EXPECT_EQ(m[1]->getType(), r_dC);
  EXPECT_EQ(m[2]->getType(), r_ALA);
  EXPECT_TRUE(m[3]->getType()->is_Misc());
  // Every atom line is there, and no validation has run.
  EXPECT_EQ(file_atoms(*m[0]), 22u);
  EXPECT_EQ(file_atoms(*m[1]), 19u);
  EXPECT_EQ(file_atoms(*m[2]), 5u);
  EXPECT_EQ(file_atoms(*m[3]), 1u);
  EXPECT_FLOAT_EQ(at(*m[2], a_CB).y, 30.5f);
}

TEST_F(ModelTest, AModelStopsAtTheFirstEndmdl)
{
  std::string text = "MODEL        1\n" + lines_of(kDG, "  G", 'A', 1) + lines_of(kDC, "  C", 'A', 2) +
                     "ENDMDL\nMODEL        2\n" + lines_of(kDA, "  A", 'A', 1) + "ENDMDL\nEND\n";
  std::stringbuf buffer(text);
  iPdbstream in(&buffer);
  Model m;
  in >> m;
  std::vector<CResId> first = {CResId(1, 'A'), CResId(2, 'A')};
  EXPECT_EQ(ids_of(m), first);
  EXPECT_EQ(m[1]->getType(), r_dC);
  // The stream stands just after the first ENDMDL.
  in.getline();
  EXPECT_STREQ(in.GetRecordType(), "MODEL ");

  in >> m;
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0]->getType(), r_dA);
}

TEST_F(ModelTest, ReadingEmptiesTheModelFirst)
{
  int before = AbstractResidue::count;
  Model m;
  read_model(three_nucleotides(), m);
  read_model(lines_of(kALA, "ALA", 'A', 10), m);
  ASSERT_EQ(m.size(), 1u);
  EXPECT_EQ(m[0]->getType(), r_ALA);
  EXPECT_EQ(AbstractResidue::count, before + 1);

  // Nothing to read, or no file at all: an empty model.
  read_model("REMARK nothing here\n", m);
  EXPECT_TRUE(m.empty());
  read_model(three_nucleotides(), m);
  izfPdbstream missing("/nonexistent/folder/model.pdb");
  missing >> m;
  EXPECT_TRUE(m.empty());
  EXPECT_EQ(AbstractResidue::count, before);
}

// ---- Lookups ----

class ModelFind : public ModelTest
{
protected:
  void SetUp() override
  {
    ModelTest::SetUp();
    read_model(lines_of(kALA, "ALA", 'A', 10) + lines_of(kDG, "  G", 'A', 12) +
                 lines_of(kDC, "  C", 'A', 12),  // a second A12: the first one is found
               m);
  }
  Model m;
};

TEST_F(ModelFind, ResiduesById)
{
  ASSERT_EQ(m.size(), 3u);
  EXPECT_EQ(m.find(CResId(12, 'A')) - m.begin(), 1u);
  EXPECT_EQ(m.find(CResId(10, 'A')), m.begin());
  EXPECT_EQ(m.find(CResId(12, 'B')), m.end());
  EXPECT_EQ(m.find(CResId(12, 'A', 'X')), m.end());
  const Model& c = m;
  EXPECT_EQ(*c.find(CResId(12, 'A')), m[1]);
  EXPECT_TRUE(c.find(CResId(11, 'A')) == c.end());
}

TEST_F(ModelFind, AtomsByText)
{
  AbstractResidue::ResidueIterator none;
  AbstractResidue::ResidueIterator c1 = m.find("A12:C1'");
  ASSERT_NE(c1, none);
  EXPECT_EQ(c1->getType(), a_C1p);
  EXPECT_FLOAT_EQ(c1->x, 24.11f);  // kDG's C1'
  EXPECT_FLOAT_EQ(c1->z, 36.37f);
  EXPECT_EQ(m.find(" C1*"), none);  // no residue id
  EXPECT_EQ(m.find("A12: C1*")->getType(), a_C1p);
  // Empty pieces are dropped.
  EXPECT_EQ(m.find("A12::C1'")->getType(), a_C1p);
  EXPECT_EQ(m.find(":A12:C1':")->getType(), a_C1p);
  const Model& c = m;
  AbstractResidue::ResidueConstIterator cc = c.find("A12:N9");
  ASSERT_NE(cc, AbstractResidue::ResidueConstIterator());
  EXPECT_FLOAT_EQ(cc->x, 22.83f);

  // O is the carbonyl oxygen of the alanine, as its atom line was read,
  // and no atom of a guanine.
  AbstractResidue::ResidueIterator o = m.find("A10:O");
  ASSERT_NE(o, none);
  EXPECT_EQ(o->getType(), a_O);
  EXPECT_FLOAT_EQ(o->y, 33.73f);
  EXPECT_EQ(m.find("A12:O"), none);

  CapturedMessages messages;
  EXPECT_EQ(m.find("A12"), none);
  EXPECT_EQ(m.find("A12:C1':X"), none);
  EXPECT_EQ(m.find(""), none);
  EXPECT_EQ(m.find(static_cast<const char*>(nullptr)), none);
  EXPECT_EQ(m.find("B12:C1'"), none);    // no such residue
  EXPECT_EQ(m.find("A12:CA"), none);     // no such atom in it
  EXPECT_EQ(m.find("A12:C1'XY"), none);  // no atom name is that long
  EXPECT_EQ(m.find("A12:P   X"), none);
  EXPECT_EQ(messages.text(), "");
  EXPECT_EQ(m.find("X:C1'"), none);
  EXPECT_EQ(messages.text(), "Malformed residue number in residue id 'X'\n");
}

// ---- Residue filters ----

TEST_F(ModelTest, ValidateKeepsOnlyCompleteNucleotidesAndAminoAcids)
{
  std::vector<CAtom> complete = with_O2p(atoms_of(kDG));
  std::vector<CAtom> incomplete = without(complete, {a_O1P});
  Model m;
  read_model(water('A', 1) + lines_of_atoms(incomplete, "  G", 'A', 2) +
               lines_of_atoms(complete, "  G", 'A', 3) + lines_of(kALA, "ALA", 'A', 4),
             m);
  ASSERT_EQ(m.size(), 4u);
  int before = AbstractResidue::count;
  CapturedMessages messages;
  gOut->setVerboseLevel(3);
  m.validate();
  // A water has no atom sets ("m"), the guanosine without O1P lacks an
  // obligatory atom ("i"); both become misc types and go.
  EXPECT_EQ(messages.text(), "mina");
  std::vector<CResId> kept = {CResId(3, 'A'), CResId(4, 'A')};
  EXPECT_EQ(ids_of(m), kept);
  EXPECT_EQ(m[0]->getType(), r_rG);
  EXPECT_EQ(AbstractResidue::count, before - 2);
  // 23 heavy atoms, PSY, PSZ, 12 hydrogens and 4 lone pairs.
  EXPECT_EQ(m[0]->size(), 41u);
}

TEST_F(ModelTest, FiltersRemoveAndKeepByFamilyInOrder)
{
  std::string text = lines_of(kDG, "  G", 'A', 1) + lines_of(kALA, "ALA", 'A', 2) + water('A', 3) +
                     lines_of(kDC, "  C", 'A', 4) + lines_of(kALA, "ALA", 'A', 5);
  auto after = [&](void (Model::*filter)()) {
    Model m;
    read_model(text, m);
    (m.*filter)();
    std::vector<int> numbers;
    for (const AbstractResidue* r : m) numbers.push_back(r->getResId().GetResNo());
    return numbers;
  };
  EXPECT_EQ(after(&Model::removeAminoAcid), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(after(&Model::removeNucleicAcid), (std::vector<int>{2, 3, 5}));
  EXPECT_EQ(after(&Model::keepAminoAcid), (std::vector<int>{2, 5}));
  EXPECT_EQ(after(&Model::keepNucleicAcid), (std::vector<int>{1, 4}));

  // Optional atoms go, residues stay.
  Model m;
  read_model(text + atom_line("H5", "  C", 'A', 6, 0, 0, 0) + lines_of(kDC, "  C", 'A', 6), m);
  ASSERT_EQ(m.size(), 6u);
  EXPECT_NE(m[5]->ref(a_H5), nullptr);
  m.removeOptionals();
  EXPECT_EQ(m.size(), 6u);
  EXPECT_EQ(m[5]->ref(a_H5), nullptr);
  EXPECT_EQ(file_atoms(*m[5]), 19u);
}

// ---- PDB output ----

class ModelWrite : public ModelTest
{
protected:
  std::string written(const Model& m)
  {
    std::stringbuf buffer;
    oPdbstream out(&buffer);
    out << m;
    return buffer.str();
  }
};

TEST_F(ModelWrite, TerAtEachChangeOfChainAndAtTheEnd)
{
  Model m;
  read_model(three_nucleotides(), m);
  std::vector<std::string> l = lines(written(m));
  // 22 and 19 atoms of chain A, a TER, 21 atoms of chain B, a TER.
  ASSERT_EQ(l.size(), 22u + 19u + 1u + 21u + 1u);
  EXPECT_EQ(l[41], "TER      42        C A   2 ");
  EXPECT_EQ(l[63], "TER      64        A B   3 ");
  for (unsigned i = 0; i < l.size(); ++i) {
    if (i == 41 || i == 63) continue;
    const char* residue = i < 22 ? "  G A   1 " : i < 41 ? "  C A   2 " : "  A B   3 ";
    EXPECT_EQ(l[i].substr(0, 6), "ATOM  ") << i;
    EXPECT_EQ(std::stoi(l[i].substr(6, 5)), static_cast<int>(i) + 1) << i;
    EXPECT_EQ(l[i].substr(17, 10), residue) << i;
  }

  // One chain: one TER, after the last atom.
  Model a;
  read_model(lines_of(kDG, "  G", 'A', 1) + lines_of(kDC, "  C", 'A', 2), a);
  l = lines(written(a));
  ASSERT_EQ(l.size(), 42u);
  EXPECT_EQ(l.back(), "TER      42        C A   2 ");

  EXPECT_EQ(written(Model()), "");
}

TEST_F(ModelWrite, PutmodelWrapsTheModelInModelAndEndmdl)
{
  Model m;
  read_model(lines_of(kALA, "ALA", 'A', 10), m);
  std::stringbuf buffer;
  oPdbstream out(&buffer);
  out.putmodel(m);
  out.putmodel(m);
  std::vector<std::string> l = lines(buffer.str());
  std::vector<std::string> expected = {"MODEL        1", "ATOM  ", "ATOM  ", "ATOM  ", "ATOM  ", "ATOM  ",
                                       "TER   ", "ENDMDL", "MODEL        2"};
  ASSERT_EQ(l.size(), 2 * 8u);
  for (unsigned i = 0; i < expected.size(); ++i) EXPECT_EQ(l[i].substr(0, expected[i].size()), expected[i]);
  // The serials count on through the models.
  EXPECT_EQ(l[6], "TER       6      ALA A  10 ");
  EXPECT_EQ(l[14], "TER      12      ALA A  10 ");
  EXPECT_EQ(l[15], "ENDMDL");
}

// The serial written in columns 7-11 of the line of that atom name and
// residue number.
int serial_of(const std::vector<std::string>& l, const std::string& name, int number)
{
  for (const std::string& line : l)
    if (line.compare(0, 4, "ATOM") == 0 && line.substr(12, 4) == name &&
        std::stoi(line.substr(22, 4)) == number)
      return std::stoi(line.substr(6, 5));
  ADD_FAILURE() << "no atom " << name << " in residue " << number;
  return -1;
}

TEST_F(ModelWrite, ConectLinksO3ToTheNextPhosphate)
{
  // A1-A2 are linked; A2-A4 are not consecutive, A4-B5 change chain, and
  // B5-B6 lack the atoms (B6 is an alanine).
  Model m;
  read_model(lines_of(kDG, "  G", 'A', 1) + lines_of(kDC, "  C", 'A', 2) + lines_of(kDA, "  A", 'A', 4) +
               lines_of(kDT, "  T", 'B', 5) + lines_of(kALA, "ALA", 'B', 6),
             m);
  // A moved residue writes, and links, its placed atoms.
  CTransfo turn;
  turn.SetTranslation(CPoint3D(1, 2, 3));
  m[0]->Transform(turn);
  std::stringbuf buffer;
  oPdbstream out(&buffer);
  out << m;
  out.putconect(m);
  std::vector<std::string> l = lines(buffer.str());
  ASSERT_EQ(records(buffer.str()).back(), "CONECT");
  char expected[32];
  std::snprintf(expected, sizeof expected, "CONECT%5d%5d", serial_of(l, " O3*", 1), serial_of(l, " P  ", 2));
  EXPECT_EQ(l.back(), expected);
  EXPECT_EQ(l[l.size() - 2].substr(0, 3), "TER");
}

TEST_F(ModelWrite, ConectWithTheSerialsOfTheSpecimenLine)
{
  // O3' written 20th and P 21st: a residue of only O3' after 19 others.
  Model m;
  std::string text;
  for (int k = 0; k < 19; ++k) text += atom_line("MG", " MG", 'A', 100 + k, 0, 0, 0);
  text += atom_line("O3'", "  G", 'A', 1, 0, 0, 0) + atom_line("P", "  G", 'A', 2, 1, 0, 0) +
          atom_line("P", "  G", 'A', 4, 2, 0, 0);
  {
    CapturedMessages messages;  // residues of one atom have no frame
    read_model(text, m);
  }
  std::stringbuf buffer;
  oPdbstream out(&buffer);
  for (const AbstractResidue* r : m) out << *r;
  out.putconect(m);
  std::vector<std::string> l = lines(buffer.str());
  ASSERT_EQ(l.size(), 23u);
  EXPECT_EQ(l.back(), "CONECT   20   21");
}

// ---- Binary and text forms ----

TEST_F(ModelTest, BinaryRoundTripKeepsHeavyAtomsAndAppends)
{
  Model m;
  read_model(lines_of_atoms(with_O2p(atoms_of(kDG)), "  G", 'A', 1) + lines_of(kDC, "  C", 'A', 2) +
               lines_of(kALA, "ALA", 'B', 3),
             m);
  m.validate();
  ASSERT_EQ(m.size(), 3u);
  std::stringbuf buffer;
  oBinstream out(&buffer);
  out << m;

  Model back;
  read_model(lines_of(kDT, "  T", 'C', 9), back);  // kept: the binary reader appends
  iBinstream in(&buffer);
  in >> back;
  ASSERT_EQ(back.size(), 4u);
  EXPECT_EQ(back[0]->getResId(), CResId(9, 'C'));
  for (unsigned i = 0; i < 3; ++i) {
    const AbstractResidue& a = *m[i];
    const AbstractResidue& b = *back[i + 1];
    EXPECT_EQ(b.getResId(), a.getResId());
    EXPECT_EQ(b.getType(), a.getType());
    // No hydrogen nor lone pair is stored; the pseudo-atoms are rebuilt.
    unsigned heavy = 0;
    for (AbstractResidue::ResidueConstIterator k = a.begin(); k != a.end(); ++k) {
      const t_Atom* t = k->getType();
      if (t->is_Hydrogen() || t->is_LonePair()) {
        EXPECT_EQ(b.res(t), nullptr) << t->getName();
        continue;
      }
      if (t->is_Pseudo()) continue;
      ++heavy;
      ASSERT_NE(b.res(t), nullptr) << t->getName();
      EXPECT_NEAR(b.res(t)->x, k->x, 1e-4f);
      EXPECT_NEAR(b.res(t)->y, k->y, 1e-4f);
      EXPECT_NEAR(b.res(t)->z, k->z, 1e-4f);
    }
    EXPECT_EQ(file_atoms(b), heavy);
  }
  EXPECT_EQ(back[1]->size(), 23u + 2u);
  // Validation dropped the alanine's PSAZ, which its type's lists do not
  // name; reading rebuilds it.
  EXPECT_EQ(m[2]->ref(a_PSAZ), nullptr);
  EXPECT_EQ(back[3]->size(), 5u + 1u);

  // A stream cut short in the last residue gives the residues read whole.
  std::string bytes = buffer.str();
  std::stringbuf cut(bytes.substr(0, bytes.size() - 10));
  iBinstream short_in(&cut);
  Model part;
  short_in >> part;
  ASSERT_EQ(part.size(), 2u);
  EXPECT_EQ(part[0]->size(), 25u);
  EXPECT_EQ(part[1]->getType(), r_dC);
}

TEST_F(ModelTest, TextFormIsEachResidueInTurn)
{
  Model m;
  read_model(lines_of(kALA, "ALA", 'A', 1) + lines_of(kDC, "  C", 'A', 2), m);
  std::ostringstream model_text, residue_text;
  model_text << m;
  residue_text << *m[0] << *m[1];
  EXPECT_EQ(model_text.str(), residue_text.str());
  EXPECT_NE(model_text.str().find("ALA(A1) type=ALA:"), std::string::npos);
  std::ostringstream empty;
  empty << Model();
  EXPECT_EQ(empty.str(), "");
}

}  // namespace
