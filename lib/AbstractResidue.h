// A residue as every part of the library sees it: an identifier, a type, a
// rigid transformation that places it, and typed atoms, at most one per
// atom type. The atoms are kept in the residue's own local frame
// (reference atoms) and are also seen placed, moved by the transformation.
//
// Atoms are walked in the registry order of their types (misc types after
// all the others, in their order of creation), whatever order they were
// added in: two residues holding the same atom types pair their atoms one
// to one, and written files never depend on where memory was allocated.
#ifndef TESSEL_ABSTRACTRESIDUE_H
#define TESSEL_ABSTRACTRESIDUE_H

#include <atomic>
#include <cstddef>
#include <iosfwd>
#include <iterator>
#include <type_traits>
#include <utility>
#include <vector>

#include "Atom.h"
#include "LiveCount.h"
#include "AtomType.h"
#include "ResId.h"
#include "SharedAtomSet.h"
#include "Transfo.h"

class AtomSet;
class iBinstream;
class iPdbstream;
class oBinstream;
class oPdbstream;
class t_Residue;

class AbstractResidue
{
public:
  template <bool IsConst>
  class AtomIterator;
  // Iterators over the atoms that a filter accepts, in registry order. They
  // designate an atom by its entry in the index, so they stay on the same
  // atom while the residue moves; adding or removing an atom invalidates
  // them. Dereferencing gives the placed atom (ResidueIterator) or the
  // atom in current coordinates (ResidueConstIterator).
  typedef AtomIterator<false> ResidueIterator;
  typedef AtomIterator<true> ResidueConstIterator;

  // One entry per atom, sorted in registry order: the ordinal of the
  // atom's type and the atom's position in the concrete residue's atom
  // vectors. Positions run 0 .. size()-1.
  struct IndexEntry
  {
    unsigned ordinal;
    unsigned position;
  };
  typedef std::vector<IndexEntry> AtomIndex;

  // Live residues.
  static CLiveCount count;

  // A new heap copy of the same concrete class, owned by the caller.
  virtual AbstractResidue* clone() const = 0;
  virtual ~AbstractResidue();

  // Replaces the atoms of an RNA base by an ideal conformation.
  virtual void setIdeal() = 0;
  // Sets the transformation.
  virtual AbstractResidue& operator=(const CTransfo& t) = 0;
  // The placed atom of that type. An absent type is added first, as an
  // atom of that type at the origin of placed coordinates.
  virtual CAtom& operator[](const t_Atom* atom_type) = 0;
  // The atom of that type in current coordinates; asking for an absent
  // type is an internal error.
  virtual const CAtom& operator[](const t_Atom* atom_type) const = 0;

  // The first atom that the filter accepts; the iterator owns the filter
  // (null: every atom).
  virtual ResidueIterator begin(AtomSet* filter = nullptr);
  virtual ResidueIterator end();
  virtual ResidueConstIterator begin(AtomSet* filter = nullptr) const;
  virtual ResidueConstIterator end() const;
  // On the atom of that type, with no filter, or end().
  virtual ResidueIterator find(const t_Atom* atom_type);
  virtual ResidueConstIterator find(const t_Atom* atom_type) const;

  // Atoms by position (0 .. size()-1). "Current coordinates" are the
  // reference atoms while the transformation is the identity, the placed
  // atoms otherwise.
  //
  // The placed atom. Writing to it moves the reference atom only while the
  // transformation is the identity; insert() moves an atom for good.
  virtual CAtom& getPlacedAtom(unsigned position) const = 0;
  // The reference (local-frame) atom of that type, or null.
  virtual const CAtom* ref(const t_Atom* atom_type) const = 0;
  virtual const CAtom& getRefAtom(unsigned position) const = 0;
  // The atom of that type in current coordinates, or null.
  virtual const CAtom* res(const t_Atom* atom_type) const = 0;
  virtual const CAtom& getAtom(unsigned position) const = 0;
  virtual unsigned size() const = 0;
  virtual bool empty() const = 0;

  // Add, or replace, the atom of the given atom's type, given in local or
  // in placed coordinates. An untyped atom is not an atom of the residue
  // and is ignored.
  virtual void insert_local(const CAtom& atom) = 0;
  virtual void insert(const CAtom& atom) = 0;
  // Removes the atom of that type; returns an iterator on the atom that
  // followed it, or end().
  virtual ResidueIterator erase(const t_Atom* atom_type) = 0;
  // Removes the atoms of all those types at once.
  virtual void erase(const AtomTypeSet& atom_types) = 0;
  // Takes the coordinates and the transformation of a residue of the same
  // type, atom by atom of the types both hold.
  virtual void AtomCopy(const AbstractResidue& other) = 0;
  // A new residue, owned by the caller, made of copies of the reference
  // atoms of the listed types that are present, in list order.
  virtual AbstractResidue* select(const std::vector<const t_Atom*>& atom_types) const = 0;
  // Composes t after the current transformation.
  virtual AbstractResidue& Transform(const CTransfo& t) = 0;
  // Resets the transformation to the identity.
  virtual void Align() = 0;

  virtual iBinstream& read(iBinstream& is) = 0;
  virtual oBinstream& write(oBinstream& os) const = 0;
  // Reads the atom lines of one residue; writes its ATOM records.
  virtual iPdbstream& read(iPdbstream& is) = 0;
  virtual oPdbstream& write(oPdbstream& os) const = 0;
  // Text dump.
  virtual std::ostream& write(std::ostream& os) const = 0;

  const CResId& getResId() const { return id; }
  void setResId(const CResId& new_id) { id = new_id; }
  // The residue's type, or null for a residue not yet read.
  t_Residue* getType() const { return type; }
  void setType(t_Residue* new_type) { type = new_type; }
  const CTransfo& getTransfo() const { return transformation; }
  // Read from HETATM records: a ligand, or a modified residue of a chain.
  // Other readers make every residue a plain one.
  bool isHetero() const { return hetero; }
  void setHetero(bool value) { hetero = value; }
  // The number of TER records read before the residue: two chains that
  // share a chain id are told apart by it. Other readers leave it 0.
  unsigned getSegment() const { return segment; }
  void setSegment(unsigned value) { segment = value; }

  // Completes a nucleotide with its hydrogens, computed in the local frame
  // from its heavy atoms. A base lacking a heavy atom that its hydrogens or
  // lone pairs need demotes the residue to a misc type instead.
  void addHydrogens();
  // Adds the lone pairs of the base's hydrogen-bond acceptors.
  void addLP();
  // Checks the residue against its type's atom sets: completes a
  // nucleotide, removes atoms its type does not know, or demotes it to a
  // misc type when it lacks an obligatory atom or has no atom sets.
  // Without `place`, the hydrogens and lone pairs are not placed (nothing
  // that reads only heavy atoms needs them), but a base that could not take
  // them is demoted all the same.
  void validate(bool place = true);
  // Removes the atoms of the type's optional set.
  void removeOptionals();

protected:
  AbstractResidue();
  AbstractResidue(const AbstractResidue& other);
  AbstractResidue& operator=(const AbstractResidue& other);

  static constexpr unsigned kNoRank = ~0u;

  // The index entry of that type, or kNoRank.
  unsigned rankOf(const t_Atom* atom_type) const;
  // Records the atom at that position; the type must not be indexed yet.
  void indexAtom(const t_Atom* atom_type, unsigned position);
  // The index of the atoms at positions 0 .. size()-1.
  void rebuildIndex();

  // False, with the message and the demotion, for a base lacking a heavy
  // atom that its hydrogens or lone pairs are placed from.
  bool completeDemoting();
  // The message for a residue whose type needs atoms it lacks.
  void reportMissingAtoms() const;
  // The residue's type becomes the misc type of the same name.
  void demote();

  CResId id;
  t_Residue* type;
  CTransfo transformation;
  AtomIndex atomIndex;
  bool hetero = false;
  unsigned segment = 0;

private:
  // Whether the entry stands before an atom of that type in registry order.
  bool entryBefore(const IndexEntry& entry, unsigned ordinal, const t_Atom* atom_type) const;
  [[noreturn]] static void badDereference();
};

template <bool IsConst>
class AbstractResidue::AtomIterator
{
public:
  typedef std::conditional_t<IsConst, const AbstractResidue, AbstractResidue> Residue;
  typedef std::conditional_t<IsConst, const CAtom, CAtom> Atom;
  typedef std::forward_iterator_tag iterator_category;
  typedef CAtom value_type;
  typedef std::ptrdiff_t difference_type;
  typedef Atom* pointer;
  typedef Atom& reference;

  // On no residue: equal to every other such iterator and to nothing else.
  AtomIterator() noexcept : residue(nullptr), rank(0) {}
  // On the first entry from `first` on whose atom the filter accepts.
  AtomIterator(Residue* r, unsigned first, SharedAtomSet f = SharedAtomSet())
    : residue(r), filter(std::move(f)), rank(first)
  {
    skipRejected();
  }
  // A mutable iterator converts to a const one.
  template <bool Other, typename = std::enable_if_t<IsConst && !Other>>
  AtomIterator(const AtomIterator<Other>& other)
    : residue(other.residue), filter(other.filter), rank(other.rank)
  {
  }

  reference operator*() const
  {
    if (atEnd()) badDereference();
    unsigned position = residue->atomIndex[rank].position;
    if constexpr (IsConst)
      return residue->getAtom(position);
    else
      return residue->getPlacedAtom(position);
  }
  pointer operator->() const { return &**this; }

  AtomIterator& operator++()
  {
    if (!atEnd()) {
      ++rank;
      skipRejected();
    }
    return *this;
  }
  AtomIterator operator++(int)
  {
    AtomIterator old(*this);
    ++*this;
    return old;
  }
  // To the n-th following atom that the filter accepts, or to the end; a
  // count of zero or less leaves the iterator where it is.
  AtomIterator& operator+=(int n)
  {
    while (n > 0 && !atEnd()) {
      ++rank;
      if (!atEnd() && accepted()) --n;
    }
    return *this;
  }

  // Same residue, same index entry; the filters are not compared.
  template <bool Other>
  bool operator==(const AtomIterator<Other>& other) const
  {
    return residue == other.residue && rank == other.rank;
  }
  template <bool Other>
  bool operator!=(const AtomIterator<Other>& other) const
  {
    return !(*this == other);
  }

private:
  template <bool>
  friend class AtomIterator;

  bool atEnd() const { return residue == nullptr || rank >= residue->atomIndex.size(); }
  // The filter judges the reference atom.
  bool accepted() const
  {
    return filter.accepts(residue->getRefAtom(residue->atomIndex[rank].position));
  }
  void skipRejected()
  {
    while (!atEnd() && !accepted()) ++rank;
  }

  Residue* residue;
  SharedAtomSet filter;
  unsigned rank;
};

iBinstream& operator>>(iBinstream& is, AbstractResidue& residue);
oBinstream& operator<<(oBinstream& os, const AbstractResidue& residue);
iPdbstream& operator>>(iPdbstream& is, AbstractResidue& residue);
oPdbstream& operator<<(oPdbstream& os, const AbstractResidue& residue);
std::ostream& operator<<(std::ostream& os, const AbstractResidue& residue);

#endif
