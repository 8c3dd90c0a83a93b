/* The header every RNAML record begins with, and its operations.
 *
 * A record is a heap block: this header, then the element's own fields
 * (rnamlElements.h). The magic word tells a record from anything else; the
 * code tells which element it is. The three id lists hold bare malloc'd
 * strings, not toolkit records: they are walked and freed by hand, never
 * given to the toolkit's generic clone, equality or delete.
 *
 * None of these operations sets errno. A wrong argument gives null, 0 or no
 * effect; running out of memory prints ":object:<line>: Out of memory". */
#ifndef RNAML_OBJECT_H
#define RNAML_OBJECT_H

#include <stdint.h>

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { RNAML_MAGIC = 43 };

typedef struct rnamlOBJECT {
  int32_t magic;             /* RNAML_MAGIC in every live record */
  char *comment;             /* the "comment" attribute, or null */
  vortanLIST *referenceIds;  /* "reference-ids", one string per id; null: none */
  vortanLIST *analysisIds;   /* "analysis-ids"; null: none */
  vortanLIST *databaseIds;   /* "database-ids"; null: none */
  int32_t code;              /* the element (enum rnamlCode) */
} rnamlOBJECT;

/* 1 when p is non-null and carries the magic word. */
int rnamlisObject(const void *p);

/* Sets the magic, a null comment and no id lists (an absent list is an
   empty one, made when first needed); the code is the caller's. Returns
   record; null for null. */
rnamlOBJECT *rnamlinitObject(rnamlOBJECT *record);
/* Frees the comment and the id lists with their strings; not the record. */
void rnamldeleteObject(rnamlOBJECT *record);
/* Makes destination's comment and ids copies of source's. Nothing for the
   same record or a non-record. 0, or -1 when memory ran out: destination
   is then unchanged. */
int rnamlassignObject(rnamlOBJECT *destination, const rnamlOBJECT *source);
/* 1 for the same pointer; else both records with equal comments and the
   same ids in the same order in each of the three lists. */
int rnamlequalsObject(const rnamlOBJECT *a, const rnamlOBJECT *b);

/* The ids joined by single blanks, as a new malloc'd string the caller
   frees: "" for an empty list, and for null or a non-List. Null only when
   memory runs out. */
char *rnamlidsToString(const vortanLIST *ids);

const char *rnamlgetObjectComment(const rnamlOBJECT *record);
/* Stores a copy of comment (null clears it); the old one is freed after
   the copy is made. */
void rnamlsetObjectComment(rnamlOBJECT *record, const char *comment);

/* Append a copy of id to the list. 1 when added; 0 for a null id, a
   non-record, or no memory. */
int rnamladdObjectReferenceId(rnamlOBJECT *record, const char *id);
int rnamladdObjectAnalysisId(rnamlOBJECT *record, const char *id);
int rnamladdObjectDatabaseId(rnamlOBJECT *record, const char *id);
/* The record's own lists, made empty when absent; null for a non-record
   and when memory runs out. */
vortanLIST *rnamlgetObjectReferenceIds(const rnamlOBJECT *record);
vortanLIST *rnamlgetObjectAnalysisIds(const rnamlOBJECT *record);
vortanLIST *rnamlgetObjectDatabaseIds(const rnamlOBJECT *record);
/* rnamlidsToString of the list; null for a non-record. */
char *rnamlgetObjectReferenceIdsString(const rnamlOBJECT *record);
char *rnamlgetObjectAnalysisIdsString(const rnamlOBJECT *record);
char *rnamlgetObjectDatabaseIdsString(const rnamlOBJECT *record);

/* Adds to element the attributes "comment", "reference-ids",
   "analysis-ids" and "database-ids", each when present, in that order.
   0; -1 when memory ran out (some may have been added). Nothing for a
   null element or a non-record. */
int rnamltoXMLObjectAttributes(const rnamlOBJECT *record, vortanELEMENT *element);

#ifdef __cplusplus
}
#endif

#endif
