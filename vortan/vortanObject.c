/* Clone, equality, delete and the container queries over any record.
 *
 * Chains of Pairs are walked by loops, so a List of any length costs no C
 * stack; only nesting (an element inside an element) recurses. */
#include "vortanObject.h"

#include <stdlib.h>
#include <string.h>

#include "vortanList.h"
#include "vortanMap.h"
#include "vortanRecord.h"
#include "vortanString.h"

/* --- clone ------------------------------------------------------------- */

static int cloneInto(const void *record, void **copy);

/* Copies a chain from link on: its Pairs, their heads and a dotted end. */
static int cloneChain(const void *link, void **copy)
{
  *copy = NULL;
  void **hook = copy;
  for (; vortanisPair(link); link = ((const vortanPAIR *)link)->tail) {
    void *head;
    if (cloneInto(((const vortanPAIR *)link)->head, &head) < 0) goto failed;
    vortanPAIR *pair = vortannewPair(head, NULL);
    if (!pair) {
      vortandelete(head);
      goto failed;
    }
    *hook = pair;
    hook = &pair->tail;
  }
  if (cloneInto(link, hook) == 0) return 0;
failed:
  vortandelete(*copy);
  *copy = NULL;
  return -1;
}

static int cloneList(const vortanLIST *list, void **copy)
{
  vortanLIST *result = vortannewList();
  if (!result) return -1;
  if (cloneChain(list->sentinel->tail, &result->sentinel->tail) < 0) {
    vortandelete(result);
    return -1;
  }
  *copy = result;
  return 0;
}

static int cloneMap(const vortanMAP *map, void **copy)
{
  vortanMAP *result = vortannewMap();
  if (!result) return -1;
  if (cloneChain(map->list->sentinel->tail, &result->list->sentinel->tail) < 0) {
    vortandelete(result);
    return -1;
  }
  *copy = result;
  return 0;
}

static int cloneMapEntry(const vortanMAPENTRY *entry, void **copy)
{
  void *key, *value = NULL;
  if (cloneInto(entry->key, &key) < 0) return -1;
  if (cloneInto(entry->value, &value) < 0 || !(*copy = vortannewMapEntry(key, value))) {
    vortandelete(key);
    vortandelete(value);
    return -1;
  }
  return 0;
}

static int cloneString(const vortanSTRING *string, void **copy)
{
  char *text = VORTAN_COPY_TEXT(string->str ? string->str : "");
  if (!text) return -1;
  if (!(*copy = vortannewString(text))) {
    free(text);
    return -1;
  }
  return 0;
}

static int cloneIterator(const vortanITERATOR *iterator, void **copy)
{
  vortanITERATOR *result = VORTAN_ALLOCATE(sizeof *result);
  if (!result) return -1;
  *result = *iterator;
  *copy = result;
  return 0;
}

static int cloneKind(const vortanRecord *record, void **copy)
{
  const vortanKindLayout *layout = &vortankindLayouts[record->tag];
  vortanRecord *result = VORTAN_NEW_RECORD(record->tag);
  if (!result) return -1;
  for (int i = 0; i < layout->count; ++i) {
    if (layout->storage[i] != vortanStorageREC) result->field[i].i = record->field[i].i;
    else if (cloneInto(record->field[i].p, &result->field[i].p) < 0) {
      vortandelete(result);
      return -1;
    }
  }
  *copy = result;
  return 0;
}

/* *copy is the deep copy of record, or null for what is not copied (null,
   streams, unknown tags). -1 when memory ran out: nothing is left. */
static int cloneInto(const void *record, void **copy)
{
  *copy = NULL;
  switch (vortantagOf(record)) {
  case vortanTagPair: return cloneChain(record, copy);
  case vortanTagList: return cloneList(record, copy);
  case vortanTagMap: return cloneMap(record, copy);
  case vortanTagMapEntry: return cloneMapEntry(record, copy);
  case vortanTagString: return cloneString(record, copy);
  case vortanTagListIterator:
  case vortanTagMapIterator: return cloneIterator(record, copy);
  default: return vortanisKind(record) ? cloneKind(record, copy) : 0;
  }
}

void *vortanclone(const void *record)
{
  void *copy;
  cloneInto(record, &copy);
  return copy;
}

/* --- equality ---------------------------------------------------------- */

static int equalChains(const void *a, const void *b)
{
  while (vortanisPair(a) && vortanisPair(b)) {
    if (a == b) return 1;
    const vortanPAIR *pa = a, *pb = b;
    if (!vortanequals(pa->head, pb->head)) return 0;
    a = pa->tail;
    b = pb->tail;
  }
  return vortanequals(a, b);
}

/* Same size, and every key of a present in b with an equal value: a key
   missing from b is no match even when its value in a is null. */
static int equalMaps(const vortanMAP *a, const vortanMAP *b)
{
  if (vortansize(a) != vortansize(b)) return 0;
  for (const vortanPAIR *link = a->list->sentinel->tail; vortanisPair(link); link = link->tail) {
    const vortanMAPENTRY *entry = link->head, *other;
    if (!vortanhasTag(entry, vortanTagMapEntry)) continue;
    if (!(other = vortanfindEntry(b, entry->key)) || !vortanequals(entry->value, other->value)) return 0;
  }
  return 1;
}

static int equalKinds(const vortanRecord *a, const vortanRecord *b)
{
  const vortanKindLayout *layout = &vortankindLayouts[a->tag];
  for (int i = 0; i < layout->count; ++i) {
    int same = layout->storage[i] == vortanStorageREC
                 ? vortanequals(a->field[i].p, b->field[i].p)
                 : a->field[i].i == b->field[i].i;
    if (!same) return 0;
  }
  return 1;
}

int vortanequals(const void *a, const void *b)
{
  if (a == b) return 1;
  int32_t tag = vortantagOf(a);
  if (!a || !b || tag != vortantagOf(b)) return 0;
  switch (tag) {
  case vortanTagPair: return equalChains(a, b);
  case vortanTagList:
    return equalChains(((const vortanLIST *)a)->sentinel, ((const vortanLIST *)b)->sentinel);
  case vortanTagMap: return equalMaps(a, b);
  case vortanTagMapEntry: {
    const vortanMAPENTRY *ea = a, *eb = b;
    return vortanequals(ea->key, eb->key) && vortanequals(ea->value, eb->value);
  }
  case vortanTagString: {
    const char *sa = ((const vortanSTRING *)a)->str, *sb = ((const vortanSTRING *)b)->str;
    return sa == sb || (sa && sb && strcmp(sa, sb) == 0);
  }
  case vortanTagListIterator:
  case vortanTagMapIterator: {
    const vortanITERATOR *ia = a, *ib = b;
    return ia->current == ib->current && ia->previous == ib->previous;
  }
  default: return vortanisKind(a) && equalKinds(a, b);
  }
}

/* --- delete and clear -------------------------------------------------- */

/* Frees the chain from link on; the heads and a dotted end, which are the
   elements, only when light is not set. */
static void deleteChain(void *link, int light)
{
  while (vortanisPair(link)) {
    vortanPAIR *pair = link;
    link = pair->tail;
    if (!light) vortandeletelight(pair->head, 0);
    vortanfreeRecord(pair);
  }
  if (!light) vortandeletelight(link, 0);
}

/* Frees a Map's entries with their Pairs; keys and values unless light. */
static void deleteEntries(vortanMAP *map, int light)
{
  vortanPAIR *link = map->list->sentinel->tail;
  map->list->sentinel->tail = NULL;
  while (vortanisPair(link)) {
    vortanPAIR *pair = link;
    link = pair->tail;
    vortanMAPENTRY *entry = pair->head;
    if (vortanhasTag(entry, vortanTagMapEntry)) {
      if (!light) {
        vortandeletelight(entry->key, 0);
        vortandeletelight(entry->value, 0);
      }
      vortanfreeRecord(entry);
    } else if (!light) {
      vortandeletelight(entry, 0);
    }
    vortanfreeRecord(pair);
  }
  if (!light) vortandeletelight(link, 0);
}

void *vortandeletelight(void *record, int light)
{
  switch (vortantagOf(record)) {
  case vortanTagPair: {
    vortanPAIR *pair = record;
    if (!light) vortandeletelight(pair->head, 0);
    deleteChain(pair->tail, light);
    break;
  }
  case vortanTagList: deleteChain(((vortanLIST *)record)->sentinel, light); break;
  case vortanTagMap:
    deleteEntries(record, light);
    vortandeletelight(((vortanMAP *)record)->list, 0);
    break;
  case vortanTagMapEntry:
    if (!light) {
      vortandeletelight(((vortanMAPENTRY *)record)->key, 0);
      vortandeletelight(((vortanMAPENTRY *)record)->value, 0);
    }
    break;
  case vortanTagString: free(((vortanSTRING *)record)->str); break;
  case vortanTagListIterator:
  case vortanTagMapIterator: break;
  default:
    if (!vortanisKind(record)) return record; /* null, streams, unknown */
    {
      vortanRecord *kind = record;
      const vortanKindLayout *layout = &vortankindLayouts[kind->tag];
      for (int i = 0; i < layout->count; ++i)
        if (layout->storage[i] == vortanStorageREC) vortandeletelight(kind->field[i].p, light);
    }
  }
  vortanfreeRecord(record);
  return record;
}

void *vortandelete(void *record)
{
  return vortandeletelight(record, 0);
}

void *vortanclearlight(void *container, int light)
{
  switch (vortantagOf(container)) {
  case vortanTagList: {
    vortanPAIR *sentinel = ((vortanLIST *)container)->sentinel;
    deleteChain(sentinel->tail, light);
    sentinel->tail = NULL;
    break;
  }
  case vortanTagMap: deleteEntries(container, light); break;
  case vortanTagPair: {
    vortanPAIR *pair = container;
    if (!light) vortandeletelight(pair->head, 0);
    deleteChain(pair->tail, light);
    pair->head = pair->tail = NULL;
    break;
  }
  default: break;
  }
  return container;
}

void *vortanclear(void *container)
{
  return vortanclearlight(container, 0);
}

/* --- container queries ------------------------------------------------- */

int vortancontains(const void *container, const void *x)
{
  if (vortanhasTag(container, vortanTagMap)) return vortancontainsKey(container, x);
  if (!vortanhasTag(container, vortanTagList)) return 0;
  const void *link = ((const vortanLIST *)container)->sentinel->tail;
  for (; vortanisPair(link); link = ((const vortanPAIR *)link)->tail)
    if (vortanequals(((const vortanPAIR *)link)->head, x)) return 1;
  return link && vortanequals(link, x);
}

/* The number of elements of a chain, a dotted end included. */
static int chainLength(const void *link)
{
  int count = 0;
  for (; vortanisPair(link); link = ((const vortanPAIR *)link)->tail) ++count;
  return link ? count + 1 : count;
}

int vortansize(const void *container)
{
  if (vortanhasTag(container, vortanTagList))
    return chainLength(((const vortanLIST *)container)->sentinel->tail);
  if (vortanhasTag(container, vortanTagMap))
    return chainLength(((const vortanMAP *)container)->list->sentinel->tail);
  return 0;
}

int vortanisEmpty(const void *container)
{
  if (vortanhasTag(container, vortanTagList))
    return ((const vortanLIST *)container)->sentinel->tail == NULL;
  if (vortanhasTag(container, vortanTagMap))
    return ((const vortanMAP *)container)->list->sentinel->tail == NULL;
  return 0;
}

static void *removeFromList(vortanLIST *list, const void *key)
{
  void *removed = NULL;
  vortanPAIR *previous = list->sentinel;
  while (previous->tail) {
    void *link = previous->tail;
    if (!vortanisPair(link)) { /* a dotted end */
      if (vortanequals(link, key)) {
        previous->tail = NULL;
        removed = link;
      }
      break;
    }
    vortanPAIR *pair = link;
    if (vortanequals(pair->head, key)) {
      previous->tail = pair->tail;
      removed = pair->head;
      vortanfreeRecord(pair);
    } else {
      previous = pair;
    }
  }
  return removed;
}

static void *removeFromMap(vortanMAP *map, const void *key)
{
  for (vortanPAIR *previous = map->list->sentinel; vortanisPair(previous->tail);
       previous = previous->tail) {
    vortanPAIR *pair = previous->tail;
    vortanMAPENTRY *entry = pair->head;
    if (vortanhasTag(entry, vortanTagMapEntry) && vortanequals(entry->key, key)) {
      previous->tail = pair->tail;
      vortanfreeRecord(pair);
      return entry;
    }
  }
  return NULL;
}

void *vortanRemove(void *container, const void *key)
{
  if (!container) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  if (vortanhasTag(container, vortanTagList)) return removeFromList(container, key);
  if (vortanhasTag(container, vortanTagMap)) return removeFromMap(container, key);
  return NULL;
}
