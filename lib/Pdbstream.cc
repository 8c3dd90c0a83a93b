#include "Pdbstream.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <sstream>
#include <unistd.h>

#include "AbstractResidue.h"
#include "AtomSet.h"
#include "AtomType.h"
#include "AtomTypes.h"
#include "Model.h"
#include "PdbColumns.h"
#include "PdbNames.h"
#include "ResidueType.h"
#include "TextUtil.h"

namespace {

bool starts_with(const char* line, const char (&record)[7])
{
  return std::memcmp(line, record, 6) == 0;
}

// The record name of columns 1-6, blank past the end of a shorter line.
bool padded_record(const char* line, unsigned length, const char (&record)[7])
{
  for (unsigned k = 0; k < 6; ++k)
    if ((k < length ? line[k] : ' ') != record[k]) return false;
  return true;
}

// A text with file contents in it must stay one printable line.
void put_escaped(std::ostream& os, const char* text, unsigned n)
{
  static const char digits[] = "0123456789abcdef";
  for (unsigned i = 0; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7f)
      os << text[i];
    else
      os << "\\x" << digits[c >> 4] << digits[c & 15];
  }
}

}  // namespace

// ---- iPdbstream ----

iPdbstream::iPdbstream(std::streambuf* buffer)
  : std::istream(buffer), newResType(nullptr), resType(nullptr), newResHetero(false),
    terSeen(0), newResSegment(0), ter(false), endmdl(false), endRead(false), length(0), lineNo(0),
    firstLineLength(0), lineEndSeen(false), lastEnd('\0')
{
  std::memset(line, 0, sizeof line);
  recordType[0] = '\0';
}

iPdbstream::~iPdbstream() = default;

void iPdbstream::open()
{
  kept.reset();
  newResType = nullptr;
  resType = nullptr;
  newResHetero = false;
  terSeen = newResSegment = 0;
  ter = endmdl = endRead = false;
  std::memset(line, 0, sizeof line);
  length = 0;
  lineNo = 0;
  firstLineLength = 0;
  lineEndSeen = false;
  lastEnd = '\0';
  failure.clear();
}

void iPdbstream::reject(const std::string& reason)
{
  if (failure.empty()) failure = reason;
  setstate(std::ios::badbit);
}

namespace {

// The get area of any stream buffer, reached through member pointers taken
// in a derived class: once a file is known to have line ends, a line is
// copied out of the buffer in one go rather than one call per character.
struct GetArea : std::streambuf
{
  static char* next(std::streambuf* sb) { return (sb->*&GetArea::gptr)(); }
  static char* end(std::streambuf* sb) { return (sb->*&GetArea::egptr)(); }
  static void skip(std::streambuf* sb, std::ptrdiff_t n) { (sb->*&GetArea::gbump)(static_cast<int>(n)); }
};

}  // namespace

unsigned iPdbstream::readLine(char* buffer, unsigned n)
{
  unsigned stored = 0;
  std::streambuf* sb = rdbuf();
  if (sb == nullptr || fail() || eof()) {
    if (n > 0) buffer[0] = '\0';
    setstate(std::ios::failbit);
    return 0;
  }
  typedef std::char_traits<char> traits;
  char ended = '\0';
  try {
    for (;;) {
      char* g = GetArea::next(sb);
      char* e = GetArea::end(sb);
      if (lineEndSeen && g < e) {
        char* p = g;
        while (p < e && *p != '\n' && *p != '\r') ++p;
        // Past the buffer the line is consumed but not kept.
        std::ptrdiff_t room = n > stored + 1 ? static_cast<std::ptrdiff_t>(n - stored - 1) : 0;
        std::ptrdiff_t copied = std::min(p - g, room);
        std::memcpy(buffer + stored, g, static_cast<std::size_t>(copied));
        stored += static_cast<unsigned>(copied);
        if (p < e) {
          ended = *p;
          GetArea::skip(sb, p - g + 1);
          break;
        }
        GetArea::skip(sb, p - g);
        continue;
      }
      traits::int_type c = sb->sbumpc();
      if (traits::eq_int_type(c, traits::eof())) break;
      if (c == '\n' || c == '\r') {
        ended = traits::to_char_type(c);
        break;
      }
      // Text without a line end (a device, binary data) is no PDB file;
      // reading it to the end could take for ever.
      if (!lineEndSeen && ++firstLineLength > kFirstLineLimit) {
        if (n > 0) buffer[stored] = '\0';
        reject("no line end in its first megabyte, not a PDB file");
        return stored;
      }
      // Past the buffer the line is consumed but not kept.
      if (stored + 1 < n) buffer[stored++] = traits::to_char_type(c);
    }
  } catch (abi::__forced_unwind&) {
    throw;
  } catch (...) {
    if (n > 0) buffer[stored] = '\0';
    setstate(std::ios::badbit);
    return stored;
  }
  if (n > 0) buffer[stored] = '\0';
  if (!ended && stored == 0) {
    setstate(std::ios::eofbit | std::ios::failbit);
    return 0;
  }
  // Lines are counted as an editor counts them: CR-LF ends one line.
  if (!(ended == '\n' && lastEnd == '\r' && stored == 0)) ++lineNo;
  if (ended) lineEndSeen = true;
  lastEnd = ended;
  return stored;
}

iPdbstream& iPdbstream::getline(char* buffer, unsigned n)
{
  readLine(buffer, n);
  return *this;
}

unsigned iPdbstream::getline()
{
  ter = endmdl = false;
  unsigned previous = length;
  length = readLine(line, kLineSize);
  // Nothing of a longer previous line may show through a short one.
  if (previous > length) std::memset(line + length, 0, previous - length);
  if (length >= 6) {
    if (starts_with(line, "TER   "))
      ter = true;
    else if (starts_with(line, "ENDMDL"))
      endmdl = true;
    else if (starts_with(line, "END   "))
      endRead = true;
  }
  // A chain ends at any TER record, also one cut short to its name, as
  // many writers (and the -o file between structures) leave it.
  if (padded_record(line, length, "TER   ")) ++terSeen;
  return length;
}

const char* iPdbstream::GetRecordType() const
{
  std::memcpy(recordType, line, 6);
  recordType[6] = '\0';
  return recordType;
}

bool iPdbstream::IsAtomRecord() const
{
  return length >= 54 && (starts_with(line, "ATOM  ") || starts_with(line, "HETATM"));
}

void iPdbstream::copyColumns(unsigned first, unsigned last, char* out) const
{
  for (unsigned i = first - 1; i < last; ++i) *out++ = i < length ? line[i] : ' ';
}

float iPdbstream::realColumns(unsigned first, unsigned last) const
{
  unsigned end = last < length ? last : length;
  if (first - 1 >= end) return 0.0f;
  return static_cast<float>(pdb_read_real(line + first - 1, line + end));
}

t_Atom* iPdbstream::GetAtomType() const
{
  char name[5];
  copyColumns(13, 16, name);
  name[4] = '\0';
  return GetAtomType(name, resType);
}

char iPdbstream::GetAltLocId() const { return 17 <= length ? line[16] : ' '; }
float iPdbstream::GetX() const { return realColumns(31, 38); }
float iPdbstream::GetY() const { return realColumns(39, 46); }
float iPdbstream::GetZ() const { return realColumns(47, 54); }

bool iPdbstream::readCoordinates(float* xyz)
{
  for (unsigned k = 0; k < 3; ++k) {
    char field[8];
    copyColumns(31 + 8 * k, 38 + 8 * k, field);
    double value = 0.0;
    if (!pdb_read_fixed(field, field + sizeof field, value)) {
      std::ostringstream reason;
      reason << "line " << lineNo << ": " << "xyz"[k] << " coordinate \"";
      put_escaped(reason, field, sizeof field);
      reason << "\" is not a number";
      reject(reason.str());
      return false;
    }
    xyz[k] = static_cast<float>(value);
  }
  return true;
}

CAtom& iPdbstream::getatom(CAtom& atom)
{
  float xyz[3];
  if (!readCoordinates(xyz)) return atom;

  char residue[4];
  copyColumns(18, 20, residue);
  residue[3] = '\0';
  resType = GetResidueType(residue);

  char id[6];
  copyColumns(22, 27, id);
  resId = CResId(pdb_read_int(id + 1, id + 5), id[0], id[5]);

  atom.SetAll(xyz[0], xyz[1], xyz[2], GetAtomType(), GetAltLocId());
  return atom;
}

void iPdbstream::KeepAtom(const CAtom& atom) { kept.reset(new CAtom(atom)); }

void iPdbstream::DeleteAtom() { kept.reset(); }

void iPdbstream::NewRes()
{
  if (endmdl) {
    newResType = nullptr;
    return;
  }
  newResType = resType;
  newResId = resId;
  // The line read last is the residue's first atom line.
  newResHetero = starts_with(line, "HETATM");
  newResSegment = terSeen;
}

char* iPdbstream::Strip(char* text)
{
  char* out = text;
  for (const char* p = text; *p != '\0'; ++p)
    if (*p != ' ') *out++ = *p;
  *out = '\0';
  return text;
}

t_Residue* iPdbstream::GetResidueType(char* name)
{
  // A misc type keeps the name as written, blanks included.
  char written[rt_Misc::kNameLength + 1];
  std::size_t n = 0;
  for (; n < rt_Misc::kNameLength && name[n] != '\0'; ++n) written[n] = name[n];
  written[n] = '\0';

  Strip(name);
  t_Residue* type = pdb_residue_type(name, std::strlen(name));
  return type != nullptr ? type : rt_Misc::findOrCreate(written);
}

t_Atom* iPdbstream::GetAtomType(char* name, t_Residue* type)
{
  char key[at_Misc::kNameLength + 1];
  std::size_t n = 0;
  for (std::size_t i = 0; i < at_Misc::kNameLength && name[i] != '\0'; ++i) {
    char c = name[i];
    // The C locale's upper case, whatever locale the process runs in.
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    else if (c == '\'')
      c = '*';
    name[i] = c;
    if (c != ' ') key[n++] = c;
  }
  key[n] = '\0';
  t_Atom* atom = pdb_atom_type(key, n, type);
  return atom != nullptr ? atom : at_Misc::findOrCreate(key, name);
}

// ---- oPdbstream ----

namespace {

// The fixed part of each record, as the format places it.
constexpr unsigned kAtomLine = 80;
constexpr unsigned kTerLine = 27;

char* put_text(char* out, const char* text, unsigned width)
{
  unsigned n = 0;
  for (; n < width && text[n] != '\0'; ++n) out[n] = text[n];
  std::memset(out + n, ' ', width - n);
  return out + width;
}

// An atom-name field shorter than four columns starts in column 14, as
// PDB names of one-letter elements do.
char* put_atom_name(char* out, const char* name)
{
  std::size_t n = std::strlen(name);
  if (n >= 4) return put_text(out, name, 4);
  *out = ' ';
  return put_text(out + 1, name, 3);
}

}  // namespace

oPdbstream::oPdbstream(std::streambuf* buffer)
  : std::ostream(buffer), filter(new no_pse_lp_atom_set), resType(nullptr),
    resNo(0), chain(' '), insCode(' '), serial(1), modelNo(1)
{
}

oPdbstream::~oPdbstream() = default;

void oPdbstream::open()
{
  serial = 1;
  modelNo = 1;
  filter.reset(new no_pse_lp_atom_set);
  resType = nullptr;
}

void oPdbstream::close() { END(); }

void oPdbstream::SetResId(const CResId& id)
{
  resNo = id.GetResNo();
  chain = id.GetChainId();
  insCode = id.GetInsCode();
}

void oPdbstream::SetResType(t_Residue* type) { resType = type; }

void oPdbstream::putline(const char* text, unsigned n)
{
  write(text, n);
  put('\n');
  flush();
}

char* oPdbstream::putResidueName(char* out) const
{
  // Residue names stand right-adjusted in their three columns.
  const char* name = resType != nullptr ? resType->getPdbName() : "";
  std::size_t n = std::strlen(name);
  if (n >= 3) return put_text(out, name, 3);
  std::memset(out, ' ', 3 - n);
  std::memcpy(out + 3 - n, name, n);
  return out + 3;
}

oPdbstream& oPdbstream::putatom(const CAtom& atom)
{
  if (atom.getType() == nullptr || !(*filter)(atom)) return *this;
  char text[kAtomLine];
  char* p = put_text(text, "ATOM", 6);
  p = pdb_put_int(p, serial, 5);
  *p++ = ' ';
  p = put_atom_name(p, atom.getType()->getPdbName());
  *p++ = atom.getAltLoc();
  p = putResidueName(p);
  *p++ = ' ';
  *p++ = chain;
  p = pdb_put_int(p, resNo, 4);
  *p++ = insCode;
  p = put_text(p, "", 3);
  for (float v : {atom.x, atom.y, atom.z}) {
    p = pdb_put_fixed(p, v, 8, 3);
    if (p == nullptr) {
      // No PDB file can hold this coordinate.
      setstate(std::ios::failbit);
      return *this;
    }
  }
  put_text(p, "", static_cast<unsigned>(text + kAtomLine - p));
  putline(text, kAtomLine);
  atom.setNumber(serial++);
  // Callers writing numbers of their own after the records find the
  // notation the records use.
  setf(std::ios::fixed, std::ios::floatfield);
  precision(3);
  setf(std::ios::right, std::ios::adjustfield);
  return *this;
}

oPdbstream& oPdbstream::TER()
{
  char text[kTerLine];
  char* p = put_text(text, "TER", 6);
  p = pdb_put_int(p, serial, 5);
  p = put_text(p, "", 6);
  p = putResidueName(p);
  *p++ = ' ';
  *p++ = chain;
  p = pdb_put_int(p, resNo, 4);
  *p = ' ';
  putline(text, kTerLine);
  ++serial;
  return *this;
}

oPdbstream& oPdbstream::MODEL()
{
  char text[14];
  char* p = put_text(text, "MODEL", 10);
  pdb_put_int(p, modelNo, 4);
  putline(text, sizeof text);
  ++modelNo;
  return *this;
}

oPdbstream& oPdbstream::putmodel(const Model& model)
{
  MODEL();
  *this << model;
  return ENDMDL();
}

oPdbstream& oPdbstream::putconect(const Model& model)
{
  const AbstractResidue* previous = nullptr;
  for (Model::model_const_iterator r = model.begin(); r != model.end(); previous = *r, ++r) {
    if (previous == nullptr) continue;
    const CResId& a = previous->getResId();
    const CResId& b = (*r)->getResId();
    if (a.GetChainId() != b.GetChainId() || b.GetResNo() != a.GetResNo() + 1) continue;
    const CAtom* o3 = previous->res(a_O3p);
    const CAtom* p = (*r)->res(a_P);
    if (o3 == nullptr || p == nullptr) continue;
    char text[16];
    char* end = put_text(text, "CONECT", 6);
    end = pdb_put_int(end, o3->getNumber(), 5);
    pdb_put_int(end, p->getNumber(), 5);
    putline(text, sizeof text);
  }
  return *this;
}

oPdbstream& oPdbstream::ENDMDL()
{
  putline("ENDMDL", 6);
  return *this;
}

oPdbstream& oPdbstream::END()
{
  putline("END   ", 6);
  setf(std::ios::right, std::ios::adjustfield);
  return *this;
}

oPdbstream& oPdbstream::putremark(unsigned number, const char* text)
{
  char head[11];
  char* p = put_text(head, "REMARK", 7);
  p = pdb_put_int(p, number, 3);
  *p = ' ';
  write(head, sizeof head);
  if (text != nullptr) write(text, static_cast<std::streamsize>(std::strlen(text)));
  put('\n');
  flush();
  return *this;
}

oPdbstream& oPdbstream::putheader()
{
  putline("EXPDTA    THEORETICAL MODEL", 27);

  // Both values are cut to what an 80-column line can hold.
  constexpr std::size_t kHostLength = 80;
  constexpr std::size_t kLoginLength = 80;
  char host[kHostLength + 1] = "";
  if (gethostname(host, sizeof host) != 0) host[0] = '\0';
  host[kHostLength] = '\0';
  const char* login = std::getenv("LOGNAME");
  std::size_t loginLength = login != nullptr ? strnlen(login, kLoginLength) : 0;

  write("AUTHOR    ", 10);
  if (loginLength > 0) write(login, static_cast<std::streamsize>(loginLength));
  put('@');
  write(host, static_cast<std::streamsize>(std::strlen(host)));
  put('\n');
  flush();

  putremark(220, "");
  putremark(220, "EXPERIMENTAL DETAILS");
  putremark(220, "EXPERIMENT TYPE                : THEORETICAL MODELLING");
  putremark(220, "");
  char date[16];
  char created[32] = "CREATION DATE ";
  std::strcat(created, get_current_time(date));
  putremark(220, created);
  return *this;
}
