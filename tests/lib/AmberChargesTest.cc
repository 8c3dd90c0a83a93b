#include <algorithm>
#include <cstddef>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "AtomTypes.h"
#include "ResidueAtomSets.h"
#include "ResidueType.h"
#include "TypeTestSupport.h"

namespace {

using type_test::Registry;

typedef std::vector<t_Atom*> Atoms;

// Charges are four-decimal numbers held as floats: a sum over one residue
// is good to about 1e-6, and one wrong digit moves it by 1e-4 at least.
constexpr double kSumTolerance = 2e-5;

std::vector<t_Atom*> concrete_types()
{
  std::vector<t_Atom*> types;
  for (unsigned i = kAtomCategoryCount; i < kAtomTypeCount; ++i) types.push_back(*kAtomTypeSlots[i]);
  return types;
}

double net_charge(const Atoms& atoms, const AbstractResidue& residue)
{
  double sum = 0.0;
  for (const t_Atom* t : atoms) sum += t->getAmberCharge(&residue);
  return sum;
}

// A residue holding exactly the given atoms.
class Holding : public type_test::Residue
{
public:
  Holding(t_Residue* type, const Atoms& atoms) : type_test::Residue(type, {})
  {
    for (t_Atom* t : atoms) insert_local(CAtom(0, 0, 0, t));
  }
};

// The charge of t in a residue of that type holding those atoms.
float charge_in(const t_Atom* t, t_Residue* type, const Atoms& atoms)
{
  Holding residue(type, atoms);
  return t->getAmberCharge(&residue);
}

Atoms minus(Atoms atoms, const Atoms& removed)
{
  for (t_Atom* t : removed) atoms.erase(std::remove(atoms.begin(), atoms.end(), t), atoms.end());
  return atoms;
}

Atoms plus(Atoms atoms, const Atoms& added)
{
  atoms.insert(atoms.end(), added.begin(), added.end());
  return atoms;
}

Atoms members(const AtomTypeSet& obligatory, const AtomTypeSet& optional)
{
  Atoms atoms(obligatory.begin(), obligatory.end());
  atoms.insert(atoms.end(), optional.begin(), optional.end());
  return atoms;
}

// The atoms of an internal nucleotide as the force field's template lists
// them, from the residue type's validation sets. The sets also hold the
// pseudo-atoms and lone pairs, which are computed points; H2' and H5',
// other names of H2'1 and H5'1; HO3', the 3' hydroxyl hydrogen, which the
// force field gives only to a 3' end and calls H3T; and, in a
// deoxynucleotide, HO2'.
Atoms internal_nucleotide(const AtomTypeSet& obligatory, const AtomTypeSet& optional, bool deoxy)
{
  Atoms atoms;
  for (t_Atom* t : members(obligatory, optional)) {
    bool point = t->is_Pseudo() || t->is_LonePair();
    bool alias = t == a_H2p || t == a_H5p || t == a_HO3p || (deoxy && t == a_HO2p);
    if (!point && !alias) atoms.push_back(t);
  }
  return atoms;
}

struct Nucleotide
{
  const char* name;
  t_Residue* const* type;
  const AtomTypeSet* obligatory;
  const AtomTypeSet* optional;
  std::size_t atoms;  // in the internal template
};

const Nucleotide kNucleotides[] = {
  {"dA", &r_dA, &gdAOblAtomSet, &gdAOptAtomSet, 32}, {"dC", &r_dC, &gdCOblAtomSet, &gdCOptAtomSet, 30},
  {"dG", &r_dG, &gdGOblAtomSet, &gdGOptAtomSet, 33}, {"dT", &r_dT, &gdTOblAtomSet, &gdTOptAtomSet, 32},
  {"rA", &r_rA, &grAOblAtomSet, &grAOptAtomSet, 33}, {"rC", &r_rC, &grCOblAtomSet, &grCOptAtomSet, 31},
  {"rG", &r_rG, &grGOblAtomSet, &grGOptAtomSet, 34}, {"rU", &r_rU, &grUOblAtomSet, &grUOptAtomSet, 30},
};

struct AminoAcid
{
  const char* name;
  t_Residue* type;
  const AtomTypeSet& obligatory;
  const AtomTypeSet& optional;
  Atoms dropped;  // named in the sets, not in the template
  Atoms added;    // in the template, not in the sets
  int net;
};

// The validation sets name the amide hydrogen H1 and H2 (proline's H has no
// atom in its template) and the two hydrogens of a methylene 1 and 2, where
// the force field names them H, and 2 and 3. HG3 and HD3 have no type of
// their own and count with the charge of HG2 and HD2.
std::vector<AminoAcid> amino_acids()
{
  const Atoms amide = {a_H1, a_H2};
  return {
    {"ALA", r_ALA, gALAOblAtomSet, gALAOptAtomSet, amide, {a_H}, 0},
    {"ARG", r_ARG, gARGOblAtomSet, gARGOptAtomSet, plus(amide, {a_HB1, a_HG1, a_HD1}),
     {a_H, a_HB3, a_HG2, a_HD2}, 1},
    {"ASN", r_ASN, gASNOblAtomSet, gASNOptAtomSet, plus(amide, {a_HB1}), {a_H, a_HB3}, 0},
    {"ASP", r_ASP, gASPOblAtomSet, gASPOptAtomSet, plus(amide, {a_HB1}), {a_H, a_HB3}, -1},
    {"CYS", r_CYS, gCYSOblAtomSet, gCYSOptAtomSet, plus(amide, {a_HB1}), {a_H, a_HB3}, 0},
    {"GLN", r_GLN, gGLNOblAtomSet, gGLNOptAtomSet, plus(amide, {a_HB1, a_HG1}), {a_H, a_HB3, a_HG2}, 0},
    {"GLU", r_GLU, gGLUOblAtomSet, gGLUOptAtomSet, plus(amide, {a_HB1, a_HG1}), {a_H, a_HB3, a_HG2}, -1},
    {"GLY", r_GLY, gGLYOblAtomSet, gGLYOptAtomSet, amide, {a_H}, 0},
    {"HIS", r_HIS, gHISOblAtomSet, gHISOptAtomSet, plus(amide, {a_HB1}), {a_H, a_HB3}, 0},
    {"ILE", r_ILE, gILEOblAtomSet, gILEOptAtomSet, plus(amide, {a_1HG1}), {a_H, a_3HG1}, 0},
    {"LEU", r_LEU, gLEUOblAtomSet, gLEUOptAtomSet, plus(amide, {a_HB1}), {a_H, a_HB3}, 0},
    {"LYS", r_LYS, gLYSOblAtomSet, gLYSOptAtomSet, plus(amide, {a_HB1, a_HG1, a_HD1, a_HE1}),
     {a_H, a_HB3, a_HG2, a_HD2, a_HE3}, 1},
    {"MET", r_MET, gMETOblAtomSet, gMETOptAtomSet, plus(amide, {a_HB1, a_HG1}), {a_H, a_HB3, a_HG2}, 0},
    {"PHE", r_PHE, gPHEOblAtomSet, gPHEOptAtomSet, plus(amide, {a_HB1}), {a_H, a_HB3}, 0},
    {"PRO", r_PRO, gPROOblAtomSet, gPROOptAtomSet, {a_H, a_HB1, a_HG1, a_HD1}, {a_HB3, a_HG2, a_HD2}, 0},
    {"SER", r_SER, gSEROblAtomSet, gSEROptAtomSet, plus(amide, {a_HB1}), {a_H, a_HB3}, 0},
    {"THR", r_THR, gTHROblAtomSet, gTHROptAtomSet, amide, {a_H}, 0},
    {"TRP", r_TRP, gTRPOblAtomSet, gTRPOptAtomSet, plus(amide, {a_HB1}), {a_H, a_HB3}, 0},
    {"TYR", r_TYR, gTYROblAtomSet, gTYROptAtomSet, plus(amide, {a_HB1}), {a_H, a_HB3}, 0},
    {"VAL", r_VAL, gVALOblAtomSet, gVALOptAtomSet, amide, {a_H}, 0},
  };
}

Atoms template_of(const AminoAcid& aa)
{
  return plus(minus(members(aa.obligatory, aa.optional), aa.dropped), aa.added);
}

}  // namespace

TEST_F(Registry, NetChargeOfEveryCompleteNucleotide)
{
  for (const Nucleotide& n : kNucleotides) {
    SCOPED_TRACE(n.name);
    t_Residue* type = *n.type;
    bool deoxy = type->is_DNA();
    Atoms internal = internal_nucleotide(*n.obligatory, *n.optional, deoxy);
    EXPECT_EQ(internal.size(), n.atoms);
    EXPECT_NEAR(net_charge(internal, Holding(type, internal)), -1.0, kSumTolerance);

    // A 5' end has H5T on O5' and no phosphate; a 3' end has H3T on O3'.
    Atoms five = plus(minus(internal, {a_P, a_O1P, a_O2P}), {a_H5T});
    EXPECT_NEAR(net_charge(five, Holding(type, five)), deoxy ? -0.3079 : -0.3081, kSumTolerance);
    Atoms three = plus(internal, {a_H3T});
    EXPECT_NEAR(net_charge(three, Holding(type, three)), deoxy ? -0.6921 : -0.6919, kSumTolerance);
    Atoms both = plus(five, {a_H3T});
    // A nucleoside, with both ends, is neutral.
    EXPECT_NEAR(net_charge(both, Holding(type, both)), 0.0, 2 * kSumTolerance);
  }
}

TEST_F(Registry, NetChargeOfEveryCompleteAminoAcid)
{
  std::vector<t_Atom*> types = concrete_types();
  for (const AminoAcid& aa : amino_acids()) {
    SCOPED_TRACE(aa.name);
    for (t_Atom* t : aa.dropped) EXPECT_TRUE(aa.optional.count(t)) << t->getName();
    Atoms atoms = template_of(aa);
    Holding residue(aa.type, atoms);
    EXPECT_NEAR(net_charge(atoms, residue), aa.net, kSumTolerance);

    // The types with a charge of their own in this residue are exactly
    // those of its template.
    std::set<const t_Atom*> charged;
    for (const t_Atom* t : types)
      if (t->getAmberCharge(&residue) != t->getAmberCharge(nullptr)) charged.insert(t);
    EXPECT_EQ(charged, std::set<const t_Atom*>(atoms.begin(), atoms.end()));
  }
}

// The force field gives the hydrogens on one atom one charge.
TEST_F(Registry, HydrogensOnOneAtomShareTheirCharge)
{
  std::vector<std::pair<t_Residue*, Atoms>> residues;
  for (const Nucleotide& n : kNucleotides)
    residues.emplace_back(*n.type, internal_nucleotide(*n.obligatory, *n.optional, (*n.type)->is_DNA()));
  for (const AminoAcid& aa : amino_acids()) residues.emplace_back(aa.type, template_of(aa));
  for (const auto& [type, atoms] : residues) {
    SCOPED_TRACE(type->getName());
    Holding r(type, atoms);
    for (const t_Atom* heavy : atoms) {
      std::set<float> charges;
      for (const t_Atom* h : atoms)
        if (h->is_Hydrogen() && h->is_connected(heavy, type)) charges.insert(h->getAmberCharge(&r));
      EXPECT_LE(charges.size(), 1u) << heavy->getName();
    }
  }
}

TEST_F(Registry, ChargesByValue)
{
  Holding dA(r_dA, {}), rG(r_rG, {}), dT(r_dT, {}), A(r_A, {}), DNA(r_DNA, {}), RNA(r_RNA, {});
  Holding T(r_T, {}), U(r_U, {}), gly(r_GLY, {}), met(r_MET, {}), his(r_HIS, {});

  EXPECT_EQ(a_C1p->getAmberCharge(&dA), 0.0431f);
  EXPECT_EQ(a_C1p->getAmberCharge(&A), 0.0f);
  EXPECT_EQ(a_C1p->getAmberCharge(&DNA), 0.0f);
  EXPECT_EQ(a_C2p->getAmberCharge(&RNA), 0.0670f);
  EXPECT_EQ(a_C2->getAmberCharge(&RNA), 0.0f);
  EXPECT_EQ(a_H8->getAmberCharge(&rG), 0.1640f);
  EXPECT_EQ(a_1H5M->getAmberCharge(&dT), 0.0770f);
  // H3 answers for its base class.
  EXPECT_EQ(a_H3->getAmberCharge(&T), 0.3420f);
  EXPECT_EQ(a_H3->getAmberCharge(&U), 0.3154f);
  EXPECT_EQ(a_HA->getAmberCharge(&gly), 0.0f);
  EXPECT_EQ(a_HA1->getAmberCharge(&gly), 0.0698f);
  for (t_Atom* t : {a_HE1, a_HE2, a_HE3}) EXPECT_EQ(t->getAmberCharge(&met), 0.0684f) << t->getName();
  EXPECT_EQ(a_HD1->getAmberCharge(&his), 0.3649f);
  EXPECT_EQ(a_HE2->getAmberCharge(&his), 0.0f);  // the histidine is HID

  // O3' and O5' take the hydroxyl charge when the residue holds the
  // terminal hydrogen on them, and only in a nucleic acid.
  EXPECT_EQ(charge_in(a_O3p, r_dA, {a_H3T}), -0.6549f);
  EXPECT_EQ(charge_in(a_O3p, r_dA, {a_H5T}), -0.5232f);
  EXPECT_EQ(charge_in(a_O3p, r_DNA, {a_H3T}), -0.6549f);
  EXPECT_EQ(charge_in(a_O5p, r_rG, {a_H5T}), -0.6223f);
  EXPECT_EQ(charge_in(a_O5p, r_rG, {a_H3T}), -0.4989f);
  for (t_Residue* r : {r_ALA, r_Purine, r_A}) {
    EXPECT_EQ(charge_in(a_O3p, r, {a_H3T}), 0.0f) << r->getName();
    EXPECT_EQ(charge_in(a_O5p, r, {a_H5T}), 0.0f) << r->getName();
  }
}

// Residue-free answers: the four constants, the lone pairs' and
// pseudo-atoms' category charge, and nothing else. A residue without a type
// or a misc type gets no more; neither do the generalised types, nor a
// residue of the other polymer.
TEST_F(Registry, ChargesOutsideTheirResiduesAreTheResidueFreeOnes)
{
  std::vector<t_Atom*> types = concrete_types();
  for (const t_Atom* t : types) {
    float expected = 0.0f;
    if (t->is_LonePair() || t->is_Pseudo()) expected = 0.2f;
    if (t == a_2H2p) expected = 0.0718f;
    if (t == a_HO2p) expected = 0.4186f;
    if (t == a_C5M) expected = -0.2269f;
    if (t == a_H7) expected = 0.0770f;
    EXPECT_EQ(t->getAmberCharge(nullptr), expected) << t->getName();
  }
  std::vector<Holding> elsewhere;
  for (t_Residue* r : {r_NucleicAcid, r_AminoAcid, r_Phosphate, r_Purine, r_Pyrimidine, r_A, r_C, r_G})
    elsewhere.emplace_back(r, Atoms{a_H3T});
  elsewhere.emplace_back(rt_Misc::findOrCreate("UNK"), Atoms{a_H3T});
  elsewhere.emplace_back(nullptr, Atoms{a_H3T});
  for (const t_Atom* t : types)
    for (const Holding& r : elsewhere) {
      std::string name = r.getType() != nullptr ? r.getType()->getName() : "(none)";
      EXPECT_EQ(t->getAmberCharge(&r), t->getAmberCharge(nullptr)) << t->getName() << " in " << name;
    }

  Holding dA(r_dA, {}), ALA(r_ALA, {});
  for (const t_Atom* t : types) {
    const Holding& other = t->is_AminoAcid() ? dA : ALA;
    EXPECT_EQ(t->getAmberCharge(&other), t->getAmberCharge(nullptr)) << t->getName();
  }
  EXPECT_EQ(a_HO3p->getAmberCharge(&dA), 0.0f);
  for (t_Atom* t : {a_1H, a_2H, a_3H, a_OXT, a_HXT}) EXPECT_EQ(t->getAmberCharge(&ALA), 0.0f) << t->getName();
  EXPECT_EQ(charge_in(a_N, r_ALA, {a_1H, a_2H, a_3H}), -0.4157f);
}

// The chain classes answer for the sugar-phosphate backbone, save C1' and
// H1', whose charges depend on the base.
TEST_F(Registry, ChainClassesAnswerForTheBackboneAlone)
{
  Holding DNA(r_DNA, {}), RNA(r_RNA, {}), dG(r_dG, {}), rC(r_rC, {});
  for (const t_Atom* t : concrete_types()) {
    if (!t->is_NucleicAcid()) continue;
    bool backbone = t->is_Backbone() && t != a_C1p && t != a_H1p;
    EXPECT_EQ(t->getAmberCharge(&DNA), backbone ? t->getAmberCharge(&dG) : t->getAmberCharge(nullptr))
      << t->getName();
    EXPECT_EQ(t->getAmberCharge(&RNA), backbone ? t->getAmberCharge(&rC) : t->getAmberCharge(nullptr))
      << t->getName();
  }
}
