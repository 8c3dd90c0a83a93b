#include "AtomType.h"

#include <array>
#include <atomic>
#include <cctype>
#include <mutex>
#include <ostream>

#include "Binstream.h"

namespace {

constexpr int kMiscAtomId = 82;
constexpr int kMaxAtomId = 171;

// Misc types are numbered after every singleton, in their order of creation.
std::atomic<unsigned> gNextMiscOrdinal{kAtomTypeCount};
const at_Misc* gLastMisc = nullptr;
// Files may load on several threads: the registry is read and written under
// this lock, so that one name makes one type whichever thread asks.
std::mutex gMiscAtomLock;

// Binary id -> ordinal, -1 for an id no singleton has.
typedef std::array<short, kMaxAtomId + 1> AtomIdTable;

constexpr AtomIdTable makeAtomIdTable()
{
  AtomIdTable ordinal{};
  for (short& o : ordinal) o = -1;
#define TESSEL_ATOM_CATEGORY(S, NAME, PDB, AMBER, ID, ...) ordinal[ID] = static_cast<short>(AtomKind::k##S);
#include "AtomCategories.def"
#define TESSEL_ATOM_TYPE(S, NAME, PDB, AMBER, ID, ...) ordinal[ID] = static_cast<short>(AtomKind::k##S);
#include "AtomTypes.def"
  return ordinal;
}

constexpr AtomIdTable kAtomIdOrdinals = makeAtomIdTable();

// Each id names one type: counting the filled entries catches a repeated id.
constexpr unsigned countAssignedIds()
{
  unsigned n = 0;
  for (short o : kAtomIdOrdinals) n += o >= 0;
  return n;
}
static_assert(countAssignedIds() == kAtomTypeCount, "two atom types share a binary id");
static_assert(kAtomIdOrdinals[kMiscAtomId] < 0, "the misc id belongs to no singleton");

// Copies at most the field width and terminates, whatever the source length.
void copyName(char* dest, const char* src)
{
  std::size_t i = 0;
  for (; i < at_Misc::kNameLength && src[i] != '\0'; ++i) dest[i] = src[i];
  dest[i] = '\0';
}

}  // namespace

#define TESSEL_ATOM_CATEGORY(S, NAME, PDB, AMBER, ID, ...) \
  at_##S::~at_##S() = default;                             \
  void at_##S::Binoutput(oBinstream& os) const { os << static_cast<int>(ID); }
#include "AtomCategories.def"

at_Misc::at_Misc(const char* key_name, const char* field_name)
  : ordinal(gNextMiscOrdinal++), previous(gLastMisc)
{
  copyName(key, key_name);
  copyName(field, field_name);
  gMiscAtomString[key] = this;
  gLastMisc = this;
}

at_Misc::at_Misc(const at_Misc& other)
  : t_Atom(other), ordinal(gNextMiscOrdinal++), previous(nullptr)
{
  copyName(key, other.key);
  copyName(field, other.field);
}

at_Misc& at_Misc::operator=(const at_Misc& other)
{
  if (this != &other) {
    copyName(key, other.key);
    copyName(field, other.field);
  }
  return *this;
}

at_Misc::~at_Misc() = default;

t_Atom* at_Misc::findOrCreate(const char* key_name, const char* field_name)
{
  char cut[kNameLength + 1];
  copyName(cut, key_name);
  {
    std::lock_guard<std::mutex> lock(gMiscAtomLock);
    MiscAtomRegistry::const_iterator found = gMiscAtomString.find(cut);
    if (found != gMiscAtomString.end()) return found->second;
  }
  // Ordinals follow creation: the gate lets a loader make them in the
  // order its files come in, whatever thread reads which file.
  if (gBeforeNewMiscAtomType != nullptr) (*gBeforeNewMiscAtomType)();
  std::lock_guard<std::mutex> lock(gMiscAtomLock);
  MiscAtomRegistry::const_iterator found = gMiscAtomString.find(cut);
  if (found != gMiscAtomString.end()) return found->second;
  return new at_Misc(cut, field_name);
}

thread_local const std::function<void()>* gBeforeNewMiscAtomType = nullptr;

void at_Misc::Binoutput(oBinstream& os) const
{
  os << kMiscAtomId << static_cast<const char*>(key) << static_cast<const char*>(field);
}

char at_Misc::GetFirstAlpha() const
{
  for (const char* c = field; *c != '\0'; ++c)
    if (std::isalpha(static_cast<unsigned char>(*c))) return *c;
  return '\0';
}

t_Atom* atomTypeOfBinaryId(int id)
{
  if (id < 0 || id > kMaxAtomId) return nullptr;
  short ordinal = kAtomIdOrdinals[id];
  return ordinal >= 0 ? *kAtomTypeSlots[ordinal] : nullptr;
}

oBinstream& operator<<(oBinstream& os, const t_Atom* type)
{
  // No binary form stands for a missing object: writing one fails the stream.
  if (type == nullptr) {
    os.setstate(std::ios::failbit);
    return os;
  }
  type->Binoutput(os);
  return os;
}

iBinstream& operator>>(iBinstream& is, t_Atom*& type)
{
  type = nullptr;
  int id;
  if (!(is >> id)) return is;
  if (id == kMiscAtomId) {
    // A stored name longer than the buffer fails the stream.
    char key[256];
    char field[256];
    if (is.read_string(key, sizeof key) && is.read_string(field, sizeof field))
      type = at_Misc::findOrCreate(key, field);
    return is;
  }
  type = atomTypeOfBinaryId(id);
  if (type == nullptr) is.setstate(std::ios::failbit);
  return is;
}

std::ostream& operator<<(std::ostream& os, const t_Atom* type)
{
  return os << (type != nullptr ? type->getName() : "(null)");
}

std::ostream& operator<<(std::ostream& os, const t_Atom& type)
{
  return os << type.getName();
}
