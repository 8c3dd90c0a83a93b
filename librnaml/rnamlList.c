#include "rnamlList.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "rnamlElements.h"
#include "rnamlRecord.h"
#include "vortanListBuilder.h"
#include "vortanObject.h"
#include "vortanRecord.h"

const vortanPAIR *rnamlfirstLink(const vortanLIST *list)
{
  if (!vortanhasTag(list, vortanTagList)) return NULL;
  const vortanPAIR *first = list->sentinel->tail;
  return vortanisPair(first) ? first : NULL;
}

const vortanPAIR *rnamlnextLink(const vortanPAIR *link)
{
  return vortanisPair(link->tail) ? link->tail : NULL;
}

void *rnamllinkValue(const vortanPAIR *link)
{
  return link->head;
}

int rnamllength(const vortanLIST *list)
{
  int length = 0;
  for (const vortanPAIR *link = rnamlfirstLink(list); link; link = rnamlnextLink(link)) ++length;
  return length;
}

int rnamlappend(vortanLIST *list, void *value)
{
  vortanListBuilder builder;
  if (vortanstartListBuilder(&builder, list) < 0) return -1;
  return vortanappendListBuilder(&builder, value);
}

static int copyRecord(const void *record, void **result)
{
  *result = rnamlclone(record);
  return *result ? 0 : -1;
}

static int sameRecord(const void *a, const void *b)
{
  return rnamlequals(a, b);
}

static void releaseRecord(void *record)
{
  rnamldelete(record);
}

static int copyText(const void *text, void **result)
{
  *result = text ? RNAML_COPY_TEXT(text, "object") : NULL;
  return *result || !text ? 0 : -1;
}

static int sameText(const void *a, const void *b)
{
  return a == b || (a && b && strcmp(a, b) == 0);
}

static int copyInteger(const void *value, void **result)
{
  *result = (void *)value;
  return 0;
}

static int sameInteger(const void *a, const void *b)
{
  return (intptr_t)a == (intptr_t)b;
}

const rnamlElementKind rnamlRecords = {copyRecord, sameRecord, releaseRecord};
const rnamlElementKind rnamlTexts = {copyText, sameText, free};
const rnamlElementKind rnamlIntegers = {copyInteger, sameInteger, NULL};

static void releaseElements(const vortanLIST *list, const rnamlElementKind *kind)
{
  if (kind->release)
    for (const vortanPAIR *link = rnamlfirstLink(list); link; link = rnamlnextLink(link))
      kind->release(link->head);
}

void rnamlfreeList(vortanLIST *list, const rnamlElementKind *kind)
{
  releaseElements(list, kind);
  vortandeletelight(list, 1);
}

int rnamlcopyList(const vortanLIST *from, vortanLIST *into, const rnamlElementKind *kind)
{
  vortanListBuilder builder;
  if (vortanstartListBuilder(&builder, into) < 0) return -1;
  for (const vortanPAIR *link = rnamlfirstLink(from); link; link = rnamlnextLink(link)) {
    void *value;
    if (kind->copy(link->head, &value) < 0) return -1;
    if (vortanappendListBuilder(&builder, value) < 0) {
      if (kind->release) kind->release(value);
      return -1;
    }
  }
  return 0;
}

void rnamlreplaceElements(vortanLIST *list, vortanLIST *with, const rnamlElementKind *kind)
{
  releaseElements(list, kind);
  vortanclearlight(list, 1);
  if (!with) return;
  list->sentinel->tail = with->sentinel->tail;
  with->sentinel->tail = NULL;
  vortandeletelight(with, 1);
}

int rnamlequalLists(const vortanLIST *a, const vortanLIST *b, const rnamlElementKind *kind)
{
  if (rnamllength(a) != rnamllength(b)) return 0;
  const vortanPAIR *x = rnamlfirstLink(a), *y = rnamlfirstLink(b);
  for (; x && y; x = rnamlnextLink(x), y = rnamlnextLink(y))
    if (!kind->same(x->head, y->head)) return 0;
  return 1;
}
