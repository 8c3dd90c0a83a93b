/* Pairs, Lists and the iterators over Lists and Maps.
 *
 * A List is a sentinel Pair whose tail starts a chain of Pairs; the
 * elements are the heads. A chain may end in a record that is not a Pair
 * (a dotted end), which then counts as the last element. Elements are any
 * pointers; the generic operations (vortanObject.h) treat them as records.
 * A List owns its elements.
 *
 * Misuse (a null or wrong record) is reported through vortaninternalError
 * with an empty message; allocation failure reports "Out of Memory". */
#ifndef VORTAN_LIST_H
#define VORTAN_LIST_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A new Pair; null after a report when memory runs out. */
vortanPAIR *vortannewPair(void *head, void *tail);
void *vortangetPairHead(const vortanPAIR *pair);
void *vortangetPairTail(const vortanPAIR *pair);
/* Store without freeing the old field; return the Pair. */
vortanPAIR *vortansetPairHead(vortanPAIR *pair, void *head);
vortanPAIR *vortansetPairTail(vortanPAIR *pair, void *tail);

/* A new empty List. */
vortanLIST *vortannewList(void);
/* Inserts element in front; returns the List (unchanged after a report). */
vortanLIST *vortanadd(vortanLIST *list, void *element);
/* Appends element at the end, walking the whole chain: build long Lists
   with the List builder (vortanListBuilder.h). A dotted end met on the way
   is wrapped into a Pair first, so it stays an element. Returns the List. */
vortanLIST *vortanaddLast(vortanLIST *list, void *element);
/* The last element, null for an empty List and (silently) for a non-List. */
void *vortangetListLast(const vortanLIST *list);

/* An iterator over a List (a ListIterator) or over a Map's entries (a
   MapIterator), before the first element. Null for null; other records are
   reported. The iterator is freed with vortandelete, never the container. */
vortanITERATOR *vortannewIterator(void *container);
/* 1 when vortannext has an element to give; 0 for null and non-iterators. */
int vortanhasNext(const vortanITERATOR *iterator);
/* The next element (a MapEntry for a MapIterator), or null at the end. */
void *vortannext(vortanITERATOR *iterator);
/* Unlinks the element vortannext gave last. From a List the element is
   kept and belongs to the caller; from a Map the entry is deleted with its
   key and value. A second call before the next vortannext does nothing.
   Returns the iterator. */
vortanITERATOR *vortanremove(vortanITERATOR *iterator);
/* 1 when an Element of that name comes later; the iterator does not move.
   0 for null and for a MapIterator. */
int vortanhasnextElementType(const vortanITERATOR *iterator, const char *name);
/* Advances to the next Element of that name and returns it, skipping
   anything else; null when the end comes first. */
vortanELEMENT *vortannextElementType(vortanITERATOR *iterator, const char *name);

#ifdef __cplusplus
}
#endif

#endif
