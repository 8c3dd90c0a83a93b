#include "Parent.h"

#include <cstdint>
#include <type_traits>

#include "Elements.h"
#include "rnamlList.h"

namespace rnaml {

template <typename List>
Parent<List>::Parent(rnamlOBJECT* record) : Object(record)
{
  wrap();
}

template <typename List>
Parent<List>::Parent(const Parent& other) : Object(other)
{
  wrap();
}

template <typename List>
Parent<List>& Parent<List>::operator=(const Parent& other)
{
  if (this == &other) return *this;
  release();
  Object::operator=(other);  // wraps the copy through setCStructure
  return *this;
}

template <typename List>
Parent<List>::~Parent()
{
  release();
}

template <typename List>
void Parent<List>::setCStructure(rnamlOBJECT* record)
{
  release();
  Object::setCStructure(record);
  wrap();
}

// The wrappers are views: deleting one leaves its record to this record.
template <typename List>
void Parent<List>::release()
{
  if constexpr (!std::is_same_v<Item, int>)
    for (Item child : children) delete child;
  children.clear();
}

template <typename List>
void Parent<List>::wrap()
{
  const vortanLIST* list = List::list(getCStructure());
  for (const vortanPAIR* link = rnamlfirstLink(list); link != nullptr; link = rnamlnextLink(link)) {
    void* value = rnamllinkValue(link);
    if constexpr (std::is_same_v<Item, int>) {
      children.push_back(static_cast<int>(reinterpret_cast<intptr_t>(value)));
    } else {
      Object* child = view(static_cast<rnamlOBJECT*>(value));
      // A list of one element holds records of that element only.
      if (child != nullptr) children.push_back(static_cast<Item>(child));
    }
  }
}

template <typename List>
bool Parent<List>::append(Item child)
{
  if constexpr (std::is_same_v<Item, int>) {
    if (!List::add(getCStructure(), child)) return false;
  } else {
    if (!adopt(child, List::add)) return false;
  }
  children.push_back(child);
  return true;
}

#define RNAML_CXX_ON_LIST(X, F, ITEM, ADDED) template class Parent<ListOf<rnamlCode##X>>;
#define RNAML_FIELD(X, F, KIND, OF, DEFAULT, FORM, NAME) RNAML_CXX_LIST_##KIND(X, F, OF)
#include "rnamlElements.def"

}  // namespace rnaml
