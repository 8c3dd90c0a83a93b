#include "vortanRecord.h"

#include "vortanFields.h"

#include <stdlib.h>
#include <string.h>

_Thread_local void *(*vortanAllocator)(size_t size) = malloc;

#define VORTAN_KIND(Name, TAG, TYPE, CTOR, ...) +1
#define VORTAN_LEAF(Name, TAG, TYPE) +1
_Static_assert(0
#include "vortanRecordKinds.def"
               == 47, "one row per document and DTD kind");

#define VORTAN_STORAGE_(K, i, Suffix, T, S) vortanStorage##S
#define VORTAN_STORAGE(K, i, t) VORTAN_APPLY(VORTAN_STORAGE_, (K, i), t)
const vortanKindLayout vortankindLayouts[vortanTagCount] = {
#define VORTAN_KIND(Name, TAG, TYPE, CTOR, ...)                                     \
  [TAG] = {1, VORTAN_FIELD_COUNT(__VA_ARGS__),                                      \
           {VORTAN_EACH_FIELD(VORTAN_STORAGE, VORTAN_COMMA, Name, __VA_ARGS__)}},
#define VORTAN_LEAF(Name, TAG, TYPE) [TAG] = {1, 0, {0}},
#include "vortanRecordKinds.def"
};

const char *vortansourceName(const char *path)
{
  const char *slash = strrchr(path, '/');
  return slash ? slash + 1 : path;
}

void *vortanallocateAt(size_t size, const char *file, int line)
{
  void *block = vortanAllocator(size);
  if (!block) vortaninternalError("Out of Memory", vortansourceName(file), line);
  return block;
}

char *vortancopyTextAt(const char *text, const char *file, int line)
{
  size_t size = strlen(text) + 1;
  char *copy = vortanallocateAt(size, file, line);
  if (copy) memcpy(copy, text, size);
  return copy;
}

vortanRecord *vortannewRecordAt(int32_t tag, const char *file, int line)
{
  const vortanKindLayout *layout = &vortankindLayouts[tag];
  vortanRecord *record =
    vortanallocateAt(sizeof(vortanRecord) + layout->count * sizeof(vortanWord), file, line);
  if (!record) return NULL;
  record->tag = tag;
  for (int i = 0; i < layout->count; ++i) record->field[i].p = NULL;
  return record;
}

void vortanfreeRecord(void *record)
{
#ifndef NDEBUG
  if (record) *(int32_t *)record = VORTAN_FREED_TAG;
#endif
  free(record);
}
