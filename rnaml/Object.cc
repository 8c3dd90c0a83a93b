#include "Object.h"

#include <array>
#include <cstdlib>

#include "Elements.h"
#include "rnamlElements.h"
#include "rnamlList.h"
#include "vortanErrors.h"

namespace rnaml {

namespace {

void fill(std::vector<const char*>& ids, const vortanLIST* list)
{
  ids.clear();
  for (const vortanPAIR* link = rnamlfirstLink(list); link != nullptr; link = rnamlnextLink(link))
    ids.push_back(static_cast<const char*>(rnamllinkValue(link)));
}

std::string joined(char* text)
{
  std::string result = text != nullptr ? text : "";
  std::free(text);
  return result;
}

}  // namespace

Object::Object(rnamlOBJECT* r) : record(nullptr) { Object::setCStructure(r); }

Object::Object(const Object& other) : record(nullptr)
{
  Object::setCStructure(rnamlclone(other.getCStructure()));
}

Object& Object::operator=(const Object& other)
{
  if (this == &other) return *this;
  // Copied first: the other may stand inside this object's record.
  rnamlOBJECT* copy = rnamlclone(other.getCStructure());
  if (owner) rnamldelete(record);
  owner = true;
  setCStructure(copy);
  return *this;
}

Object::~Object()
{
  if (owner) rnamldelete(record);
}

bool Object::operator==(const Object& other) const
{
  return this == &other || rnamlequals(getCStructure(), other.getCStructure()) != 0;
}

rnamlOBJECT* Object::getCStructure() const { return record; }

void Object::setCStructure(rnamlOBJECT* r)
{
  record = rnamlisObject(r) ? r : nullptr;
  rebuildIds();
}

void Object::rebuildIds()
{
  fill(referenceIds, rnamlgetObjectReferenceIds(record));
  fill(analysisIds, rnamlgetObjectAnalysisIds(record));
  fill(databaseIds, rnamlgetObjectDatabaseIds(record));
}

void* Object::toXML() const { return rnamltoXML(getCStructure()); }

void Object::addReferenceId(const char* id)
{
  rnamladdObjectReferenceId(getCStructure(), id);
  fill(referenceIds, rnamlgetObjectReferenceIds(getCStructure()));
}

void Object::addAnalysisId(const char* id)
{
  rnamladdObjectAnalysisId(getCStructure(), id);
  fill(analysisIds, rnamlgetObjectAnalysisIds(getCStructure()));
}

void Object::addDatabaseId(const char* id)
{
  rnamladdObjectDatabaseId(getCStructure(), id);
  fill(databaseIds, rnamlgetObjectDatabaseIds(getCStructure()));
}

std::string Object::getReferenceIdsString() const { return joined(rnamlgetObjectReferenceIdsString(getCStructure())); }
std::string Object::getAnalysisIdsString() const { return joined(rnamlgetObjectAnalysisIdsString(getCStructure())); }
std::string Object::getDatabaseIdsString() const { return joined(rnamlgetObjectDatabaseIdsString(getCStructure())); }

const char* Object::getComment() const { return rnamlgetObjectComment(getCStructure()); }
void Object::setComment(const char* comment) { rnamlsetObjectComment(getCStructure(), comment); }

template <typename Class>
Object* Object::make(rnamlOBJECT* r)
{
  return new Class(Adopting(), r);
}

namespace {

typedef Object* (*Maker)(rnamlOBJECT*);

}  // namespace

// The class of each element code; null where there is none.
struct Makers
{
  static constexpr std::array<Maker, rnamlCodeCount> table()
  {
    std::array<Maker, rnamlCodeCount> makers{};
#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) RNAML_CXX_PICK(RNAML_CXX_MAKER_, X)(X, CODE)
#define RNAML_CXX_MAKER_rnamlPlain(X, CODE) makers[CODE] = &Object::make<X>;
#define RNAML_CXX_MAKER_rnamlRoot RNAML_CXX_MAKER_rnamlPlain
#define RNAML_CXX_MAKER_rnamlNone(X, CODE)
#include "rnamlElements.def"
    return makers;
  }

  static constexpr int kCount = 0
#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) RNAML_CXX_PICK(RNAML_CXX_COUNT_, X)
#define RNAML_CXX_COUNT_rnamlPlain +1
#define RNAML_CXX_COUNT_rnamlRoot +1
#define RNAML_CXX_COUNT_rnamlNone
#include "rnamlElements.def"
      ;
};

static_assert(Makers::kCount == 70, "every element but the base-pair id has a class");

Object* Object::pack(rnamlOBJECT* r)
{
  static constexpr std::array<Maker, rnamlCodeCount> makers = Makers::table();
  if (r == nullptr) return nullptr;
  bool known = rnamlisObject(r) && r->code >= 0 && r->code < rnamlCodeCount && makers[r->code] != nullptr;
  if (!known) {
    vortaninternalError("Invalid Object", "Object", 376);
    return nullptr;
  }
  return makers[r->code](r);
}

Object* Object::view(rnamlOBJECT* r)
{
  Object* object = pack(r);
  if (object != nullptr) object->owner = false;
  return object;
}

bool Object::adopt(Object* child, int (*add)(rnamlOBJECT*, rnamlOBJECT*))
{
  if (child == nullptr || !child->owner || !add(getCStructure(), child->getCStructure())) return false;
  child->owner = false;
  return true;
}

void Object::store(Object* child, int (*set)(rnamlOBJECT*, rnamlOBJECT*))
{
  if (child == nullptr) {
    set(getCStructure(), nullptr);
    return;
  }
  bool copied = !child->owner;
  rnamlOBJECT* given = copied ? rnamlclone(child->getCStructure()) : child->getCStructure();
  if (set(getCStructure(), given))
    child->owner = false;
  else if (copied)
    rnamldelete(given);
  delete child;
}

}  // namespace rnaml
