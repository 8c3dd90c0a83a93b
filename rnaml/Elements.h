// The element classes of the rnaml namespace: one class per RNAML element
// record (rnaml::Atom, rnaml::Molecule, ...), all generated from the
// element table rnamlElements.def. The base-pair id has no class of its
// own: it only ever stands inside a base triple.
//
// For a field F of the table, by its kind:
//   text, number, character: get<F>() and set<F>(value), forwarding to the
//     record's getter and setter (a character reads -1 when absent);
//   flag: bool get<F>() and set<F>(bool);
//   child: get<F>() gives a new view of the child record, or null, which
//     the caller deletes; set<F>(child) stores child's record (a copy of it
//     when child is a view), deletes child, and clears the field for null;
//   list: get<F>() gives the wrappers of the children, in list order,
//     which stay the parent's; add<Child>(child) appends child, which the
//     parent then owns, and answers false when it did not take it (null,
//     a view, or refused by the record): the caller keeps it then.
#ifndef RNAML_CXX_ELEMENTS_H
#define RNAML_CXX_ELEMENTS_H

#include <type_traits>
#include <vector>

#include "Object.h"
#include "Parent.h"
#include "rnamlElements.h"

// The elements whose class is not made by the rule: the base-pair id has
// none, and the document root is made from a version.
#define RNAML_CXX_CLASS_BasePairId ~, rnamlNone
#define RNAML_CXX_CLASS_Rnaml ~, rnamlRoot
#define RNAML_CXX_SECOND(...) RNAML_CXX_SECOND_I(__VA_ARGS__, ~)
#define RNAML_CXX_SECOND_I(a, b, ...) b
#define RNAML_CXX_CAT(a, b) RNAML_CXX_CAT_I(a, b)
#define RNAML_CXX_CAT_I(a, b) a##b
// prefix##rnamlPlain, or prefix##rnamlNone, prefix##rnamlRoot for the two.
#define RNAML_CXX_PICK(prefix, X) RNAML_CXX_CAT(prefix, RNAML_CXX_SECOND(RNAML_CXX_CLASS_##X, rnamlPlain))

// Per field kind, what a list field gives its class: RNAML_CXX_ON_LIST(X,
// F, Item, Added), defined by the includer; the other kinds give nothing.
#define RNAML_CXX_LIST_STRING(X, F, Of)
#define RNAML_CXX_LIST_INT(X, F, Of)
#define RNAML_CXX_LIST_FLAG(X, F, Of)
#define RNAML_CXX_LIST_BOOL(X, F, Of)
#define RNAML_CXX_LIST_FLOAT(X, F, Of)
#define RNAML_CXX_LIST_CHAR(X, F, Of)
#define RNAML_CXX_LIST_TYPE(X, F, Of)
#define RNAML_CXX_LIST_CHILD(X, F, Of)
#define RNAML_CXX_LIST_CHILD_ANY(X, F, Of)
#define RNAML_CXX_LIST_LIST(X, F, Of) RNAML_CXX_ON_LIST(X, F, Of*, Of)
#define RNAML_CXX_LIST_LIST_ANY(X, F, Of) RNAML_CXX_ON_LIST(X, F, Object*, Child)
#define RNAML_CXX_LIST_LIST_INT(X, F, Of) RNAML_CXX_ON_LIST(X, F, int, Value)

namespace rnaml {

#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) RNAML_CXX_PICK(RNAML_CXX_DECLARE_, X)(X)
#define RNAML_CXX_DECLARE_rnamlPlain(X) class X;
#define RNAML_CXX_DECLARE_rnamlRoot(X) class X;
#define RNAML_CXX_DECLARE_rnamlNone(X)
#include "rnamlElements.def"

#define RNAML_CXX_ON_LIST(X, F, ITEM, ADDED)                                          \
  template <>                                                                         \
  struct ListOf<rnamlCode##X>                                                         \
  {                                                                                   \
    typedef ITEM Item;                                                                \
    static vortanLIST* list(const rnamlOBJECT* record) { return rnamlget##X##F(record); } \
    static constexpr auto add = &rnamladd##X##ADDED;                                  \
  };
#define RNAML_FIELD(X, F, KIND, OF, DEFAULT, FORM, NAME) RNAML_CXX_LIST_##KIND(X, F, OF)
#include "rnamlElements.def"
#undef RNAML_CXX_ON_LIST

// The base class of an element: Parent when its record has a list.
template <int Code, typename = void>
struct BaseOf
{
  typedef Object type;
};

template <int Code>
struct BaseOf<Code, std::void_t<typename ListOf<Code>::Item>>
{
  typedef Parent<ListOf<Code>> type;
};

// The classes. Super is not named Base: rnaml::Base is an element.
#define RNAML_CXX_HEAD(X)                                       \
  class X : public BaseOf<rnamlCode##X>::type                   \
  {                                                             \
    friend class Object;                                        \
    typedef BaseOf<rnamlCode##X>::type Super;                   \
                                                                \
  protected:                                                    \
    X(Adopting, rnamlOBJECT* record) : Super(record) {}         \
                                                                \
  public:
#define RNAML_CXX_OPEN_rnamlPlain(X) RNAML_CXX_HEAD(X) X() : Super(rnamlnew##X()) {}
// A new document of that version, "1.1" when null.
#define RNAML_CXX_OPEN_rnamlRoot(X) RNAML_CXX_HEAD(X) explicit X(const char* version = nullptr);
#define RNAML_CXX_OPEN_rnamlNone(X)
#define RNAML_CXX_FIELD_rnamlPlain(X, F, KIND, OF) RNAML_CXX_ACCESS_##KIND(X, F, OF)
#define RNAML_CXX_FIELD_rnamlRoot RNAML_CXX_FIELD_rnamlPlain
#define RNAML_CXX_FIELD_rnamlNone(X, F, KIND, OF)
#define RNAML_CXX_CLOSE_rnamlPlain(X) };
#define RNAML_CXX_CLOSE_rnamlRoot(X) };
#define RNAML_CXX_CLOSE_rnamlNone(X)

#define RNAML_CXX_SCALAR(X, F, GOT, GIVEN)                              \
  GOT get##F() const { return rnamlget##X##F(getCStructure()); }        \
  void set##F(GIVEN value) { rnamlset##X##F(getCStructure(), value); }
#define RNAML_CXX_ACCESS_STRING(X, F, OF) RNAML_CXX_SCALAR(X, F, const char*, const char*)
#define RNAML_CXX_ACCESS_INT(X, F, OF) RNAML_CXX_SCALAR(X, F, int, int)
#define RNAML_CXX_ACCESS_FLOAT(X, F, OF) RNAML_CXX_SCALAR(X, F, float, float)
#define RNAML_CXX_ACCESS_CHAR(X, F, OF) RNAML_CXX_SCALAR(X, F, int, char)
#define RNAML_CXX_ACCESS_TYPE(X, F, OF) RNAML_CXX_SCALAR(X, F, const char*, const char*)
#define RNAML_CXX_ACCESS_FLAG(X, F, OF)                                         \
  bool get##F() const { return rnamlget##X##F(getCStructure()) != 0; }          \
  void set##F(bool value) { rnamlset##X##F(getCStructure(), value ? 1 : 0); }
#define RNAML_CXX_ACCESS_BOOL RNAML_CXX_ACCESS_FLAG
#define RNAML_CXX_ACCESS_CHILD(X, F, OF) \
  OF* get##F() const;                    \
  void set##F(OF* child);
#define RNAML_CXX_ACCESS_CHILD_ANY(X, F, OF) RNAML_CXX_ACCESS_CHILD(X, F, Object)
#define RNAML_CXX_ACCESS_LIST(X, F, OF)                           \
  const std::vector<OF*>& get##F() const { return items(); }      \
  bool add##OF(OF* child) { return append(child); }
#define RNAML_CXX_ACCESS_LIST_ANY(X, F, OF)                          \
  const std::vector<Object*>& get##F() const { return items(); }     \
  bool addChild(Object* child) { return append(child); }
#define RNAML_CXX_ACCESS_LIST_INT(X, F, OF)                      \
  const std::vector<int>& get##F() const { return items(); }     \
  bool addValue(int value) { return append(value); }

#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) RNAML_CXX_PICK(RNAML_CXX_OPEN_, X)(X)
#define RNAML_FIELD(X, F, KIND, OF, DEFAULT, FORM, NAME) RNAML_CXX_PICK(RNAML_CXX_FIELD_, X)(X, F, KIND, OF)
#define RNAML_END(X) RNAML_CXX_PICK(RNAML_CXX_CLOSE_, X)(X)
#include "rnamlElements.def"

// The child accessors, once every class is complete.
#define RNAML_CXX_CHILD(X, F, CLASS)                                                                       \
  inline CLASS* X::get##F() const { return static_cast<CLASS*>(view(rnamlget##X##F(getCStructure()))); } \
  inline void X::set##F(CLASS* child) { store(child, rnamlset##X##F); }
#define RNAML_CXX_DEFINE_CHILD(X, F, OF) RNAML_CXX_CHILD(X, F, OF)
#define RNAML_CXX_DEFINE_CHILD_ANY(X, F, OF) RNAML_CXX_CHILD(X, F, Object)
#define RNAML_CXX_DEFINE_STRING(X, F, OF)
#define RNAML_CXX_DEFINE_INT(X, F, OF)
#define RNAML_CXX_DEFINE_FLAG(X, F, OF)
#define RNAML_CXX_DEFINE_BOOL(X, F, OF)
#define RNAML_CXX_DEFINE_FLOAT(X, F, OF)
#define RNAML_CXX_DEFINE_CHAR(X, F, OF)
#define RNAML_CXX_DEFINE_TYPE(X, F, OF)
#define RNAML_CXX_DEFINE_LIST(X, F, OF)
#define RNAML_CXX_DEFINE_LIST_ANY(X, F, OF)
#define RNAML_CXX_DEFINE_LIST_INT(X, F, OF)
#define RNAML_CXX_FIELD_DEFINED_rnamlPlain(X, F, KIND, OF) RNAML_CXX_DEFINE_##KIND(X, F, OF)
#define RNAML_CXX_FIELD_DEFINED_rnamlRoot RNAML_CXX_FIELD_DEFINED_rnamlPlain
#define RNAML_CXX_FIELD_DEFINED_rnamlNone(X, F, KIND, OF)
#define RNAML_FIELD(X, F, KIND, OF, DEFAULT, FORM, NAME) RNAML_CXX_PICK(RNAML_CXX_FIELD_DEFINED_, X)(X, F, KIND, OF)
#include "rnamlElements.def"

inline Rnaml::Rnaml(const char* version) : Super(rnamlnewRnaml())
{
  setVersion(version != nullptr ? version : "1.1");
}

}  // namespace rnaml

#endif
