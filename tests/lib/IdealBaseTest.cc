#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "CapturedMessages.h"
#include "ResidueTestSupport.h"

namespace {

using namespace residue_test;
using testing_support::CapturedMessages;

typedef Registry IdealBaseTest;
typedef std::set<const t_Atom*> Types;

// The published ideal bases, C1' at the origin.
const std::vector<AtomRow> kIdealG = {
  {&a_N9, 0.214f, 0.659f, 1.283f}, {&a_C4, 0.254f, 2.014f, 1.509f}, {&a_N3, 0.034f, 2.979f, 0.591f},
  {&a_C2, 0.142f, 4.190f, 1.110f}, {&a_N2, 0.047f, 5.269f, 0.336f}, {&a_N1, 0.444f, 4.437f, 2.427f},
  {&a_C6, 0.676f, 3.459f, 3.389f}, {&a_O6, 0.941f, 3.789f, 4.552f}, {&a_C5, 0.562f, 2.154f, 2.846f},
  {&a_N7, 0.712f, 0.912f, 3.448f}, {&a_C8, 0.498f, 0.057f, 2.485f}, {&a_C1p, 0, 0, 0},
};
const std::vector<AtomRow> kIdealU = {
  {&a_N1, 0.212f, 0.676f, 1.281f}, {&a_C6, 0.195f, -0.023f, 2.466f}, {&a_C2, 0.370f, 2.048f, 1.265f},
  {&a_O2, 0.390f, 2.698f, 0.235f}, {&a_N3, 0.505f, 2.629f, 2.502f}, {&a_C4, 0.497f, 1.990f, 3.725f},
  {&a_O4, 0.629f, 2.653f, 4.755f}, {&a_C5, 0.329f, 0.571f, 3.657f}, {&a_C1p, 0, 0, 0},
};

// As read (placed by its own frame) or brought to the identity, a
// ribonucleotide ends as its ideal base at the table's coordinates: sugar
// and phosphate gone, PSY and PSZ rebuilt, its type kept.
TEST_F(IdealBaseTest, RibonucleotideBecomesItsIdealBase)
{
  const struct
  {
    std::vector<CAtom> atoms;
    t_Residue* const* read_as;
    t_Residue* const* type;
    const std::vector<AtomRow>* ideal;
  } cases[] = {
    {with_O2p(atoms_of(kDG)), &r_G, &r_rG, &kIdealG},
    {with_O2p(without(atoms_of(kDT), {a_C5M})), &r_U, &r_rU, &kIdealU},
  };
  for (const auto& c : cases)
    for (bool at_identity : {false, true}) {
      SCOPED_TRACE(std::string((*c.type)->getName()) + (at_identity ? " at identity" : " as read"));
      CResidue r(*c.read_as, c.atoms, CResId(7, 'B'));
      ASSERT_EQ(r.getType(), *c.type);
      if (at_identity) r.Align();
      CapturedMessages messages;
      r.setIdeal();
      EXPECT_EQ(messages.text(), "");
      EXPECT_EQ(r.getType(), *c.type);
      Types expected = {a_PSY, a_PSZ};
      for (const AtomRow& row : *c.ideal) {
        expected.insert(*row.type);
        CPoint3D p = at(r, *row.type);
        EXPECT_LT(distance(p, CPoint3D(row.x, row.y, row.z)), 1e-5f) << (*row.type)->getName();
      }
      std::vector<const t_Atom*> types = types_of(r);
      EXPECT_EQ(Types(types.begin(), types.end()), expected);
    }
}

// A type without an ideal base (a deoxynucleotide, an amino acid, none)
// keeps its atoms where they were.
TEST_F(IdealBaseTest, OtherTypesKeepTheirAtoms)
{
  const struct
  {
    std::vector<CAtom> atoms;
    t_Residue* type;
  } cases[] = {{atoms_of(kDA), r_A}, {atoms_of(kALA), r_ALA}, {{CAtom(1, 2, 3, a_O)}, nullptr}};
  for (const auto& c : cases) {
    CResidue r(c.type, c.atoms, CResId(3));
    CResidue before(r);
    CapturedMessages messages;
    r.setIdeal();
    EXPECT_EQ(messages.text(),
              "Oups, setIdeal erased the residue but the ideal confo is unknown.  Go get a coffee!\n");
    EXPECT_EQ(r.getType(), before.getType());
    ASSERT_EQ(types_of(r), types_of(before));
    for (const t_Atom* t : types_of(r)) EXPECT_EQ(distance(at(r, t), at(before, t)), 0.0f);
  }
}

}  // namespace
