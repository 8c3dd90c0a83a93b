// A typed atom: a point that also carries its atom type, its alternate
// location and its serial number.
#ifndef TESSEL_ATOM_H
#define TESSEL_ATOM_H

#include <iosfwd>

#include "LiveCount.h"
#include "Point3D.h"

class iBinstream;
class iPdbstream;
class oBinstream;
class oPdbstream;
class t_Atom;

class CAtom : public CPoint3D
{
public:
  CAtom();
  CAtom(float x, float y, float z, t_Atom* type);
  CAtom(const CAtom& other);
  ~CAtom() override;
  CAtom& operator=(const CAtom& other);

  // A new heap copy, owned by the caller.
  virtual CAtom* clone() const;

  // Sets the point, the type and the alternate location; the serial stays.
  CAtom& SetAll(float x, float y, float z, t_Atom* type, char altLoc);

  t_Atom* getType() const { return type; }
  void setType(t_Atom* t) { type = t; }
  char getAltLoc() const { return altLoc; }
  void setAltLoc(char c) { altLoc = c; }
  int getNumber() const { return number; }
  // The PDB writer numbers the atoms it writes, also through a const
  // reference: the serial is bookkeeping, not part of the atom's value.
  void setNumber(int n) const { number = n; }

  // Atoms are equal when their types are: a search for an atom in a vector
  // finds the first one of that type.
  bool operator==(const CAtom& other) const { return type == other.type; }
  bool operator!=(const CAtom& other) const { return type != other.type; }

  // Live atoms, copies included. Worker threads copy and destroy atoms.
  static CLiveCount count;

private:
  t_Atom* type;
  char altLoc;
  mutable int number;
};

// Text form: the point, a blank, the type's name, a blank, the alternate
// location. An untyped atom shows "(null)" for its type.
std::ostream& operator<<(std::ostream& os, const CAtom& atom);

// Binary form: the point, the type, the alternate location; the serial is
// not stored. An untyped atom has no binary form: writing one fails the
// stream and writes nothing. A failed read leaves the atom as it was.
oBinstream& operator<<(oBinstream& os, const CAtom& atom);
iBinstream& operator>>(iBinstream& is, CAtom& atom);

// PDB form. Reading takes lines up to the next ATOM or HETATM record of at
// least 54 characters and fills the atom from it; at the end of input, on a
// failed stream, or when the line read is a TER, ENDMDL or END record (or
// END was read before), the atom is left untouched. Writing goes through
// oPdbstream::putatom; an untyped atom writes nothing.
iPdbstream& operator>>(iPdbstream& is, CAtom& atom);
oPdbstream& operator<<(oPdbstream& os, const CAtom& atom);

#endif
