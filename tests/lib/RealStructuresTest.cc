// Real structure files, read the way the tool loads them: into a Model
// (the first model of the file), validated, written back and read again.
// The files' own lines are parsed here with nothing of the library, and
// the counts below were taken from the files line by line.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include <zlib.h>

#include "AtomType.h"
#include "CapturedMessages.h"
#include "Model.h"
#include "Molecule.h"
#include "Pdbstream.h"
#include "ResidueType.h"
#include "TesselInit.h"
#include "TestSupport.h"
#include "fPdbstream.h"

namespace {

using testing_support::CapturedMessages;
using testing_support::shared_data;
using testing_support::test_data;

// ---- The files as text ----

std::string inflate_file(const std::string& path)
{
  std::string text;
  gzFile f = gzopen(path.c_str(), "rb");  // plain files read through as they are
  if (f == nullptr) return text;
  char chunk[65536];
  for (int n; (n = gzread(f, chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<size_t>(n));
  gzclose(f);
  return text;
}

struct FileAtom
{
  std::string name;  // columns 13-16, blanks stripped
  float x, y, z;
};

struct FileResidue
{
  std::string name;  // columns 18-20, blanks stripped
  CResId id;
  std::vector<FileAtom> atoms;
};

typedef std::vector<FileResidue> FileModel;

std::string stripped(const std::string& s)
{
  std::string out;
  for (char c : s)
    if (c != ' ') out += c;
  return out;
}

// The atom lines of each MODEL block (the whole file when it has none),
// cut into residues where the residue name or id changes; END ends it.
std::vector<FileModel> parse(const std::string& text)
{
  std::vector<FileModel> models(1);
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string record = line.substr(0, 6);
    if (record == "ENDMDL") {
      models.emplace_back();
      continue;
    }
    if (record == "END   ") break;
    if ((record != "ATOM  " && record != "HETATM") || line.size() < 54) continue;
    std::string name = stripped(line.substr(17, 3));
    CResId id(std::atoi(line.substr(22, 4).c_str()), line[21], line[26]);
    FileModel& m = models.back();
    if (m.empty() || m.back().name != name || m.back().id != id) m.push_back(FileResidue{name, id, {}});
    m.back().atoms.push_back(FileAtom{stripped(line.substr(12, 4)), std::strtof(line.substr(30, 8).c_str(), nullptr),
                                      std::strtof(line.substr(38, 8).c_str(), nullptr),
                                      std::strtof(line.substr(46, 8).c_str(), nullptr)});
  }
  while (!models.empty() && models.back().empty()) models.pop_back();
  return models;
}

size_t atom_lines(const FileModel& m)
{
  size_t n = 0;
  for (const FileResidue& r : m) n += r.atoms.size();
  return n;
}

// Three decimals in the file, stored as floats.
constexpr float kPrinted = 5e-4f + 1e-4f;

bool same_place(const CAtom& a, const FileAtom& f)
{
  return std::fabs(a.x - f.x) <= kPrinted && std::fabs(a.y - f.y) <= kPrinted && std::fabs(a.z - f.z) <= kPrinted;
}

bool is_file_atom(const t_Atom* t) { return !t->is_Pseudo() && !t->is_LonePair(); }

// ---- What a read or validated model holds ----

struct Tally
{
  size_t nucleotides = 0, amino_acids = 0, other = 0;
  size_t heavy = 0, hydrogens = 0, lone_pairs = 0, pseudo = 0;
};

Tally tally(const Model& m)
{
  Tally t;
  for (const AbstractResidue* r : m) {
    if (r->getType()->is_NucleicAcid())
      ++t.nucleotides;
    else if (r->getType()->is_AminoAcid())
      ++t.amino_acids;
    else
      ++t.other;
    for (AbstractResidue::ResidueConstIterator a = r->begin(); a != r->end(); ++a) {
      const t_Atom* type = a->getType();
      if (type->is_Pseudo())
        ++t.pseudo;
      else if (type->is_LonePair())
        ++t.lone_pairs;
      else if (type->is_Hydrogen())
        ++t.hydrogens;
      else
        ++t.heavy;
    }
  }
  return t;
}

// A model just read holds every atom line of the file, residue by
// residue, where the file put it.
void expect_holds_every_line(const Model& m, const FileModel& file)
{
  ASSERT_EQ(m.size(), file.size());
  for (size_t i = 0; i < file.size(); ++i) {
    const AbstractResidue& r = *m[static_cast<unsigned>(i)];
    const FileResidue& f = file[i];
    EXPECT_EQ(r.getResId(), f.id);
    std::vector<const CAtom*> atoms;
    for (AbstractResidue::ResidueConstIterator a = r.begin(); a != r.end(); ++a)
      if (is_file_atom(a->getType())) atoms.push_back(&*a);
    ASSERT_EQ(atoms.size(), f.atoms.size()) << f.name << " " << f.id;
    for (const FileAtom& fa : f.atoms) {
      bool found = false;
      for (const CAtom* a : atoms) found = found || same_place(*a, fa);
      EXPECT_TRUE(found) << f.id << ":" << fa.name;
    }
  }
}

// After validation: the residues kept are file residues, in file order,
// and each of their heavy atoms (and the amino acids' hydrogens, which
// validation keeps rather than computes) stands where the file put it.
void expect_kept_from_file(const Model& m, const FileModel& file)
{
  std::map<CResId, const FileResidue*> by_id;
  for (const FileResidue& f : file) by_id[f.id] = &f;
  ASSERT_EQ(by_id.size(), file.size()) << "residue ids repeat in the file";
  const AbstractResidue* previous = nullptr;
  size_t last = 0;
  for (const AbstractResidue* r : m) {
    auto f = by_id.find(r->getResId());
    ASSERT_NE(f, by_id.end()) << r->getResId();
    size_t index = static_cast<size_t>(f->second - file.data());
    if (previous != nullptr) {
      EXPECT_GT(index, last) << "order of " << r->getResId();
    }
    previous = r;
    last = index;
    bool amino = r->getType()->is_AminoAcid();
    for (AbstractResidue::ResidueConstIterator a = r->begin(); a != r->end(); ++a) {
      const t_Atom* t = a->getType();
      if (!is_file_atom(t) || (t->is_Hydrogen() && !amino)) continue;
      bool found = false;
      for (const FileAtom& fa : f->second->atoms) found = found || same_place(*a, fa);
      EXPECT_TRUE(found) << r->getResId() << ":" << t->getName();
    }
  }
}

// The ids of the file's residues that validation took out, sorted.
std::set<CResId> removed_ids(const Model& m, const FileModel& file, const std::set<std::string>& names)
{
  std::set<CResId> kept;
  for (const AbstractResidue* r : m) kept.insert(r->getResId());
  std::set<CResId> removed;
  for (const FileResidue& f : file)
    if (kept.count(f.id) == 0 && names.count(f.name) == 0) removed.insert(f.id);
  return removed;
}

std::string written(const Model& m)
{
  std::stringbuf buffer;
  oPdbstream out(&buffer);
  out << m;
  out.close();
  return buffer.str();
}

size_t count_records(const std::string& text, const std::string& record)
{
  size_t n = 0;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.compare(0, record.size(), record) == 0) ++n;
  return n;
}

// Written, then read back: the same residues, types, ids and atoms, to
// the three decimals of the format; lone pairs and pseudo-atoms are not
// written, and the pseudo-atoms come back rebuilt.
void expect_round_trip(const Model& m)
{
  std::string text = written(m);
  std::stringbuf buffer(text);
  iPdbstream in(&buffer);
  Model back;
  in >> back;
  ASSERT_EQ(back.size(), m.size());
  for (unsigned i = 0; i < m.size(); ++i) {
    const AbstractResidue& a = *m[i];
    const AbstractResidue& b = *back[i];
    EXPECT_EQ(b.getResId(), a.getResId());
    EXPECT_EQ(b.getType(), a.getType()) << a.getResId();
    unsigned file_atoms = 0;
    for (AbstractResidue::ResidueConstIterator k = a.begin(); k != a.end(); ++k) {
      const t_Atom* t = k->getType();
      if (!is_file_atom(t)) continue;
      ++file_atoms;
      const CAtom* r = b.res(t);
      ASSERT_NE(r, nullptr) << a.getResId() << ":" << t->getName();
      EXPECT_TRUE(std::fabs(r->x - k->x) <= kPrinted && std::fabs(r->y - k->y) <= kPrinted &&
                  std::fabs(r->z - k->z) <= kPrinted)
        << a.getResId() << ":" << t->getName();
    }
    unsigned back_atoms = 0;
    for (AbstractResidue::ResidueConstIterator k = b.begin(); k != b.end(); ++k)
      if (is_file_atom(k->getType())) ++back_atoms;
    EXPECT_EQ(back_atoms, file_atoms) << a.getResId();
  }
  // What validation left is valid again: nothing more goes.
  Model again(back);
  again.validate();
  ASSERT_EQ(again.size(), m.size());
  for (unsigned i = 0; i < m.size(); ++i) EXPECT_EQ(again[i]->size(), m[i]->size()) << m[i]->getResId();
}

// ---- Expected counts ----

struct Expected
{
  size_t lines, residues;            // atom lines and residues of the first model
  size_t nucleotides, amino_acids;   // kept by validation
  std::set<CResId> demoted;          // polymer residues removed for lacking atoms
  size_t heavy, hydrogens, lone_pairs, pseudo;
  size_t ter;                        // one per chain written
};

// Residues of other names that validation removes: waters, ions and
// ligands are misc residue types.
const std::set<std::string> kNotPolymers = {"HOH", "NA", "SAH", "MSE"};

class RealStructures : public ::testing::Test
{
protected:
  void SetUp() override { TesselInit(); }

  // Reads the file as the tool does and checks every stage against the
  // file's own lines and the counts expected.
  void check(const std::string& path, const Expected& e)
  {
    SCOPED_TRACE(path);
    std::vector<FileModel> file = parse(inflate_file(path));
    ASSERT_FALSE(file.empty());
    ASSERT_EQ(atom_lines(file[0]), e.lines);
    ASSERT_EQ(file[0].size(), e.residues);

    CapturedMessages messages;
    izfPdbstream in(path.c_str(), std::ios::in);
    ASSERT_FALSE(in.fail());
    Model m;
    in >> m;
    EXPECT_FALSE(in.bad());
    in.close();
    expect_holds_every_line(m, file[0]);

    m.validate();
    // No duplicate atom, no base short of an atom: nothing to report.
    EXPECT_EQ(messages.text(), "");
    Tally t = tally(m);
    EXPECT_EQ(t.nucleotides, e.nucleotides);
    EXPECT_EQ(t.amino_acids, e.amino_acids);
    EXPECT_EQ(t.other, 0u);
    EXPECT_EQ(t.heavy, e.heavy);
    EXPECT_EQ(t.hydrogens, e.hydrogens);
    EXPECT_EQ(t.lone_pairs, e.lone_pairs);
    EXPECT_EQ(t.pseudo, e.pseudo);
    EXPECT_EQ(removed_ids(m, file[0], kNotPolymers), e.demoted);
    expect_kept_from_file(m, file[0]);

    std::string text = written(m);
    EXPECT_EQ(count_records(text, "ATOM  "), e.heavy + e.hydrogens);
    EXPECT_EQ(count_records(text, "TER   "), e.ter);
    EXPECT_EQ(count_records(text, "END   "), 1u);
    expect_round_trip(m);
  }
};

// X-ray protein: 66 amino acids, 4 selenomethionines (MSE, misc) and 88
// waters. The C-terminal OXT is in no amino-acid list and goes; the lists
// do not name PSAZ either, so validated amino acids carry none.
TEST_F(RealStructures, ProteinXray1A8O)
{
  check(test_data("pdb/1A8O.pdb.gz"), {644, 158, 0, 66, {}, 524 - 1, 0, 0, 0, 1});
}

// NMR protein fibril, five chains of 26 residues with their hydrogens.
// Only 245 of the 955 hydrogens are named as the amino-acid lists name
// them (HA, HB, HG, H1, H2, ...): current names such as HB2, HB3, HG2,
// HD11 and the amide H are none of the library's and validation drops them.
TEST_F(RealStructures, ProteinNmr2BEG)
{
  check(test_data("pdb/2BEG.pdb.gz"), {1855, 130, 0, 130, {}, 1855 - 955, 245, 0, 0, 5});
}

// X-ray protein-DNA complex: DNA strands C402-C413 and D421-D433, 327
// amino acids, a SAH ligand and 70 waters. D421 opens its strand with
// O5': without its phosphate it lacks obligatory atoms, is demoted and
// removed; C402 has its phosphate and stays. Each of the 24 nucleotides
// kept gains its hydrogens (12, 13 for T) and lone pairs (3 for A and C,
// 4 for G and T), and PSY and PSZ.
TEST_F(RealStructures, ProteinDnaXray3MHT)
{
  check(test_data("pdb/3MHT.pdb.gz"),
        {3211, 423, 24, 327, {CResId(421, 'D')}, 3097, 294, 84, 48, 3});
}

// NMR protein-DNA complex, first of three models: strands B1-B11 and
// C1-C11 whose 5' nucleotides B1 and C1 have no phosphate (demoted),
// 51 amino acids, 49 waters and a sodium ion. The file's nucleotide
// hydrogens are replaced by computed ones; 23 amino-acid hydrogens keep
// their names' types.
TEST_F(RealStructures, ProteinDnaNmr1LCD)
{
  check(test_data("pdb/1LCD.pdb.gz"),
        {1137, 123, 20, 51, {CResId(1, 'B'), CResId(1, 'C')}, 809, 246 + 23, 71, 40, 3});
}

// The three models of 1LCD as one molecule, written with MODEL records and
// read back.
TEST_F(RealStructures, MoleculeOfThreeModels1LCD)
{
  std::string path = test_data("pdb/1LCD.pdb.gz");
  std::vector<FileModel> file = parse(inflate_file(path));
  ASSERT_EQ(file.size(), 3u);
  // Waters differ between the models: 49, 45 and 44.
  EXPECT_EQ(atom_lines(file[1]), 1125u);
  EXPECT_EQ(file[2].size(), 118u);

  izfPdbstream in(path.c_str(), std::ios::in);
  Molecule molecule;
  in >> molecule;
  // The file's last line reads "END" without the blanks of the record's
  // six columns, so reading ends at the end of the file.
  EXPECT_FALSE(in.IsEND());
  EXPECT_TRUE(in.eof());
  ASSERT_EQ(molecule.size(), 3u);
  unsigned k = 0;
  for (Model* m : molecule) {
    SCOPED_TRACE(k);
    expect_holds_every_line(*m, file[k++]);
    m->validate();
    EXPECT_EQ(m->size(), 71u);
  }

  std::stringbuf buffer;
  oPdbstream out(&buffer);
  out << molecule;
  out.close();
  std::string text = buffer.str();
  EXPECT_EQ(count_records(text, "MODEL "), 3u);
  EXPECT_EQ(count_records(text, "ENDMDL"), 3u);
  EXPECT_EQ(count_records(text, "ATOM  "), 3 * (809u + 269u));

  std::stringbuf back_buffer(text);
  iPdbstream back_in(&back_buffer);
  Molecule back;
  back_in >> back;
  ASSERT_EQ(back.size(), 3u);
  Molecule::const_iterator a = molecule.begin();
  for (const Model* b : back) {
    ASSERT_EQ(b->size(), (*a)->size());
    for (unsigned i = 0; i < b->size(); ++i) {
      EXPECT_EQ((*b)[i]->getResId(), (**a)[i]->getResId());
      EXPECT_EQ((*b)[i]->getType(), (**a)[i]->getType());
    }
    ++a;
  }
}

// Predicted models of one RNA dimer and its solution: two strands of 23,
// each nucleotide with its phosphate, in current atom names (OP1, OP2,
// primes) and without hydrogens. Nothing is removed.
TEST_F(RealStructures, RnaPuzzleModels)
{
  std::string folder = shared_data("rna-puzzles/rp01");
  if (folder.empty()) GTEST_SKIP() << "shared data absent";
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().extension() == ".pdb") files.push_back(entry.path().string());
  ASSERT_EQ(files.size(), 14u);
  // 20 C, 18 G, 6 U and 2 A: 12 hydrogens each but 11 for U; 3 lone pairs
  // for A and C, 4 for G and U.
  size_t hydrogens = 40 * 12 + 6 * 11, lone_pairs = 22 * 3 + 24 * 4;
  for (const std::string& f : files) check(f, {978, 46, 46, 0, {}, 978, hydrogens, lone_pairs, 92, 2});
}

}  // namespace
