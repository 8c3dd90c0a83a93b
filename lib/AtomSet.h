// Atom filters: small polymorphic sets of atoms, judged by the atom's type
// alone. Whoever holds a filter's pointer owns it; copies go through clone.
#ifndef TESSEL_ATOMSET_H
#define TESSEL_ATOMSET_H

#include <string>

class CAtom;
class iBinstream;
class oBinstream;

class AtomSet
{
public:
  virtual ~AtomSet() = default;

  // Membership. Only all_atom_set accepts an untyped atom.
  virtual bool operator()(const CAtom& atom) const = 0;
  // The set's name.
  virtual operator const char*() const = 0;
  // A new heap copy, owned by the caller.
  virtual AtomSet* clone() const = 0;
  // Writes the set's tag, then a conjunction's operands.
  virtual void BinOutput(oBinstream& os) const = 0;
};

#define TESSEL_LEAF_ATOM_SET(CLASS)                                    \
  class CLASS : public AtomSet                                       \
  {                                                                  \
  public:                                                            \
    bool operator()(const CAtom& atom) const override;               \
    operator const char*() const override;                           \
    AtomSet* clone() const override { return new CLASS(*this); }     \
    void BinOutput(oBinstream& os) const override;                   \
  };

TESSEL_LEAF_ATOM_SET(all_atom_set)        // "all": every atom, typed or not
TESSEL_LEAF_ATOM_SET(base_atom_set)       // "base_only": side-chain atoms
TESSEL_LEAF_ATOM_SET(backbone_atom_set)   // "backbone_only"
TESSEL_LEAF_ATOM_SET(pse_atom_set)        // "pse_only": C1', PSY and PSZ
TESSEL_LEAF_ATOM_SET(no_hydrogen_set)     // "no_hydrogen"
TESSEL_LEAF_ATOM_SET(no_pse_lp_atom_set)  // "no_pse_lp": no pseudo-atom, no lone pair
TESSEL_LEAF_ATOM_SET(no_O2p_atom_set)     // "no_O2p"
#undef TESSEL_LEAF_ATOM_SET

// The atoms in both operands. It owns them; copies clone them.
class atomset_and : public AtomSet
{
public:
  // Takes ownership of both operands, which must not be null.
  atomset_and(AtomSet* first, AtomSet* second);
  atomset_and(const atomset_and& other);
  atomset_and& operator=(const atomset_and& other);
  ~atomset_and() override;

  // set1 decides first; set2 is asked only about the atoms set1 accepts.
  bool operator()(const CAtom& atom) const override;
  // The operands' names separated by a blank, the leaves of nested
  // conjunctions left to right; valid until the set is assigned or dies.
  operator const char*() const override;
  AtomSet* clone() const override;
  void BinOutput(oBinstream& os) const override;

private:
  AtomSet* set1;
  AtomSet* set2;
  mutable std::string name;
};

// Writing a null set fails the stream.
oBinstream& operator<<(oBinstream& os, const AtomSet* set);
// Reads a set into a new heap object. An unknown tag, an operand that
// cannot be read or conjunctions nested too deep for any real filter fail
// the stream and leave the pointer as it was.
iBinstream& operator>>(iBinstream& is, AtomSet*& set);

#endif
