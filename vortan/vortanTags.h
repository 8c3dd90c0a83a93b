/* The type tags of the toolkit's records and the record types.
 *
 * Every record is a heap block whose first field is its tag, a 32-bit
 * integer from 0 to 58; every function tests the tag of its argument before
 * using it. The record types are opaque: records are made, read and changed
 * only through the toolkit's functions. */
#ifndef VORTAN_TAGS_H
#define VORTAN_TAGS_H

#ifdef __cplusplus
extern "C" {
#endif

enum vortanTag {
  vortanTagPair = 0,
  vortanTagList = 4,
  vortanTagString = 23,
  vortanTagListIterator = 50,
  vortanTagMap = 51,
  vortanTagMapIterator = 52,
  vortanTagMapEntry = 53,
  vortanTagFileInputStream = 54,
  vortanTagGZIPInputStream = 55,
  vortanTagFileOutputStream = 56,
  vortanTagGZIPOutputStream = 57,
  vortanTagPrintStream = 58,
  /* Tags 1 to 49 not listed above: the document and DTD kinds. */
#define VORTAN_KIND(Name, TAG, TYPE, CTOR, ...) vortanTag##Name = TAG,
#define VORTAN_LEAF(Name, TAG, TYPE) vortanTag##Name = TAG,
#include "vortanRecordKinds.def"
  vortanTagCount = 59
};

/* Containers. A ListIterator and a MapIterator share one layout. */
typedef struct vortanPAIR vortanPAIR;
typedef struct vortanLIST vortanLIST;
typedef struct vortanITERATOR vortanITERATOR;
typedef struct vortanMAP vortanMAP;
typedef struct vortanMAPENTRY vortanMAPENTRY;
typedef struct vortanSTRING vortanSTRING;

/* Streams: an input stream is a file or gzip input record (tag 54 or 55),
   an output stream a file, gzip or print record (tag 56, 57 or 58). */
typedef struct vortanINPUTSTREAM vortanINPUTSTREAM;
typedef struct vortanOUTPUTSTREAM vortanOUTPUTSTREAM;
typedef vortanOUTPUTSTREAM vortanPRINTSTREAM;

/* Document and DTD records: vortanDOCUMENT, vortanELEMENT, ... */
#define VORTAN_KIND(Name, TAG, TYPE, CTOR, ...) typedef struct vortan##TYPE vortan##TYPE;
#define VORTAN_LEAF(Name, TAG, TYPE) typedef struct vortan##TYPE vortan##TYPE;
#include "vortanRecordKinds.def"

#ifdef __cplusplus
}
#endif

#endif
