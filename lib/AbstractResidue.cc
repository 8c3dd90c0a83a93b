#include "AbstractResidue.h"

#include <algorithm>
#include <ostream>

#include "AtomPlacement.h"
#include "Exception.h"
#include "Messagestream.h"
#include "Pdbstream.h"
#include "ResidueAtomSets.h"
#include "ResidueType.h"

CLiveCount AbstractResidue::count;

AbstractResidue::AbstractResidue() : type(nullptr) { ++count; }

AbstractResidue::AbstractResidue(const AbstractResidue& other)
  : id(other.id), type(other.type), transformation(other.transformation),
    atomIndex(other.atomIndex), hetero(other.hetero), segment(other.segment)
{
  ++count;
}

AbstractResidue& AbstractResidue::operator=(const AbstractResidue& other)
{
  if (this != &other) {
    id = other.id;
    type = other.type;
    transformation = other.transformation;
    atomIndex = other.atomIndex;
    hetero = other.hetero;
    segment = other.segment;
  }
  return *this;
}

AbstractResidue::~AbstractResidue() { --count; }

AbstractResidue::ResidueIterator AbstractResidue::begin(AtomSet* filter)
{
  return ResidueIterator(this, 0, SharedAtomSet(filter));
}

AbstractResidue::ResidueIterator AbstractResidue::end()
{
  return ResidueIterator(this, static_cast<unsigned>(atomIndex.size()));
}

AbstractResidue::ResidueConstIterator AbstractResidue::begin(AtomSet* filter) const
{
  return ResidueConstIterator(this, 0, SharedAtomSet(filter));
}

AbstractResidue::ResidueConstIterator AbstractResidue::end() const
{
  return ResidueConstIterator(this, static_cast<unsigned>(atomIndex.size()));
}

AbstractResidue::ResidueIterator AbstractResidue::find(const t_Atom* atom_type)
{
  unsigned rank = rankOf(atom_type);
  return rank == kNoRank ? end() : ResidueIterator(this, rank);
}

AbstractResidue::ResidueConstIterator AbstractResidue::find(const t_Atom* atom_type) const
{
  unsigned rank = rankOf(atom_type);
  return rank == kNoRank ? end() : ResidueConstIterator(this, rank);
}

// Registry order: by ordinal, and only a stray copy of a type shares one,
// ordered then by address as less_atom_type orders it.
bool AbstractResidue::entryBefore(const IndexEntry& entry, unsigned ordinal,
                                  const t_Atom* atom_type) const
{
  if (entry.ordinal != ordinal) return entry.ordinal < ordinal;
  return std::less<const t_Atom*>()(getRefAtom(entry.position).getType(), atom_type);
}

unsigned AbstractResidue::rankOf(const t_Atom* atom_type) const
{
  if (atom_type == nullptr) return kNoRank;
  unsigned ordinal = atom_type->getOrdinal();
  AtomIndex::const_iterator first = std::partition_point(
      atomIndex.begin(), atomIndex.end(),
      [ordinal](const IndexEntry& e) { return e.ordinal < ordinal; });
  for (AtomIndex::const_iterator e = first; e != atomIndex.end() && e->ordinal == ordinal; ++e)
    if (getRefAtom(e->position).getType() == atom_type)
      return static_cast<unsigned>(e - atomIndex.begin());
  return kNoRank;
}

void AbstractResidue::indexAtom(const t_Atom* atom_type, unsigned position)
{
  unsigned ordinal = atom_type->getOrdinal();
  AtomIndex::iterator at = std::partition_point(
      atomIndex.begin(), atomIndex.end(),
      [&](const IndexEntry& e) { return entryBefore(e, ordinal, atom_type); });
  atomIndex.insert(at, IndexEntry{ordinal, position});
}

void AbstractResidue::rebuildIndex()
{
  unsigned n = size();
  atomIndex.clear();
  atomIndex.reserve(n);
  for (unsigned position = 0; position < n; ++position)
    atomIndex.push_back(IndexEntry{getRefAtom(position).getType()->getOrdinal(), position});
  std::sort(atomIndex.begin(), atomIndex.end(), [this](const IndexEntry& a, const IndexEntry& b) {
    return entryBefore(a, b.ordinal, getRefAtom(b.position).getType());
  });
}

void AbstractResidue::reportMissingAtoms() const
{
  gOut->setLevel(2) << "Residue " << type << "-" << id
                    << " is missing one or more critical atoms." << std::endl;
}

// The misc registry is keyed by the first three characters of the name,
// which findOrCreate cuts the same way: a long name such as Phosphate finds
// the misc type made at its first demotion.
void AbstractResidue::demote()
{
  if (type != nullptr) type = rt_Misc::findOrCreate(type->getName());
}

void AbstractResidue::badDereference()
{
  CFatalIntLibException e("Dereferencing an atom iterator that designates no atom.", __FILE__,
                          __LINE__);
  throw e;
}

namespace {

// Places the rows that apply to the residue and whose atoms it holds;
// rows it cannot place are skipped.
void placeRows(AbstractResidue& residue, const placement::RuleList& rows)
{
  for (const placement::Rule& row : rows) {
    if (!placement::applies(row.when, residue.getType())) continue;
    const CPoint3D* from[4] = {nullptr, nullptr, nullptr, nullptr};
    bool present = true;
    for (int k = 0; k < 4 && present; ++k) {
      if (row.from[k] == nullptr) continue;
      from[k] = residue.ref(*row.from[k]);
      present = from[k] != nullptr;
    }
    CPoint3D p;
    if (present && placement::place(row, from, p))
      residue.insert_local(CAtom(p.x, p.y, p.z, *row.atom));
  }
}

bool holdsAtomsOf(const AbstractResidue& residue, const placement::RuleList& rows)
{
  for (const placement::Rule& row : rows)
    for (t_Atom* const* atom : row.from)
      if (atom != nullptr && residue.ref(*atom) == nullptr) return false;
  return true;
}

struct TypeAtomSets
{
  bool (t_Residue::*is)() const;
  const AtomTypeSet* obligatory;
  const AtomTypeSet* optional;
};

// A concrete type answers only its own predicate, so scanning the rows in
// order picks the same sets as choosing the family first.
const TypeAtomSets kTypeAtomSets[] = {
#define TESSEL_RESIDUE_ATOM_SETS(RES) {&t_Residue::is_##RES, &g##RES##OblAtomSet, &g##RES##OptAtomSet},
#include "ResidueAtomSets.def"
};

// The sets of a concrete nucleotide or amino-acid type, or null.
const TypeAtomSets* atomSetsOf(const t_Residue* type)
{
  if (type == nullptr) return nullptr;
  for (const TypeAtomSets& sets : kTypeAtomSets)
    if ((type->*sets.is)()) return &sets;
  return nullptr;
}

void progress(const char* mark) { gOut->setLevel(3) << mark; }

}  // namespace

bool AbstractResidue::completeDemoting()
{
  const placement::BaseRules* base = placement::baseRulesFor(type);
  // The lone pairs are placed from the same base: a base that could not
  // take them all is not complete either.
  if (base == nullptr || (holdsAtomsOf(*this, base->hydrogens) && holdsAtomsOf(*this, base->lonePairs)))
    return true;
  reportMissingAtoms();
  demote();
  return false;
}

void AbstractResidue::addHydrogens()
{
  if (type == nullptr) return;
  if (!completeDemoting()) return;
  if (const placement::BaseRules* base = placement::baseRulesFor(type)) placeRows(*this, base->hydrogens);
  if (type->is_NucleicAcid()) placeRows(*this, placement::sugarHydrogens());
}

void AbstractResidue::addLP()
{
  if (const placement::BaseRules* base = placement::baseRulesFor(type))
    placeRows(*this, base->lonePairs);
}

void AbstractResidue::removeOptionals()
{
  if (const TypeAtomSets* sets = atomSetsOf(type)) erase(*sets->optional);
}

void AbstractResidue::validate(bool place)
{
  if (type == nullptr) {
    progress("i");
    return;
  }
  if (type->is_NucleicAcid()) {
    removeOptionals();
    if (place) {
      addHydrogens();
      addLP();
    } else {
      completeDemoting();
    }
  }
  // Also a generalised type (r_RNA, r_AminoAcid ...), which has no sets.
  const TypeAtomSets* sets = atomSetsOf(type);
  if (sets == nullptr) {
    demote();
    progress("m");
    return;
  }
  // Marks the atoms of the two sets by position; what is left unmarked
  // does not belong to the type.
  std::vector<bool> belongs(size(), false);
  for (t_Atom* required : *sets->obligatory) {
    unsigned rank = rankOf(required);
    if (rank == kNoRank) {
      demote();
      progress("i");
      return;
    }
    belongs[atomIndex[rank].position] = true;
  }
  for (t_Atom* allowed : *sets->optional) {
    unsigned rank = rankOf(allowed);
    if (rank != kNoRank) belongs[atomIndex[rank].position] = true;
  }
  AtomTypeSet unknown;
  for (unsigned p = 0; p < belongs.size(); ++p)
    if (!belongs[p]) unknown.insert(getRefAtom(p).getType());
  if (!unknown.empty()) erase(unknown);
  progress(type->is_AminoAcid() ? "a" : "n");
}

iBinstream& operator>>(iBinstream& is, AbstractResidue& residue) { return residue.read(is); }

oBinstream& operator<<(oBinstream& os, const AbstractResidue& residue)
{
  return residue.write(os);
}

iPdbstream& operator>>(iPdbstream& is, AbstractResidue& residue) { return residue.read(is); }

oPdbstream& operator<<(oPdbstream& os, const AbstractResidue& residue)
{
  return residue.write(os);
}

std::ostream& operator<<(std::ostream& os, const AbstractResidue& residue)
{
  return residue.write(os);
}
