#include "Atom.h"

#include <ostream>

#include "AtomType.h"
#include "Binstream.h"
#include "Pdbstream.h"

CLiveCount CAtom::count;

CAtom::CAtom() : type(nullptr), altLoc(' '), number(0) { ++count; }

CAtom::CAtom(float x, float y, float z, t_Atom* atom_type)
  : CPoint3D(x, y, z), type(atom_type), altLoc(' '), number(0)
{
  ++count;
}

CAtom::CAtom(const CAtom& other)
  : CPoint3D(other), type(other.type), altLoc(other.altLoc), number(other.number)
{
  ++count;
}

CAtom::~CAtom() { --count; }

CAtom& CAtom::operator=(const CAtom& other)
{
  if (this != &other) {
    CPoint3D::operator=(other);
    type = other.type;
    altLoc = other.altLoc;
    number = other.number;
  }
  return *this;
}

CAtom* CAtom::clone() const { return new CAtom(*this); }

CAtom& CAtom::SetAll(float nx, float ny, float nz, t_Atom* atom_type, char alt)
{
  SetXYZ(nx, ny, nz);
  type = atom_type;
  altLoc = alt;
  return *this;
}

std::ostream& operator<<(std::ostream& os, const CAtom& atom)
{
  return os << static_cast<const CPoint3D&>(atom) << ' ' << atom.getType() << ' ' << atom.getAltLoc();
}

oBinstream& operator<<(oBinstream& os, const CAtom& atom)
{
  if (atom.getType() == nullptr) {
    os.setstate(std::ios::failbit);
    return os;
  }
  os << static_cast<const CPoint3D&>(atom) << atom.getType() << atom.getAltLoc();
  return os;
}

iBinstream& operator>>(iBinstream& is, CAtom& atom)
{
  CPoint3D point;
  t_Atom* type = nullptr;
  char altLoc = ' ';
  is >> point >> type >> altLoc;
  if (is) atom.SetAll(point.x, point.y, point.z, type, altLoc);
  return is;
}

iPdbstream& operator>>(iPdbstream& is, CAtom& atom)
{
  for (;;) {
    is.getline();
    if (is.eof() || is.fail() || is.IsEND() || is.IsENDMDL() || is.IsTER()) return is;
    if (is.IsAtomRecord()) {
      is.getatom(atom);
      return is;
    }
  }
}

oPdbstream& operator<<(oPdbstream& os, const CAtom& atom)
{
  if (atom.getType() != nullptr) os.putatom(atom);
  return os;
}
