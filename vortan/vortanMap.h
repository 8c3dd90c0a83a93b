/* Maps: a List of MapEntry records, the newest in front. Keys are records
 * compared deeply (vortanequals), in practice Strings. A Map owns its keys
 * and values; a MapIterator (vortanList.h) walks its entries. */
#ifndef VORTAN_MAP_H
#define VORTAN_MAP_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

vortanMAP *vortannewMap(void);
/* The value stored under a key equal to key; null when there is none (and
   when the value is null: vortancontainsKey tells the two apart). */
void *vortanget(const vortanMAP *map, const void *key);
/* With key present: stores value, returns the old value, which the caller
   now owns; key is not taken. Otherwise inserts in front an entry of a
   clone of key (the caller keeps key) and value (the Map takes it) and
   returns null. When memory runs out that is reported, null is returned and
   the Map takes nothing. */
void *vortanput(vortanMAP *map, const void *key, void *value);
/* 1 when some entry's key equals key; 0 for null and non-Maps. */
int vortancontainsKey(const void *map, const void *key);

vortanMAPENTRY *vortannewMapEntry(void *key, void *value);
void *vortangetKey(const vortanMAPENTRY *entry);
void *vortangetValue(const vortanMAPENTRY *entry);
/* Stores value and returns the old one, which is not freed. */
void *vortansetValue(vortanMAPENTRY *entry, void *value);

#ifdef __cplusplus
}
#endif

#endif
