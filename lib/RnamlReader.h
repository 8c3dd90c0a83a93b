// Reads RNAML 1.1 documents, plain or gzip, into the library's molecules:
// one Molecule per top-level molecule element, one Model per model of its
// structure, one residue per base (made by the factory), one CAtom per
// atom. Names are typed as the PDB reader types them.
//
// Usage: construct, read() until null, close(). The parser keeps its
// state in globals: one reader parses at a time in the whole process.
#ifndef TESSEL_RNAMLREADER_H
#define TESSEL_RNAMLREADER_H

#include <string>
#include <vector>

class AbstractResidue;
class CAtom;
class Model;
class Molecule;
class ResidueFactoryMethod;
class t_Residue;

namespace rnaml {
class Atom;
class Base;
class InputStream;
class Model;
class Molecule;
class Object;
class Rnaml;
}  // namespace rnaml

class RnamlReader
{
public:
  // Over the file at path. A file that cannot be opened gets one message
  // at level 2, "File <path> <reason>", unless no descriptor is left for
  // it (EMFILE, ENFILE): that want is the process's, not the file's, and
  // the caller, who knows what else holds descriptors, says it (openError
  // tells). A path that is no regular file (a folder, a FIFO, a device)
  // and a file that cannot be XML (a PDB file) are left unread, silently.
  // The factory (a new CResidueFM when null) is the reader's from now on.
  // Messages name the file `shown` when it is given (a copy of a pipe is
  // read under its own path).
  RnamlReader(const char* path, ResidueFactoryMethod* factory = nullptr, const char* shown = nullptr);
  // Over a stream, which the reader then owns.
  RnamlReader(rnaml::InputStream* stream, ResidueFactoryMethod* factory = nullptr);
  RnamlReader(const RnamlReader&) = delete;
  RnamlReader& operator=(const RnamlReader&) = delete;
  // Closes what close() was not called on.
  virtual ~RnamlReader();

  // The next top-level molecule, as a new Molecule the caller owns; null
  // when there is none more. The document is parsed on the first call; a
  // document that gives no molecule at all says why at level 3.
  Molecule* read();
  // Closes the file; nothing without one.
  void close();
  // Whether a file was opened that may hold a document: false for one left
  // unread (no such file, no regular file, not XML), which parse() and
  // read() then answer at once.
  bool opened() const { return stream != nullptr; }
  // The errno of a failed open of the file, or of its gzip stream; 0
  // when it opened or was left unread.
  int openError() const { return error; }
  // Parses the document now; read() does it on its first call otherwise.
  // The parser keeps its state in globals, so threads hold one lock around
  // this call alone: the conversions read() then makes touch no parser
  // state, and may make new misc types in their callers' order.
  void parse();

  // The conversions, each a new object that the caller owns. An atom is
  // typed within the residue type of its base.
  CAtom* toTessel(const rnaml::Atom& atom, t_Residue* residueType);
  AbstractResidue* toTessel(const rnaml::Base& base);
  Model* toTessel(const rnaml::Model& model);
  Molecule* toTessel(const rnaml::Molecule& molecule);

private:
  void open(const char* path);
  // An open that failed with errno e: said, unless no descriptor was left.
  void failed(int e, const char* reason);
  void explain(const char* reason) const;

  rnaml::InputStream* stream = nullptr;
  ResidueFactoryMethod* factory;
  rnaml::Rnaml* document = nullptr;
  std::vector<rnaml::Object*> objects;  // the document's top level, its own
  std::size_t next = 0;
  std::string path;     // for the messages
  int error = 0;        // of the open
  bool parsed = false;  // a failed parse is not tried again
  bool closed = false;
  bool given = false;   // a molecule was read, or why none was said
  std::string refusal;  // why the molecule converted last cannot be compared
};

#endif
