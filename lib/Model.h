// One three-dimensional model of a structure: an owning list of residues,
// in file order, with the factory that makes them.
#ifndef TESSEL_MODEL_H
#define TESSEL_MODEL_H

#include <cstddef>
#include <iosfwd>
#include <iterator>
#include <vector>

#include "AbstractResidue.h"

class CResId;
class iBinstream;
class iPdbstream;
class oBinstream;
class oPdbstream;
class ResidueFactoryMethod;

class Model
{
  typedef std::vector<AbstractResidue*> List;

public:
  // Iterators over the residues in list order. a - b counts the residues
  // from b up to a; a < b compares the residues' ids.
  template <typename Base, typename Pointer>
  class Iterator
  {
  public:
    typedef std::bidirectional_iterator_tag iterator_category;
    typedef Pointer value_type;
    typedef std::ptrdiff_t difference_type;
    typedef const Pointer* pointer;
    typedef Pointer reference;

    Iterator() = default;
    explicit Iterator(Base b) : base(b) {}
    template <typename B, typename P>
    Iterator(const Iterator<B, P>& other) : base(other.base) {}

    Pointer operator*() const { return *base; }
    Iterator& operator++() { ++base; return *this; }
    Iterator operator++(int) { Iterator old(*this); ++base; return old; }
    Iterator& operator--() { --base; return *this; }
    Iterator operator--(int) { Iterator old(*this); --base; return old; }
    bool operator==(const Iterator& other) const { return base == other.base; }
    bool operator!=(const Iterator& other) const { return base != other.base; }
    unsigned operator-(const Iterator& other) const { return static_cast<unsigned>(base - other.base); }
    bool operator<(const Iterator& other) const { return (*base)->getResId() < (*other.base)->getResId(); }

    Base base;
  };
  typedef Iterator<List::iterator, AbstractResidue*> model_iterator;
  typedef Iterator<List::const_iterator, const AbstractResidue*> model_const_iterator;

  // Owns the factory; a null one is replaced by a CResidueFM.
  explicit Model(ResidueFactoryMethod* factory = nullptr);
  Model(const Model& other);
  Model& operator=(const Model& other);
  // A model moved from is left empty, with a fresh factory.
  Model(Model&& other) noexcept;
  virtual Model* clone() const { return new Model(*this); }
  virtual ~Model();

  model_iterator begin() { return model_iterator(residues.begin()); }
  model_iterator end() { return model_iterator(residues.end()); }
  model_const_iterator begin() const { return model_const_iterator(residues.begin()); }
  model_const_iterator end() const { return model_const_iterator(residues.end()); }
  size_t size() const { return residues.size(); }
  bool empty() const { return residues.empty(); }
  // Takes ownership of the residue.
  void push_back(AbstractResidue* residue) { residues.push_back(residue); }
  // Deletes the residue there; returns the position after it.
  model_iterator erase(model_iterator position);
  AbstractResidue* operator[](unsigned i) { return residues[i]; }
  const AbstractResidue* operator[](unsigned i) const { return residues[i]; }
  // Gives the residues up: the caller owns them, the model is left empty.
  std::vector<AbstractResidue*> release();
  // Deletes every residue.
  void clear();

  const ResidueFactoryMethod& getResidueFM() const { return *factory; }
  // Deletes the current factory and owns this one (null: a CResidueFM).
  void setResidueFM(ResidueFactoryMethod* factory);

  // The first residue of that id, or end().
  model_iterator find(const CResId& id);
  model_const_iterator find(const CResId& id) const;
  // The atom named "residue id:atom name" (A12:C1'), the name read as in
  // the residue's atom lines; an iterator on no residue when there is none.
  AbstractResidue::ResidueIterator find(const char* text);
  AbstractResidue::ResidueConstIterator find(const char* text) const;

  // Validates every residue, then removes those that are neither a
  // nucleic acid nor an amino acid (misc types, demoted residues). Without
  // `place`, no hydrogen or lone pair is placed (AbstractResidue::validate).
  void validate(bool place = true);
  void removeOptionals();
  void removeAminoAcid();
  void removeNucleicAcid();
  void keepAminoAcid();
  void keepNucleicAcid();
  // Removes every residue whose heavy atoms come closer than 0.8 to those
  // of a residue before it in id order (of a lower id, or of the same id
  // and earlier in the model), each with a level-3 message.
  void removeClashes();

  virtual oBinstream& write(oBinstream& os) const;
  // The residues with a TER record at each change of chain and at the end.
  virtual oPdbstream& write(oPdbstream& os) const;

private:
  template <typename Remove>
  void remove_if(Remove remove);

  List residues;
  ResidueFactoryMethod* factory;
};

// A nucleic acid or an amino acid: what validation keeps, once it has
// demoted the incomplete ones.
bool is_polymer(const AbstractResidue* residue);

// A nucleotide or an amino acid by the name of its type, also when it was
// demoted as it was read (a critical atom missing): the misc type keeps
// that name. Phosphate, waters, ions, ligands and unknown names are none.
bool is_named_polymer(const AbstractResidue* residue);

// Reads one model: the residues up to ENDMDL, END or the end of input.
iPdbstream& operator>>(iPdbstream& is, Model& model);
oPdbstream& operator<<(oPdbstream& os, const Model& model);
// Appends the residues stored; the model is not emptied first.
iBinstream& operator>>(iBinstream& is, Model& model);
oBinstream& operator<<(oBinstream& os, const Model& model);
std::ostream& operator<<(std::ostream& os, const Model& model);

#endif
