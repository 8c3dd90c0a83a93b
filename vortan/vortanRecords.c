/* The constructors and accessors of the document and DTD kinds, expanded
 * from vortanRecordKinds.def. A misuse report names the kind's row of the table. */
#include "vortanRecords.h"

#include <stdlib.h>

#include "vortanList.h"
#include "vortanObject.h"
#include "vortanRecord.h"
#include "vortanString.h"

#define VORTAN_SET_REC(word, v) ((word).p = (void *)(v))
#define VORTAN_SET_INT(word, v) ((word).i = (v))
#define VORTAN_SET_CHAR(word, v) ((word).i = (signed char)(v))
#define VORTAN_GET_REC(word, T) ((T)(word).p)
#define VORTAN_GET_INT(word, T) ((T)(word).i)
#define VORTAN_GET_CHAR(word, T) ((T)(word).i)

#define VORTAN_PARAM_(K, i, Suffix, T, S) T a##i
#define VORTAN_PARAM(K, i, t) VORTAN_APPLY(VORTAN_PARAM_, (K, i), t)
#define VORTAN_STORE_(K, i, Suffix, T, S) VORTAN_SET_##S(record->field[i], a##i);
#define VORTAN_STORE(K, i, t) VORTAN_APPLY(VORTAN_STORE_, (K, i), t)

#define VORTAN_CONSTRUCTOR_NEW(Name, TYPE, ...)                                     \
  vortan##TYPE *vortannew##Name(VORTAN_EACH_FIELD(VORTAN_PARAM, VORTAN_COMMA, Name, __VA_ARGS__)) \
  {                                                                                 \
    vortanRecord *record = VORTAN_NEW_RECORD(vortanTag##Name);                      \
    if (!record) return NULL;                                                       \
    VORTAN_EACH_FIELD(VORTAN_STORE, VORTAN_NOTHING, Name, __VA_ARGS__)              \
    return (vortan##TYPE *)record;                                                  \
  }
#define VORTAN_CONSTRUCTOR_OWN(Name, TYPE, ...)

#define VORTAN_ACCESSORS_(Name, TYPE, i, Suffix, T, S)                              \
  T vortanget##Name##Suffix(const vortan##TYPE *record)                             \
  {                                                                                 \
    if (!vortanhasTag(record, vortanTag##Name)) {                                   \
      VORTAN_REPORT_MISUSE();                                                       \
      return (T)0;                                                                  \
    }                                                                               \
    return VORTAN_GET_##S(((const vortanRecord *)record)->field[i], T);             \
  }                                                                                 \
  vortan##TYPE *vortanset##Name##Suffix(vortan##TYPE *record, T value)              \
  {                                                                                 \
    if (!vortanhasTag(record, vortanTag##Name)) VORTAN_REPORT_MISUSE();             \
    else VORTAN_SET_##S(((vortanRecord *)record)->field[i], value);                 \
    return record;                                                                  \
  }
#define VORTAN_ACCESSORS(K, i, t) VORTAN_APPLY(VORTAN_ACCESSORS_, (VORTAN_UNPACK_ K, i), t)

#define VORTAN_KIND(Name, TAG, TYPE, CTOR, ...)                                     \
  VORTAN_CONSTRUCTOR_##CTOR(Name, TYPE, __VA_ARGS__)                                \
  VORTAN_EACH_FIELD(VORTAN_ACCESSORS, VORTAN_NOTHING, (Name, TYPE), __VA_ARGS__)
#define VORTAN_LEAF(Name, TAG, TYPE)                                                \
  vortan##TYPE *vortannew##Name(void)                                               \
  {                                                                                 \
    return (vortan##TYPE *)VORTAN_NEW_RECORD(vortanTag##Name);                      \
  }
#include "vortanRecordKinds.def"

vortanPROLOG *vortannewProlog(vortanXMLDECL *xmlDecl, vortanLIST *misc1, vortanPAIR *tail)
{
  vortanRecord *prolog = VORTAN_NEW_RECORD(vortanTagProlog);
  if (!prolog) return NULL;
  if (tail && !vortanisPair(tail)) {
    VORTAN_REPORT_MISUSE();
    tail = NULL;
  }
  vortanLIST *misc2 = tail ? tail->tail : vortannewList();
  if (!misc2 && !tail) {
    vortanfreeRecord(prolog);
    return NULL;
  }
  prolog->field[0].p = xmlDecl;
  prolog->field[1].p = misc1;
  prolog->field[2].p = tail ? tail->head : NULL;
  prolog->field[3].p = misc2;
  vortanfreeRecord(tail);
  return (vortanPROLOG *)prolog;
}

vortanXMLDECL *vortanbuildXMLDecl(void)
{
  char *text = VORTAN_COPY_TEXT("1.0");
  vortanSTRING *version = text ? vortannewString(text) : NULL;
  vortanXMLDECL *decl = version ? vortannewXMLDecl(version, NULL, -1) : NULL;
  if (!decl) {
    if (version) vortandelete(version);
    else free(text);
  }
  return decl;
}

vortanELEMENT *vortannewElementWithName(const char *name)
{
  if (!name) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  vortanSTRING *string = NULL;
  vortanLIST *attributes = NULL, *items = NULL;
  vortanCONTENT *content = NULL;
  if (!(string = vortancopyString(name))) return NULL;
  vortanELEMENT *element = NULL;
  if ((attributes = vortannewList()) && (items = vortannewList()) &&
      (content = vortannewContent(items)))
    element = vortannewElement(string, attributes, content);
  if (!element) {
    vortandelete(string);
    vortandelete(attributes);
    if (content) vortandelete(content);
    else vortandelete(items);
  }
  return element;
}
