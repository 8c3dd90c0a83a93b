#include "Model.h"

#include <algorithm>
#include <cfloat>
#include <cstddef>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>

#include "Algo.h"
#include "AtomSet.h"
#include "Binstream.h"
#include "Messagestream.h"
#include "PdbNames.h"
#include "Pdbstream.h"
#include "ResId.h"
#include "ResidueFactory.h"
#include "ResidueType.h"

Model::Model(ResidueFactoryMethod* f) : factory(f != nullptr ? f : new CResidueFM) {}

Model::Model(const Model& other) : factory(other.factory->clone())
{
  residues.reserve(other.residues.size());
  for (const AbstractResidue* r : other.residues) residues.push_back(r->clone());
}

Model::Model(Model&& other) noexcept : residues(std::move(other.residues)), factory(other.factory)
{
  other.residues.clear();
  other.factory = new CResidueFM;
}

Model& Model::operator=(const Model& other)
{
  if (this == &other) return *this;
  // The clone first: a failure leaves this model as it was.
  ResidueFactoryMethod* copy = other.factory->clone();
  delete factory;
  factory = copy;
  clear();
  residues.reserve(other.residues.size());
  for (const AbstractResidue* r : other.residues) residues.push_back(r->clone());
  return *this;
}

Model::~Model()
{
  delete factory;
  clear();
}

void Model::clear()
{
  for (AbstractResidue* r : residues) delete r;
  residues.clear();
}

Model::model_iterator Model::erase(model_iterator position)
{
  delete *position;
  return model_iterator(residues.erase(position.base));
}

std::vector<AbstractResidue*> Model::release()
{
  std::vector<AbstractResidue*> given;
  given.swap(residues);
  return given;
}

void Model::setResidueFM(ResidueFactoryMethod* f)
{
  // Handing the model its own factory again must not free it.
  if (f == factory) return;
  delete factory;
  factory = f != nullptr ? f : new CResidueFM;
}

Model::model_iterator Model::find(const CResId& id)
{
  for (List::iterator r = residues.begin(); r != residues.end(); ++r)
    if ((*r)->getResId() == id) return model_iterator(r);
  return end();
}

Model::model_const_iterator Model::find(const CResId& id) const
{
  for (List::const_iterator r = residues.begin(); r != residues.end(); ++r)
    if ((*r)->getResId() == id) return model_const_iterator(r);
  return end();
}

namespace {

// The two pieces of "id:name", empty pieces dropped; false unless there
// are exactly two.
bool split_atom_name(const char* text, std::string& id, std::string& name)
{
  std::string copy = text != nullptr ? text : "";
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t colon; (colon = copy.find(':', start)) != std::string::npos; start = colon + 1)
    if (colon > start) pieces.push_back(copy.substr(start, colon - start));
  if (start < copy.size()) pieces.push_back(copy.substr(start));
  if (pieces.size() != 2) return false;
  id = pieces[0];
  name = pieces[1];
  return true;
}

// The residue's atom of that name, or an iterator on no residue. The name
// is read as the PDB reader reads the residue's own atom lines, so that O
// is an amino acid's carbonyl oxygen as it was when the file was read.
template <typename Iterator, typename Residue>
Iterator atom_named(Residue& residue, const std::string& name)
{
  // Past the four columns of an atom-name field the lookup would read a
  // prefix (P   X as P): such a name is no atom's.
  if (name.size() > at_Misc::kNameLength) return Iterator();
  // The lookup rewrites four characters in place: give it a padded field.
  std::string field = name;
  field.resize(at_Misc::kNameLength, ' ');
  t_Atom* type = iPdbstream::GetAtomType(&field[0], residue.getType());
  Iterator atom = residue.find(type);
  return atom == residue.end() ? Iterator() : atom;
}

}  // namespace

AbstractResidue::ResidueIterator Model::find(const char* text)
{
  std::string id, name;
  if (!split_atom_name(text, id, name)) return AbstractResidue::ResidueIterator();
  model_iterator r = find(CResId(id.c_str()));
  if (r == end()) return AbstractResidue::ResidueIterator();
  return atom_named<AbstractResidue::ResidueIterator>(**r, name);
}

AbstractResidue::ResidueConstIterator Model::find(const char* text) const
{
  std::string id, name;
  if (!split_atom_name(text, id, name)) return AbstractResidue::ResidueConstIterator();
  model_const_iterator r = find(CResId(id.c_str()));
  if (r == end()) return AbstractResidue::ResidueConstIterator();
  return atom_named<AbstractResidue::ResidueConstIterator>(**r, name);
}

// Deletes the residues the predicate picks, keeping the others in order,
// in one pass however many go.
template <typename Remove>
void Model::remove_if(Remove remove)
{
  List kept;
  kept.reserve(residues.size());
  for (AbstractResidue* r : residues) {
    if (remove(r))
      delete r;
    else
      kept.push_back(r);
  }
  residues.swap(kept);
}

bool is_polymer(const AbstractResidue* r)
{
  const t_Residue* t = r->getType();
  return t != nullptr && (t->is_NucleicAcid() || t->is_AminoAcid());
}

bool is_named_polymer(const AbstractResidue* r)
{
  const t_Residue* t = r->getType();
  if (t != nullptr && t->is_Misc()) t = pdb_residue_type(t->getName(), std::strlen(t->getName()));
  return is_concrete_polymer(t);
}

namespace {

bool is_amino_acid(const AbstractResidue* r) { return r->getType() != nullptr && r->getType()->is_AminoAcid(); }
bool is_nucleic_acid(const AbstractResidue* r) { return r->getType() != nullptr && r->getType()->is_NucleicAcid(); }

}  // namespace

void Model::validate(bool place)
{
  for (AbstractResidue* r : residues) r->validate(place);
  remove_if([](const AbstractResidue* r) { return !is_polymer(r); });
}

void Model::removeOptionals()
{
  for (AbstractResidue* r : residues) r->removeOptionals();
}

void Model::removeAminoAcid() { remove_if(is_amino_acid); }
void Model::removeNucleicAcid() { remove_if(is_nucleic_acid); }
void Model::keepAminoAcid() { remove_if([](const AbstractResidue* r) { return !is_amino_acid(r); }); }
void Model::keepNucleicAcid() { remove_if([](const AbstractResidue* r) { return !is_nucleic_acid(r); }); }

namespace {

// Boxes this close may hold atoms that clash; atoms this close clash.
constexpr float kContactDistance = 2.0f;
constexpr float kClashDistance = 0.8f;

// An atom further than this outside a box on one axis is further than
// kClashDistance from every atom in it: the 0.2 by which it exceeds
// kClashDistance dwarfs any rounding. Two atoms whose squared distance is
// kClashSquared or more are further apart too.
constexpr double kClashReach = 1.0;
constexpr float kClashSquared = 0.65f;

// The heavy atoms of every residue of a list, in current coordinates: no
// hydrogen, lone pair or pseudo-atom. They are gathered once into one
// array, with each residue's box, so that two residues are compared atom
// by atom only where each comes near the other's box.
class HeavyAtoms
{
public:
  explicit HeavyAtoms(const std::vector<AbstractResidue*>& residues);

  // Whether residues a and b, by their place in the list, have two heavy
  // atoms closer than kClashDistance.
  bool clash(unsigned a, unsigned b) const;

private:
  struct Point
  {
    float x, y, z;
  };
  // A residue's box pushed out by kClashReach, in double: taking
  // kClashReach off again gives the box back.
  struct Reach
  {
    double lower[3], upper[3];

    bool meets(double x, double y, double z) const
    {
      return (lower[0] <= x) & (x <= upper[0]) & (lower[1] <= y) & (y <= upper[1]) & (lower[2] <= z) &
             (z <= upper[2]);
    }
    // Whether the other residue's box, without its reach, meets this one.
    bool meets(const Reach& other) const
    {
      return (lower[0] <= other.upper[0] - kClashReach) & (other.lower[0] + kClashReach <= upper[0]) &
             (lower[1] <= other.upper[1] - kClashReach) & (other.lower[1] + kClashReach <= upper[1]) &
             (lower[2] <= other.upper[2] - kClashReach) & (other.lower[2] + kClashReach <= upper[2]);
    }
  };

  // Residue k holds atoms[start[k]] up to atoms[start[k + 1]].
  std::vector<Point> atoms;
  std::vector<std::size_t> start;
  std::vector<Reach> reach;
};

HeavyAtoms::HeavyAtoms(const std::vector<AbstractResidue*>& residues)
{
  const atomset_and heavy(new no_pse_lp_atom_set, new no_hydrogen_set);
  std::size_t most = 0;
  for (const AbstractResidue* r : residues) most += r->size();
  atoms.reserve(most);
  start.reserve(residues.size() + 1);
  reach.reserve(residues.size());
  start.push_back(0);
  for (const AbstractResidue* r : residues) {
    // Without heavy atoms a residue is near nothing.
    Reach box{{DBL_MAX, DBL_MAX, DBL_MAX}, {-DBL_MAX, -DBL_MAX, -DBL_MAX}};
    // By position: the order of the atoms does not matter here, and the
    // residue's iterators cost more than the test.
    for (unsigned p = 0, n = r->size(); p < n; ++p) {
      const CAtom& a = r->getAtom(p);
      if (!heavy(a)) continue;
      atoms.push_back(Point{a.x, a.y, a.z});
      const double c[3] = {a.x, a.y, a.z};
      for (int k = 0; k < 3; ++k) {
        box.lower[k] = std::min(box.lower[k], c[k] - kClashReach);
        box.upper[k] = std::max(box.upper[k], c[k] + kClashReach);
      }
    }
    start.push_back(atoms.size());
    reach.push_back(box);
  }
}

bool HeavyAtoms::clash(unsigned a, unsigned b) const
{
  const Reach& near = reach[b];
  if (!near.meets(reach[a])) return false;
  for (std::size_t i = start[a]; i < start[a + 1]; ++i) {
    const Point& x = atoms[i];
    if (!near.meets(x.x, x.y, x.z)) continue;
    const CPoint3D p(x.x, x.y, x.z);
    for (std::size_t j = start[b]; j < start[b + 1]; ++j) {
      const CPoint3D q(atoms[j].x, atoms[j].y, atoms[j].z);
      if ((p || q) < kClashSquared && (p | q) < kClashDistance) return true;
    }
  }
  return false;
}

}  // namespace

void Model::removeClashes()
{
  std::vector<std::pair<model_iterator, model_iterator>> contacts =
    Algo::ExtractContact_AABB(begin(), end(), kContactDistance);
  const HeavyAtoms heavy(residues);
  std::vector<bool> rejected(residues.size(), false);
  // A residue already rejected still rejects those after it: all go at the end.
  for (const std::pair<model_iterator, model_iterator>& c : contacts) {
    if (!heavy.clash(c.first - begin(), c.second - begin())) continue;
    gOut->setLevel(3) << "Rejecting " << (*c.second)->getResId() << " because of clashes with "
                      << (*c.first)->getResId() << std::endl;
    rejected[c.second - begin()] = true;
  }
  // remove_if visits the residues once each, in list order.
  unsigned k = 0;
  remove_if([&](const AbstractResidue*) { return rejected[k++]; });
}

oBinstream& Model::write(oBinstream& os) const
{
  os << static_cast<int>(residues.size());
  for (const AbstractResidue* r : residues) os << *r;
  return os;
}

oPdbstream& Model::write(oPdbstream& os) const
{
  if (residues.empty()) return os;
  char chain = residues.front()->getResId().GetChainId();
  for (const AbstractResidue* r : residues) {
    if (r->getResId().GetChainId() != chain) {
      os.TER();
      chain = r->getResId().GetChainId();
    }
    os << *r;
  }
  os.TER();
  return os;
}

iPdbstream& operator>>(iPdbstream& is, Model& model)
{
  model.clear();
  while (is && !is.IsEND()) {
    AbstractResidue* residue = model.getResidueFM().createResidue();
    is >> *residue;
    if (residue->size() > 0)
      model.push_back(residue);
    else
      delete residue;
    if (is.IsENDMDL()) break;
  }
  return is;
}

oPdbstream& operator<<(oPdbstream& os, const Model& model) { return model.write(os); }

iBinstream& operator>>(iBinstream& is, Model& model)
{
  int count = 0;
  if (!(is >> count)) return is;
  for (int k = 0; k < count && is; ++k) {
    AbstractResidue* residue = model.getResidueFM().createResidue();
    residue->read(is);
    if (is)
      model.push_back(residue);
    else
      delete residue;
  }
  return is;
}

oBinstream& operator<<(oBinstream& os, const Model& model) { return model.write(os); }

std::ostream& operator<<(std::ostream& os, const Model& model)
{
  for (Model::model_const_iterator r = model.begin(); r != model.end(); ++r) os << **r;
  return os;
}
