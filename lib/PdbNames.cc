#include "PdbNames.h"

#include <algorithm>
#include <array>

#include "AtomType.h"
#include "ResidueType.h"

namespace {

template <typename T>
struct NameEntry
{
  std::uint32_t key;
  T* const* slot;
};

template <typename T>
constexpr NameEntry<T> entry(const char* name, T* const* slot)
{
  return {pdb_pack_name(name, pdb_name_length(name)), slot};
}

template <typename T, std::size_t N>
constexpr std::array<NameEntry<T>, N> sorted(std::array<NameEntry<T>, N> table)
{
  for (std::size_t i = 1; i < N; ++i)
    for (std::size_t j = i; j > 0 && table[j].key < table[j - 1].key; --j) {
      NameEntry<T> t = table[j];
      table[j] = table[j - 1];
      table[j - 1] = t;
    }
  return table;
}

template <typename T, std::size_t N>
constexpr bool all_distinct(const std::array<NameEntry<T>, N>& table)
{
  for (std::size_t i = 1; i < N; ++i)
    if (table[i].key == table[i - 1].key) return false;
  return true;
}

template <typename T, std::size_t N>
T* find(const std::array<NameEntry<T>, N>& table, std::uint32_t key)
{
  auto p = std::lower_bound(table.begin(), table.end(), key,
                            [](const NameEntry<T>& e, std::uint32_t k) { return e.key < k; });
  return p != table.end() && p->key == key ? *p->slot : nullptr;
}

// ---- Residues ----

constexpr std::array<NameEntry<t_Residue>, 56> kResidueNames = sorted<t_Residue, 56>({{
  entry("A", &r_A), entry("C", &r_C), entry("G", &r_G), entry("T", &r_T), entry("U", &r_U),
  entry("RA", &r_A), entry("DA", &r_A), entry("RC", &r_C), entry("DC", &r_C),
  entry("RG", &r_G), entry("DG", &r_G), entry("RU", &r_U), entry("DT", &r_T),
  entry("ADE", &r_A), entry("RA5", &r_A), entry("RA3", &r_A), entry("DA5", &r_A), entry("DA3", &r_A),
  entry("CYT", &r_C), entry("RC5", &r_C), entry("RC3", &r_C), entry("DC5", &r_C), entry("DC3", &r_C),
  entry("GUA", &r_G), entry("RG5", &r_G), entry("RG3", &r_G), entry("DG5", &r_G), entry("DG3", &r_G),
  entry("TYM", &r_T), entry("DT5", &r_T), entry("DT3", &r_T),
  entry("URI", &r_U), entry("RU5", &r_U), entry("RU3", &r_U), entry("URA", &r_U),
  entry("PO4", &r_Phosphate),
#define TESSEL_RESIDUE_TYPE(...)
#define TESSEL_NUCLEOTIDE(...)
#define TESSEL_AMINO_ACID(S, ...) entry(#S, &r_##S),
#include "ResidueTypes.def"
}});
static_assert(all_distinct(kResidueNames), "a residue name stands for one type");

// ---- Atoms ----

// Every concrete type is named by its own name, except these spellings:
// the PDB writes those hydrogens 1HA, 2HB, ... (aliases below), and O is
// decided by the residue.
constexpr const char* kNotKeys[] = {"HA1", "HA2", "HB1", "HB2", "HB3", "HG2", "HZ1", "O"};
constexpr std::size_t kNotKeyCount = sizeof kNotKeys / sizeof kNotKeys[0];
static_assert(kNotKeyCount == 8);

constexpr NameEntry<t_Atom> kAliases[] = {
  entry("H2*1", &a_1H2p), entry("H5*1", &a_1H5p),
  entry("H5**", &a_2H5p), entry("H5*2", &a_2H5p),
  entry("H2**", &a_HO2p), entry("HO*2", &a_HO2p), entry("2HO*", &a_HO2p),
  entry("HO*3", &a_HO3p),
  entry("O3T", &a_O3p), entry("O5T", &a_O5p),
  // The wwPDB has named the phosphate oxygens OP1, OP2, OP3 since 2007.
  entry("OP1", &a_O1P), entry("OP2", &a_O2P), entry("OP3", &a_O3P),
  entry("C7", &a_C5M), entry("C5A", &a_C5M),
  entry("H21", &a_1H2), entry("H41", &a_1H4), entry("H71", &a_1H5M), entry("1H5A", &a_1H5M),
  entry("H61", &a_1H6), entry("H22", &a_2H2), entry("H42", &a_2H4),
  entry("H72", &a_2H5M), entry("2H5A", &a_2H5M), entry("H62", &a_2H6),
  entry("H73", &a_3H5M), entry("3H5A", &a_3H5M),
  entry("HN1", &a_1H), entry("HN2", &a_2H), entry("HN3", &a_3H),
  entry("1HA", &a_HA1), entry("2HA", &a_HA2),
  entry("1HB", &a_HB1), entry("2HB", &a_HB2), entry("3HB", &a_HB3),
  entry("1HD", &a_HD1), entry("2HD", &a_HD2),
  entry("1HE", &a_HE1), entry("2HE", &a_HE2), entry("3HE", &a_HE3),
  entry("1HG", &a_HG1), entry("2HG", &a_HG2),
  entry("1HZ", &a_HZ1), entry("2HZ", &a_HZ2), entry("3HZ", &a_HZ3),
};
constexpr std::size_t kAliasCount = sizeof kAliases / sizeof kAliases[0];
static_assert(kAliasCount == 45);

constexpr NameEntry<t_Atom> kTypeNames[] = {
#define TESSEL_ATOM_TYPE(S, NAME, ...) entry(NAME, &a_##S),
#include "AtomTypes.def"
};
static_assert(sizeof kTypeNames / sizeof kTypeNames[0] == kConcreteAtomTypeCount);

constexpr bool is_key(const NameEntry<t_Atom>& e)
{
  for (const char* name : kNotKeys)
    if (pdb_pack_name(name, pdb_name_length(name)) == e.key) return false;
  return true;
}

constexpr std::size_t kAtomKeyCount = kConcreteAtomTypeCount - kNotKeyCount + kAliasCount;
static_assert(kAtomKeyCount == 190);

constexpr std::array<NameEntry<t_Atom>, kAtomKeyCount> atom_keys()
{
  std::array<NameEntry<t_Atom>, kAtomKeyCount> table{};
  std::size_t n = 0;
  for (const NameEntry<t_Atom>& e : kTypeNames)
    if (is_key(e)) table[n++] = e;
  for (const NameEntry<t_Atom>& e : kAliases) table[n++] = e;
  // Reached only when the count above is wrong: compilation then fails.
  if (n != kAtomKeyCount) throw "the atom key count does not match the tables";
  return sorted(table);
}

constexpr std::array<NameEntry<t_Atom>, kAtomKeyCount> kAtomKeys = atom_keys();
static_assert(all_distinct(kAtomKeys), "an atom key stands for one type");

constexpr std::uint32_t kCarbonylOxygen = pdb_pack_name("O", 1);

}  // namespace

t_Residue* pdb_residue_type(const char* name, std::size_t length)
{
  if (length > 3) return nullptr;
  return find(kResidueNames, pdb_pack_name(name, length));
}

t_Atom* pdb_atom_type(const char* key, std::size_t length, const t_Residue* residue)
{
  if (length > 4) return nullptr;
  std::uint32_t packed = pdb_pack_name(key, length);
  if (packed == kCarbonylOxygen)
    return residue != nullptr && residue->is_AminoAcid() ? a_O : nullptr;
  return find(kAtomKeys, packed);
}
