#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CapturedMessages.h"
#include "Pdbstream.h"
#include "Residue.h"
#include "ResidueTestSupport.h"
#include "TestSupport.h"
#include "fPdbstream.h"

namespace {

using namespace residue_test;
using testing_support::CapturedMessages;
using testing_support::shared_data;

typedef Registry ResiduePdbTest;

std::string atom_line(const char* name, const char* residue, char chain, int number, float x,
                      float y, float z, char alt = ' ', char insertion = ' ')
{
  char line[96];
  std::snprintf(line, sizeof line, "ATOM  %5d %-4.4s%c%3.3s %c%4d%c   %8.3f%8.3f%8.3f  1.00 20.00\n",
                1, name, alt, residue, chain, number, insertion, x, y, z);
  return line;
}

// The atom lines of a residue of 1LCD under another name and id.
template <std::size_t N>
std::string lines_of(const AtomRow (&rows)[N], const char* residue, char chain, int number)
{
  std::string text;
  for (const AtomRow& r : rows) text += atom_line((*r.type)->getPdbName(), residue, chain, number,
                                                  r.x, r.y, r.z);
  return text;
}

// Every residue of the text, read one after another.
std::vector<std::unique_ptr<CResidue>> read_all(const std::string& text)
{
  std::stringbuf buffer(text);
  iPdbstream in(&buffer);
  std::vector<std::unique_ptr<CResidue>> residues;
  while (in && !in.IsEND()) {
    std::unique_ptr<CResidue> r(new CResidue);
    in >> *r;
    if (!r->empty()) residues.push_back(std::move(r));
    if (in.IsENDMDL()) break;
  }
  return residues;
}

TEST_F(ResiduePdbTest, AResidueReadKeepsItsCoordinates)
{
  std::vector<CAtom> atoms = with_O2p(atoms_of(kDG));
  std::string text;
  for (const CAtom& a : atoms)
    text += atom_line(a.getType()->getPdbName(), "  G", 'A', 1, a.x, a.y, a.z);
  text += lines_of(kDC, "  C", 'A', 2);
  std::stringbuf buffer(text);
  iPdbstream in(&buffer);
  CResidue g;
  in >> g;
  EXPECT_EQ(g.getType(), r_rG);
  EXPECT_EQ(g.getResId(), CResId(1, 'A'));
  EXPECT_EQ(g.size(), atoms.size() + 2);
  for (const CAtom& a : atoms) {
    // The coordinates as printed with three decimals.
    EXPECT_NEAR(at(g, a.getType()).x, a.x, 5e-4f + 2e-5f);
    EXPECT_NEAR(at(g, a.getType()).z, a.z, 5e-4f + 2e-5f);
  }
  // The first atom of the next residue waited in the stream.
  ASSERT_NE(in.GetKeptAtom(), nullptr);
  CResidue c;
  in >> c;
  EXPECT_EQ(c.getType(), r_dC);
  EXPECT_EQ(c.size(), 21u);
  EXPECT_NEAR(at(c, a_P).x, 17.220f, 2e-5f);
  CResidue none;
  in >> none;
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.getType(), nullptr);
}

TEST_F(ResiduePdbTest, ANewNameChainNumberOrInsertionCodeStartsAResidue)
{
  std::string base = atom_line(" C1*", "  G", 'A', 1, 1, 2, 3);
  const std::string next[] = {
    atom_line(" C2*", "  C", 'A', 1, 1, 2, 3),
    atom_line(" C2*", "  G", 'B', 1, 1, 2, 3),
    atom_line(" C2*", "  G", 'A', 2, 1, 2, 3),
    atom_line(" C2*", "  G", 'A', 1, 1, 2, 3, ' ', 'A'),
  };
  CapturedMessages messages;
  for (const std::string& second : next) {
    std::vector<std::unique_ptr<CResidue>> residues = read_all(base + second);
    ASSERT_EQ(residues.size(), 2u) << second;
    EXPECT_EQ(residues[1]->size(), 1u);
    EXPECT_NE(residues[1]->ref(a_C2p), nullptr);
  }
  EXPECT_EQ(read_all(base + atom_line(" C2*", "  G", 'A', 1, 1, 2, 3)).size(), 1u);
}

TEST_F(ResiduePdbTest, DuplicatesAndAlternateLocations)
{
  std::string first = atom_line(" C1*", "  G", 'A', 1, 1, 2, 3);
  {
    CapturedMessages messages;
    std::vector<std::unique_ptr<CResidue>> r =
        read_all(first + atom_line(" C1*", "  G", 'A', 1, 7, 8, 9) + atom_line(" C1*", "  G", 'A', 1, 4, 5, 6));
    // One line for the residue, whatever the number of repeats.
    EXPECT_EQ(messages.text(),
              "Duplicate atoms in residue A1 of type G: 2 dropped.\n"
              "Residue G-A1 is missing one or more critical atoms.\n");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(at(*r[0], a_C1p).x, 1.0f);
  }
  {
    CapturedMessages messages;
    std::vector<std::unique_ptr<CResidue>> r =
        read_all(atom_line(" CA ", "ALA", 'A', 1, 1, 2, 3, 'A') +
                 atom_line(" CA ", "ALA", 'A', 1, 7, 8, 9, 'B') +
                 atom_line(" N  ", "ALA", 'A', 1, 0, 2, 3) + atom_line(" C  ", "ALA", 'A', 1, 1, 0, 3));
    EXPECT_EQ(messages.text(), "");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0]->size(), 4u);  // CA, N, C and PSAZ
    EXPECT_NEAR(at(*r[0], a_CA).x, 1.0f, 1e-5f);
  }
  {
    CapturedMessages messages;
    read_all(atom_line(" O  ", "HOH", 'A', 1, 1, 2, 3) + atom_line(" O  ", "HOH", 'A', 1, 4, 5, 6));
    EXPECT_EQ(messages.text(), "Duplicate atoms in residue A1 of type HOH: 1 dropped.\n");
  }
}

TEST_F(ResiduePdbTest, PseudoAtomAndLonePairLinesAreRecomputed)
{
  std::string text = lines_of(kDG, " DG", 'B', 5) + atom_line(" PSY", " DG", 'B', 5, 0, 0, 0) +
                     atom_line(" LP7", " DG", 'B', 5, 0, 0, 0);
  std::vector<std::unique_ptr<CResidue>> r = read_all(text);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_NEAR(distance(at(*r[0], a_PSY), at(*r[0], a_N9)), 1.0, 1e-5);
  EXPECT_EQ(r[0]->ref(a_LP7), nullptr);
}

TEST_F(ResiduePdbTest, ModelAndFileEndsStopTheResidue)
{
  std::string g = lines_of(kDG, " DG", 'B', 5);
  std::vector<std::unique_ptr<CResidue>> r =
      read_all(g + "ENDMDL\n" + lines_of(kDC, " DC", 'B', 10));
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0]->size(), 24u);
  r = read_all(g + "END   \n" + lines_of(kDC, " DC", 'B', 10));
  ASSERT_EQ(r.size(), 1u);
  // TER does not cut a residue: the next chain does.
  r = read_all(g + "TER\n" + lines_of(kDC, " DC", 'B', 10));
  EXPECT_EQ(r.size(), 2u);
}

TEST_F(ResiduePdbTest, WritesItsAtomsInRegistryOrder)
{
  CResidue g(r_G, atoms_of(kDG), CResId(5, 'B'));
  g.validate();
  CTransfo shift;
  shift.SetTranslation(CPoint3D(1, 0, 0));
  g.Transform(shift);
  std::stringbuf buffer;
  oPdbstream out(&buffer);
  out << g;
  std::istringstream lines(buffer.str());
  std::vector<const t_Atom*> order;
  for (AbstractResidue::ResidueConstIterator i = g.begin(); i != g.end(); ++i)
    if (!i->getType()->is_Pseudo() && !i->getType()->is_LonePair()) order.push_back(i->getType());
  unsigned k = 0;
  for (std::string line; std::getline(lines, line); ++k) {
    ASSERT_LT(k, order.size());
    EXPECT_EQ(line.substr(0, 6), "ATOM  ");
    EXPECT_EQ(line.substr(12, 4), order[k]->getPdbName());
    EXPECT_EQ(line.substr(17, 3), "  G");
    EXPECT_EQ(line.substr(21, 1), "B");
    EXPECT_EQ(line.substr(22, 4), "   5");
    char x[9];
    std::snprintf(x, sizeof x, "%8.3f", g.res(order[k])->x);
    EXPECT_EQ(line.substr(30, 8), x);
  }
  EXPECT_EQ(k, order.size());
  EXPECT_EQ(k, 22u + 12u);  // the heavy atoms and the hydrogens
}

// A solved RNA structure, read, validated, written and read again.
TEST_F(ResiduePdbTest, ARealStructureReadsValidatesAndReadsBack)
{
  std::string path = shared_data("rna-puzzles/rp01/1_solution_0_rpr.pdb");
  if (path.empty()) GTEST_SKIP() << "shared data absent";
  izfPdbstream in(path.c_str());
  ASSERT_TRUE(in);
  std::vector<std::unique_ptr<CResidue>> residues;
  CapturedMessages messages;
  while (in && !in.IsEND()) {
    std::unique_ptr<CResidue> r(new CResidue);
    in >> *r;
    if (r->empty()) continue;
    r->validate();
    residues.push_back(std::move(r));
  }
  ASSERT_EQ(residues.size(), 46u);
  unsigned complete = 0;
  std::stringbuf buffer;
  oPdbstream out(&buffer);
  for (const auto& r : residues) {
    complete += r->getType()->is_RNA();
    for (AbstractResidue::ResidueConstIterator i = r->begin(); i != r->end(); ++i)
      ASSERT_TRUE(finite(*i));
    out << *r;
  }
  EXPECT_EQ(complete, 46u) << messages.text();
  std::stringbuf back_buffer(buffer.str());
  iPdbstream back(&back_buffer);
  for (const auto& r : residues) {
    CResidue again;
    back >> again;
    ASSERT_EQ(again.getResId(), r->getResId());
    for (AbstractResidue::ResidueConstIterator i = r->begin(); i != r->end(); ++i) {
      if (i->getType()->is_Pseudo() || i->getType()->is_LonePair()) continue;
      const CAtom* a = again.res(i->getType());
      ASSERT_NE(a, nullptr) << i->getType()->getName();
      EXPECT_NEAR(a->x, i->x, 5e-4f + 2e-5f);
      EXPECT_NEAR(a->y, i->y, 5e-4f + 2e-5f);
    }
  }
}

}  // namespace
