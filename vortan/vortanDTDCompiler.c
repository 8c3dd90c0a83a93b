#include "vortanDTDCompiler.h"

#include "vortanConstraints.h"
#include "vortanErrors.h"
#include "vortanList.h"
#include "vortanMap.h"
#include "vortanObject.h"
#include "vortanRecord.h"
#include "vortanReferenceTable.h"

static vortanWord *fieldsOf(void *record)
{
  return ((vortanRecord *)record)->field;
}

/* An iterator on the stack at the start of a List. */
static vortanITERATOR walkOf(vortanLIST *list)
{
  vortanITERATOR walk = {vortanTagListIterator, list->sentinel, NULL};
  return walk;
}

/* Unlinks and returns the first element of a non-empty List. */
static void *takeFirst(vortanLIST *list)
{
  vortanITERATOR walk = walkOf(list);
  void *first = vortannext(&walk);
  vortanremove(&walk);
  return first;
}

/* Enters name -> Pair(head, tail) in map, taking head and tail; -1 when
   memory runs out (they are then deleted). */
static int enterPair(vortanMAP *map, const vortanSTRING *name, void *head, void *tail)
{
  vortanPAIR *pair = vortannewPair(head, tail);
  if (pair && vortaninsertEntry(map, name, pair) == 0) return 0;
  if (pair) vortandelete(pair);
  else {
    vortandelete(head);
    vortandelete(tail);
  }
  return -1;
}

/* Moves the AttDefs of an AttlistDecl whose names are new into the
   attribute Map, as name -> Pair(type, default). */
static int takeAttDefs(vortanMAP *attributes, vortanATTLISTDECL *attlist)
{
  vortanLIST *attdefs = fieldsOf(attlist)[1].p;
  if (!vortanhasTag(attdefs, vortanTagList)) return 0;
  for (vortanPAIR *link = attdefs->sentinel->tail; vortanisPair(link); link = link->tail) {
    if (!vortanhasTag(link->head, vortanTagAttDef)) continue;
    vortanWord *attdef = fieldsOf(link->head);
    if (!vortanhasTag(attdef[0].p, vortanTagString) || vortanfindEntry(attributes, attdef[0].p))
      continue;
    void *type = attdef[1].p, *defaultDecl = attdef[2].p;
    attdef[1].p = attdef[2].p = NULL;
    if (enterPair(attributes, attdef[0].p, type, defaultDecl) < 0) return -1;
  }
  return 0;
}

/* Enters an ElementDecl with the AttlistDecls of its name that follow in
   rest (which are consumed). -1 when memory runs out. */
static int compileElement(vortanMAP *result, vortanELEMENTDECL *decl, vortanLIST *rest)
{
  vortanSTRING *name = fieldsOf(decl)[0].p;
  vortanMAP *attributes = vortannewMap();
  if (!attributes) return -1;
  vortanITERATOR walk = walkOf(rest);
  while (vortanhasNext(&walk)) {
    void *item = vortannext(&walk);
    if (!vortanhasTag(item, vortanTagAttlistDecl) || !vortanequals(fieldsOf(item)[0].p, name))
      continue;
    vortanremove(&walk);
    int taken = takeAttDefs(attributes, item);
    vortandelete(item);
    if (taken < 0) {
      vortandelete(attributes);
      return -1;
    }
  }
  if (!vortanhasTag(name, vortanTagString) ||
      !vortanvalidityUniqueElementTypeDeclaration(vortantextOf(name))) {
    vortandelete(attributes);
    return 0;
  }
  void *contentSpec = fieldsOf(decl)[1].p;
  fieldsOf(decl)[1].p = NULL;
  return enterPair(result, name, contentSpec, attributes);
}

/* 1 for the declarations that a validator structure leaves out. */
static int isSkipped(const void *item)
{
  switch (vortantagOf(item)) {
  case vortanTagPEDecl: vortanvalidityProperDeclarationPENesting(item); return 1;
  case vortanTagGEDecl:
  case vortanTagNotationDecl:
  case vortanTagComment:
  case vortanTagPI: return 1;
  default: return 0;
  }
}

vortanMAP *vortangenerateValidatorStructure(const vortanLIST *declarations)
{
  if (!vortanhasTag(declarations, vortanTagList)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  vortanLIST *rest = vortanclone(declarations);
  vortanMAP *result = rest ? vortannewMap() : NULL;
  /* Element types repeat only within one DTD: a DTD compiled twice is no
     redeclaration. */
  vortanclear(vortanDeclaredElementTypes);
  while (result && !vortanisEmpty(rest)) {
    void *item = takeFirst(rest);
    int failed = 0;
    if (vortanhasTag(item, vortanTagElementDecl)) failed = compileElement(result, item, rest) < 0;
    else if (!isSkipped(item)) {
      vortanfatalError("Invalid dtd in groupElementsAndAttributes.");
      failed = 1;
    }
    vortandelete(item);
    if (failed) {
      vortandelete(result);
      result = NULL;
    }
  }
  vortandelete(rest);
  return result;
}

vortanMAP *vortangenerateUnparsedEntityStructure(const vortanLIST *declarations)
{
  if (!vortanhasTag(declarations, vortanTagList)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  vortanMAP *result = vortannewMap();
  if (!result) return NULL;
  for (const vortanPAIR *link = declarations->sentinel->tail; vortanisPair(link); link = link->tail) {
    if (!vortanhasTag(link->head, vortanTagNotationDecl)) continue;
    const vortanWord *decl = ((const vortanRecord *)link->head)->field;
    const char *name = vortantextOf(decl[0].p);
    void *id = vortanclone(decl[1].p);
    if (name && (id || !decl[1].p)) vortanputReferenceTable(result, name, id);
  }
  return result;
}
