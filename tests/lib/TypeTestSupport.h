// Shared by the type-registry tests: the initialised registry, a residue
// holding a chosen type and atom types, and binary round trips.
#ifndef TOLVA_TYPE_TEST_SUPPORT_H
#define TOLVA_TYPE_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>

#include "BinaryBytes.h"
#include "Residue.h"
#include "Binstream.h"
#include "TesselInit.h"

namespace type_test {

using testing_support::bytes_of;

// Every test process starts with an empty registry; the fixture fills it.
class Registry : public ::testing::Test
{
protected:
  void SetUp() override { TesselInit(); }
};

// A residue of the given type holding one atom of each given type, as it
// stands: no frame, no pseudo-atoms, no refinement of the type.
class Residue : public CResidue
{
public:
  Residue(t_Residue* residue_type, std::initializer_list<const t_Atom*> atom_types)
  {
    setType(residue_type);
    for (const t_Atom* t : atom_types) insert_local(CAtom(0, 0, 0, const_cast<t_Atom*>(t)));
  }
};

// Big-endian bytes of an int, as the binary streams write it.
inline std::string int_bytes(int n)
{
  std::string s(4, '\0');
  unsigned u = static_cast<unsigned>(n);
  for (int i = 3; i >= 0; --i, u >>= 8) s[i] = static_cast<char>(u & 0xFF);
  return s;
}

}  // namespace type_test

#endif
