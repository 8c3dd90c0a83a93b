#include "vortanMap.h"

#include "vortanList.h"
#include "vortanObject.h"
#include "vortanRecord.h"

vortanMAP *vortannewMap(void)
{
  vortanMAP *map = VORTAN_ALLOCATE(sizeof *map);
  if (!map) return NULL;
  map->tag = vortanTagMap;
  map->list = vortannewList();
  if (!map->list) {
    vortanfreeRecord(map);
    return NULL;
  }
  return map;
}

vortanMAPENTRY *vortanfindEntry(const vortanMAP *map, const void *key)
{
  for (const vortanPAIR *link = map->list->sentinel->tail; vortanisPair(link); link = link->tail) {
    vortanMAPENTRY *entry = link->head;
    if (vortanhasTag(entry, vortanTagMapEntry) && vortanequals(entry->key, key)) return entry;
  }
  return NULL;
}

void *vortanget(const vortanMAP *map, const void *key)
{
  if (!vortanhasTag(map, vortanTagMap)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  vortanMAPENTRY *entry = vortanfindEntry(map, key);
  return entry ? entry->value : NULL;
}

void *vortanput(vortanMAP *map, const void *key, void *value)
{
  if (!vortanhasTag(map, vortanTagMap)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  vortanMAPENTRY *entry = vortanfindEntry(map, key);
  if (entry) {
    void *old = entry->value;
    entry->value = value;
    return old;
  }
  vortaninsertEntry(map, key, value);
  return NULL;
}

int vortaninsertEntry(vortanMAP *map, const void *key, void *value)
{
  void *keyCopy = vortanclone(key);
  if (key && !keyCopy) return -1;
  vortanMAPENTRY *entry = vortannewMapEntry(keyCopy, value);
  if (!entry || vortanprepend(map->list, entry) < 0) {
    vortandelete(keyCopy);
    vortanfreeRecord(entry);
    return -1;
  }
  return 0;
}

int vortancontainsKey(const void *map, const void *key)
{
  return vortanhasTag(map, vortanTagMap) && vortanfindEntry(map, key) != NULL;
}

vortanMAPENTRY *vortannewMapEntry(void *key, void *value)
{
  vortanMAPENTRY *entry = VORTAN_ALLOCATE(sizeof *entry);
  if (!entry) return NULL;
  entry->tag = vortanTagMapEntry;
  entry->key = key;
  entry->value = value;
  return entry;
}

void *vortangetKey(const vortanMAPENTRY *entry)
{
  if (!vortanhasTag(entry, vortanTagMapEntry)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  return entry->key;
}

void *vortangetValue(const vortanMAPENTRY *entry)
{
  if (!vortanhasTag(entry, vortanTagMapEntry)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  return entry->value;
}

void *vortansetValue(vortanMAPENTRY *entry, void *value)
{
  if (!vortanhasTag(entry, vortanTagMapEntry)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  void *old = entry->value;
  entry->value = value;
  return old;
}
