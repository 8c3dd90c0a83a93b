#include "RnamlReader.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "AbstractResidue.h"
#include "Atom.h"
#include "Elements.h"
#include "FileInputStream.h"
#include "GZIPInputStream.h"
#include "Messagestream.h"
#include "Model.h"
#include "Molecule.h"
#include "Pdbstream.h"
#include "ResId.h"
#include "ResidueFactory.h"
#include "Unmarshaller.h"
#include "vortanErrors.h"

namespace {

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether text can begin an XML document: after white space (and a byte
// order mark) comes '<'. Text of white space alone is left to the parser.
bool xml_start(const unsigned char* text, std::size_t n)
{
  std::size_t i = 0;
  if (n >= 3 && text[0] == 0xEF && text[1] == 0xBB && text[2] == 0xBF) i = 3;
  while (i < n && is_space(static_cast<char>(text[i]))) ++i;
  return i == n || text[i] == '<';
}

// The first bytes of a gzip member, inflated; 0 when none come out.
std::size_t inflate_head(unsigned char* in, std::size_t n, unsigned char* out, std::size_t size)
{
  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return 0;
  z.next_in = in;
  z.avail_in = static_cast<uInt>(n);
  z.next_out = out;
  z.avail_out = static_cast<uInt>(size);
  inflate(&z, Z_SYNC_FLUSH);
  std::size_t produced = size - z.avail_out;
  inflateEnd(&z);
  return produced;
}

// Whether the file behind fd may hold an XML document, judged from its
// first bytes without moving its offset: every PDB file is turned away
// here, before anything is parsed.
bool may_be_xml(int fd)
{
  unsigned char head[512];
  ssize_t n = pread(fd, head, sizeof head, 0);
  if (n <= 0) return false;
  if (n >= 2 && head[0] == 0x1F && head[1] == 0x8B) {
    unsigned char text[64];
    std::size_t produced = inflate_head(head, static_cast<std::size_t>(n), text, sizeof text);
    return produced == 0 || xml_start(text, produced);
  }
  return xml_start(head, static_cast<std::size_t>(n));
}

// The text without the white space around it; empty when absent.
std::string trimmed(const char* text)
{
  std::string name = text != nullptr ? text : "";
  std::size_t first = 0, last = name.size();
  while (first < last && is_space(name[first])) ++first;
  while (last > first && is_space(name[last - 1])) --last;
  return name.substr(first, last - first);
}

// The residue name right-justified in three columns, as the PDB format
// writes it, so that an unknown name makes the same misc type as from a
// PDB file; white space around the text is layout. Empty when absent.
std::string residue_field(const char* text)
{
  std::string name = trimmed(text);
  if (!name.empty() && name.size() < 3) name.insert(0, 3 - name.size(), ' ');
  return name;
}

// The atom name as a four-column PDB field, right-padded with blanks: a
// leading blank is kept (" O3'"), as it places the name in its columns.
// Text longer than a field once trailing white space is cut loses its
// leading white space too: that is layout.
void atom_field(const char* text, char field[5])
{
  std::string name = text != nullptr ? text : "";
  while (!name.empty() && is_space(name.back())) name.pop_back();
  if (name.size() > 4) {
    std::size_t first = 0;
    while (first < name.size() && is_space(name[first])) ++first;
    name.erase(0, first);
  }
  std::memset(field, ' ', 4);
  std::memcpy(field, name.data(), name.size() < 4 ? name.size() : 4);
  field[4] = '\0';
}

// The atom typed within its residue's type, by value: a base converts
// its atoms without a heap allocation each.
CAtom converted(const rnaml::Atom& atom, t_Residue* residueType)
{
  CAtom result;
  char name[5];
  atom_field(atom.getAtomType(), name);
  result.SetAll(atom.getX(), atom.getY(), atom.getZ(), iPdbstream::GetAtomType(name, residueType), ' ');
  return result;
}

// Coordinates are compared in single precision: beyond this distance from
// the origin (more than a PDB file can hold, too) the squares of their
// differences leave its range.
constexpr float kFarthest = 1e8f;

bool comparable(const CAtom& atom)
{
  return std::fabs(atom.x) < kFarthest && std::fabs(atom.y) < kFarthest && std::fabs(atom.z) < kFarthest;
}

// The strand's first character that is not white space; blank when none.
char chain_of(const char* strand)
{
  if (strand != nullptr)
    for (const char* c = strand; *c != '\0'; ++c)
      if (!is_space(*c)) return *c;
  return ' ';
}

}  // namespace

RnamlReader::RnamlReader(const char* p, ResidueFactoryMethod* f, const char* shown)
  : factory(f != nullptr ? f : new CResidueFM)
{
  if (p != nullptr) {
    path = shown != nullptr ? shown : p;
    open(p);
  }
}

RnamlReader::RnamlReader(rnaml::InputStream* s, ResidueFactoryMethod* f)
  : stream(s), factory(f != nullptr ? f : new CResidueFM)
{
}

RnamlReader::~RnamlReader()
{
  close();
  delete stream;
  delete factory;
  delete document;
}

void RnamlReader::open(const char* p)
{
  struct stat st;
  if (stat(p, &st) == 0 && !S_ISREG(st.st_mode)) return;
  rnaml::FileInputStream* file = new rnaml::FileInputStream(p);
  if (file->getError()) {
    failed(file->getOpenError(), file->getErrorString());
    delete file;
    return;
  }
  if (!may_be_xml(file->getFD())) {
    file->close();
    delete file;
    return;
  }
  // The gzip stream reads a descriptor of its own, which may be the one
  // the process lacks.
  rnaml::GZIPInputStream* gz = new rnaml::GZIPInputStream(file);
  if (gz->getCStructure() == nullptr) {
    const int e = errno;
    failed(e, std::strerror(e));
    file->close();
    delete file;
    delete gz;
    return;
  }
  stream = gz;
}

void RnamlReader::failed(int e, const char* reason)
{
  error = e;
  if (error != EMFILE && error != ENFILE) gOut->setLevel(2) << "File " << path << " " << reason << std::endl;
}

void RnamlReader::parse()
{
  parsed = true;
  if (stream == nullptr) return;
  rnaml::Unmarshaller unmarshaller;
  unmarshaller.setValidating(true);
  // The toolkit's findings go where the library's messages go, ahead of
  // what the reader concludes from them, on whatever thread reads.
  vortanByteBuffer findings;
  vortaninitByteBuffer(&findings);
  vortanByteBuffer* outer = vortanholdReports(&findings);
  document = unmarshaller.unmarshall(*stream);
  vortanholdReports(outer);
  if (findings.length > 0) gOut->setLevel(0) << findings.bytes << std::flush;
  vortanfreeByteBuffer(&findings);
  if (document == nullptr) {
    const char* reason = rnaml::Unmarshaller::reason();
    explain(*reason != '\0' ? reason : "not an RNAML document");
    return;
  }
  objects = document->getChildren();
  next = 0;
}

void RnamlReader::explain(const char* reason) const
{
  gOut->setLevel(3) << "File " << (path.empty() ? "(stream)" : path.c_str()) << ": no RNAML molecule read: "
                    << reason << std::endl;
}

Molecule* RnamlReader::read()
{
  if (!parsed) parse();
  while (next < objects.size()) {
    const rnaml::Molecule* molecule = dynamic_cast<const rnaml::Molecule*>(objects[next++]);
    if (molecule != nullptr) {
      given = true;
      refusal.clear();
      std::unique_ptr<Molecule> result(toTessel(*molecule));
      if (refusal.empty()) return result.release();
      // No superposition or RMSD can be taken over such coordinates: the
      // document gives nothing more.
      explain(refusal.c_str());
      next = objects.size();
      return nullptr;
    }
  }
  if (document != nullptr && !given) {
    explain("the document has no molecule");
    given = true;  // said once
  }
  return nullptr;
}

void RnamlReader::close()
{
  if (stream == nullptr || closed) return;
  closed = true;
  stream->close();  // a failed close loses nothing read
}

CAtom* RnamlReader::toTessel(const rnaml::Atom& atom, t_Residue* residueType)
{
  return new CAtom(converted(atom, residueType));
}

AbstractResidue* RnamlReader::toTessel(const rnaml::Base& base)
{
  CResId id(-1, ' ', ' ');
  id.SetChainId(chain_of(base.getStrand()));
  id.SetResNo(base.getPosition());
  std::string name = residue_field(base.getBaseType());
  t_Residue* type = iPdbstream::GetResidueType(&name[0]);
  if (base.getInsertion() != -1) id.SetInsCode(static_cast<char>(base.getInsertion()));
  std::vector<CAtom> atoms;
  atoms.reserve(base.getAtoms().size());
  for (const rnaml::Atom* atom : base.getAtoms()) {
    atoms.push_back(converted(*atom, type));
    if (refusal.empty() && !comparable(atoms.back())) {
      std::ostringstream why;
      why << "base " << id << ", atom " << trimmed(atom->getAtomType()) << ": a coordinate of " << kFarthest
          << " Angstroms or more";
      refusal = why.str();
    }
  }
  return factory->createResidue(type, atoms, id);
}

Model* RnamlReader::toTessel(const rnaml::Model& model)
{
  std::unique_ptr<Model> result(new Model);
  for (const rnaml::Base* base : model.getBases()) result->push_back(toTessel(*base));
  return result.release();
}

Molecule* RnamlReader::toTessel(const rnaml::Molecule& molecule)
{
  std::unique_ptr<Molecule> result(new Molecule);
  if (molecule.getId() != nullptr) result->setProperty("id", molecule.getId());
  result->setProperty("type", molecule.getType());
  if (molecule.getComment() != nullptr) result->setProperty("comment", molecule.getComment());
  result->setProperty("reference-ids", molecule.getReferenceIdsString().c_str());
  result->setProperty("analysis-ids", molecule.getAnalysisIdsString().c_str());
  result->setProperty("database-ids", molecule.getDatabaseIdsString().c_str());
  // A view of the molecule's structure, released when done.
  std::unique_ptr<rnaml::Structure> structure(molecule.getStructure());
  if (structure != nullptr)
    for (const rnaml::Model* model : structure->getModels()) result->push_back(toTessel(*model));
  return result.release();
}
