/* Walking the Lists of the records by hand.
 *
 * The element lists hold RNAML records, the id lists bare strings and the
 * numbering table's list bare integers stored in the element pointers.
 * None of them may reach the toolkit's generic clone, equality or delete,
 * which would take their elements for toolkit records: these helpers walk
 * them instead, and free the List itself shallowly. */
#ifndef RNAML_LIST_H
#define RNAML_LIST_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The element of each Pair in order: for (link = rnamlfirstLink(list);
   link; link = rnamlnextLink(link)) ... rnamllinkValue(link). Null lists
   are empty. */
const vortanPAIR *rnamlfirstLink(const vortanLIST *list);
const vortanPAIR *rnamlnextLink(const vortanPAIR *link);
void *rnamllinkValue(const vortanPAIR *link);

int rnamllength(const vortanLIST *list);
/* Appends value at the end; 0, or -1 when memory ran out (after the
   toolkit's report). */
int rnamlappend(vortanLIST *list, void *value);

/* What the elements of a List are: how one is copied (0, or -1 when
   memory ran out), compared, and freed (nothing when release is null). */
typedef struct rnamlElementKind {
  int (*copy)(const void *value, void **result);
  int (*same)(const void *a, const void *b);
  void (*release)(void *value);
} rnamlElementKind;

/* Element records, malloc'd strings, and integers held in the pointers. */
extern const rnamlElementKind rnamlRecords, rnamlTexts, rnamlIntegers;

/* Frees the List and its elements. */
void rnamlfreeList(vortanLIST *list, const rnamlElementKind *kind);
/* Appends to into a copy of each element of from, in order. 0, or -1 when
   memory ran out: the copies made so far then stay in into. */
int rnamlcopyList(const vortanLIST *from, vortanLIST *into, const rnamlElementKind *kind);
/* Frees the elements of list and moves those of with into it, in order;
   with is freed (null: list is left empty). The List record itself stays,
   for whoever holds it. */
void rnamlreplaceElements(vortanLIST *list, vortanLIST *with, const rnamlElementKind *kind);
/* 1 when both have the same length and equal elements pairwise. */
int rnamlequalLists(const vortanLIST *a, const vortanLIST *b, const rnamlElementKind *kind);

#ifdef __cplusplus
}
#endif

#endif
