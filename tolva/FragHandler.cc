#include "FragHandler.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "Atom.h"
#include "AtomSet.h"
#include "AtomTypes.h"
#include "Exception.h"
#include "Model.h"
#include "Molecule.h"
#include "Options.h"
#include "Pdbstream.h"
#include "PipeInput.h"
#include "PositionNumbers.h"
#include "fPdbstream.h"
#include "ResidueType.h"
#include "RnamlReader.h"
#include "Rmsd.h"
#include "StandIns.h"
#include "Transfo.h"

namespace tolva {

int CFragHandler::next_serial_no = 0;

namespace {

// The atom types of a light residue, kept once for all the residues that
// hold the same atoms in the same order (every residue of one kind, over
// thousands of files); never freed, as the types themselves.
const std::vector<t_Atom*>* shared_run(const std::vector<t_Atom*>& run)
{
  static std::mutex lock;
  static std::set<std::vector<t_Atom*>>* runs = new std::set<std::vector<t_Atom*>>;
  std::lock_guard<std::mutex> guard(lock);
  return &*runs->insert(run).first;
}

char* copy_name(const char* name)
{
  if (name == nullptr) return nullptr;
  char* copy = new char[std::strlen(name) + 1];
  std::strcpy(copy, name);
  return copy;
}

enum class Mode { kAll, kBackbone, kBase };

Mode selection_mode()
{
  if (__all_atoms) return Mode::kAll;
  if (__backbone_only) return Mode::kBackbone;
  if (__base_only) return Mode::kBase;
  CFatalIntLibException e("Invalid option.", "CFragHandler", 338);
  throw e;
}

// Neither pseudo-atom nor lone pair nor hydrogen.
AtomSet* heavy_set() { return new atomset_and(new no_pse_lp_atom_set, new no_hydrogen_set); }
AtomSet* base_heavy_set() { return new atomset_and(new base_atom_set, heavy_set()); }
AtomSet* backbone_heavy_set() { return new atomset_and(new backbone_atom_set, heavy_set()); }

// The base atoms two different purines or two different pyrimidines do
// not share.
enum class Except { kNone, kPurineSubstituents, kPyrimidineSubstituents };

bool excepted(const t_Atom* type, Except except)
{
  switch (except) {
    case Except::kPurineSubstituents: return type->is_N2() || type->is_O6() || type->is_N6();
    case Except::kPyrimidineSubstituents: return type->is_N4() || type->is_O4();
    case Except::kNone: break;
  }
  return false;
}

}  // namespace

CFragHandler::CFragHandler(const char* n)
  : name(copy_name(n)), serial(next_serial_no++),
    store(std::make_shared<std::vector<std::unique_ptr<AbstractResidue>>>())
{
}

CFragHandler::CFragHandler(const CFragHandler& other)
  : residues(other.residues), name(copy_name(other.name)), ids(other.ids), serial(other.serial), store(other.store),
    light(other.light), lightResidues(other.lightResidues), lightXyz(other.lightXyz)
{
}

CFragHandler& CFragHandler::operator=(const CFragHandler& other)
{
  if (this == &other) return *this;
  residues = other.residues;
  char* copy = copy_name(other.name);
  delete[] name;
  name = copy;
  ids = other.ids;
  serial = other.serial;
  store = other.store;
  light = other.light;
  lightResidues = other.lightResidues;
  lightXyz = other.lightXyz;
  alignAtoms.clear();
  rmsdAtoms.clear();
  rmsdSharesAlign = false;
  counted = false;
  return *this;
}

CFragHandler& CFragHandler::operator=(CFragHandler&& other) noexcept
{
  if (this == &other) return *this;
  residues = std::move(other.residues);
  std::swap(name, other.name);
  ids = std::move(other.ids);
  serial = other.serial;
  store = std::move(other.store);
  light = other.light;
  lightResidues = std::move(other.lightResidues);
  lightXyz = std::move(other.lightXyz);
  alignAtoms.clear();
  rmsdAtoms.clear();
  rmsdSharesAlign = false;
  counted = false;
  return *this;
}

CFragHandler::~CFragHandler() { delete[] name; }

const char* CFragHandler::GetFileName() const { return name != nullptr ? name : "(null)"; }

bool CFragHandler::keep(const CResId& id, std::unique_ptr<AbstractResidue> residue)
{
  if (!ids.insert(id).second) return false;
  if (light) {
    thread_local std::vector<t_Atom*> run;
    run.clear();
    const uint32_t first = static_cast<uint32_t>(lightXyz.size() / 3);
    for (AbstractResidue::ResidueIterator it = residue->begin(); it != residue->end(); ++it) {
      const CAtom& atom = *it;
      if (atom.getType()->is_Hydrogen()) continue;
      run.push_back(atom.getType());
      lightXyz.insert(lightXyz.end(), {atom.x, atom.y, atom.z});
    }
    lightResidues.emplace_back(id, LightResidue{residue->getType(), shared_run(run), first});
    return true;
  }
  // A clone is sized to the atoms it holds, where the residue read grew
  // its vectors atom by atom: the handler keeps thousands of them.
  store->emplace_back(residue->clone());
  residues.emplace(id, store->back().get());
  return true;
}

namespace {

[[noreturn]] void unreadable(const char* name, const std::string& reason)
{
  CException e("File ");
  e << name << " could not be read: " << (reason.empty() ? "read error" : reason.c_str()) << ".";
  throw e;
}

// Inputs that are no structure files, refused before the PDB reader opens
// them: a folder, a device that may never end.
void check_input(const char* name)
{
  struct stat st;
  if (stat(name, &st) != 0) {
    if (errno != ENOENT) unreadable(name, std::strerror(errno));
    CException e("File ");
    e << name << " not found.";
    throw e;
  }
  if (S_ISDIR(st.st_mode)) unreadable(name, std::strerror(EISDIR));
  if (S_ISCHR(st.st_mode)) unreadable(name, "a character device is not a structure file");
}

// The first step of every load: readers of other formats (RNAML) try the
// file before the PDB reader, and true means the model is theirs: the
// first model of the first molecule (none for a molecule without one).
// A PDB file is given up at its first bytes. The RNAML parser keeps its
// state in globals, so one document is parsed at a time, under one lock
// that is never held while the molecule is built: building may wait for
// earlier files to make their misc types, and they may need the parser.
// The bytes are at the input's path; messages call the file `name`.
bool read_other_formats(const CPipeInput& input, const char* name, Model& model)
{
  RnamlReader reader(input.GetPath(), nullptr, name);
  const std::string lacking = input.DescriptorFailure(reader.openError());
  if (!lacking.empty()) unreadable(name, lacking);
  if (!reader.opened()) return false;
  {
    static std::mutex parser;
    std::lock_guard<std::mutex> lock(parser);
    reader.parse();
  }
  std::unique_ptr<Molecule> molecule(reader.read());
  reader.close();
  if (molecule == nullptr) return false;
  if (!molecule->empty()) model = **molecule->begin();
  return true;
}

}  // namespace

void CFragHandler::Load(bool shown, std::ostream* warnings)
{
  // Nothing is opened through a standard descriptor the run was started
  // without, not even a FIFO that a path beyond its name reaches.
  if (names_closed_descriptor(GetFileName())) unreadable(name, std::strerror(EBADF));
  // A pipe can be read only once: every reader of every naming of it
  // reads one copy.
  CPipeInput input(name);
  if (!input.GetError().empty()) unreadable(name, input.GetError());
  const char* source = input.GetPath();
  // The RNAML reader comes first, as it names a file it cannot open
  // itself; it leaves folders and devices unread.
  Model model;
  if (read_other_formats(input, name, model)) {
    keep_model(model, shown, warnings);
    return;
  }
  check_input(GetFileName());
  izfPdbstream in(source, std::ios::in);
  if (in.fail() || in.bad()) {
    const std::string lacking = input.DescriptorFailure(in.zbuf()->open_error());
    unreadable(name, lacking.empty() ? in.zbuf()->error() : lacking);
  }
  residues.clear();
  lightResidues.clear();
  lightXyz.clear();
  ids.clear();
  if (!in.eof()) in >> model;
  if (in.bad()) {
    // zlib names the file itself in front of its reason.
    std::string reason = in.GetError().empty() ? in.zbuf()->error() : in.GetError();
    std::string prefix = std::string(source) + ": ";
    if (reason.compare(0, prefix.size(), prefix) == 0) reason.erase(0, prefix.size());
    unreadable(name, reason);
  }
  in.close();
  keep_model(model, shown, warnings);
}

void CFragHandler::keep_model(Model& model, bool shown, std::ostream* warnings)
{
  const bool by_order = __file_eq || __strand_eq;
  const PositionNumbers numbers =
      by_order ? number_positions(model, __strand_eq && !__file_eq, __residue_validation) : PositionNumbers();
  if (__residue_validation) model.validate(shown);
  light = !shown;
  if (model.empty()) {
    CException e("File ");
    e << name << " has no residue to compare.";
    throw e;
  }

  // The handler takes the model's residues over rather than copying them.
  std::vector<std::unique_ptr<AbstractResidue>> order;
  size_t atoms = 0;
  for (AbstractResidue* r : model.release()) {
    order.emplace_back(r);
    atoms += r->size();
  }
  if (light) lightXyz.reserve(3 * atoms);
  // Each id, or its position's number under -e and -f, goes to the first
  // residue of that id that validation kept.
  unsigned long dropped = 0;
  CResId repeated;
  for (std::unique_ptr<AbstractResidue>& r : order) {
    const CResId id = r->getResId();
    CResId key = id;
    if (by_order) {
      PositionNumbers::const_iterator n = numbers.find(id);
      if (n == numbers.end()) continue;
      key = CResId(n->second, ' ', ' ');
    }
    if (!keep(key, std::move(r)) && dropped++ == 0) repeated = id;
  }
  if (dropped > 0)
    (warnings != nullptr ? *warnings : std::cerr)
        << "Repeated residue id " << repeated << " in " << name << ": only the first residue of each id is kept ("
        << dropped << " dropped)" << std::endl;
  // The light copies are found by id; the ids are all different.
  std::sort(lightResidues.begin(), lightResidues.end(),
            [](const LightEntry& a, const LightEntry& b) { return a.first < b.first; });
}

size_t CFragHandler::AlignFilter(const CResIdSet& set, const std::vector<t_Residue*>& types,
                                 const TypesPerResidue* common)
{
  return Filter(alignAtoms, set, types, common);
}

size_t CFragHandler::RmsdFilter(const CResIdSet& set, const std::vector<t_Residue*>& types,
                                const TypesPerResidue* common)
{
  return Filter(rmsdAtoms, set, types, common);
}

namespace {

using ResidueAtoms = CFragHandler::ResidueAtoms;

// The atoms of the set, of the types in `common` when it is given; those
// it leaves out are counted.
struct Selection
{
  const AtomTypeSet* common;
  size_t leftOut;
};

template <typename Sink>
void iterate(Sink& out, const ResidueAtoms& r, AtomSet* raw, Except except, Selection& selection)
{
  std::unique_ptr<AtomSet> set(raw);
  auto take = [&](t_Atom* type) {
    if (excepted(type, except)) return false;
    if (selection.common == nullptr || selection.common->count(type) != 0) return true;
    ++selection.leftOut;
    return false;
  };
  if (r.residue != nullptr) {
    for (AbstractResidue::ResidueIterator it = r.residue->begin(); it != r.residue->end(); ++it)
      if ((*set)(*it) && take((*it).getType())) out(it);
    return;
  }
  CAtom probe;
  for (uint32_t k = 0; k < r.count; ++k) {
    probe.setType(r.types[k]);
    if ((*set)(probe) && take(r.types[k])) out(r.xyz + 3 * k);
  }
}

template <typename Sink>
void find_atom(Sink& out, const ResidueAtoms& r, t_Atom* type, const char* file)
{
  if (r.residue != nullptr) {
    AbstractResidue::ResidueIterator it = r.residue->find(type);
    if (it != r.residue->end()) return out(it);
  } else {
    for (uint32_t k = 0; k < r.count; ++k)
      if (r.types[k] == type) return out(r.xyz + 3 * k);
  }
  CException e("Residue ");
  std::ostringstream id;
  id << r.id;
  e << id.str().c_str() << " of " << file << " has no atom " << type->getName() << ".";
  throw e;
}

// The base of a purine paired with a pyrimidine: its two pseudo-atoms and
// its glycosidic nitrogen.
template <typename Sink>
void base_frame_atoms(Sink& out, const ResidueAtoms& r, const char* file)
{
  find_atom(out, r, a_PSY, file);
  find_atom(out, r, a_PSZ, file);
  if (r.type->is_Purine())
    find_atom(out, r, a_N9, file);
  else if (r.type->is_Pyrimidine())
    find_atom(out, r, a_N1, file);
}

// Where the atom lists go: the list of iterators needs the residues.
struct ListSink
{
  CFragHandler::AtomList& list;
  void operator()(const AbstractResidue::ResidueIterator& it) { list.push_back(it); }
  void operator()(const float*) { CFatalIntLibException e("Atom list of released residues", __FILE__, __LINE__); throw e; }
};

struct CoordinateSink
{
  std::vector<float>& xyz;
  void operator()(const AbstractResidue::ResidueIterator& it)
  {
    const CAtom& atom = *it;
    xyz.insert(xyz.end(), {atom.x, atom.y, atom.z});
  }
  void operator()(const float* p) { xyz.insert(xyz.end(), p, p + 3); }
};

}  // namespace

size_t CFragHandler::Filter(AtomList& out, const CResIdSet& set, const std::vector<t_Residue*>& types,
                            const TypesPerResidue* common)
{
  ListSink sink{out};
  return select_atoms(sink, set, types, common);
}

size_t CFragHandler::FilterCoordinates(std::vector<float>& out, const CResIdSet& set,
                                       const std::vector<t_Residue*>& types, const TypesPerResidue* common)
{
  CoordinateSink sink{out};
  return select_atoms(sink, set, types, common);
}

std::vector<CFragHandler::ResidueAtoms> CFragHandler::atoms_of(const CResIdSet& set) const
{
  std::vector<ResidueAtoms> found;
  found.reserve(set.size());
  for (const CResId& id : set) {
    ResidueMap::const_iterator r = residues.find(id);
    if (r != residues.end()) {
      found.push_back(ResidueAtoms{id, r->second->getType(), r->second, nullptr, nullptr, 0});
      continue;
    }
    std::vector<LightEntry>::const_iterator l = std::lower_bound(
        lightResidues.begin(), lightResidues.end(), id, [](const LightEntry& e, const CResId& i) { return e.first < i; });
    if (l != lightResidues.end() && !(id < l->first))
      found.push_back(ResidueAtoms{id, l->second.type, nullptr, l->second.types->data(),
                                   lightXyz.data() + 3 * size_t(l->second.first),
                                   static_cast<uint32_t>(l->second.types->size())});
  }
  return found;
}

namespace {

// The types of the map's residues whose ids are in the set, both walked in
// id order.
template <typename Map, typename TypeOf>
std::vector<t_Residue*> types_in(const Map& map, const CResIdSet& ids, TypeOf type_of)
{
  std::vector<t_Residue*> types;
  types.reserve(ids.size());
  typename Map::const_iterator r = map.begin();
  for (const CResId& id : ids) {
    while (r != map.end() && r->first < id) ++r;
    if (r == map.end()) break;
    if (!(id < r->first)) types.push_back(type_of(r->second));
  }
  return types;
}

}  // namespace

std::vector<t_Residue*> CFragHandler::ResidueTypes(const CResIdSet& set) const
{
  if (light) return types_in(lightResidues, set, [](const LightResidue& r) { return r.type; });
  return types_in(residues, set, [](const AbstractResidue* r) { return r->getType(); });
}

template <typename Sink>
size_t CFragHandler::select_atoms(Sink& out, const CResIdSet& set, const std::vector<t_Residue*>& types,
                                  const TypesPerResidue* common)
{
  std::vector<ResidueAtoms> selected = atoms_of(set);
  if (selected.size() != types.size() || (common != nullptr && common->size() != types.size())) {
    CIntLibException e("Residue types and residues do not match in ", __FILE__, __LINE__);
    e << GetFileName();
    throw e;
  }
  Mode mode = selection_mode();
  Selection selection{nullptr, 0};
  for (size_t i = 0; i < selected.size(); ++i) {
    const ResidueAtoms& residue = selected[i];
    const t_Residue* t = types[i];
    if (common != nullptr) selection.common = &(*common)[i];
    if (mode == Mode::kBackbone) {
      iterate(out, residue, backbone_heavy_set(), Except::kNone, selection);
    } else if (mode == Mode::kAll) {
      if (is_concrete_polymer(t)) {
        iterate(out, residue, heavy_set(), Except::kNone, selection);
      } else if (t->is_Purine()) {
        iterate(out, residue, heavy_set(), Except::kPurineSubstituents, selection);
      } else if (t->is_Pyrimidine()) {
        iterate(out, residue, heavy_set(), Except::kPyrimidineSubstituents, selection);
      } else if (t->is_RNA()) {
        base_frame_atoms(out, residue, GetFileName());
        iterate(out, residue, backbone_heavy_set(), Except::kNone, selection);
      } else {
        CFatalLibException e("All atom rmsd cannot be computed for type: ");
        e << t->getName();
        throw e;
      }
    } else {
      if (is_concrete_polymer(t)) {
        iterate(out, residue, base_heavy_set(), Except::kNone, selection);
      } else if (t->is_Pyrimidine()) {
        iterate(out, residue, base_heavy_set(), Except::kPyrimidineSubstituents, selection);
      } else if (t->is_Purine()) {
        iterate(out, residue, base_heavy_set(), Except::kPurineSubstituents, selection);
      } else if (t->is_RNA()) {
        base_frame_atoms(out, residue, GetFileName());
      } else {
        CFatalLibException e("Base only rmsd cannot be computed for type: ");
        e << t->getName() << " (try -B or -b)";
        throw e;
      }
    }
  }
  return selection.leftOut;
}

void CFragHandler::list_pairs(const char* what, const AtomList& mine, const CFragHandler& other,
                              const AtomList& theirs) const
{
  std::ostringstream text;
  text << what << GetFileName() << "(" << mine.size() << " atoms) " << " = " << other.GetFileName() << "("
       << theirs.size() << " atoms)" << "\n";
  text << what << GetFileName() << " = " << other.GetFileName() << "\n";
  size_t n = std::min(mine.size(), theirs.size());
  for (size_t k = 0; k < n; ++k) text << *mine[k] << " = " << *theirs[k] << "\n";
  // Workers list their pairs whole, never interleaved.
  static std::mutex output;
  std::lock_guard<std::mutex> lock(output);
  std::cout << text.str() << std::flush;
}

void CFragHandler::check_counts(size_t mine, const CFragHandler& other, size_t theirs) const
{
  if (mine == theirs) return;
  CException e("Missing atoms (");
  e << GetFileName() << " = " << static_cast<unsigned long>(mine) << ")  vs (" << other.GetFileName() << " = "
    << static_cast<unsigned long>(theirs) << ")";
  throw e;
}

size_t CFragHandler::align_count() const { return counted ? alignCount : alignAtoms.size(); }

size_t CFragHandler::rmsd_count() const { return counted ? rmsdCount : GetRmsdAtoms().size(); }

void CFragHandler::SetAtomCounts(size_t align, size_t rmsd)
{
  counted = true;
  alignCount = align;
  rmsdCount = rmsd;
}

std::vector<float> CFragHandler::Release()
{
  std::vector<float> storage;
  storage.swap(lightXyz);
  storage.clear();
  residues.clear();
  lightResidues.clear();
  alignAtoms.clear();
  alignAtoms.shrink_to_fit();
  rmsdAtoms.clear();
  rmsdAtoms.shrink_to_fit();
  store.reset();
  return storage;
}

void CFragHandler::CheckAlign(const CFragHandler& other) const
{
  if (align_count() < 3 || other.align_count() < 3)
    throw CException("RMSD Alignement requires at least three atoms");
  check_counts(align_count(), other, other.align_count());
}

void CFragHandler::CheckRmsd(const CFragHandler& other) const
{
  check_counts(rmsd_count(), other, other.rmsd_count());
  if (rmsd_count() == 0) {
    CException e("No atom to compare between ");
    e << GetFileName() << " and " << other.GetFileName() << ".";
    throw e;
  }
}

void CFragHandler::Align(CFragHandler& other)
{
  if (align_count() < 3 || other.align_count() < 3)
    throw CException("RMSD Alignement requires at least three atoms");
  if (__very_verbose) list_pairs("align: ", alignAtoms, other, other.alignAtoms);
  CheckAlign(other);
  CTransfo t;
  rmsd_with_align(other.alignAtoms.begin(), other.alignAtoms.end(), alignAtoms.begin(), alignAtoms.end(), &t);
  for (ResidueMap::iterator r = other.residues.begin(); r != other.residues.end(); ++r) r->second->Transform(t);
}

float CFragHandler::Rmsd(const CFragHandler& other) const
{
  if (__very_verbose) list_pairs("rmsd: ", GetRmsdAtoms(), other, other.GetRmsdAtoms());
  CheckRmsd(other);
  return rmsd(other.GetRmsdAtoms(), GetRmsdAtoms());
}

oPdbstream& operator<<(oPdbstream& os, const CFragHandler& frag)
{
  std::string remark = std::string("Original file: ") + frag.GetFileName();
  os.putremark(220, remark.c_str());
  for (const auto& entry : frag.GetResidues()) os << *entry.second;
  return os;
}

}  // namespace tolva
