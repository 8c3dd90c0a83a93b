/* Inside the toolkit: the layout of its records, the tag tests and the
 * reports every function makes. Not for users of the toolkit, who see the
 * record types as opaque (the tests look inside). */
#ifndef VORTAN_RECORD_H
#define VORTAN_RECORD_H

#include <stddef.h>
#include <stdint.h>

#include "vortanAllocator.h"
#include "vortanErrors.h"
#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

struct vortanPAIR {
  int32_t tag;
  void *head;
  void *tail; /* the next Pair, null at the end, or a record ending the chain */
};

struct vortanLIST {
  int32_t tag;
  vortanPAIR *sentinel; /* head always null; the elements hang from its tail */
};

struct vortanITERATOR {
  int32_t tag;          /* ListIterator or MapIterator */
  void *current;        /* the Pair last reached, or the record ending a chain */
  vortanPAIR *previous; /* the Pair before current; null after a removal */
};

struct vortanMAP {
  int32_t tag;
  vortanLIST *list; /* of MapEntry, newest first */
};

struct vortanMAPENTRY {
  int32_t tag;
  void *key;
  void *value;
};

struct vortanSTRING {
  int32_t tag;
  char *str;
};

/* A document or DTD record: its fields by position, as its row of
   vortanRecordKinds.def lists them. */
typedef union vortanWord {
  void *p;
  int32_t i;
} vortanWord;

typedef struct vortanRecord {
  int32_t tag;
  vortanWord field[];
} vortanRecord;

enum vortanStorage { vortanStorageREC = 1, vortanStorageINT, vortanStorageCHAR };

typedef struct vortanKindLayout {
  unsigned char isKind;     /* 0 for the containers, streams and unused tags */
  unsigned char count;      /* number of fields */
  unsigned char storage[4]; /* vortanStorage of each field */
} vortanKindLayout;

extern const vortanKindLayout vortankindLayouts[vortanTagCount];

static inline int32_t vortantagOf(const void *record)
{
  return record ? *(const int32_t *)record : -1;
}

static inline int vortanhasTag(const void *record, int32_t tag)
{
  return record && *(const int32_t *)record == tag;
}

static inline int vortanisKind(const void *record)
{
  int32_t tag = vortantagOf(record);
  return tag >= 0 && tag < vortanTagCount && vortankindLayouts[tag].isKind;
}

static inline int vortanisPair(const void *record)
{
  return vortanhasTag(record, vortanTagPair);
}

/* The file part of a source path, for the reports. */
const char *vortansourceName(const char *path);

#define VORTAN_REPORT_MISUSE() vortaninternalError("", vortansourceName(__FILE__), __LINE__)
#define VORTAN_REPORT_NO_MEMORY() \
  vortaninternalError("Out of Memory", vortansourceName(__FILE__), __LINE__)

/* Allocation through vortanAllocator that reports "Out of Memory" naming the
   caller's place when it fails. */
void *vortanallocateAt(size_t size, const char *file, int line);
char *vortancopyTextAt(const char *text, const char *file, int line);
#define VORTAN_ALLOCATE(size) vortanallocateAt((size), __FILE__, __LINE__)
#define VORTAN_COPY_TEXT(text) vortancopyTextAt((text), __FILE__, __LINE__)

/* A document or DTD record of that kind with null fields, or null after a
   report. */
vortanRecord *vortannewRecordAt(int32_t tag, const char *file, int line);
#define VORTAN_NEW_RECORD(tag) vortannewRecordAt((tag), __FILE__, __LINE__)

/* Frees a record block. Debug builds first overwrite its tag, so that a
   record used after it was freed fails every tag test. */
void vortanfreeRecord(void *record);
#define VORTAN_FREED_TAG ((int32_t)-559038737) /* 0xDEADBEEF */

/* The first entry of the Map whose key equals key, or null. */
vortanMAPENTRY *vortanfindEntry(const vortanMAP *map, const void *key);
/* Inserts in front a new entry of a clone of key and value, without looking
   for key first. 0, or -1 after a report: the Map then takes nothing. */
int vortaninsertEntry(vortanMAP *map, const void *key, void *value);

/* A String over text that it does not own, to look a key up without
   allocating: never stored, never deleted. */
static inline vortanSTRING vortanborrowString(const char *text)
{
  vortanSTRING string = {vortanTagString, (char *)text};
  return string;
}

/* The text of a String, or null for anything else. */
static inline const char *vortantextOf(const void *string)
{
  return vortanhasTag(string, vortanTagString) ? ((const vortanSTRING *)string)->str : NULL;
}

/* A new String over a copy of text; null after a report. */
vortanSTRING *vortancopyString(const char *text);

/* A copy of an Element's name and attributes over an empty content: what
   the ID tables keep of an element, whose name alone is read back. Null
   after a report. */
vortanELEMENT *vortancopyElementHead(const vortanELEMENT *element);

/* Inserts element in front of the List; 0, or -1 after a report. */
int vortanprepend(vortanLIST *list, void *element);

#ifdef __cplusplus
}
#endif

#endif
