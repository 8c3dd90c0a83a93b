#include "AtomTypes.h"

#include <cstddef>

#include "AbstractResidue.h"
#include "Binstream.h"
#include "ResidueType.h"

#define TESSEL_ATOM_TYPE(S, NAME, PDB, AMBER, ID, ...) \
  at_##S::~at_##S() = default;                         \
  void at_##S::Binoutput(oBinstream& os) const { os << static_cast<int>(ID); }
#include "AtomTypes.def"

namespace {

// One test of a residue-dependent value: the residue type's predicate and
// the value it gives.
struct ResidueCase
{
  bool (t_Residue::*test)() const;
  float value;
};

// The tests are asked in order; the first that holds decides, and any other
// residue gets `otherwise`.
struct ResidueRule
{
  AtomKind kind;
  const ResidueCase* cases;
  std::size_t count;
  float otherwise;
};

template <std::size_t N>
constexpr ResidueRule rule(AtomKind kind, const ResidueCase (&cases)[N], float otherwise)
{
  return ResidueRule{kind, cases, N, otherwise};
}

// O3' and O5' take the hydroxyl oxygen's value when the residue holds their
// terminal hydrogen, the ring oxygen's otherwise.
struct TerminalRule
{
  AtomKind kind;
  t_Atom* const* hydrogen;
  float with;
  float without;
};

typedef t_Residue R;

constexpr ResidueCase kHB2Radius[] = {{&R::is_SER, 1.387f}, {&R::is_CYS, 1.387f}};
constexpr ResidueCase kHD1Radius[] = {{&R::is_HIS, 0.6f}, {&R::is_TRP, 1.409f}};
constexpr ResidueCase kHD2Radius[] = {{&R::is_ARG, 1.387f}, {&R::is_PRO, 1.387f}, {&R::is_HIS, 1.409f},
                                      {&R::is_PHE, 1.459f}, {&R::is_TYR, 1.459f}, {&R::is_LYS, 1.487f}};
constexpr ResidueCase kHE1Radius[] = {{&R::is_HIS, 1.359f}, {&R::is_TRP, 0.6f}, {&R::is_PHE, 1.459f},
                                      {&R::is_TYR, 1.459f}, {&R::is_MET, 1.387f}};
constexpr ResidueCase kHE2Radius[] = {{&R::is_HIS, 0.6f}, {&R::is_PHE, 1.459f}, {&R::is_TYR, 1.459f},
                                      {&R::is_LYS, 1.1f}, {&R::is_MET, 1.387f}};
constexpr ResidueCase kHE3Radius[] = {{&R::is_TRP, 1.459f}, {&R::is_LYS, 1.1f}, {&R::is_MET, 1.387f}};
constexpr ResidueCase kHG2Radius[] = {{&R::is_GLN, 1.487f}, {&R::is_ARG, 1.487f}, {&R::is_GLU, 1.487f},
                                      {&R::is_LYS, 1.487f}, {&R::is_PRO, 1.487f}, {&R::is_MET, 1.387f}};
constexpr ResidueCase kHZ2Radius[] = {{&R::is_TRP, 1.459f}, {&R::is_LYS, 0.6f}};

constexpr ResidueRule kRadiusRules[] = {
  rule(AtomKind::kHB2, kHB2Radius, 1.487f),
  rule(AtomKind::kHB3, kHB2Radius, 1.487f),
  rule(AtomKind::kHD1, kHD1Radius, 1.459f),
  rule(AtomKind::kHD2, kHD2Radius, 0.0f),
  rule(AtomKind::kHE1, kHE1Radius, 0.0f),
  rule(AtomKind::kHE2, kHE2Radius, 0.0f),
  rule(AtomKind::kHE3, kHE3Radius, 0.0f),
  rule(AtomKind::kHG2, kHG2Radius, 0.0f),
  rule(AtomKind::kHZ2, kHZ2Radius, 0.0f),
  rule(AtomKind::kHZ3, kHZ2Radius, 0.0f),
};

constexpr ResidueCase kCDEpsilon[] = {{&R::is_GLN, 0.086f}, {&R::is_GLU, 0.086f}};
constexpr ResidueCase kCD1Epsilon[] = {{&R::is_PHE, 0.086f}, {&R::is_TYR, 0.086f}, {&R::is_TRP, 0.086f}};
constexpr ResidueCase kCGEpsilon[] = {{&R::is_ASN, 0.086f}, {&R::is_HIS, 0.086f}, {&R::is_TRP, 0.086f},
                                      {&R::is_PHE, 0.086f}, {&R::is_TYR, 0.086f}, {&R::is_ASP, 0.086f}};
constexpr ResidueCase kHD1Epsilon[] = {{&R::is_HIS, 0.0157f}};
constexpr ResidueCase kHD2Epsilon[] = {{&R::is_ARG, 0.0157f}, {&R::is_PRO, 0.0157f}, {&R::is_LYS, 0.0157f},
                                       {&R::is_HIS, 0.015f}, {&R::is_PHE, 0.015f}, {&R::is_TYR, 0.015f}};
constexpr ResidueCase kHE1Epsilon[] = {{&R::is_HIS, 0.015f}, {&R::is_PHE, 0.015f}, {&R::is_TYR, 0.015f},
                                       {&R::is_TRP, 0.0157f}, {&R::is_MET, 0.0157f}};
constexpr ResidueCase kHE2Epsilon[] = {{&R::is_HIS, 0.0157f}, {&R::is_LYS, 0.0157f}, {&R::is_MET, 0.0157f},
                                       {&R::is_PHE, 0.015f}, {&R::is_TYR, 0.015f}};
constexpr ResidueCase kHE3Epsilon[] = {{&R::is_LYS, 0.0157f}, {&R::is_MET, 0.0157f}, {&R::is_TRP, 0.015f}};
constexpr ResidueCase kHZ2Epsilon[] = {{&R::is_TRP, 0.015f}, {&R::is_LYS, 0.0157f}};

constexpr ResidueRule kEpsilonRules[] = {
  rule(AtomKind::kCD, kCDEpsilon, 0.1094f),
  rule(AtomKind::kCD1, kCD1Epsilon, 0.1094f),
  rule(AtomKind::kCG, kCGEpsilon, 0.1094f),
  rule(AtomKind::kHD1, kHD1Epsilon, 0.015f),
  rule(AtomKind::kHD2, kHD2Epsilon, 0.0f),
  rule(AtomKind::kHE1, kHE1Epsilon, 0.0f),
  rule(AtomKind::kHE2, kHE2Epsilon, 0.0f),
  rule(AtomKind::kHE3, kHE3Epsilon, 0.0f),
  rule(AtomKind::kHZ2, kHZ2Epsilon, 0.0f),
  rule(AtomKind::kHZ3, kHZ2Epsilon, 0.0f),
};

constexpr TerminalRule kTerminalRadius[] = {
  {AtomKind::kO3p, &a_H3T, 1.721f, 1.6837f},
  {AtomKind::kO5p, &a_H5T, 1.721f, 1.6837f},
};

constexpr TerminalRule kTerminalEpsilon[] = {
  {AtomKind::kO3p, &a_H3T, 0.2104f, 0.17f},
  {AtomKind::kO5p, &a_H5T, 0.2104f, 0.17f},
};

// The rows' radius and epsilon cells, to check the rules against them.
constexpr AtomParam kRadiusCells[] = {
#define TESSEL_ATOM_TYPE(S, NAME, PDB, AMBER, ID, POLYMER, ELEMENT, PART, RADIUS, EPSILON) RADIUS,
#include "AtomTypes.def"
};
constexpr AtomParam kEpsilonCells[] = {
#define TESSEL_ATOM_TYPE(S, NAME, PDB, AMBER, ID, POLYMER, ELEMENT, PART, RADIUS, EPSILON) EPSILON,
#include "AtomTypes.def"
};

constexpr unsigned cellIndex(AtomKind kind) { return static_cast<unsigned>(kind) - kAtomCategoryCount; }

// Every kByResidue cell has exactly one rule, and every rule such a cell.
template <std::size_t C, std::size_t N, std::size_t M>
constexpr bool rulesCoverCells(const AtomParam (&cells)[C], const ResidueRule (&rules)[N],
                               const TerminalRule (&terminal)[M])
{
  std::size_t byResidue = 0;
  for (const AtomParam& cell : cells) byResidue += cell.rule == AtomParam::ByResidue;
  if (byResidue != N + M) return false;
  for (const ResidueRule& r : rules)
    if (cells[cellIndex(r.kind)].rule != AtomParam::ByResidue) return false;
  for (const TerminalRule& r : terminal)
    if (cells[cellIndex(r.kind)].rule != AtomParam::ByResidue) return false;
  for (std::size_t i = 0; i < N; ++i)
    for (std::size_t j = i + 1; j < N; ++j)
      if (rules[i].kind == rules[j].kind) return false;
  return true;
}

static_assert(sizeof kRadiusCells / sizeof kRadiusCells[0] == kConcreteAtomTypeCount);
static_assert(rulesCoverCells(kRadiusCells, kRadiusRules, kTerminalRadius));
static_assert(rulesCoverCells(kEpsilonCells, kEpsilonRules, kTerminalEpsilon));

template <std::size_t N, std::size_t M>
float byResidue(AtomKind kind, const AbstractResidue* residue, const ResidueRule (&rules)[N],
                const TerminalRule (&terminal)[M])
{
  for (const TerminalRule& r : terminal) {
    if (r.kind != kind) continue;
    if (residue == nullptr) return r.without;
    return residue->find(*r.hydrogen) != residue->end() ? r.with : r.without;
  }
  for (const ResidueRule& r : rules) {
    if (r.kind != kind) continue;
    const t_Residue* type = residue != nullptr ? residue->getType() : nullptr;
    if (type == nullptr) return r.otherwise;
    for (std::size_t i = 0; i < r.count; ++i)
      if ((type->*r.cases[i].test)()) return r.cases[i].value;
    return r.otherwise;
  }
  return 0.0f;
}

}  // namespace

float byResidueVDWR(AtomKind kind, const AbstractResidue* residue)
{
  return byResidue(kind, residue, kRadiusRules, kTerminalRadius);
}

float byResidueEpsilon(AtomKind kind, const AbstractResidue* residue)
{
  return byResidue(kind, residue, kEpsilonRules, kTerminalEpsilon);
}
