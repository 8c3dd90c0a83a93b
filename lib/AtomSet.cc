#include "AtomSet.h"

#include "Atom.h"
#include "AtomType.h"
#include "Binstream.h"
#include "Exception.h"

namespace {

enum AtomSetTag : char
{
  kAndTag = 2,
  kAllTag,
  kBaseTag,
  kBackboneTag,
  kPseTag,
  kNoHydrogenTag,
  kNoPseLpTag,
  kNoO2pTag,
};

// Far deeper than any filter a program builds; it stops a corrupt stream
// of conjunction tags from exhausting the stack.
constexpr int kMaxNesting = 64;

}  // namespace

bool all_atom_set::operator()(const CAtom&) const { return true; }
all_atom_set::operator const char*() const { return "all"; }
void all_atom_set::BinOutput(oBinstream& os) const { os << static_cast<char>(kAllTag); }

bool base_atom_set::operator()(const CAtom& a) const
{
  return a.getType() != nullptr && a.getType()->is_SideChain();
}
base_atom_set::operator const char*() const { return "base_only"; }
void base_atom_set::BinOutput(oBinstream& os) const { os << static_cast<char>(kBaseTag); }

bool backbone_atom_set::operator()(const CAtom& a) const
{
  return a.getType() != nullptr && a.getType()->is_Backbone();
}
backbone_atom_set::operator const char*() const { return "backbone_only"; }
void backbone_atom_set::BinOutput(oBinstream& os) const { os << static_cast<char>(kBackboneTag); }

bool pse_atom_set::operator()(const CAtom& a) const
{
  const t_Atom* t = a.getType();
  return t != nullptr && (t->is_C1p() || t->is_PSY() || t->is_PSZ());
}
pse_atom_set::operator const char*() const { return "pse_only"; }
void pse_atom_set::BinOutput(oBinstream& os) const { os << static_cast<char>(kPseTag); }

bool no_hydrogen_set::operator()(const CAtom& a) const
{
  return a.getType() != nullptr && !a.getType()->is_Hydrogen();
}
no_hydrogen_set::operator const char*() const { return "no_hydrogen"; }
void no_hydrogen_set::BinOutput(oBinstream& os) const { os << static_cast<char>(kNoHydrogenTag); }

bool no_pse_lp_atom_set::operator()(const CAtom& a) const
{
  const t_Atom* t = a.getType();
  return t != nullptr && !t->is_Pseudo() && !t->is_LonePair();
}
no_pse_lp_atom_set::operator const char*() const { return "no_pse_lp"; }
void no_pse_lp_atom_set::BinOutput(oBinstream& os) const { os << static_cast<char>(kNoPseLpTag); }

bool no_O2p_atom_set::operator()(const CAtom& a) const
{
  return a.getType() != nullptr && !a.getType()->is_O2p();
}
no_O2p_atom_set::operator const char*() const { return "no_O2p"; }
void no_O2p_atom_set::BinOutput(oBinstream& os) const { os << static_cast<char>(kNoO2pTag); }

atomset_and::atomset_and(AtomSet* first, AtomSet* second) : set1(first), set2(second)
{
  if (set1 == nullptr || set2 == nullptr) {
    delete set1;
    delete set2;
    CIntLibException e("atomset_and needs two atom sets", __FILE__, __LINE__);
    throw e;
  }
}

atomset_and::atomset_and(const atomset_and& other)
  : AtomSet(other), set1(other.set1->clone()), set2(nullptr)
{
  try {
    set2 = other.set2->clone();
  } catch (...) {
    delete set1;
    throw;
  }
}

atomset_and& atomset_and::operator=(const atomset_and& other)
{
  if (this != &other) {
    atomset_and copy(other);
    std::swap(set1, copy.set1);
    std::swap(set2, copy.set2);
    name.clear();
  }
  return *this;
}

atomset_and::~atomset_and()
{
  delete set1;
  delete set2;
}

bool atomset_and::operator()(const CAtom& atom) const { return (*set1)(atom) && (*set2)(atom); }

atomset_and::operator const char*() const
{
  if (name.empty()) {
    name = static_cast<const char*>(*set1);
    name += ' ';
    name += static_cast<const char*>(*set2);
  }
  return name.c_str();
}

AtomSet* atomset_and::clone() const { return new atomset_and(*this); }

void atomset_and::BinOutput(oBinstream& os) const
{
  os << static_cast<char>(kAndTag) << set1 << set2;
}

oBinstream& operator<<(oBinstream& os, const AtomSet* set)
{
  // No binary form stands for a missing object: writing one fails the stream.
  if (set == nullptr) {
    os.setstate(std::ios::failbit);
    return os;
  }
  set->BinOutput(os);
  return os;
}

namespace {

iBinstream& readAtomSet(iBinstream& is, AtomSet*& set, int depth)
{
  char tag;
  if (!(is >> tag)) return is;
  switch (tag) {
    case kAndTag: {
      if (depth >= kMaxNesting) break;
      AtomSet* first = nullptr;
      AtomSet* second = nullptr;
      if (!readAtomSet(is, first, depth + 1) || !readAtomSet(is, second, depth + 1)) {
        delete first;
        return is;
      }
      set = new atomset_and(first, second);
      return is;
    }
    case kAllTag: set = new all_atom_set; return is;
    case kBaseTag: set = new base_atom_set; return is;
    case kBackboneTag: set = new backbone_atom_set; return is;
    case kPseTag: set = new pse_atom_set; return is;
    case kNoHydrogenTag: set = new no_hydrogen_set; return is;
    case kNoPseLpTag: set = new no_pse_lp_atom_set; return is;
    case kNoO2pTag: set = new no_O2p_atom_set; return is;
  }
  is.setstate(std::ios::failbit);
  return is;
}

}  // namespace

iBinstream& operator>>(iBinstream& is, AtomSet*& set) { return readAtomSet(is, set, 0); }
