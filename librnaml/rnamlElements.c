/* The operations of every element, expanded from rnamlElements.def, and the
 * generic operations that choose the element by the code. The bodies walk
 * the element's row of the table (rnamlRecord.c, rnamlToXML.c). */
#include "rnamlElements.h"

#include <stdint.h>
#include <string.h>

#include "rnamlList.h"
#include "rnamlRecord.h"
#include "rnamlTool.h"

#define RNAML_SOURCE(X) (rnamlelementInfo(rnamlCode##X)->source)

#define RNAML_GETTER(X, F, T, ABSENT)                                              \
  T rnamlget##X##F(const rnamlOBJECT *record)                                      \
  {                                                                                \
    return rnamlis##X(record) ? RNAML_FIELDS(X, record)->F : (ABSENT);             \
  }
#define RNAML_SETTER(X, F, T, STORED)                                              \
  void rnamlset##X##F(rnamlOBJECT *record, T value)                                \
  {                                                                                \
    if (rnamlis##X(record)) RNAML_FIELDS(X, record)->F = (STORED);                 \
  }

#define RNAML_ACCESSORS_STRING(X, F, OF, DEFAULT)                                  \
  RNAML_GETTER(X, F, const char *, NULL)                                           \
  void rnamlset##X##F(rnamlOBJECT *record, const char *value)                      \
  {                                                                                \
    if (rnamlis##X(record)) rnamlstoreText(&RNAML_FIELDS(X, record)->F, value, RNAML_SOURCE(X)); \
  }
#define RNAML_ACCESSORS_INT(X, F, OF, DEFAULT) \
  RNAML_GETTER(X, F, int, DEFAULT) RNAML_SETTER(X, F, int, value)
#define RNAML_ACCESSORS_FLAG RNAML_ACCESSORS_INT
#define RNAML_ACCESSORS_BOOL(X, F, OF, DEFAULT) \
  RNAML_GETTER(X, F, int, DEFAULT) RNAML_SETTER(X, F, int, value != 0)
#define RNAML_ACCESSORS_FLOAT(X, F, OF, DEFAULT) \
  RNAML_GETTER(X, F, float, DEFAULT) RNAML_SETTER(X, F, float, value)
#define RNAML_ACCESSORS_CHAR(X, F, OF, DEFAULT) \
  RNAML_GETTER(X, F, int, DEFAULT) RNAML_SETTER(X, F, char, (signed char)value)
/* The setter is written by hand below. */
#define RNAML_ACCESSORS_TYPE(X, F, OF, DEFAULT) RNAML_GETTER(X, F, const char *, NULL)
#define RNAML_ACCESSORS_CHILD(X, F, OF, DEFAULT)                                   \
  RNAML_GETTER(X, F, rnamlOBJECT *, NULL)                                          \
  int rnamlset##X##F(rnamlOBJECT *record, rnamlOBJECT *child)                      \
  {                                                                                \
    if (!rnamlis##X(record)) return 0;                                             \
    return rnamlstoreChild(&RNAML_FIELDS(X, record)->F, child, rnamlis##OF(child)); \
  }
#define RNAML_ACCESSORS_CHILD_ANY RNAML_ACCESSORS_CHILD
#define RNAML_ADDER(X, F, C, T, ACCEPTED, VALUE)                                   \
  int rnamladd##X##C(rnamlOBJECT *record, T child)                                 \
  {                                                                                \
    return rnamlis##X(record) && (ACCEPTED) &&                                     \
           rnamlappend(RNAML_FIELDS(X, record)->F, (VALUE)) == 0;                  \
  }
#define RNAML_ACCESSORS_LIST(X, F, OF, DEFAULT)                                    \
  RNAML_GETTER(X, F, vortanLIST *, NULL)                                           \
  RNAML_ADDER(X, F, OF, rnamlOBJECT *, rnamlis##OF(child), child)
#define RNAML_ACCESSORS_LIST_ANY(X, F, OF, DEFAULT)                                \
  RNAML_GETTER(X, F, vortanLIST *, NULL)                                           \
  RNAML_ADDER(X, F, Child, rnamlOBJECT *, rnamlis##OF(child), child)
#define RNAML_ACCESSORS_LIST_INT(X, F, OF, DEFAULT)                                \
  RNAML_GETTER(X, F, vortanLIST *, NULL)                                           \
  RNAML_ADDER(X, F, Value, int, 1, (void *)(intptr_t)child)

/* PcData's is written by hand (rnamlToXML.c). */
#define RNAML_TOXML_ELEMENT(X)                                                     \
  vortanELEMENT *rnamltoXML##X(const rnamlOBJECT *record)                          \
  {                                                                                \
    return rnamlis##X(record) ? rnamlwriteElement(record) : NULL;                  \
  }
#define RNAML_TOXML_CHARDATA(X)

#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER)                                \
  int rnamlis##X(const void *p)                                                    \
  {                                                                                \
    return rnamlhasCode(p, CODE);                                                  \
  }                                                                                \
  rnamlOBJECT *rnamlnew##X(void)                                                   \
  {                                                                                \
    return rnamlnewRecord(rnamlelementInfo(CODE));                                 \
  }                                                                                \
  rnamlOBJECT *rnamlclone##X(const rnamlOBJECT *record)                            \
  {                                                                                \
    return rnamlis##X(record) ? rnamlcloneRecord(record) : NULL;                   \
  }                                                                                \
  void rnamldelete##X(rnamlOBJECT *record)                                         \
  {                                                                                \
    if (rnamlis##X(record)) rnamldeleteRecord(record);                             \
  }                                                                                \
  int rnamlequals##X(const rnamlOBJECT *a, const rnamlOBJECT *b)                   \
  {                                                                                \
    return a == b || (rnamlis##X(a) && rnamlis##X(b) && rnamlequalRecords(a, b)); \
  }                                                                                \
  RNAML_TOXML_##WRITER(X)
#define RNAML_FIELD(X, F, KIND, OF, DEFAULT, FORM, NAME) RNAML_ACCESSORS_##KIND(X, F, OF, DEFAULT)
#define RNAML_RECORD(X, CODE)                                                      \
  int rnamlis##X(const void *p)                                                    \
  {                                                                                \
    return rnamlhasCode(p, CODE);                                                  \
  }
#include "rnamlElements.def"

/* --- written by hand ----------------------------------------------------- */

void rnamlsetMoleculeType(rnamlOBJECT *record, const char *text)
{
  if (rnamlisMolecule(record))
    RNAML_FIELDS(Molecule, record)->Type = text && strcmp(text, "dna") == 0 ? "dna" : "rna";
}

/* --- generic ------------------------------------------------------------- */

static const rnamlElementInfo *elementOf(const void *record)
{
  return record ? rnamlelementInfo(((const rnamlOBJECT *)record)->code) : NULL;
}

rnamlOBJECT *rnamlclone(const void *record)
{
  if (rnamlisTool(record)) return rnamlcloneTool(record);
  return elementOf(record) ? rnamlcloneRecord(record) : NULL;
}

void rnamldelete(void *record)
{
  if (rnamlisTool(record)) rnamldeleteTool(record);
  else if (elementOf(record)) rnamldeleteRecord(record);
}

int rnamlequals(const void *a, const void *b)
{
  if (a == b) return 1;
  if (rnamlisTool(a)) return rnamlisTool(b) && rnamlequalTools(a, b);
  if (!elementOf(a) || !b) return 0;
  return ((const rnamlOBJECT *)a)->code == ((const rnamlOBJECT *)b)->code &&
         rnamlequalRecords(a, b);
}
