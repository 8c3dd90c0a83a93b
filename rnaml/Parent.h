// What the twenty element classes with a list of children share: one
// wrapper per child record of the list, in list order (the values
// themselves for a numbering table), rebuilt whenever the record changes.
#ifndef RNAML_CXX_PARENT_H
#define RNAML_CXX_PARENT_H

#include <vector>

#include "Object.h"

namespace rnaml {

// The list of an element's record, for the codes whose element has one
// (filled in by Elements.h): Item, the vector's element; list, the
// record's List; add, its adder.
template <int Code>
struct ListOf
{
};

template <typename List>
class Parent : public Object
{
public:
  typedef typename List::Item Item;

  Parent(const Parent& other);
  Parent& operator=(const Parent& other);
  ~Parent() override;
  // Releases the wrappers, adopts the record and wraps its list.
  void setCStructure(rnamlOBJECT* record) override;

protected:
  explicit Parent(rnamlOBJECT* record);
  const std::vector<Item>& items() const { return children; }
  // Appends the child to the record's list and, when taken, to the vector.
  // False when null, a view or refused: the caller keeps it.
  bool append(Item child);

private:
  void release();
  void wrap();

  std::vector<Item> children;
};

}  // namespace rnaml

#endif
