// The 153 concrete atom types, one class per row of AtomTypes.def: at_C1p
// derives virtually from at_NucleicAcid, at_Carbon and at_Backbone, answers
// is_C1p and its three category predicates, and nothing else.
#ifndef TESSEL_ATOMTYPES_H
#define TESSEL_ATOMTYPES_H

#include "AtomType.h"

// How a concrete type answers its radius and well depth: a constant, a rule
// on the residue, or its element category's answer (lone pairs and
// pseudo-atoms, which take their category's charge as well).
struct AtomParam
{
  enum Rule : unsigned char { Constant, ByResidue, AsCategory };

  constexpr AtomParam(float v) : rule(Constant), value(v) {}
  constexpr AtomParam(Rule r) : rule(r), value(0.0f) {}

  Rule rule;
  float value;
};

inline constexpr AtomParam kByResidue{AtomParam::ByResidue};
inline constexpr AtomParam kAsCategory{AtomParam::AsCategory};

// The residue rules of the kByResidue cells (AtomTypes.cc). A null residue,
// or one without a type, gets the rule's value for any other residue.
float byResidueVDWR(AtomKind kind, const AbstractResidue* residue);
float byResidueEpsilon(AtomKind kind, const AbstractResidue* residue);

// The per-type tables kept apart from the rows, keyed by AtomKind: bond
// partners (AtomBondPartners.cc) and Amber charges (AmberCharges.cc).
bool atomTypeConnected(AtomKind self, const t_Atom* other, const t_Residue* residue);
float atomTypeAmberCharge(AtomKind self, const AbstractResidue* residue);

#define TESSEL_POLYMER_BASE_NucleicAcid public virtual at_NucleicAcid,
#define TESSEL_POLYMER_BASE_AminoAcid public virtual at_AminoAcid,
#define TESSEL_POLYMER_BASE_None
#define TESSEL_PART_BASE_Backbone , public virtual at_Backbone
#define TESSEL_PART_BASE_SideChain , public virtual at_SideChain
#define TESSEL_PART_BASE_None

#define TESSEL_ATOM_TYPE(S, NAME, PDB, AMBER, ID, POLYMER, ELEMENT, PART, RADIUS, EPSILON) \
  class at_##S                                                                 \
    : TESSEL_POLYMER_BASE_##POLYMER public virtual at_##ELEMENT TESSEL_PART_BASE_##PART \
  {                                                                            \
  public:                                                                      \
    ~at_##S() override;                                                        \
    const char* getName() const override { return NAME; }                      \
    const char* getPdbName() const override { return PDB; }                    \
    const char* getAmberName() const override { return AMBER; }                \
    bool is_##S() const override { return true; }                              \
    bool is_connected(const t_Atom* other, const t_Residue* residue) const override \
    {                                                                          \
      return atomTypeConnected(AtomKind::k##S, other, residue);                \
    }                                                                          \
    float getVDWR(const AbstractResidue* residue) const override               \
    {                                                                          \
      constexpr AtomParam p = RADIUS;                                          \
      if constexpr (p.rule == AtomParam::AsCategory) return at_##ELEMENT::getVDWR(residue); \
      else if constexpr (p.rule == AtomParam::ByResidue) return byResidueVDWR(AtomKind::k##S, residue); \
      else return p.value;                                                     \
    }                                                                          \
    float getAmberEpsilon(const AbstractResidue* residue) const override       \
    {                                                                          \
      constexpr AtomParam p = EPSILON;                                         \
      if constexpr (p.rule == AtomParam::AsCategory) return at_##ELEMENT::getAmberEpsilon(residue); \
      else if constexpr (p.rule == AtomParam::ByResidue) return byResidueEpsilon(AtomKind::k##S, residue); \
      else return p.value;                                                     \
    }                                                                          \
    float getAmberCharge(const AbstractResidue* residue) const override        \
    {                                                                          \
      constexpr AtomParam p = RADIUS;                                          \
      if constexpr (p.rule == AtomParam::AsCategory) return at_##ELEMENT::getAmberCharge(residue); \
      else return atomTypeAmberCharge(AtomKind::k##S, residue);                \
    }                                                                          \
    void Binoutput(oBinstream& os) const override;                             \
    unsigned getOrdinal() const override { return static_cast<unsigned>(AtomKind::k##S); } \
  };
#include "AtomTypes.def"

#undef TESSEL_POLYMER_BASE_NucleicAcid
#undef TESSEL_POLYMER_BASE_AminoAcid
#undef TESSEL_POLYMER_BASE_None
#undef TESSEL_PART_BASE_Backbone
#undef TESSEL_PART_BASE_SideChain
#undef TESSEL_PART_BASE_None

#endif
