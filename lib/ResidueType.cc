#include "ResidueType.h"

#include <array>
#include <mutex>
#include <ostream>

#include "Binstream.h"

namespace {

constexpr int kRootResidueCode = 1;
constexpr int kMiscResidueCode = 22;
constexpr int kMaxResidueCode = 42;

// Binary code -> place in kResidueTypeSlots, -1 for a code no singleton has.
typedef std::array<signed char, kMaxResidueCode + 1> ResidueCodeTable;

constexpr ResidueCodeTable makeResidueCodeTable()
{
  ResidueCodeTable index{};
  for (signed char& i : index) i = -1;
  signed char next = 0;
#define TESSEL_RESIDUE_TYPE(S, NAME, PDB, LETTER, CODE, BASES) index[CODE] = next++;
#define TESSEL_NUCLEOTIDE(S, NAME, CODE, ...) index[CODE] = next++;
#define TESSEL_AMINO_ACID(S, LETTER, CODE) index[CODE] = next++;
#include "ResidueTypes.def"
  return index;
}

constexpr ResidueCodeTable kResidueCodeIndex = makeResidueCodeTable();

constexpr unsigned countAssignedCodes()
{
  unsigned n = 0;
  for (signed char i : kResidueCodeIndex) n += i >= 0;
  return n;
}
static_assert(countAssignedCodes() == kResidueTypeCount, "two residue types share a code");
static_assert(kResidueCodeIndex[kRootResidueCode] < 0 && kResidueCodeIndex[kMiscResidueCode] < 0,
              "the root's and the misc code belong to no singleton");

const rt_Misc* gLastMisc = nullptr;
// Files may load on several threads: one name makes one type whichever
// thread asks.
std::mutex gMiscResidueLock;

void copyName(char* dest, const char* src)
{
  std::size_t i = 0;
  for (; i < rt_Misc::kNameLength && src[i] != '\0'; ++i) dest[i] = src[i];
  dest[i] = '\0';
}

}  // namespace

void t_Residue::Binoutput(oBinstream& os) const { os << kRootResidueCode; }

#define TESSEL_RESIDUE_TYPE(S, NAME, PDB, LETTER, CODE, BASES) \
  rt_##S::~rt_##S() = default;                                  \
  void rt_##S::Binoutput(oBinstream& os) const { os << static_cast<int>(CODE); }
#define TESSEL_NUCLEOTIDE(S, NAME, CODE, ...) \
  rt_##S::~rt_##S() = default;                \
  void rt_##S::Binoutput(oBinstream& os) const { os << static_cast<int>(CODE); }
#define TESSEL_AMINO_ACID(S, LETTER, CODE) \
  rt_##S::~rt_##S() = default;             \
  void rt_##S::Binoutput(oBinstream& os) const { os << static_cast<int>(CODE); }
#include "ResidueTypes.def"

rt_Misc::rt_Misc(const char* residue_name) : previous(gLastMisc)
{
  copyName(name, residue_name);
  // An entry under an equal name now maps to this type; its key stays valid
  // since misc types are never destroyed.
  gMiscResidueString[name] = this;
  gLastMisc = this;
}

rt_Misc::rt_Misc(const rt_Misc& other) : t_Residue(other), previous(nullptr)
{
  copyName(name, other.name);
}

rt_Misc& rt_Misc::operator=(const rt_Misc& other)
{
  if (this != &other) copyName(name, other.name);
  return *this;
}

rt_Misc::~rt_Misc() = default;

t_Residue* rt_Misc::findOrCreate(const char* residue_name)
{
  char cut[kNameLength + 1];
  copyName(cut, residue_name);
  std::lock_guard<std::mutex> lock(gMiscResidueLock);
  MiscResidueRegistry::const_iterator found = gMiscResidueString.find(cut);
  if (found != gMiscResidueString.end()) return found->second;
  return new rt_Misc(cut);
}

void rt_Misc::Binoutput(oBinstream& os) const
{
  os << kMiscResidueCode << static_cast<const char*>(name);
}

bool is_concrete_polymer(const t_Residue* t)
{
  return t != nullptr && (t->is_A() || t->is_C() || t->is_G() || t->is_U() || t->is_T() ||
                          (t->is_AminoAcid() && t != r_AminoAcid));
}

t_Residue* residueTypeOfBinaryCode(int code)
{
  if (code < 0 || code > kMaxResidueCode) return nullptr;
  signed char index = kResidueCodeIndex[code];
  return index >= 0 ? *kResidueTypeSlots[index] : nullptr;
}

oBinstream& operator<<(oBinstream& os, const t_Residue* type)
{
  // No binary form stands for a missing object: writing one fails the stream.
  if (type == nullptr) {
    os.setstate(std::ios::failbit);
    return os;
  }
  type->Binoutput(os);
  return os;
}

iBinstream& operator>>(iBinstream& is, t_Residue*& type)
{
  type = nullptr;
  int code = 0;
  is >> code;
  if (code == kMiscResidueCode) {
    // A stored name longer than the buffer fails the stream.
    char text[256];
    if (is.read_string(text, sizeof text)) type = rt_Misc::findOrCreate(text);
    return is;
  }
  type = residueTypeOfBinaryCode(code);
  return is;
}

std::ostream& operator<<(std::ostream& os, const t_Residue* type)
{
  return os << (type != nullptr ? type->getName() : "(null)");
}

std::ostream& operator<<(std::ostream& os, const t_Residue& type)
{
  return os << type.getName();
}
