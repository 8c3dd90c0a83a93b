#include "AtomPlacement.h"

#include <cmath>
#include <iterator>

#include "AtomType.h"
#include "ResidueType.h"
#include "Transfo.h"

namespace placement {
namespace {

// Bond lengths (angstrom).
constexpr float kAromaticCH = 1.08f;  // base C-H, methyl C-H
constexpr float kNH = 1.0f;           // imino and amino N-H
constexpr float kSugarCH = 1.09f;
constexpr float kOH = 1.03f;
constexpr float kLonePair = 1.0f;

// Directions, as ratios of perpendicular to axial components.
constexpr float kTan60 = 1.7320508f;       // 120 degrees about the bonded atom
constexpr float kTan70 = 2.7474773f;       // methyl: 110 degrees at the carbon
constexpr float kCot60 = 0.57735026f;      // methyl fan, 120 degrees apart
constexpr float kMethylene = 1.386f;       // H-C-H of a sugar CH2
constexpr float kTan19_5 = 0.354f;         // hydroxyl: about 109.5 degrees at O

// Shorter than this a difference of single-precision coordinates, or a sum
// or product of unit vectors, has no direction of its own.
constexpr float kMinLength = 1e-4f;

using G = Geometry;
using W = When;

// In each row: the atom placed, its geometry, X (the atom it is bonded to)
// and the atoms that orient it, the bond length.
constexpr Rule kAdenineHydrogens[] = {
  {&a_H2, G::Bisector, {&a_C2, &a_N1, &a_N3}, kAromaticCH, W::Always},
  {&a_H8, G::Bisector, {&a_C8, &a_N7, &a_N9}, kAromaticCH, W::Always},
  {&a_1H6, G::PlanarFirst, {&a_N6, &a_C6, &a_N1, &a_C5}, kNH, W::Always},
  {&a_2H6, G::PlanarSecond, {&a_N6, &a_C6, &a_N1, &a_C5}, kNH, W::Always},
};
constexpr Rule kGuanineHydrogens[] = {
  {&a_H1, G::Bisector, {&a_N1, &a_C2, &a_C6}, kNH, W::Always},
  {&a_H8, G::Bisector, {&a_C8, &a_N7, &a_N9}, kAromaticCH, W::Always},
  {&a_1H2, G::PlanarSecond, {&a_N2, &a_C2, &a_N1, &a_N3}, kNH, W::Always},
  {&a_2H2, G::PlanarFirst, {&a_N2, &a_C2, &a_N1, &a_N3}, kNH, W::Always},
};
constexpr Rule kCytosineHydrogens[] = {
  {&a_H5, G::Bisector, {&a_C5, &a_C4, &a_C6}, kAromaticCH, W::Always},
  {&a_H6, G::Bisector, {&a_C6, &a_C5, &a_N1}, kAromaticCH, W::Always},
  {&a_1H4, G::PlanarSecond, {&a_N4, &a_C4, &a_N3, &a_C5}, kNH, W::Always},
  {&a_2H4, G::PlanarFirst, {&a_N4, &a_C4, &a_N3, &a_C5}, kNH, W::Always},
};
constexpr Rule kUracilHydrogens[] = {
  {&a_H3, G::Bisector, {&a_N3, &a_C2, &a_C4}, kNH, W::Always},
  {&a_H5, G::Bisector, {&a_C5, &a_C4, &a_C6}, kAromaticCH, W::Always},
  {&a_H6, G::Bisector, {&a_C6, &a_C5, &a_N1}, kAromaticCH, W::Always},
};
constexpr Rule kThymineHydrogens[] = {
  {&a_H3, G::Bisector, {&a_N3, &a_C2, &a_C4}, kNH, W::Always},
  {&a_H6, G::Bisector, {&a_C6, &a_C5, &a_N1}, kAromaticCH, W::Always},
  {&a_1H5M, G::Methyl1, {&a_C5M, &a_C5, &a_C4}, kAromaticCH, W::Always},
  {&a_2H5M, G::Methyl2, {&a_C5M, &a_C5, &a_C4}, kAromaticCH, W::Always},
  {&a_3H5M, G::Methyl3, {&a_C5M, &a_C5, &a_C4}, kAromaticCH, W::Always},
};

// One lone pair on each ring nitrogen without hydrogen, two on each
// carbonyl oxygen.
constexpr Rule kAdenineLonePairs[] = {
  {&a_LP1, G::Bisector, {&a_N1, &a_C2, &a_C6}, kLonePair, W::Always},
  {&a_LP3, G::Bisector, {&a_N3, &a_C2, &a_C4}, kLonePair, W::Always},
  {&a_LP7, G::Bisector, {&a_N7, &a_C5, &a_C8}, kLonePair, W::Always},
};
constexpr Rule kGuanineLonePairs[] = {
  {&a_LP3, G::Bisector, {&a_N3, &a_C2, &a_C4}, kLonePair, W::Always},
  {&a_LP7, G::Bisector, {&a_N7, &a_C5, &a_C8}, kLonePair, W::Always},
  {&a_1LP6, G::PlanarSecond, {&a_O6, &a_C6, &a_N1, &a_C5}, kLonePair, W::Always},
  {&a_2LP6, G::PlanarFirst, {&a_O6, &a_C6, &a_N1, &a_C5}, kLonePair, W::Always},
};
constexpr Rule kCytosineLonePairs[] = {
  {&a_LP3, G::Bisector, {&a_N3, &a_C2, &a_C4}, kLonePair, W::Always},
  {&a_1LP2, G::PlanarFirst, {&a_O2, &a_C2, &a_N1, &a_N3}, kLonePair, W::Always},
  {&a_2LP2, G::PlanarSecond, {&a_O2, &a_C2, &a_N1, &a_N3}, kLonePair, W::Always},
};
constexpr Rule kUracilThymineLonePairs[] = {
  {&a_1LP2, G::PlanarFirst, {&a_O2, &a_C2, &a_N1, &a_N3}, kLonePair, W::Always},
  {&a_2LP2, G::PlanarSecond, {&a_O2, &a_C2, &a_N1, &a_N3}, kLonePair, W::Always},
  {&a_1LP4, G::PlanarSecond, {&a_O4, &a_C4, &a_N3, &a_C5}, kLonePair, W::Always},
  {&a_2LP4, G::PlanarFirst, {&a_O4, &a_C4, &a_N3, &a_C5}, kLonePair, W::Always},
};

// H1' is built on the glycosidic nitrogen: N9 of a purine, N1 otherwise.
constexpr Rule kSugarHydrogens[] = {
  {&a_H1p, G::Tetrahedral, {&a_C1p, &a_C2p, &a_N9, &a_O4p}, kSugarCH, W::Purine},
  {&a_H1p, G::Tetrahedral, {&a_C1p, &a_C2p, &a_N1, &a_O4p}, kSugarCH, W::NotPurine},
  {&a_H3p, G::Tetrahedral, {&a_C3p, &a_C2p, &a_O3p, &a_C4p}, kSugarCH, W::Always},
  {&a_H4p, G::Tetrahedral, {&a_C4p, &a_C3p, &a_O4p, &a_C5p}, kSugarCH, W::Always},
  {&a_1H5p, G::MethyleneFirst, {&a_C5p, &a_C4p, &a_O5p}, kSugarCH, W::Always},
  {&a_2H5p, G::MethyleneSecond, {&a_C5p, &a_C4p, &a_O5p}, kSugarCH, W::Always},
  {&a_HO3p, G::HydroxylPlus, {&a_O3p, &a_C3p, &a_C4p}, kOH, W::Always},
  {&a_H2p, G::Tetrahedral, {&a_C2p, &a_C1p, &a_C3p, &a_O2p}, kSugarCH, W::RNA},
  {&a_HO2p, G::HydroxylMinus, {&a_O2p, &a_C2p, &a_C1p}, kOH, W::RNA},
  {&a_1H2p, G::MethyleneFirst, {&a_C2p, &a_C1p, &a_C3p}, kSugarCH, W::DNAOnly},
  {&a_2H2p, G::MethyleneSecond, {&a_C2p, &a_C1p, &a_C3p}, kSugarCH, W::DNAOnly},
};

template <std::size_t N>
constexpr RuleList rules(const Rule (&table)[N])
{
  return RuleList{table, N};
}

// Tested in this order; the first base the type is decides.
constexpr BaseRules kBases[] = {
  {&t_Residue::is_A, rules(kAdenineHydrogens), rules(kAdenineLonePairs)},
  {&t_Residue::is_G, rules(kGuanineHydrogens), rules(kGuanineLonePairs)},
  {&t_Residue::is_C, rules(kCytosineHydrogens), rules(kCytosineLonePairs)},
  {&t_Residue::is_U, rules(kUracilHydrogens), rules(kUracilThymineLonePairs)},
  {&t_Residue::is_T, rules(kThymineHydrogens), rules(kUracilThymineLonePairs)},
};

// unit(v), or false when v has no usable direction.
bool unit(const CPoint3D& v, CPoint3D& out)
{
  float length = v.Length();
  if (!(length > kMinLength) || !std::isfinite(length)) return false;
  out = v / length;
  return true;
}

// u(X,Y): from Y towards X.
bool towards(const CPoint3D& x, const CPoint3D& y, CPoint3D& out) { return unit(x - y, out); }

bool bisector(const CPoint3D& x, const CPoint3D& y, const CPoint3D& z, float length,
              CPoint3D& out)
{
  CPoint3D a, b, d;
  if (CTransfo::isDegenerate(x, y, z)) return false;
  if (!towards(x, y, a) || !towards(x, z, b) || !unit(a + b, d)) return false;
  out = x + d * length;
  return true;
}

// An amino hydrogen or a carbonyl lone pair on X, bonded to the ring atom C
// whose ring neighbours are Y and Z: 120 degrees from C about X, in the
// ring plane.
bool planar(const CPoint3D& x, const CPoint3D& c, const CPoint3D& y, const CPoint3D& z,
            bool first, float length, CPoint3D& out)
{
  CPoint3D a, b, axis, normal, side, d;
  if (CTransfo::isDegenerate(c, y, z)) return false;
  if (!towards(c, y, a) || !towards(c, z, b) || !towards(x, c, axis)) return false;
  if (!unit(a.Cross(b), normal)) return false;
  if (!unit(first ? normal.Cross(axis) : axis.Cross(normal), side)) return false;
  if (!unit(axis + side * kTan60, d)) return false;
  out = x + d * length;
  return true;
}

bool tetrahedral(const CPoint3D& x, const CPoint3D& y, const CPoint3D& z, const CPoint3D& w,
                 float length, CPoint3D& out)
{
  CPoint3D a, b, c, d;
  if (!towards(x, y, a) || !towards(x, z, b) || !towards(x, w, c)) return false;
  if (!unit(a + b + c, d)) return false;
  out = x + d * length;
  return true;
}

bool methylene(const CPoint3D& x, const CPoint3D& y, const CPoint3D& z, bool first,
               float length, CPoint3D& out)
{
  CPoint3D a, b, bisect, normal, d;
  if (CTransfo::isDegenerate(x, y, z)) return false;
  if (!towards(x, y, a) || !towards(x, z, b)) return false;
  if (!unit(a + b, bisect) || !unit(a.Cross(b), normal)) return false;
  if (!unit((first ? normal : -normal) * kMethylene + bisect, d)) return false;
  out = x + d * length;
  return true;
}

// The hydrogen of the oxygen O on carbon C, with W a further neighbour of C.
bool hydroxyl(const CPoint3D& o, const CPoint3D& c, const CPoint3D& w, bool plus, float length,
              CPoint3D& out)
{
  CPoint3D a, b, p, d;
  if (CTransfo::isDegenerate(c, w, o)) return false;
  if (!towards(c, w, a) || !towards(o, c, b)) return false;
  if (!unit(a.Cross(b).Cross(b), p)) return false;
  CPoint3D axial = b * kTan19_5;
  if (!unit(plus ? axial + p : axial - p, d)) return false;
  out = o + d * length;
  return true;
}

// Methyl hydrogen k (0, 1, 2) on X bonded to Y; Z, bonded to Y, fixes the
// plane of the first.
bool methyl(const CPoint3D& x, const CPoint3D& y, const CPoint3D& z, int k, float length,
            CPoint3D& out)
{
  CPoint3D a, b, normal, fan, d;
  if (CTransfo::isDegenerate(y, x, z)) return false;
  if (!towards(x, y, a) || !towards(y, z, b) || !unit(a.Cross(b), normal)) return false;
  // In the base plane, perpendicular to the Y-X bond.
  CPoint3D p = a.Cross(normal);
  if (k == 0)
    fan = p;
  else if (!unit((k == 1 ? normal : -normal) - p * kCot60, fan))
    return false;
  if (!unit(a + fan * kTan70, d)) return false;
  out = x + d * length;
  return true;
}

bool finite(const CPoint3D& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

bool compute(const Rule& rule, const CPoint3D* const f[4], CPoint3D& out)
{
  switch (rule.geometry) {
    case G::Bisector:
      return bisector(*f[0], *f[1], *f[2], rule.length, out);
    case G::PlanarFirst:
    case G::PlanarSecond:
      return planar(*f[0], *f[1], *f[2], *f[3], rule.geometry == G::PlanarFirst, rule.length, out);
    case G::Tetrahedral:
      return tetrahedral(*f[0], *f[1], *f[2], *f[3], rule.length, out);
    case G::MethyleneFirst:
    case G::MethyleneSecond:
      return methylene(*f[0], *f[1], *f[2], rule.geometry == G::MethyleneFirst, rule.length, out);
    case G::HydroxylPlus:
    case G::HydroxylMinus:
      return hydroxyl(*f[0], *f[1], *f[2], rule.geometry == G::HydroxylPlus, rule.length, out);
    case G::Methyl1:
      return methyl(*f[0], *f[1], *f[2], 0, rule.length, out);
    case G::Methyl2:
      return methyl(*f[0], *f[1], *f[2], 1, rule.length, out);
    case G::Methyl3:
      return methyl(*f[0], *f[1], *f[2], 2, rule.length, out);
  }
  return false;
}

// The atoms each geometry is built from.
constexpr int atomsUsed(Geometry g)
{
  switch (g) {
    case G::PlanarFirst:
    case G::PlanarSecond:
    case G::Tetrahedral:
      return 4;
    default:
      return 3;
  }
}

}  // namespace

const BaseRules* baseRulesFor(const t_Residue* type)
{
  if (type == nullptr) return nullptr;
  for (const BaseRules& base : kBases)
    if ((type->*base.is)()) return &base;
  return nullptr;
}

RuleList sugarHydrogens() { return rules(kSugarHydrogens); }

bool applies(When when, const t_Residue* type)
{
  switch (when) {
    case W::Always:
      return true;
    case W::Purine:
      return type->is_Purine();
    case W::NotPurine:
      return !type->is_Purine();
    case W::RNA:
      return type->is_RNA();
    case W::DNAOnly:
      return !type->is_RNA() && type->is_DNA();
  }
  return false;
}

bool place(const Rule& rule, const CPoint3D* const from[4], CPoint3D& out)
{
  for (int k = 0; k < atomsUsed(rule.geometry); ++k)
    if (from[k] == nullptr) return false;
  CPoint3D p;
  if (!compute(rule, from, p) || !finite(p)) return false;
  out = p;
  return true;
}

}  // namespace placement
