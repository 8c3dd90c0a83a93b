/* The RNAML element records: one family of operations per element of
 * rnamlElements.def, and the generic operations that dispatch on the code.
 *
 * For an element X (Base, Atom, ...):
 *   rnamlOBJECT *rnamlnewX(void)       a record with its defaults; null
 *                                       after "Out of memory"
 *   int rnamlisX(const void *p)         1 when p is non-null with X's code
 *   rnamlOBJECT *rnamlcloneX(r)         a deep copy; null for another
 *                                       element or when memory ran out
 *   void rnamldeleteX(r)                frees r and all it owns
 *   int rnamlequalsX(a, b)              1 for the same pointer, or two X
 *                                       records equal in header and fields
 *   vortanELEMENT *rnamltoXMLX(r)       the element as a new toolkit tree;
 *                                       null, with nothing left over, when a
 *                                       part fails
 * and per field F, by kind:
 *   text:    const char *rnamlgetXF(r); void rnamlsetXF(r, const char *)
 *            stores a copy (null clears); the getter hands out the record's
 *   number:  int / float rnamlgetXF(r); void rnamlsetXF(r, value)
 *   char:    int rnamlgetXF(r) (-1 absent); void rnamlsetXF(r, char),
 *            sign-extended, so the byte 255 reads back as the absent -1
 *   child:   rnamlOBJECT *rnamlgetXF(r); int rnamlsetXF(r, child) deletes
 *            the held child and stores child when it is of the accepted
 *            element, returning 1; 0 leaves the field empty and child with
 *            the caller. Setting the held child again keeps it.
 *   list:    vortanLIST *rnamlgetXF(r), the record's own List, and an adder
 *            int rnamladdX<C>(r, child): 1 when appended (the record then
 *            owns child); 0 when refused or out of memory (the caller
 *            keeps it).
 * Given a record of another element, every operation does nothing and
 * gives null, 0 or the field's default. No operation sets errno. */
#ifndef RNAML_ELEMENTS_H
#define RNAML_ELEMENTS_H

#include "rnamlObject.h"
#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

enum rnamlCode {
#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) rnamlCode##X = CODE,
#define RNAML_RECORD(X, CODE) rnamlCode##X = CODE,
#include "rnamlElements.def"
  rnamlCodeCount = 74 /* one past the highest code; RNAML_MAGIC is none */
};

#define RNAML_DECLARE_TOXML_ELEMENT(X) vortanELEMENT *rnamltoXML##X(const rnamlOBJECT *record);
#define RNAML_DECLARE_TOXML_CHARDATA(X) vortanCHARDATA *rnamltoXML##X(const rnamlOBJECT *record);
#define RNAML_DECLARE_GET(X, F, T) T rnamlget##X##F(const rnamlOBJECT *record);
#define RNAML_DECLARE_SCALAR(X, F, T) \
  RNAML_DECLARE_GET(X, F, T) void rnamlset##X##F(rnamlOBJECT *record, T value);
#define RNAML_DECLARE_STRING(X, F, OF) RNAML_DECLARE_SCALAR(X, F, const char *)
#define RNAML_DECLARE_INT(X, F, OF) RNAML_DECLARE_SCALAR(X, F, int)
#define RNAML_DECLARE_FLAG(X, F, OF) RNAML_DECLARE_SCALAR(X, F, int)
#define RNAML_DECLARE_BOOL(X, F, OF) RNAML_DECLARE_SCALAR(X, F, int)
#define RNAML_DECLARE_FLOAT(X, F, OF) RNAML_DECLARE_SCALAR(X, F, float)
#define RNAML_DECLARE_CHAR(X, F, OF) \
  RNAML_DECLARE_GET(X, F, int) void rnamlset##X##F(rnamlOBJECT *record, char value);
#define RNAML_DECLARE_TYPE(X, F, OF) RNAML_DECLARE_SCALAR(X, F, const char *)
#define RNAML_DECLARE_CHILD(X, F, OF)     \
  RNAML_DECLARE_GET(X, F, rnamlOBJECT *) \
  int rnamlset##X##F(rnamlOBJECT *record, rnamlOBJECT *child);
#define RNAML_DECLARE_CHILD_ANY RNAML_DECLARE_CHILD
#define RNAML_DECLARE_LIST(X, F, OF)     \
  RNAML_DECLARE_GET(X, F, vortanLIST *) \
  int rnamladd##X##OF(rnamlOBJECT *record, rnamlOBJECT *child);
#define RNAML_DECLARE_LIST_ANY(X, F, OF) \
  RNAML_DECLARE_GET(X, F, vortanLIST *) \
  int rnamladd##X##Child(rnamlOBJECT *record, rnamlOBJECT *child);
#define RNAML_DECLARE_LIST_INT(X, F, OF) \
  RNAML_DECLARE_GET(X, F, vortanLIST *) int rnamladd##X##Value(rnamlOBJECT *record, int value);

#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER)                              \
  int rnamlis##X(const void *p);                                                \
  rnamlOBJECT *rnamlnew##X(void);                                               \
  rnamlOBJECT *rnamlclone##X(const rnamlOBJECT *record);                        \
  void rnamldelete##X(rnamlOBJECT *record);                                     \
  int rnamlequals##X(const rnamlOBJECT *a, const rnamlOBJECT *b);               \
  RNAML_DECLARE_TOXML_##WRITER(X)
#define RNAML_FIELD(X, F, KIND, OF, DEFAULT, FORM, NAME) RNAML_DECLARE_##KIND(X, F, OF)
#define RNAML_RECORD(X, CODE) int rnamlis##X(const void *p);
#include "rnamlElements.def"

#undef RNAML_DECLARE_TOXML_ELEMENT
#undef RNAML_DECLARE_TOXML_CHARDATA
#undef RNAML_DECLARE_GET
#undef RNAML_DECLARE_SCALAR
#undef RNAML_DECLARE_STRING
#undef RNAML_DECLARE_INT
#undef RNAML_DECLARE_FLAG
#undef RNAML_DECLARE_BOOL
#undef RNAML_DECLARE_FLOAT
#undef RNAML_DECLARE_CHAR
#undef RNAML_DECLARE_TYPE
#undef RNAML_DECLARE_CHILD
#undef RNAML_DECLARE_CHILD_ANY
#undef RNAML_DECLARE_LIST
#undef RNAML_DECLARE_LIST_ANY
#undef RNAML_DECLARE_LIST_INT

/* Fields with rules of their own:
   - rnamlsetMoleculeType stores "dna" for the text dna and "rna" for any
     other text, null included; rnamlgetMoleculeType gives that static
     text, never to be freed.
   - rnamlsetSequenceCircular stores 1 for any non-zero value.
   - A NumberingTable's Values List holds the integers themselves in its
     element pointers (intptr_t), not records.
   - rnamltoXMLPcData gives a CharData node of a copy of the value ("" when
     null), with no header attributes.
   Floats are written with "%f"; a NaN is written "nan" and, as a float,
   never equals itself, so a record holding one is unequal to its clone. */

/* The generic operations, by the code of their argument. rnamlclone gives
   null for null and for a code of no element; rnamldelete does nothing
   then; rnamlequals gives 1 for the same pointer (two nulls too) and 0
   when either is null or the codes differ. rnamltoXML gives an Element, or
   a CharData for PcData; for anything that has no XML form it prints
   ":object:<line>: Invalid rnaml structure." and gives null. */
rnamlOBJECT *rnamlclone(const void *record);
void rnamldelete(void *record);
int rnamlequals(const void *a, const void *b);
void *rnamltoXML(const void *record);

#ifdef __cplusplus
}
#endif

#endif
