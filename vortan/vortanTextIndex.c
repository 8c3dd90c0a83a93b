#include "vortanTextIndex.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "vortanRecord.h"

void vortaninitTextIndex(vortanTextIndex *index)
{
  index->slots = NULL;
  index->capacity = index->count = 0;
}

/* FNV-1a. */
static size_t hashOf(const char *key)
{
  uint64_t hash = 14695981039346656037u;
  for (const unsigned char *c = (const unsigned char *)key; *c; ++c) {
    hash ^= *c;
    hash *= 1099511628211u;
  }
  return (size_t)hash;
}

/* The slot holding key, or the free slot where it would go. */
static vortanTextIndexSlot *slotOf(const vortanTextIndex *index, const char *key)
{
  size_t mask = index->capacity - 1;
  for (size_t i = hashOf(key) & mask;; i = (i + 1) & mask) {
    vortanTextIndexSlot *slot = &index->slots[i];
    if (!slot->key || strcmp(slot->key, key) == 0) return slot;
  }
}

/* Doubles the slots (16 at first), keeping the load at most one half. */
static int grow(vortanTextIndex *index)
{
  size_t capacity = index->capacity ? index->capacity * 2 : 16;
  if (capacity > SIZE_MAX / sizeof(vortanTextIndexSlot)) {
    VORTAN_REPORT_NO_MEMORY();
    return -1;
  }
  vortanTextIndexSlot *slots = VORTAN_ALLOCATE(capacity * sizeof *slots);
  if (!slots) return -1;
  memset(slots, 0, capacity * sizeof *slots);
  vortanTextIndex grown = {slots, capacity, index->count};
  for (size_t i = 0; i < index->capacity; ++i)
    if (index->slots[i].key) *slotOf(&grown, index->slots[i].key) = index->slots[i];
  free(index->slots);
  *index = grown;
  return 0;
}

int vortanaddTextIndex(vortanTextIndex *index, const char *key, void *value)
{
  if ((index->count + 1) * 2 > index->capacity && grow(index) < 0) return -1;
  vortanTextIndexSlot *slot = slotOf(index, key);
  if (slot->key) return 0;
  slot->key = key;
  slot->value = value;
  ++index->count;
  return 1;
}

void **vortanfindTextIndex(const vortanTextIndex *index, const char *key)
{
  if (!index->capacity) return NULL;
  vortanTextIndexSlot *slot = slotOf(index, key);
  return slot->key ? &slot->value : NULL;
}

void vortanfreeTextIndex(vortanTextIndex *index)
{
  free(index->slots);
  vortaninitTextIndex(index);
}
