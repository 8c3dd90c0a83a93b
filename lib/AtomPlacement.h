// The rules that place the hydrogens and lone pairs of a nucleotide from
// its heavy atoms: one row per placed atom, naming the geometry and the
// atoms it is built from, and the geometry itself. Coordinates are those of
// the residue's local frame; the rules only read and compute.
#ifndef TESSEL_ATOMPLACEMENT_H
#define TESSEL_ATOMPLACEMENT_H

#include <cstddef>

#include "Point3D.h"

class t_Atom;
class t_Residue;

namespace placement {

// u(X,Y) is the unit vector from Y towards X; X is the atom the new one is
// bonded to, L the bond length.
enum class Geometry : unsigned char
{
  Bisector,        // X + unit(u(X,Y) + u(X,Z)) L, on the outer bisector of Y-X-Z
  PlanarFirst,     // at 120 degrees from C about X in the plane of C, Y, Z, on the Y side
  PlanarSecond,    // the same on the Z side
  Tetrahedral,     // X + unit(u(X,Y) + u(X,Z) + u(X,W)) L
  MethyleneFirst,  // the two hydrogens of a CH2 between Y and Z, on either side
  MethyleneSecond, // of the Y-X-Z plane
  HydroxylPlus,    // on the oxygen X of carbon Y, staggered from W, on one side
  HydroxylMinus,   // or the other
  Methyl1,         // the three methyl hydrogens on X bonded to Y, with Z the
  Methyl2,         // neighbour of Y that fixes the base plane; the first in
  Methyl3,         // that plane, the others 120 degrees around the bond
};

// Which residues of the row's base a row applies to.
enum class When : unsigned char
{
  Always,
  Purine,
  NotPurine,
  RNA,
  DNAOnly,  // DNA and not RNA
};

struct Rule
{
  t_Atom* const* atom;     // the singleton of the atom placed
  Geometry geometry;
  t_Atom* const* from[4];  // X, Y, Z, W; slots a geometry does not use are null
  float length;
  When when;
};

struct RuleList
{
  const Rule* first;
  std::size_t count;

  const Rule* begin() const { return first; }
  const Rule* end() const { return first + count; }
};

// The hydrogen and lone-pair rows of one base. Together they are built
// from every heavy atom of the base, so a base that holds all their atoms
// is complete.
struct BaseRules
{
  bool (t_Residue::*is)() const;
  RuleList hydrogens;
  RuleList lonePairs;
};

// The rules of the first base that the type is, testing A, G, C, U, T in
// that order, or null for a type that is none of them.
const BaseRules* baseRulesFor(const t_Residue* type);
// The sugar hydrogens of every nucleic-acid residue.
RuleList sugarHydrogens();
// Whether a row applies to a residue of that type.
bool applies(When when, const t_Residue* type);

// Computes the rule's atom from the positions of its `from` atoms (null
// where the rule uses none). False, leaving `out` as it was, when those
// atoms do not define a position: coincident or collinear atoms, or
// coordinates too large to compute with.
bool place(const Rule& rule, const CPoint3D* const from[4], CPoint3D& out);

}  // namespace placement

#endif
