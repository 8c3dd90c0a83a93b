// PDB text streams over any stream buffer: iPdbstream turns ATOM and HETATM
// records into typed atoms and keeps what the residue and model readers
// need to cut the atoms into residues and models; oPdbstream writes the
// records column by column. The file variants are in fPdbstream.h.
//
// The end of input and every failure of the input leave fail() set, so
// the residue, model and molecule readers all stop on !stream.
#ifndef TESSEL_PDBSTREAM_H
#define TESSEL_PDBSTREAM_H

#include <istream>
#include <memory>
#include <ostream>
#include <string>

#include "Atom.h"
#include "ResId.h"

class AtomSet;
class Model;
class t_Atom;
class t_Residue;

class iPdbstream : public std::istream
{
public:
  static constexpr unsigned kLineSize = 256;  // 255 characters and a NUL
  // A PDB file has a line end within its first megabyte.
  static constexpr unsigned long kFirstLineLimit = 1ul << 20;

  explicit iPdbstream(std::streambuf* buffer);
  ~iPdbstream() override;
  iPdbstream(const iPdbstream&) = delete;
  iPdbstream& operator=(const iPdbstream&) = delete;

  // Resets for a new input: no kept atom, no residue types, flags cleared.
  // The ids stay as they are.
  void open();
  // Nothing here; the file variant closes its file.
  virtual void close() {}

  // Reads one line, ended by a line feed, a carriage return or the end of
  // input, into buffer: at most n-1 characters and a NUL. The terminator
  // and the rest of a longer line are consumed, never read as a new line.
  // A last line without a line end reads like any other; the read that
  // finds nothing more sets eof and fail. A failing buffer (a truncated or
  // corrupt gzip file) sets bad.
  iPdbstream& getline(char* buffer, unsigned n);
  // Reads the next line into the stream, clears TER and ENDMDL, then sets
  // TER, ENDMDL or END from columns 1-6 ("TER   ", "ENDMDL", "END   ").
  // Returns the line's length.
  unsigned getline();

  // Fields of the current line, columns counted from 1 as in the format.
  const char* GetRecordType() const;  // columns 1-6
  t_Atom* GetAtomType() const;        // columns 13-16, with the current type
  char GetAltLocId() const;           // column 17
  float GetX() const;                 // columns 31-38
  float GetY() const;                 // columns 39-46
  float GetZ() const;                 // columns 47-54
  // Whether the current line is an ATOM or HETATM record long enough to
  // hold the coordinates.
  bool IsAtomRecord() const;

  // Fills the atom from the current line: the residue name (18-20) and id
  // (chain 22, number 23-26, insertion code 27) become the current ones,
  // then the coordinates, the atom type and the alternate location are set.
  // A coordinate field that is not a plain decimal number leaves the atom
  // untouched and the stream bad, with the reason in GetError.
  CAtom& getatom(CAtom& atom);

  // Why the stream went bad on its contents (a malformed record, no line
  // end); empty otherwise.
  const std::string& GetError() const { return failure; }

  // The residue readers' state: an atom read ahead for the next residue,
  // the residue being opened, and the residue of the last atom line.
  void KeepAtom(const CAtom& atom);
  void DeleteAtom();
  // Opens a residue with the current type and id; after ENDMDL the next
  // model starts afresh, with no residue open.
  void NewRes();
  CAtom* GetKeptAtom() const { return kept.get(); }
  t_Residue* GetNewResType() const { return newResType; }
  const CResId& GetNewResId() const { return newResId; }
  t_Residue* GetResType() const { return resType; }
  const CResId& GetResId() const { return resId; }
  // Whether the residue being opened came from HETATM records (its first
  // atom line's record): ligands, and modified residues of a chain.
  bool IsNewResHetero() const { return newResHetero; }
  // How many TER records came before the residue being opened.
  unsigned GetNewResSegment() const { return newResSegment; }
  bool IsTER() const { return ter; }
  bool IsENDMDL() const { return endmdl; }
  // Set by an END record; only open() clears it.
  bool IsEND() const { return endRead; }

  // Removes every blank from the text in place and returns it.
  static char* Strip(char* text);
  // The residue type of a residue name, stripped of its blanks in place.
  // An unknown name gives its misc type, made on first sight.
  static t_Residue* GetResidueType(char* name);
  // The atom type of an atom-name field, whose first four characters (up
  // to a NUL) are upper-cased and have primes written '*' in place.
  // `type` is the residue's type, or null. Never null: an unknown name
  // gives its misc type, made on first sight.
  static t_Atom* GetAtomType(char* name, t_Residue* type);

private:
  // getline into a buffer, giving the number of characters kept.
  unsigned readLine(char* buffer, unsigned n);
  // The stream goes bad; the first reason is kept.
  void reject(const std::string& reason);
  bool readCoordinates(float* xyz);
  // The text of columns [first, last] (1-based), blank-padded past the
  // end of the line, without a NUL.
  void copyColumns(unsigned first, unsigned last, char* out) const;
  float realColumns(unsigned first, unsigned last) const;

  std::unique_ptr<CAtom> kept;
  t_Residue* newResType;
  CResId newResId;
  t_Residue* resType;
  CResId resId;
  bool newResHetero;
  unsigned terSeen;
  unsigned newResSegment;
  bool ter;
  bool endmdl;
  bool endRead;
  unsigned length;
  unsigned long lineNo;
  unsigned long firstLineLength;
  bool lineEndSeen;
  char lastEnd;
  std::string failure;
  char line[kLineSize];
  mutable char recordType[7];
};

class oPdbstream : public std::ostream
{
public:
  explicit oPdbstream(std::streambuf* buffer);
  ~oPdbstream() override;
  oPdbstream(const oPdbstream&) = delete;
  oPdbstream& operator=(const oPdbstream&) = delete;

  // Resets for a new output: serial and model number 1, the default filter
  // (no pseudo-atom, no lone pair), no residue type.
  void open();
  // Writes the END record; the file variant then closes its file.
  virtual void close();

  // The residue whose atoms come next.
  void SetResId(const CResId& id);
  void SetResType(t_Residue* type);

  // One ATOM record, when the filter accepts the atom (an untyped atom is
  // never written); the atom gets the serial it was written with.
  oPdbstream& putatom(const CAtom& atom);
  oPdbstream& TER();
  oPdbstream& MODEL();
  oPdbstream& ENDMDL();
  oPdbstream& END();
  oPdbstream& putremark(unsigned number, const char* text);
  // EXPDTA, AUTHOR (LOGNAME at the host name), the REMARK 220 block and
  // the creation date.
  oPdbstream& putheader();
  // MODEL, the model with its TER records, ENDMDL.
  oPdbstream& putmodel(const Model& model);
  // The O3'-P links of consecutive nucleotides of a model already written,
  // by the serials their atoms were written with.
  oPdbstream& putconect(const Model& model);

private:
  // Writes the record and a line end, then flushes, so that a failing
  // device fails the stream at the record that did not get through.
  void putline(const char* text, unsigned n);
  // The residue name in three columns.
  char* putResidueName(char* out) const;

  std::unique_ptr<AtomSet> filter;
  t_Residue* resType;
  int resNo;
  char chain;
  char insCode;
  int serial;
  int modelNo;
};

#endif
