// The PDB vocabulary: which type singleton a residue name or an atom name
// stands for. Names are looked up by their characters packed into one
// integer, in tables sorted when the program is compiled.
#ifndef TESSEL_PDBNAMES_H
#define TESSEL_PDBNAMES_H

#include <cstddef>
#include <cstdint>

class t_Atom;
class t_Residue;

// Up to four characters of a name, the first in the highest byte, so that
// packed names sort as their texts do.
constexpr std::uint32_t pdb_pack_name(const char* name, std::size_t length)
{
  std::uint32_t key = 0;
  for (std::size_t i = 0; i < 4; ++i)
    key = (key << 8) | (i < length ? static_cast<unsigned char>(name[i]) : 0u);
  return key;
}

constexpr std::size_t pdb_name_length(const char* name)
{
  std::size_t n = 0;
  while (name[n] != '\0') ++n;
  return n;
}

// The singleton of a residue name without blanks, or null for a name of
// the table's (upper case as written).
t_Residue* pdb_residue_type(const char* name, std::size_t length);

// The singleton of an atom key: an atom-name field upper-cased, primes
// written '*', blanks removed. "O" is the amino acids' carbonyl oxygen only
// within an amino acid. Null for a key of no concrete type.
t_Atom* pdb_atom_type(const char* key, std::size_t length, const t_Residue* residue);

#endif
