/* The table of the element records, expanded from rnamlElements.def, and
 * the construction, copy, equality and release that walk it. */
#include "rnamlRecord.h"

#include <stdlib.h>
#include <string.h>

#include "rnamlList.h"
#include "vortanAllocator.h"
#include "vortanList.h"

void *rnamlallocateAt(size_t size, const char *source, int line)
{
  void *block = vortanAllocator(size);
  if (!block) vortaninternalError(RNAML_NO_MEMORY, source, line);
  return block;
}

char *rnamlcopyTextAt(const char *text, const char *source, int line)
{
  size_t size = strlen(text) + 1;
  char *copy = rnamlallocateAt(size, source, line);
  if (copy) memcpy(copy, text, size);
  return copy;
}

/* --- the table ----------------------------------------------------------- */

#define RNAML_DEFAULTS_NONE(d) 0, 0.0f, NULL
#define RNAML_DEFAULTS_INT(d) (d), 0.0f, NULL
#define RNAML_DEFAULTS_FLOAT(d) 0, (d), NULL
#define RNAML_DEFAULTS_TYPE(d) 0, 0.0f, (d)
#define RNAML_DEFAULTS_STRING RNAML_DEFAULTS_NONE
#define RNAML_DEFAULTS_FLAG RNAML_DEFAULTS_INT
#define RNAML_DEFAULTS_BOOL RNAML_DEFAULTS_INT
#define RNAML_DEFAULTS_CHAR RNAML_DEFAULTS_INT
#define RNAML_DEFAULTS_CHILD RNAML_DEFAULTS_NONE
#define RNAML_DEFAULTS_CHILD_ANY RNAML_DEFAULTS_NONE
#define RNAML_DEFAULTS_LIST RNAML_DEFAULTS_NONE
#define RNAML_DEFAULTS_LIST_ANY RNAML_DEFAULTS_NONE
#define RNAML_DEFAULTS_LIST_INT RNAML_DEFAULTS_NONE

#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) static const rnamlFieldInfo fieldsOf##X[] = {
#define RNAML_FIELD(X, F, KIND, OF, DEFAULT, FORM, NAME)                                   \
  {#F, offsetof(rnaml##X##Record, F), rnamlKind##KIND, rnamlForm##FORM, NAME,            \
   RNAML_DEFAULTS_##KIND(DEFAULT)},
#define RNAML_END(X) };
#include "rnamlElements.def"

static const rnamlElementInfo elements[rnamlCodeCount] = {
#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER)                                        \
  [CODE] = {#X, CODE, TAG, SOURCE, rnamlWriter##WRITER, sizeof(rnaml##X##Record), fieldsOf##X, \
            sizeof fieldsOf##X / sizeof fieldsOf##X[0]},
#include "rnamlElements.def"
};

#define RNAML_ELEMENT(X, CODE, TAG, SOURCE, WRITER) +1
_Static_assert(0
#include "rnamlElements.def"
                 == 71,
               "one element per code but the magic, the unmarshaller and the marshaller");

const rnamlElementInfo *rnamlelementInfo(int32_t code)
{
  if (code < 0 || code >= rnamlCodeCount || !elements[code].name) return NULL;
  return &elements[code];
}

/* --- construction -------------------------------------------------------- */

static int setDefaults(const rnamlElementInfo *element, rnamlOBJECT *record)
{
  for (const rnamlFieldInfo *f = element->fields; f < element->fields + element->fieldCount; ++f) {
    void *at = rnamlfieldOf(record, f);
    switch (f->kind) {
    case rnamlKindINT:
    case rnamlKindFLAG:
    case rnamlKindBOOL:
    case rnamlKindCHAR: *(int32_t *)at = f->intDefault; break;
    case rnamlKindFLOAT: *(float *)at = f->floatDefault; break;
    case rnamlKindTYPE: *(const char **)at = f->textDefault; break;
    case rnamlKindLIST:
    case rnamlKindLIST_ANY:
    case rnamlKindLIST_INT:
      if (!(*(vortanLIST **)at = vortannewList())) return -1;
      break;
    case rnamlKindSTRING:
    case rnamlKindCHILD:
    case rnamlKindCHILD_ANY: *(void **)at = NULL; break;
    }
  }
  return 0;
}

rnamlOBJECT *rnamlnewRecord(const rnamlElementInfo *element)
{
  rnamlOBJECT *record = RNAML_ALLOCATE(element->size, element->source);
  if (!record) return NULL;
  /* Every field starts empty, so that a failure part-way can free them all. */
  memset(record, 0, element->size);
  record->code = element->code;
  if (!rnamlinitObject(record) || setDefaults(element, record) < 0) {
    rnamldeleteRecord(record);
    RNAML_REPORT(RNAML_NO_MEMORY, element->source);
    return NULL;
  }
  return record;
}

/* --- copy ---------------------------------------------------------------- */

static int copyField(const rnamlElementInfo *element, const rnamlFieldInfo *f,
                     const rnamlOBJECT *record, rnamlOBJECT *copy)
{
  const void *from = rnamlfieldOf(record, f);
  void *to = rnamlfieldOf(copy, f);
  switch (f->kind) {
  case rnamlKindSTRING: {
    const char *text = *(char *const *)from;
    if (text && !(*(char **)to = RNAML_COPY_TEXT(text, element->source))) return -1;
    return 0;
  }
  case rnamlKindINT:
  case rnamlKindFLAG:
  case rnamlKindBOOL:
  case rnamlKindCHAR: *(int32_t *)to = *(const int32_t *)from; return 0;
  case rnamlKindFLOAT: *(float *)to = *(const float *)from; return 0;
  case rnamlKindTYPE: *(const char **)to = *(const char *const *)from; return 0;
  case rnamlKindCHILD:
  case rnamlKindCHILD_ANY: {
    const rnamlOBJECT *child = *(rnamlOBJECT *const *)from;
    return child && !(*(rnamlOBJECT **)to = rnamlclone(child)) ? -1 : 0;
  }
  case rnamlKindLIST:
  case rnamlKindLIST_ANY:
    return rnamlcopyList(*(vortanLIST *const *)from, *(vortanLIST **)to, &rnamlRecords);
  case rnamlKindLIST_INT:
    return rnamlcopyList(*(vortanLIST *const *)from, *(vortanLIST **)to, &rnamlIntegers);
  }
  return 0;
}

rnamlOBJECT *rnamlcloneRecord(const rnamlOBJECT *record)
{
  const rnamlElementInfo *element = rnamlelementInfo(record->code);
  rnamlOBJECT *copy = rnamlnewRecord(element);
  if (!copy) return NULL;
  int failed = rnamlassignObject(copy, record) < 0;
  for (int i = 0; i < element->fieldCount && !failed; ++i)
    failed = copyField(element, &element->fields[i], record, copy) < 0;
  if (failed) {
    rnamldeleteRecord(copy);
    return NULL;
  }
  return copy;
}

/* --- release ------------------------------------------------------------- */

void rnamldeleteRecord(rnamlOBJECT *record)
{
  const rnamlElementInfo *element = rnamlelementInfo(record->code);
  for (const rnamlFieldInfo *f = element->fields; f < element->fields + element->fieldCount; ++f) {
    void *at = rnamlfieldOf(record, f);
    switch (f->kind) {
    case rnamlKindSTRING: free(*(char **)at); break;
    case rnamlKindCHILD:
    case rnamlKindCHILD_ANY: rnamldelete(*(rnamlOBJECT **)at); break;
    case rnamlKindLIST:
    case rnamlKindLIST_ANY: rnamlfreeList(*(vortanLIST **)at, &rnamlRecords); break;
    case rnamlKindLIST_INT: rnamlfreeList(*(vortanLIST **)at, &rnamlIntegers); break;
    default: break;
    }
  }
  rnamldeleteObject(record);
  free(record);
}

/* --- equality ------------------------------------------------------------ */

static int equalFields(const rnamlFieldInfo *f, const rnamlOBJECT *a, const rnamlOBJECT *b)
{
  const void *x = rnamlfieldOf(a, f), *y = rnamlfieldOf(b, f);
  switch (f->kind) {
  case rnamlKindSTRING: return rnamlTexts.same(*(char *const *)x, *(char *const *)y);
  case rnamlKindINT:
  case rnamlKindFLAG:
  case rnamlKindBOOL:
  case rnamlKindCHAR: return *(const int32_t *)x == *(const int32_t *)y;
  case rnamlKindFLOAT: return *(const float *)x == *(const float *)y;
  case rnamlKindTYPE: return strcmp(*(const char *const *)x, *(const char *const *)y) == 0;
  case rnamlKindCHILD:
  case rnamlKindCHILD_ANY: return rnamlequals(*(rnamlOBJECT *const *)x, *(rnamlOBJECT *const *)y);
  case rnamlKindLIST:
  case rnamlKindLIST_ANY:
    return rnamlequalLists(*(vortanLIST *const *)x, *(vortanLIST *const *)y, &rnamlRecords);
  case rnamlKindLIST_INT:
    return rnamlequalLists(*(vortanLIST *const *)x, *(vortanLIST *const *)y, &rnamlIntegers);
  }
  return 0;
}

int rnamlequalRecords(const rnamlOBJECT *a, const rnamlOBJECT *b)
{
  if (!rnamlequalsObject(a, b)) return 0;
  const rnamlElementInfo *element = rnamlelementInfo(a->code);
  for (int i = 0; i < element->fieldCount; ++i)
    if (!equalFields(&element->fields[i], a, b)) return 0;
  return 1;
}

/* --- setter steps -------------------------------------------------------- */

void rnamlstoreText(char **field, const char *value, const char *source)
{
  char *copy = NULL;
  if (value && !(copy = RNAML_COPY_TEXT(value, source))) return;
  free(*field);
  *field = copy;
}

int rnamlstoreChild(rnamlOBJECT **field, rnamlOBJECT *child, int accepted)
{
  if (child && child == *field) return 1;
  rnamldelete(*field);
  *field = accepted ? child : NULL;
  return accepted;
}
