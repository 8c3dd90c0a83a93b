/* The generic operations over any record, dispatching on its tag. They
 * know the containers and the document and DTD kinds (tags 0 to 53); stream
 * records (tags 54 to 58) are never cloned, compared equal or deleted here:
 * they have their own delete operations. */
#ifndef VORTAN_OBJECT_H
#define VORTAN_OBJECT_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A deep copy: null for null, for streams and unknown tags, and when memory
   runs out (reported, nothing left allocated). An iterator's copy walks the
   same container. */
void *vortanclone(const void *record);
/* 1 when both are the same pointer or deeply equal: Lists element by
   element in order, Maps entry by entry in any order, iterators by
   position. */
int vortanequals(const void *a, const void *b);
/* Frees record and everything it owns; returns its argument. */
void *vortandelete(void *record);
/* As vortandelete; with light set, Lists and Maps are freed with their
   Pairs and entries but not their elements, keys and values. */
void *vortandeletelight(void *record, int light);
/* Empties a List or a Map, or frees the head (unless light) and the tail
   chain of a bare Pair; returns its argument. */
void *vortanclear(void *container);
void *vortanclearlight(void *container, int light);
/* A List: 1 when an element equals x; a Map: vortancontainsKey. */
int vortancontains(const void *container, const void *x);
/* The number of elements of a List, or of entries of a Map; 0 otherwise. */
int vortansize(const void *container);
/* 1 for a List or Map without elements; 0 for anything else, null too. */
int vortanisEmpty(const void *container);
/* From a List, unlinks every element equal to key and returns the last
   one unlinked (the caller owns them all); from a Map, unlinks the first
   entry whose key equals key and returns that MapEntry, which the caller
   deletes. Null when nothing matches. */
void *vortanRemove(void *container, const void *key);

#ifdef __cplusplus
}
#endif

#endif
