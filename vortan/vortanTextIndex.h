/* Inside the toolkit: a hash index from texts to pointers, for lookups
 * that a Map (a linear List) would make quadratic: the IDs of a document,
 * the element types of a validator structure, the attributes of a tag. The
 * keys are borrowed: each must outlive the index and stay unchanged.
 *
 *   vortanTextIndex index;
 *   vortaninitTextIndex(&index);
 *   vortanaddTextIndex(&index, key, value);
 *   void **value = vortanfindTextIndex(&index, key);
 *   vortanfreeTextIndex(&index);
 */
#ifndef VORTAN_TEXT_INDEX_H
#define VORTAN_TEXT_INDEX_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vortanTextIndexSlot {
  const char *key; /* null for a free slot */
  void *value;
} vortanTextIndexSlot;

typedef struct vortanTextIndex {
  vortanTextIndexSlot *slots; /* open addressing, a power of two of them */
  size_t capacity, count;
} vortanTextIndex;

void vortaninitTextIndex(vortanTextIndex *index);
/* Adds key -> value: 1 when added, 0 when key was there already (its
   value is kept), -1 when memory ran out (reported). */
int vortanaddTextIndex(vortanTextIndex *index, const char *key, void *value);
/* The value slot of key, or null when key is absent. */
void **vortanfindTextIndex(const vortanTextIndex *index, const char *key);
void vortanfreeTextIndex(vortanTextIndex *index);

#ifdef __cplusplus
}
#endif

#endif
