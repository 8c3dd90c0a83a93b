/* Inside the binding: the layout of each element record, the table that
 * describes its fields, and the operations that walk that table. Not for
 * users of the binding. */
#ifndef RNAML_RECORD_H
#define RNAML_RECORD_H

#include <float.h>
#include <stddef.h>
#include <stdint.h>

#include "rnamlElements.h"
#include "rnamlObject.h"
#include "vortanErrors.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Allocation through the toolkit's allocator; a failure prints
   ":source:line: Out of memory" and gives null. */
void *rnamlallocateAt(size_t size, const char *source, int line);
char *rnamlcopyTextAt(const char *text, const char *source, int line);
#define RNAML_ALLOCATE(size, source) rnamlallocateAt((size), (source), __LINE__)
#define RNAML_COPY_TEXT(text, source) rnamlcopyTextAt((text), (source), __LINE__)
#define RNAML_REPORT(message, source) vortaninternalError((message), (source), __LINE__)
#define RNAML_NO_MEMORY "Out of memory"

/* The record of each element: the header, then one member per field. */
#define RNAML_MEMBER_STRING char *
#define RNAML_MEMBER_INT int32_t
#define RNAML_MEMBER_FLAG int32_t
#define RNAML_MEMBER_BOOL int32_t
#define RNAML_MEMBER_FLOAT float
#define RNAML_MEMBER_CHAR int32_t
#define RNAML_MEMBER_TYPE const char *
#define RNAML_MEMBER_CHILD rnamlOBJECT *
#define RNAML_MEMBER_CHILD_ANY rnamlOBJECT *
#define RNAML_MEMBER_LIST vortanLIST *
#define RNAML_MEMBER_LIST_ANY vortanLIST *
#define RNAML_MEMBER_LIST_INT vortanLIST *
#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) \
  typedef struct rnaml##X##Record {                 \
    rnamlOBJECT header;
#define RNAML_FIELD(X, F, KIND, OF, DEFAULT, FORM, NAME) RNAML_MEMBER_##KIND F;
#define RNAML_END(X) \
  }                  \
  rnaml##X##Record;
#include "rnamlElements.def"

#define RNAML_FIELDS(X, record) ((rnaml##X##Record *)(record))

enum rnamlFieldKind {
  rnamlKindSTRING,
  rnamlKindINT,
  rnamlKindFLAG,
  rnamlKindBOOL,
  rnamlKindFLOAT,
  rnamlKindCHAR,
  rnamlKindTYPE,
  rnamlKindCHILD,
  rnamlKindCHILD_ANY,
  rnamlKindLIST,
  rnamlKindLIST_ANY,
  rnamlKindLIST_INT
};

enum rnamlXmlForm {
  rnamlFormATTR,
  rnamlFormID,
  rnamlFormTAGGED,
  rnamlFormTEXT,
  rnamlFormXYZ,
  rnamlFormXY,
  rnamlFormPAGES,
  rnamlFormOWN,
  rnamlFormALWAYS,
  rnamlFormNONE
};

enum rnamlWriter { rnamlWriterELEMENT, rnamlWriterCHARDATA };

typedef struct rnamlFieldInfo {
  const char *name; /* the accessor suffix */
  size_t offset;
  enum rnamlFieldKind kind;
  enum rnamlXmlForm form;
  const char *xmlName;
  int32_t intDefault;      /* INT, FLAG, BOOL, CHAR */
  float floatDefault;      /* FLOAT */
  const char *textDefault; /* TYPE */
} rnamlFieldInfo;

typedef struct rnamlElementInfo {
  const char *name;
  int32_t code;
  const char *tag;
  const char *source; /* the file name its diagnostics give */
  enum rnamlWriter writer;
  size_t size;
  const rnamlFieldInfo *fields;
  int fieldCount;
} rnamlElementInfo;

/* The element of a code; null for a code of no element. */
const rnamlElementInfo *rnamlelementInfo(int32_t code);

static inline int rnamlhasCode(const void *p, int32_t code)
{
  return p && ((const rnamlOBJECT *)p)->code == code;
}

static inline void *rnamlfieldOf(const rnamlOBJECT *record, const rnamlFieldInfo *field)
{
  return (char *)record + field->offset;
}

/* The operations on a record known to be of an element, by its table. */
rnamlOBJECT *rnamlnewRecord(const rnamlElementInfo *element);
rnamlOBJECT *rnamlcloneRecord(const rnamlOBJECT *record);
void rnamldeleteRecord(rnamlOBJECT *record);
/* a and b of one element: headers and fields equal. */
int rnamlequalRecords(const rnamlOBJECT *a, const rnamlOBJECT *b);
/* An Element, or null after deleting what was built. */
vortanELEMENT *rnamlwriteElement(const rnamlOBJECT *record);

/* Setter steps. A text field gets a copy of value (null clears it); when
   the copy fails, it keeps its old value. A child field gives up its child
   (deleted) and takes child when accepted; setting the held child again
   keeps it. 1 when child is stored. */
void rnamlstoreText(char **field, const char *value, const char *source);
int rnamlstoreChild(rnamlOBJECT **field, rnamlOBJECT *child, int accepted);

/* The alternatives some child fields accept. */
static inline int rnamlisBasePairOrBasePairId(const void *p)
{
  return rnamlisBasePair(p) || rnamlisBasePairId(p);
}

static inline int rnamlisUrlOrFile(const void *p)
{
  return rnamlisUrl(p) || rnamlisFile(p);
}

#ifdef __cplusplus
}
#endif

#endif
