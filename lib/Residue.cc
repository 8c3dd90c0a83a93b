#include "Residue.h"

#include <algorithm>
#include <ostream>

#include "AtomSet.h"
#include "Binstream.h"
#include "Exception.h"
#include "IdealBases.h"
#include "Messagestream.h"
#include "Pdbstream.h"
#include "ResidueType.h"

namespace {

const char* nameOf(const t_Residue* t) { return t != nullptr ? t->getName() : "(null)"; }

// Room reserved for the pseudo-atoms that the completion of a residue adds.
const std::size_t kPseudoAtoms = 4;

// The refined forms of a base type: with O2' (ribo) and without it
// (deoxy); null where the base has no such form.
struct SugarForms
{
  t_Residue* const* base;
  t_Residue* const* ribo;
  t_Residue* const* deoxy;
};

const SugarForms kSugarForms[] = {
  {&r_A, &r_rA, &r_dA},
  {&r_C, &r_rC, &r_dC},
  {&r_G, &r_rG, &r_dG},
  {&r_U, &r_rU, nullptr},
  {&r_T, nullptr, &r_dT},
};

}  // namespace

CResidue::CResidue() : identity(true) {}

CResidue::CResidue(t_Residue* residue_type, const std::vector<CAtom>& atoms,
                   const CResId& residue_id)
  : refAtoms(atoms), identity(true)
{
  id = residue_id;
  type = residue_type;
  init();
}

CResidue::CResidue(const CResidue& other)
  : AbstractResidue(other), refAtoms(other.refAtoms), placedAtoms(other.placedAtoms),
    identity(other.identity)
{
}

CResidue& CResidue::operator=(const CResidue& other)
{
  if (this != &other) {
    AbstractResidue::operator=(other);
    refAtoms = other.refAtoms;
    placedAtoms = other.placedAtoms;
    identity = other.identity;
  }
  return *this;
}

CResidue::~CResidue() = default;

CResidue* CResidue::clone() const { return new CResidue(*this); }

void CResidue::setIdeal()
{
  std::vector<CAtom> ideal = idealAtoms(type);
  // Known before anything is erased: a residue without an ideal base keeps
  // its atoms.
  if (ideal.empty()) {
    gOut->setLevel(2) << "Oups, setIdeal erased the residue "
                      << "but the ideal confo is unknown.  Go get a coffee!" << std::endl;
    return;
  }
  // init takes the atoms as placed coordinates under the identity, so the
  // base lands at the table's coordinates whatever the transformation was.
  refAtoms.swap(ideal);
  init();
}

CResidue& CResidue::operator=(const CTransfo& t)
{
  setTransformation(t);
  return *this;
}

CAtom& CResidue::operator[](const t_Atom* atom_type)
{
  if (atom_type == nullptr) {
    CFatalIntLibException e("CResidue: an atom needs an atom type.", __FILE__, __LINE__);
    throw e;
  }
  unsigned position = positionOf(atom_type);
  if (position == kNoRank) {
    insert(CAtom(0, 0, 0, const_cast<t_Atom*>(atom_type)));
    position = positionOf(atom_type);
  }
  return getPlacedAtom(position);
}

const CAtom& CResidue::operator[](const t_Atom* atom_type) const
{
  unsigned position = positionOf(atom_type);
  if (position == kNoRank) {
    CFatalIntLibException e("CResidue: no atom ", __FILE__, __LINE__);
    e << (atom_type != nullptr ? atom_type->getName() : "(null)") << " in residue "
      << static_cast<const char*>(id) << ".";
    throw e;
  }
  return getAtom(position);
}

unsigned CResidue::positionOf(const t_Atom* atom_type) const
{
  unsigned rank = rankOf(atom_type);
  return rank == kNoRank ? kNoRank : atomIndex[rank].position;
}

const CAtom* CResidue::ref(const t_Atom* atom_type) const
{
  unsigned position = positionOf(atom_type);
  return position == kNoRank ? nullptr : &refAtoms[position];
}

const CAtom* CResidue::res(const t_Atom* atom_type) const
{
  unsigned position = positionOf(atom_type);
  return position == kNoRank ? nullptr : &getAtom(position);
}

void CResidue::store(const CAtom& local, const CAtom* placed)
{
  unsigned position = positionOf(local.getType());
  if (position == kNoRank) {
    position = size();
    refAtoms.push_back(local);
    try {
      if (!identity) placedAtoms.push_back(placed != nullptr ? *placed : local);
      indexAtom(local.getType(), position);
    } catch (...) {
      refAtoms.pop_back();
      if (placedAtoms.size() > refAtoms.size()) placedAtoms.pop_back();
      throw;
    }
  } else {
    refAtoms[position] = local;
    if (!identity) placedAtoms[position] = placed != nullptr ? *placed : local;
  }
  if (!identity && placed == nullptr) placedAtoms[position].Transform(transformation);
}

void CResidue::insert_local(const CAtom& atom)
{
  if (atom.getType() != nullptr) store(atom, nullptr);
}

void CResidue::insert(const CAtom& atom)
{
  if (atom.getType() == nullptr) return;
  if (identity) {
    store(atom, nullptr);
    return;
  }
  CTransfo inverse(transformation);
  inverse.Inverse();
  CAtom local(atom);
  local.Transform(inverse);
  store(local, &atom);
}

AbstractResidue::ResidueIterator CResidue::erase(const t_Atom* atom_type)
{
  unsigned rank = rankOf(atom_type);
  if (rank == kNoRank) return end();
  unsigned position = atomIndex[rank].position;
  refAtoms.erase(refAtoms.begin() + position);
  if (!identity) placedAtoms.erase(placedAtoms.begin() + position);
  atomIndex.erase(atomIndex.begin() + rank);
  for (IndexEntry& e : atomIndex)
    if (e.position > position) --e.position;
  // The entry that followed the erased one now has its rank.
  return ResidueIterator(this, rank);
}

void CResidue::erase(const AtomTypeSet& atom_types)
{
  std::vector<bool> doomed(refAtoms.size(), false);
  bool any = false;
  for (const t_Atom* t : atom_types) {
    unsigned position = positionOf(t);
    if (position == kNoRank) continue;
    doomed[position] = true;
    any = true;
  }
  if (!any) return;
  // Old position -> new one, kNoRank for the atoms removed.
  std::vector<unsigned> moved(refAtoms.size(), kNoRank);
  unsigned kept = 0;
  for (unsigned p = 0; p < refAtoms.size(); ++p) {
    if (doomed[p]) continue;
    if (kept != p) {
      refAtoms[kept] = refAtoms[p];
      if (!identity) placedAtoms[kept] = placedAtoms[p];
    }
    moved[p] = kept++;
  }
  refAtoms.erase(refAtoms.begin() + kept, refAtoms.end());
  if (!identity) placedAtoms.erase(placedAtoms.begin() + kept, placedAtoms.end());
  AtomIndex::iterator next = atomIndex.begin();
  for (const IndexEntry& e : atomIndex)
    if (moved[e.position] != kNoRank) *next++ = IndexEntry{e.ordinal, moved[e.position]};
  atomIndex.erase(next, atomIndex.end());
}

void CResidue::AtomCopy(const AbstractResidue& other)
{
  const CResidue* source = dynamic_cast<const CResidue*>(&other);
  if (source == nullptr || source == this) return;
  if (type != source->type) {
    CException e("Invalid residue type ");
    e << nameOf(source->type) << ".";
    throw e;
  }
  std::vector<std::pair<unsigned, unsigned>> pairs;
  pairs.reserve(atomIndex.size());
  for (const IndexEntry& e : atomIndex) {
    unsigned from = source->positionOf(refAtoms[e.position].getType());
    if (from != kNoRank) pairs.emplace_back(e.position, from);
  }
  for (const std::pair<unsigned, unsigned>& p : pairs)
    refAtoms[p.first] = source->refAtoms[p.second];
  transformation = source->transformation;
  identity = source->identity;
  place();
  if (!identity)
    for (const std::pair<unsigned, unsigned>& p : pairs)
      placedAtoms[p.first] = source->placedAtoms[p.second];
}

CResidue* CResidue::select(const std::vector<const t_Atom*>& atom_types) const
{
  std::vector<CAtom> atoms;
  atoms.reserve(atom_types.size());
  for (const t_Atom* t : atom_types)
    if (const CAtom* a = ref(t)) atoms.push_back(*a);
  CResidue* selected = new CResidue(type, atoms, id);
  selected->setHetero(hetero);
  selected->setSegment(segment);
  return selected;
}

void CResidue::setTransformation(const CTransfo& t)
{
  transformation = t;
  identity = transformation.isIdentity();
  place();
}

CResidue& CResidue::Transform(const CTransfo& t)
{
  setTransformation(t * transformation);
  return *this;
}

void CResidue::Align() { setTransformation(CTransfo()); }

void CResidue::place()
{
  if (identity) {
    std::vector<CAtom>().swap(placedAtoms);
    return;
  }
  if (placedAtoms.size() != refAtoms.size()) {
    placedAtoms = refAtoms;
    for (CAtom& a : placedAtoms) a.Transform(transformation);
    return;
  }
  // Already placed once: the placed atoms carry their types and flags, and
  // only their coordinates follow the new transformation.
  for (std::size_t k = 0; k < refAtoms.size(); ++k) {
    const CAtom& r = refAtoms[k];
    placedAtoms[k].SetXYZ(r.x, r.y, r.z).Transform(transformation);
  }
}

void CResidue::dropDuplicates()
{
  atomIndex.clear();
  atomIndex.reserve(refAtoms.size() + kPseudoAtoms);
  unsigned kept = 0;
  for (unsigned p = 0; p < refAtoms.size(); ++p) {
    const t_Atom* t = refAtoms[p].getType();
    if (t == nullptr) continue;
    if (rankOf(t) != kNoRank) {
      gOut->setLevel(2) << "CResidue: Duplicated atom [" << t->getName() << "] in residue " << id
                        << "." << std::endl;
      continue;
    }
    if (kept != p) refAtoms[kept] = refAtoms[p];
    indexAtom(t, kept++);
  }
  refAtoms.erase(refAtoms.begin() + kept, refAtoms.end());
}

CResidue::Completion CResidue::addBasePseudoAtoms(const t_Atom* n, const t_Atom* x,
                                                  const t_Atom* y)
{
  const CAtom* pn = ref(n);
  const CAtom* px = ref(x);
  const CAtom* py = ref(y);
  if (pn == nullptr || px == nullptr || py == nullptr) return Completion::Missing;
  if (CTransfo::isDegenerate(*pn, *px, *py)) return Completion::Degenerate;
  CPoint3D a = *px - *pn;
  a.Normalize();
  CPoint3D b = *py - *pn;
  b.Normalize();
  // PSY on the bisector of the X-N-Y angle, PSZ on the base normal, both 1
  // from N.
  CPoint3D bisector = a + b;
  CPoint3D normal = b.Cross(a);
  CPoint3D psy = *pn + bisector.Normalize();
  CPoint3D psz = *pn + normal.Normalize();
  insert_local(CAtom(psy.x, psy.y, psy.z, a_PSY));
  insert_local(CAtom(psz.x, psz.y, psz.z, a_PSZ));
  return Completion::Done;
}

CResidue::Completion CResidue::addAminoPseudoAtom()
{
  const CAtom* ca = ref(a_CA);
  const CAtom* n = ref(a_N);
  const CAtom* c = ref(a_C);
  if (ca == nullptr || n == nullptr || c == nullptr) return Completion::Missing;
  if (CTransfo::isDegenerate(*ca, *c, *n)) return Completion::Degenerate;
  CPoint3D to_c = *c - *ca;
  CPoint3D to_n = *n - *ca;
  CPoint3D normal = to_c.Normalize().Cross(to_n.Normalize());
  CPoint3D psaz = *ca + normal.Normalize();
  insert_local(CAtom(psaz.x, psaz.y, psaz.z, a_PSAZ));
  return Completion::Done;
}

CResidue::Completion CResidue::addPseudoAtoms()
{
  if (type->is_Purine()) return addBasePseudoAtoms(a_N9, a_C8, a_C4);
  if (type->is_Pyrimidine()) return addBasePseudoAtoms(a_N1, a_C6, a_C2);
  if (type->is_AminoAcid()) return addAminoPseudoAtom();
  return Completion::Done;
}

void CResidue::refineType()
{
  if (ref(a_C1p) == nullptr) return;
  bool ribose = ref(a_O2p) != nullptr;
  for (const SugarForms& f : kSugarForms) {
    if (type != *f.base) continue;
    t_Residue* const* refined = ribose ? f.ribo : f.deoxy;
    if (refined != nullptr) type = *refined;
    return;
  }
}

void CResidue::buildFrame()
{
  const CAtom* pivots[3] = {nullptr, nullptr, nullptr};
  if (type->is_Phosphate()) {
    pivots[0] = ref(a_P);
    pivots[1] = ref(a_O3p);
    pivots[2] = ref(a_O5p);
  } else if (type->is_NucleicAcid()) {
    pivots[0] = ref(type->is_Purine() ? a_N9 : a_N1);
    pivots[1] = ref(a_PSY);
    pivots[2] = ref(a_PSZ);
  } else if (type->is_AminoAcid()) {
    pivots[0] = ref(a_CA);
    pivots[1] = ref(a_N);
    pivots[2] = ref(a_PSAZ);
  } else if (size() >= 3) {
    // Any other residue: its first three atoms as read.
    for (unsigned k = 0; k < 3; ++k) pivots[k] = &refAtoms[k];
  }
  if (pivots[0] == nullptr || pivots[1] == nullptr || pivots[2] == nullptr) return;
  if (CTransfo::isDegenerate(*pivots[0], *pivots[1], *pivots[2])) return;
  CTransfo frame;
  frame.Align(pivots[0], pivots[1], pivots[2]);
  CTransfo to_local(frame);
  to_local.Inverse();
  for (CAtom& a : refAtoms) a.Transform(to_local);
  setTransformation(frame);
}

void CResidue::init()
{
  // The atoms are placed coordinates: the frame is built from scratch.
  transformation.SetIdentity();
  identity = true;
  std::vector<CAtom>().swap(placedAtoms);
  dropDuplicates();
  if (type == nullptr) return;
  if (addPseudoAtoms() == Completion::Missing) {
    reportMissingAtoms();
    demote();
    return;
  }
  refineType();
  buildFrame();
}

iBinstream& CResidue::read(iBinstream& is)
{
  CResId read_id;
  t_Residue* read_type = nullptr;
  int n = 0;
  if (!(is >> read_id)) return is;
  if (!(is >> read_type)) return is;
  if (read_type == nullptr || !(is >> n) || n < 0) {
    is.setstate(std::ios::failbit);
    return is;
  }
  std::vector<CAtom> atoms;
  // A corrupt count must not reserve memory the stream cannot fill.
  atoms.reserve(std::min(n, 256));
  for (int k = 0; k < n; ++k) {
    CAtom a;
    if (!(is >> a)) return is;
    atoms.push_back(a);
  }
  id = read_id;
  type = read_type;
  refAtoms.swap(atoms);
  init();
  return is;
}

oBinstream& CResidue::write(oBinstream& os) const
{
  const no_pse_lp_atom_set no_pse_lp;
  const no_hydrogen_set no_hydrogen;
  std::vector<unsigned> written;
  written.reserve(atomIndex.size());
  for (const IndexEntry& e : atomIndex) {
    const CAtom& a = refAtoms[e.position];
    if (no_pse_lp(a) && no_hydrogen(a)) written.push_back(e.position);
  }
  os << id << static_cast<const t_Residue*>(type) << static_cast<int>(written.size());
  for (unsigned p : written) os << getAtom(p);
  return os;
}

iPdbstream& CResidue::read(iPdbstream& is)
{
  // Scratch space kept by each thread from one residue to the next, and the
  // types seen so far looked up among the atoms gathered (a file may repeat
  // one atom line many thousand times, but never holds more than a few
  // hundred types).
  thread_local std::vector<CAtom> gathered;
  thread_local std::vector<const t_Atom*> seen;
  gathered.clear();
  seen.clear();
  // No atom stays alive in the scratch space once the residue is read.
  struct Emptied
  {
    ~Emptied() { gathered.clear(); }
  } emptied;
  auto first_of_type = [](const t_Atom* t) {
    if (std::find(seen.begin(), seen.end(), t) != seen.end()) return false;
    seen.push_back(t);
    return true;
  };
  unsigned long duplicates = 0;
  if (const CAtom* kept = is.GetKeptAtom()) {
    gathered.push_back(*kept);
    seen.push_back(kept->getType());
    is.DeleteAtom();
  }
  while (is && !is.IsEND()) {
    CAtom atom;
    is >> atom;
    if (atom.getType() != nullptr && is.GetResType() != nullptr) {
      if (is.GetNewResType() == nullptr) {
        is.NewRes();
      } else if (is.GetResType() != is.GetNewResType() || is.GetResId() != is.GetNewResId()) {
        is.KeepAtom(atom);
        break;
      }
      // The first atom of a type wins; repeats of another alternate
      // location go in silence.
      if (first_of_type(atom.getType()))
        gathered.push_back(atom);
      else if (atom.getAltLoc() == ' ')
        ++duplicates;
    }
    if (is.IsENDMDL()) break;
  }
  // Half a residue of a damaged file is not worth a word.
  if (gathered.empty() || is.bad()) return is;
  if (duplicates > 0)
    gOut->setLevel(2) << "Duplicate atoms in residue " << is.GetNewResId() << " of type "
                      << is.GetNewResType()->getName() << ": " << duplicates << " dropped."
                      << std::endl;
  std::vector<CAtom> atoms;
  atoms.reserve(gathered.size() + kPseudoAtoms);
  for (const CAtom& a : gathered)
    if (!a.getType()->is_Pseudo() && !a.getType()->is_LonePair()) atoms.push_back(a);
  refAtoms.swap(atoms);
  id = is.GetNewResId();
  type = is.GetNewResType();
  hetero = is.IsNewResHetero();
  segment = is.GetNewResSegment();
  init();
  is.NewRes();
  return is;
}

oPdbstream& CResidue::write(oPdbstream& os) const
{
  os.SetResType(type);
  os.SetResId(id);
  for (const IndexEntry& e : atomIndex) os << getAtom(e.position);
  return os;
}

std::ostream& CResidue::write(std::ostream& os) const
{
  os << nameOf(type) << "(" << id << ") type=" << nameOf(type) << ":" << std::endl;
  os << "REFERENTIAL atoms" << std::endl;
  for (const CAtom& a : refAtoms) os << a << std::endl;
  os << transformation << std::endl;
  os << "PLACED atoms" << std::endl;
  for (const IndexEntry& e : atomIndex) os << getAtom(e.position) << std::endl;
  return os;
}
