#include "FragHandler.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <mutex>
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
#include "fPdbstream.h"
#include "ResidueType.h"
#include "RnamlReader.h"
#include "Rmsd.h"
#include "Transfo.h"

namespace tolva {

int CFragHandler::next_serial_no = 0;

namespace {

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

bool concrete_base(const t_Residue* t)
{
  return t->is_A() || t->is_C() || t->is_G() || t->is_U() || t->is_T();
}

bool concrete_amino_acid(const t_Residue* t) { return t->is_AminoAcid() && t != r_AminoAcid; }

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
  : residues(other.residues), name(copy_name(other.name)), ids(other.ids), serial(other.serial), store(other.store)
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
  alignAtoms.clear();
  rmsdAtoms.clear();
  rmsdSharesAlign = false;
  return *this;
}

CFragHandler::~CFragHandler() { delete[] name; }

const char* CFragHandler::GetFileName() const { return name != nullptr ? name : "(null)"; }

bool CFragHandler::keep(const CResId& id, std::unique_ptr<AbstractResidue> residue)
{
  if (residues.count(id) != 0) return false;
  // A clone is sized to the atoms it holds, where the residue read grew
  // its vectors atom by atom: the handler keeps thousands of them.
  store->emplace_back(residue->clone());
  residues.emplace(id, store->back().get());
  ids.insert(id);
  return true;
}

namespace {

[[noreturn]] void unreadable(const char* name, const std::string& reason)
{
  CException e("File ");
  e << name << " could not be read: " << (reason.empty() ? "read error" : reason.c_str()) << ".";
  throw e;
}

// Inputs that are no structure files, refused before any read: a folder,
// a device that may never end.
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
// The RNAML parser keeps its state in globals, so one document is read at
// a time; a PDB file is given up at its first bytes, before any parse.
bool read_other_formats(const char* name, Model& model)
{
  static std::mutex parser;
  std::lock_guard<std::mutex> lock(parser);
  RnamlReader reader(name);
  std::unique_ptr<Molecule> molecule(reader.read());
  reader.close();
  if (molecule == nullptr) return false;
  if (!molecule->empty()) model = **molecule->begin();
  return true;
}

}  // namespace

void CFragHandler::Load()
{
  check_input(GetFileName());
  Model model;
  if (!read_other_formats(name, model)) {
    izfPdbstream in(name, std::ios::in);
    if (in.fail() || in.bad()) unreadable(name, in.zbuf()->error());
    residues.clear();
    ids.clear();
    if (!in.eof()) in >> model;
    if (in.bad()) {
      // zlib names the file itself in front of its reason.
      std::string reason = in.GetError().empty() ? in.zbuf()->error() : in.GetError();
      std::string prefix = std::string(name) + ": ";
      if (reason.compare(0, prefix.size(), prefix) == 0) reason.erase(0, prefix.size());
      unreadable(name, reason);
    }
    in.close();
  }
  if (__residue_validation) model.validate();
  if (model.empty()) {
    CException e("File ");
    e << name << " has no residue to compare.";
    throw e;
  }

  // The handler takes the model's residues over rather than copying them.
  std::vector<std::unique_ptr<AbstractResidue>> order;
  for (AbstractResidue* r : model.release()) order.emplace_back(r);
  if (!__file_eq && !__strand_eq) {
    unsigned long dropped = 0;
    CResId repeated;
    for (std::unique_ptr<AbstractResidue>& r : order) {
      CResId id = r->getResId();
      if (!keep(id, std::move(r)) && dropped++ == 0) repeated = id;
    }
    if (dropped > 0)
      std::cerr << "Repeated residue id " << repeated << " in " << name
                << ": only the first residue of each id is kept (" << dropped << " dropped)" << std::endl;
    return;
  }
  // -e: "regardless of resID" needs an order that means something; the
  // residues' own ids give it, file order among equal ids.
  if (__strand_eq && !__file_eq)
    std::stable_sort(order.begin(), order.end(),
                     [](const std::unique_ptr<AbstractResidue>& a, const std::unique_ptr<AbstractResidue>& b) {
                       return a->getResId() < b->getResId();
                     });
  int k = 0;
  for (std::unique_ptr<AbstractResidue>& r : order) keep(CResId(++k, ' ', ' '), std::move(r));
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

// The atoms of the set, of the types in `common` when it is given; those
// it leaves out are counted.
struct Selection
{
  const AtomTypeSet* common;
  size_t leftOut;
};

void iterate(CFragHandler::AtomList& out, AbstractResidue* residue, AtomSet* set, Except except,
             Selection& selection)
{
  for (AbstractResidue::ResidueIterator it = residue->begin(set); it != residue->end(); ++it) {
    t_Atom* type = (*it).getType();
    if (excepted(type, except)) continue;
    if (selection.common != nullptr && selection.common->count(type) == 0)
      ++selection.leftOut;
    else
      out.push_back(it);
  }
}

void find_atom(CFragHandler::AtomList& out, AbstractResidue* residue, t_Atom* type, const char* file)
{
  AbstractResidue::ResidueIterator it = residue->find(type);
  if (it == residue->end()) {
    CException e("Residue ");
    std::ostringstream id;
    id << residue->getResId();
    e << id.str().c_str() << " of " << file << " has no atom " << type->getName() << ".";
    throw e;
  }
  out.push_back(it);
}

// The base of a purine paired with a pyrimidine: its two pseudo-atoms and
// its glycosidic nitrogen.
void base_frame_atoms(CFragHandler::AtomList& out, AbstractResidue* residue, const char* file)
{
  find_atom(out, residue, a_PSY, file);
  find_atom(out, residue, a_PSZ, file);
  if (residue->getType()->is_Purine())
    find_atom(out, residue, a_N9, file);
  else if (residue->getType()->is_Pyrimidine())
    find_atom(out, residue, a_N1, file);
}

}  // namespace

size_t CFragHandler::Filter(AtomList& out, const CResIdSet& set, const std::vector<t_Residue*>& types,
                            const TypesPerResidue* common)
{
  std::vector<AbstractResidue*> selected = select(set.begin(), set.end());
  if (selected.size() != types.size() || (common != nullptr && common->size() != types.size())) {
    CIntLibException e("Residue types and residues do not match in ", __FILE__, __LINE__);
    e << GetFileName();
    throw e;
  }
  Mode mode = selection_mode();
  Selection selection{nullptr, 0};
  for (size_t i = 0; i < selected.size(); ++i) {
    AbstractResidue* residue = selected[i];
    const t_Residue* t = types[i];
    if (common != nullptr) selection.common = &(*common)[i];
    if (mode == Mode::kBackbone) {
      iterate(out, residue, backbone_heavy_set(), Except::kNone, selection);
    } else if (mode == Mode::kAll) {
      if (concrete_base(t) || concrete_amino_acid(t)) {
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
      if (concrete_base(t) || concrete_amino_acid(t)) {
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

void CFragHandler::check_counts(const AtomList& mine, const CFragHandler& other, const AtomList& theirs) const
{
  if (mine.size() == theirs.size()) return;
  CException e("Missing atoms (");
  e << GetFileName() << " = " << static_cast<unsigned long>(mine.size()) << ")  vs (" << other.GetFileName()
    << " = " << static_cast<unsigned long>(theirs.size()) << ")";
  throw e;
}

void CFragHandler::CheckAlign(const CFragHandler& other) const
{
  if (alignAtoms.size() < 3 || other.alignAtoms.size() < 3)
    throw CException("RMSD Alignement requires at least three atoms");
  check_counts(alignAtoms, other, other.alignAtoms);
}

void CFragHandler::CheckRmsd(const CFragHandler& other) const
{
  check_counts(GetRmsdAtoms(), other, other.GetRmsdAtoms());
  if (GetRmsdAtoms().empty()) {
    CException e("No atom to compare between ");
    e << GetFileName() << " and " << other.GetFileName() << ".";
    throw e;
  }
}

void CFragHandler::Align(CFragHandler& other)
{
  if (alignAtoms.size() < 3 || other.alignAtoms.size() < 3)
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
