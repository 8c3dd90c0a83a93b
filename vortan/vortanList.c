#include "vortanList.h"

#include <string.h>

#include "vortanListBuilder.h"
#include "vortanObject.h"
#include "vortanRecord.h"

vortanPAIR *vortannewPair(void *head, void *tail)
{
  vortanPAIR *pair = VORTAN_ALLOCATE(sizeof *pair);
  if (!pair) return NULL;
  pair->tag = vortanTagPair;
  pair->head = head;
  pair->tail = tail;
  return pair;
}

void *vortangetPairHead(const vortanPAIR *pair)
{
  if (!vortanisPair(pair)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  return pair->head;
}

void *vortangetPairTail(const vortanPAIR *pair)
{
  if (!vortanisPair(pair)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  return pair->tail;
}

vortanPAIR *vortansetPairHead(vortanPAIR *pair, void *head)
{
  if (!vortanisPair(pair)) VORTAN_REPORT_MISUSE();
  else pair->head = head;
  return pair;
}

vortanPAIR *vortansetPairTail(vortanPAIR *pair, void *tail)
{
  if (!vortanisPair(pair)) VORTAN_REPORT_MISUSE();
  else pair->tail = tail;
  return pair;
}

vortanLIST *vortannewList(void)
{
  vortanLIST *list = VORTAN_ALLOCATE(sizeof *list);
  if (!list) return NULL;
  list->tag = vortanTagList;
  list->sentinel = vortannewPair(NULL, NULL);
  if (!list->sentinel) {
    vortanfreeRecord(list);
    return NULL;
  }
  return list;
}

int vortanprepend(vortanLIST *list, void *element)
{
  vortanPAIR *pair = vortannewPair(element, list->sentinel->tail);
  if (!pair) return -1;
  list->sentinel->tail = pair;
  return 0;
}

vortanLIST *vortanadd(vortanLIST *list, void *element)
{
  if (!vortanhasTag(list, vortanTagList)) VORTAN_REPORT_MISUSE();
  else vortanprepend(list, element);
  return list;
}

vortanLIST *vortanaddLast(vortanLIST *list, void *element)
{
  vortanListBuilder builder;
  if (!vortanhasTag(list, vortanTagList)) VORTAN_REPORT_MISUSE();
  else if (vortanstartListBuilder(&builder, list) == 0) vortanappendListBuilder(&builder, element);
  return list;
}

void *vortangetListLast(const vortanLIST *list)
{
  if (!vortanhasTag(list, vortanTagList)) return NULL;
  const vortanPAIR *link = list->sentinel;
  while (link->tail) {
    if (!vortanisPair(link->tail)) return link->tail;
    link = link->tail;
  }
  return link == list->sentinel ? NULL : link->head;
}

static int isIterator(const void *record)
{
  int32_t tag = vortantagOf(record);
  return tag == vortanTagListIterator || tag == vortanTagMapIterator;
}

vortanITERATOR *vortannewIterator(void *container)
{
  if (!container) return NULL;
  vortanLIST *list;
  int32_t tag;
  if (vortanhasTag(container, vortanTagList)) {
    list = container;
    tag = vortanTagListIterator;
  } else if (vortanhasTag(container, vortanTagMap)) {
    list = ((vortanMAP *)container)->list;
    tag = vortanTagMapIterator;
  } else {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  vortanITERATOR *iterator = VORTAN_ALLOCATE(sizeof *iterator);
  if (!iterator) return NULL;
  iterator->tag = tag;
  iterator->current = list->sentinel;
  iterator->previous = NULL;
  return iterator;
}

int vortanhasNext(const vortanITERATOR *iterator)
{
  if (!isIterator(iterator) || !vortanisPair(iterator->current)) return 0;
  return ((const vortanPAIR *)iterator->current)->tail != NULL;
}

void *vortannext(vortanITERATOR *iterator)
{
  if (!isIterator(iterator)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  if (!vortanhasNext(iterator)) return NULL;
  iterator->previous = iterator->current;
  iterator->current = iterator->previous->tail;
  if (vortanisPair(iterator->current)) return ((vortanPAIR *)iterator->current)->head;
  return iterator->tag == vortanTagListIterator ? iterator->current : NULL;
}

vortanITERATOR *vortanremove(vortanITERATOR *iterator)
{
  if (!isIterator(iterator)) {
    VORTAN_REPORT_MISUSE();
    return iterator;
  }
  vortanPAIR *previous = iterator->previous;
  if (!previous) return iterator;
  if (vortanisPair(iterator->current)) {
    vortanPAIR *removed = iterator->current;
    previous->tail = removed->tail;
    if (iterator->tag == vortanTagMapIterator) vortandelete(removed->head);
    vortanfreeRecord(removed);
  } else {
    previous->tail = NULL; /* a dotted end stays with the caller */
  }
  iterator->current = previous;
  iterator->previous = NULL;
  return iterator;
}

static int isElementNamed(const void *record, const char *name)
{
  if (!vortanhasTag(record, vortanTagElement)) return 0;
  const vortanSTRING *elementName = ((const vortanRecord *)record)->field[0].p;
  return vortanhasTag(elementName, vortanTagString) && strcmp(elementName->str, name) == 0;
}

int vortanhasnextElementType(const vortanITERATOR *iterator, const char *name)
{
  if (!vortanhasTag(iterator, vortanTagListIterator) || !name) return 0;
  vortanITERATOR ahead = *iterator;
  while (vortanhasNext(&ahead))
    if (isElementNamed(vortannext(&ahead), name)) return 1;
  return 0;
}

vortanELEMENT *vortannextElementType(vortanITERATOR *iterator, const char *name)
{
  if (!iterator) return NULL;
  if (!isIterator(iterator)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  while (vortanhasNext(iterator)) {
    void *element = vortannext(iterator);
    if (name && isElementNamed(element, name)) return element;
  }
  return NULL;
}
