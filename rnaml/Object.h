// The root of the rnaml class layer: one object around one RNAML element
// record. All data stays in the record; the object forwards to the record
// operations and keeps views of the record's three id lists.
//
// An object owns its record, unless it is a view: the wrappers a parent
// keeps for its child records, the objects its child getters return and
// an object handed to a parent's adder all leave their record to the
// parent's record, and deleting them deletes the wrapper alone. Releasing
// a view by setCStructure(nullptr) and then delete works as well.
#ifndef RNAML_CXX_OBJECT_H
#define RNAML_CXX_OBJECT_H

#include <string>
#include <vector>

#include "rnamlObject.h"

namespace rnaml {

struct Makers;

class Object
{
  friend struct Makers;

public:
  // Adopts the record (a pointer that is no record leaves the object
  // without one).
  explicit Object(rnamlOBJECT* record);
  // A deep copy of the other's record, owned.
  Object(const Object& other);
  // Replaces the own record (deleted when owned) by a copy of the other's;
  // a view becomes the owner of that copy and leaves its parent's record
  // as it was.
  Object& operator=(const Object& other);
  virtual ~Object();

  // True for the same object or records equal field by field.
  virtual bool operator==(const Object& other) const;
  virtual rnamlOBJECT* getCStructure() const;
  // Adopts the record without deleting the one it replaces, and rebuilds
  // the id views from it.
  virtual void setCStructure(rnamlOBJECT* record);
  // The record's XML form, a toolkit tree the caller owns; null after a
  // report when the object has no record.
  virtual void* toXML() const;

  // The object of the record's class (Atom for an atom record, ...), owning
  // the record; null for null, and after the report "Invalid Object" for a
  // record of no class.
  static Object* pack(rnamlOBJECT* record);

  // The record's ids, pointing into its own strings.
  const std::vector<const char*>& getReferenceIds() const { return referenceIds; }
  const std::vector<const char*>& getAnalysisIds() const { return analysisIds; }
  const std::vector<const char*>& getDatabaseIds() const { return databaseIds; }
  // Append a copy of the id (nothing for null).
  void addReferenceId(const char* id);
  void addAnalysisId(const char* id);
  void addDatabaseId(const char* id);
  // The ids joined by single blanks; "" when there is none.
  std::string getReferenceIdsString() const;
  std::string getAnalysisIdsString() const;
  std::string getDatabaseIdsString() const;

  const char* getComment() const;
  void setComment(const char* comment);

  // False for a view: its record belongs to a parent's record.
  bool ownsRecord() const { return owner; }

protected:
  // The tag of the constructors that adopt a record of their own kind.
  struct Adopting
  {
  };

  // A view of a record that belongs to a parent's record; null for null.
  static Object* view(rnamlOBJECT* record);
  // Hands child's record to this object's record through add (a list
  // adder). True when the record took it: child is then a view. False for
  // null, for a view (its record has an owner already) and when refused:
  // the caller keeps child.
  bool adopt(Object* child, int (*add)(rnamlOBJECT*, rnamlOBJECT*));
  // Stores child's record through set (a child setter, which deletes the
  // child it replaces; null clears the field), then deletes child. A
  // view's record is copied, since it has an owner already.
  void store(Object* child, int (*set)(rnamlOBJECT*, rnamlOBJECT*));

private:
  template <typename Class>
  static Object* make(rnamlOBJECT* record);
  void rebuildIds();

  rnamlOBJECT* record;
  std::vector<const char*> referenceIds;
  std::vector<const char*> analysisIds;
  std::vector<const char*> databaseIds;
  bool owner = true;
};

}  // namespace rnaml

#endif
