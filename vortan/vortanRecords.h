/* The document and DTD records: one kind per row of vortanRecordKinds.def.
 *
 * For a row VORTAN_KIND(Name, tag, TYPE, NEW, (Suffix, T, storage)...):
 *   vortanTYPE *vortannewName(T field0, T field1, ...)
 *       a new record holding the fields as given, which it takes over; null
 *       after an "Out of Memory" report, and then it takes nothing;
 *   T vortangetNameSuffix(const vortanTYPE *record)
 *       the field; null (0) after an empty-message report when record is
 *       null or of another kind;
 *   vortanTYPE *vortansetNameSuffix(vortanTYPE *record, T value)
 *       stores value without freeing the old field; returns record (after a
 *       report, unchanged).
 * A VORTAN_LEAF(Name, tag, TYPE) row has only vortanTYPE *vortannewName(void).
 * The constructors written by hand follow the generated ones. Records are
 * cloned, compared and deleted with the generic operations of
 * vortanObject.h; element operations are in vortanElement.h. */
#ifndef VORTAN_RECORDS_H
#define VORTAN_RECORDS_H

#include "vortanFields.h"
#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VORTAN_DECLARE_PARAM_(K, i, Suffix, T, S) T
#define VORTAN_DECLARE_PARAM(K, i, t) VORTAN_APPLY(VORTAN_DECLARE_PARAM_, (K, i), t)
#define VORTAN_DECLARE_ACCESSORS_(Name, TYPE, Suffix, T, S)                   \
  T vortanget##Name##Suffix(const vortan##TYPE *record);                     \
  vortan##TYPE *vortanset##Name##Suffix(vortan##TYPE *record, T value);
#define VORTAN_DECLARE_ACCESSORS(K, i, t) VORTAN_APPLY(VORTAN_DECLARE_ACCESSORS_, K, t)
#define VORTAN_DECLARE_CONSTRUCTOR_NEW(Name, TYPE, ...) \
  vortan##TYPE *vortannew##Name(VORTAN_EACH_FIELD(VORTAN_DECLARE_PARAM, VORTAN_COMMA, Name, __VA_ARGS__));
#define VORTAN_DECLARE_CONSTRUCTOR_OWN(Name, TYPE, ...)
#define VORTAN_KIND(Name, TAG, TYPE, CTOR, ...)                     \
  VORTAN_DECLARE_CONSTRUCTOR_##CTOR(Name, TYPE, __VA_ARGS__)        \
  VORTAN_EACH_FIELD(VORTAN_DECLARE_ACCESSORS, VORTAN_NOTHING, (Name, TYPE), __VA_ARGS__)
#define VORTAN_LEAF(Name, TAG, TYPE) vortan##TYPE *vortannew##Name(void);
#include "vortanRecordKinds.def"
#undef VORTAN_DECLARE_PARAM_
#undef VORTAN_DECLARE_PARAM
#undef VORTAN_DECLARE_ACCESSORS_
#undef VORTAN_DECLARE_ACCESSORS
#undef VORTAN_DECLARE_CONSTRUCTOR_NEW
#undef VORTAN_DECLARE_CONSTRUCTOR_OWN

/* A Prolog. tail is null (no document type declaration, and a new empty
   List after it) or a Pair(DocTypeDecl, List of what follows it), which is
   unpacked into the two fields and freed. Any other tail is reported and
   taken as null; the caller keeps it. */
vortanPROLOG *vortannewProlog(vortanXMLDECL *xmlDecl, vortanLIST *misc1, vortanPAIR *tail);
/* An XML declaration of version "1.0", no encoding, no standalone (-1). */
vortanXMLDECL *vortanbuildXMLDecl(void);
/* An Element named by a copy of name, with no attribute and empty content. */
vortanELEMENT *vortannewElementWithName(const char *name);

#ifdef __cplusplus
}
#endif

#endif
