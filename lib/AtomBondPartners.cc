// Bond partners of the concrete atom types within one residue, keyed by
// AtomKind. Each covalent bond is written once below; the partners of every
// type are gathered from the list when the library is compiled.
#include <array>
#include <cstddef>
#include <iterator>

#include "AtomTypes.h"
#include "ResidueType.h"

namespace {

typedef bool (t_Residue::*ResidueTest)() const;

// How one end of a bond sees the other: never, in any residue (no test), or
// only within residues whose type passes the test.
struct Link
{
  bool bonded;
  ResidueTest test;
};

constexpr Link kAlways{true, nullptr};
constexpr Link kNever{false, nullptr};
constexpr Link when(ResidueTest test) { return Link{true, test}; }

// `ab` is how a sees b, `ba` how b sees a.
struct Bond
{
  AtomKind a;
  AtomKind b;
  Link ab;
  Link ba;
};

#define BOND(A, B) Bond{AtomKind::k##A, AtomKind::k##B, kAlways, kAlways}
#define BOND_IF(A, B, TEST) \
  Bond{AtomKind::k##A, AtomKind::k##B, when(&t_Residue::TEST), when(&t_Residue::TEST)}

// PSY, PSZ, PSAZ and MG have no partner. A bond that closes across residues
// (O3'-P) is seen only within the phosphate residue type, and the proline
// ring (CD-N) only within proline.
constexpr Bond kBonds[] = {
  // Sugar and phosphate.
  BOND(C1p, C2p), BOND(C1p, O4p), BOND(C1p, H1p), BOND_IF(C1p, N1, is_Pyrimidine),
  // N9 sees C1' whatever the residue, so that a generalised nucleotide type
  // still ties a purine to its sugar; C1' sees N9 only in a purine.
  Bond{AtomKind::kC1p, AtomKind::kN9, when(&t_Residue::is_Purine), kAlways},
  BOND(C2p, O2p), BOND(C2p, C3p), BOND(C2p, H2p), BOND(C2p, 1H2p), BOND(C2p, 2H2p),
  BOND(C3p, O3p), BOND(C3p, C4p), BOND(C3p, H3p),
  BOND(C4p, O4p), BOND(C4p, C5p), BOND(C4p, H4p),
  BOND(C5p, O5p), BOND(C5p, 1H5p), BOND(C5p, 2H5p),
  BOND(O2p, HO2p),
  BOND(O3p, HO3p), BOND(O3p, H3T), BOND_IF(O3p, P, is_Phosphate),
  BOND(O5p, P), BOND(O5p, H5T),
  // H5' and O3P name a partner that does not name them back: O5' knows only
  // H5T as its hydrogen, and P only O1P and O2P as its free oxygens.
  Bond{AtomKind::kH5p, AtomKind::kO5p, kAlways, kNever},
  Bond{AtomKind::kO3P, AtomKind::kP, kAlways, kNever},
  BOND(P, O1P), BOND(P, O2P),

  // Bases, with their hydrogens and lone pairs.
  BOND(C2, N1), BOND(C2, N3), BOND(C2, O2), BOND(C2, N2), BOND(C2, H2),
  BOND(C4, N3), BOND(C4, N4), BOND(C4, C5), BOND(C4, O4), BOND(C4, N9),
  BOND(C5, C6), BOND(C5, H5), BOND(C5, N7), BOND(C5, C5M),
  BOND(C5M, 1H5M), BOND(C5M, 2H5M), BOND(C5M, 3H5M),
  BOND(C6, N1), BOND(C6, H6), BOND(C6, O6), BOND(C6, N6),
  BOND(C8, N7), BOND(C8, H8), BOND(C8, N9),
  BOND(N1, H1), BOND(N1, LP1),
  BOND(N2, 1H2), BOND(N2, 2H2),
  BOND(N3, H3), BOND(N3, LP3),
  BOND(N4, 1H4), BOND(N4, 2H4),
  BOND(N6, 2H6), BOND(N6, 1H6),
  BOND(N7, H7), BOND(N7, LP7),
  BOND(O2, H2), BOND(O2, 1LP2), BOND(O2, 2LP2),
  BOND(O4, 1LP4), BOND(O4, 2LP4),
  BOND(O6, 1LP6), BOND(O6, 2LP6),

  // Amino-acid backbone, with the terminal atoms.
  BOND(C, O), BOND(C, CA), BOND(C, OXT),
  BOND(CA, N), BOND(CA, CB), BOND(CA, HA), BOND(CA, HA1), BOND(CA, HA2),
  BOND(N, H), BOND(N, 1H), BOND(N, 2H), BOND(N, 3H), BOND_IF(CD, N, is_PRO),
  BOND(OXT, HXT),

  // Side chains.
  BOND(CB, HB1), BOND(CB, HB2), BOND(CB, HB3), BOND(CB, HB), BOND(CB, CG), BOND(CB, SG),
  BOND(CB, CG1), BOND(CB, CG2), BOND(CB, OG), BOND(CB, OG1),
  BOND(CG, HG1), BOND(CG, HG2), BOND(CG, HG), BOND(CG, OD1), BOND(CG, ND2), BOND(CG, OD2),
  BOND(CG, ND1), BOND(CG, SD), BOND(CG, CD), BOND(CG, CD1), BOND(CG, CD2),
  BOND(CG1, CD1), BOND(CG1, 1HG1), BOND(CG1, 2HG1), BOND(CG1, 3HG1),
  BOND(CG2, 1HG2), BOND(CG2, 2HG2), BOND(CG2, 3HG2),
  BOND(CD, NE), BOND(CD, HD1), BOND(CD, HD2), BOND(CD, OE1), BOND(CD, NE2), BOND(CD, OE2),
  BOND(CD, CE),
  BOND(CD1, 1HD1), BOND(CD1, 2HD1), BOND(CD1, 3HD1), BOND(CD1, CE1), BOND(CD1, HD1),
  BOND(CD1, NE1),
  BOND(CD2, NE2), BOND(CD2, HD2), BOND(CD2, 1HD2), BOND(CD2, 2HD2), BOND(CD2, 3HD2),
  BOND(CD2, CE2), BOND(CD2, CE3),
  BOND(CE, NZ), BOND(CE, HE1), BOND(CE, HE2), BOND(CE, HE3), BOND(CE, SD),
  BOND(CE1, ND1), BOND(CE1, NE2), BOND(CE1, HE1), BOND(CE1, CZ),
  BOND(CE2, CZ), BOND(CE2, HE2), BOND(CE2, NE1), BOND(CE2, CZ2),
  BOND(CE3, CZ3), BOND(CE3, HE3),
  BOND(CZ, NE), BOND(CZ, NH1), BOND(CZ, NH2), BOND(CZ, HZ), BOND(CZ, OH),
  BOND(CZ2, CH2), BOND(CZ2, HZ2),
  BOND(CZ3, CH2), BOND(CZ3, HZ3),
  BOND(CH2, HH2),
  BOND(ND1, HD1),
  BOND(ND2, 1HD2), BOND(ND2, 2HD2),
  BOND(NE, HE),
  BOND(NE1, HE1),
  BOND(NE2, HE2), BOND(NE2, 1HE2), BOND(NE2, 2HE2),
  BOND(NH1, 1HH1), BOND(NH1, 2HH1),
  BOND(NH2, 1HH2), BOND(NH2, 2HH2),
  BOND(NZ, HZ1), BOND(NZ, HZ2), BOND(NZ, HZ3),
  BOND(OG, HG),
  BOND(OG1, HG1),
  BOND(OH, HH),
  BOND(SG, HG),
};

#undef BOND
#undef BOND_IF

static_assert(std::size(kBonds) == 178);

constexpr std::size_t kindIndex(AtomKind kind) { return static_cast<std::size_t>(kind) - kAtomCategoryCount; }

// The own predicate of each concrete type, by kindIndex: the other type of a
// bond is recognised by it, so no category or misc type is ever a partner.
constexpr bool (t_Atom::*kIsKind[])() const = {
#define TESSEL_ATOM_TYPE(S, ...) &t_Atom::is_##S,
#include "AtomTypes.def"
};
static_assert(sizeof kIsKind / sizeof kIsKind[0] == kConcreteAtomTypeCount);

struct Partner
{
  AtomKind other;
  ResidueTest test;  // null: in any residue
};

constexpr std::size_t countLinks()
{
  std::size_t n = 0;
  for (const Bond& b : kBonds) n += b.ab.bonded + b.ba.bonded;
  return n;
}

constexpr std::size_t kLinkCount = countLinks();

// The partners of the type of kindIndex i are partners[first[i]] up to
// partners[first[i + 1]].
struct PartnerIndex
{
  std::array<unsigned short, kConcreteAtomTypeCount + 1> first;
  std::array<Partner, kLinkCount> partners;
};

constexpr PartnerIndex buildPartnerIndex()
{
  PartnerIndex index{};
  for (const Bond& b : kBonds) {
    if (b.ab.bonded) ++index.first[kindIndex(b.a) + 1];
    if (b.ba.bonded) ++index.first[kindIndex(b.b) + 1];
  }
  for (std::size_t i = 0; i < kConcreteAtomTypeCount; ++i) index.first[i + 1] += index.first[i];
  std::array<unsigned short, kConcreteAtomTypeCount> next{};
  for (std::size_t i = 0; i < kConcreteAtomTypeCount; ++i) next[i] = index.first[i];
  for (const Bond& b : kBonds) {
    if (b.ab.bonded) index.partners[next[kindIndex(b.a)]++] = Partner{b.b, b.ab.test};
    if (b.ba.bonded) index.partners[next[kindIndex(b.b)]++] = Partner{b.a, b.ba.test};
  }
  return index;
}

constexpr PartnerIndex kPartners = buildPartnerIndex();

// A type meets each other type in at most one bond, so the first partner
// that matches decides; and no bond joins a type to itself.
constexpr bool bondsAreDistinct()
{
  for (std::size_t i = 0; i < std::size(kBonds); ++i) {
    if (kBonds[i].a == kBonds[i].b) return false;
    for (std::size_t j = i + 1; j < std::size(kBonds); ++j) {
      bool same = kBonds[i].a == kBonds[j].a && kBonds[i].b == kBonds[j].b;
      bool swapped = kBonds[i].a == kBonds[j].b && kBonds[i].b == kBonds[j].a;
      if (same || swapped) return false;
    }
  }
  return true;
}
static_assert(bondsAreDistinct());

constexpr bool hasPartner(AtomKind kind)
{
  return kPartners.first[kindIndex(kind) + 1] != kPartners.first[kindIndex(kind)];
}

// Every concrete type but the pseudo-atoms and magnesium is bonded to
// something.
constexpr bool onlyLoneTypesLackPartners()
{
  for (std::size_t i = 0; i < kConcreteAtomTypeCount; ++i) {
    AtomKind kind = static_cast<AtomKind>(i + kAtomCategoryCount);
    bool lone = kind == AtomKind::kPSY || kind == AtomKind::kPSZ || kind == AtomKind::kPSAZ ||
                kind == AtomKind::kMG;
    if (hasPartner(kind) == lone) return false;
  }
  return true;
}
static_assert(onlyLoneTypesLackPartners());

}  // namespace

// A residue-dependent bond needs a residue type; without one it is not seen.
bool atomTypeConnected(AtomKind self, const t_Atom* other, const t_Residue* residue)
{
  if (other == nullptr) return false;
  std::size_t i = kindIndex(self);
  for (std::size_t p = kPartners.first[i]; p < kPartners.first[i + 1]; ++p) {
    const Partner& partner = kPartners.partners[p];
    if (!(other->*kIsKind[kindIndex(partner.other)])()) continue;
    if (partner.test == nullptr) return true;
    return residue != nullptr && (residue->*partner.test)();
  }
  return false;
}
