#include "rnamlObject.h"

#include <stdlib.h>
#include <string.h>

#include "rnamlList.h"
#include "rnamlRecord.h"
#include "vortanElement.h"
#include "vortanList.h"

static const char sourceName[] = "object";

int rnamlisObject(const void *p)
{
  return p && ((const rnamlOBJECT *)p)->magic == RNAML_MAGIC;
}

rnamlOBJECT *rnamlinitObject(rnamlOBJECT *record)
{
  if (!record) return NULL;
  record->magic = RNAML_MAGIC;
  record->comment = NULL;
  /* The id lists are made when first needed: few records have ids, and
     three empty Lists would double the size of a document's atoms. */
  record->referenceIds = record->analysisIds = record->databaseIds = NULL;
  return record;
}

void rnamldeleteObject(rnamlOBJECT *record)
{
  if (!rnamlisObject(record)) return;
  free(record->comment);
  rnamlfreeList(record->referenceIds, &rnamlTexts);
  rnamlfreeList(record->analysisIds, &rnamlTexts);
  rnamlfreeList(record->databaseIds, &rnamlTexts);
  record->comment = NULL;
  record->referenceIds = record->analysisIds = record->databaseIds = NULL;
}

/* The id list held in *field, made when absent; null when memory ran out. */
static vortanLIST *idList(vortanLIST **field)
{
  if (!*field) *field = vortannewList();
  return *field;
}

/* A new List of copies of the strings of ids in *copy, or null when there
   are none. 0, or -1 when memory ran out. */
static int copyIds(const vortanLIST *ids, vortanLIST **copy)
{
  *copy = NULL;
  if (!rnamlfirstLink(ids)) return 0;
  *copy = vortannewList();
  if (*copy && rnamlcopyList(ids, *copy, &rnamlTexts) == 0) return 0;
  rnamlfreeList(*copy, &rnamlTexts);
  *copy = NULL;
  return -1;
}

/* The destination keeps the List records it has, which callers may hold. */
static void replaceIds(vortanLIST **field, vortanLIST *copy)
{
  if (*field) rnamlreplaceElements(*field, copy, &rnamlTexts);
  else *field = copy;
}

int rnamlassignObject(rnamlOBJECT *destination, const rnamlOBJECT *source)
{
  if (destination == source || !rnamlisObject(destination) || !rnamlisObject(source)) return 0;
  /* Everything is copied before anything is freed, so that running out of
     memory leaves the destination as it was. */
  rnamlOBJECT copy = {.magic = RNAML_MAGIC};
  copy.comment = source->comment ? RNAML_COPY_TEXT(source->comment, sourceName) : NULL;
  if ((source->comment && !copy.comment) || copyIds(source->referenceIds, &copy.referenceIds) < 0 ||
      copyIds(source->analysisIds, &copy.analysisIds) < 0 ||
      copyIds(source->databaseIds, &copy.databaseIds) < 0) {
    rnamldeleteObject(&copy);
    return -1;
  }
  free(destination->comment);
  destination->comment = copy.comment;
  replaceIds(&destination->referenceIds, copy.referenceIds);
  replaceIds(&destination->analysisIds, copy.analysisIds);
  replaceIds(&destination->databaseIds, copy.databaseIds);
  return 0;
}

int rnamlequalsObject(const rnamlOBJECT *a, const rnamlOBJECT *b)
{
  if (a == b) return 1;
  if (!rnamlisObject(a) || !rnamlisObject(b)) return 0;
  return rnamlTexts.same(a->comment, b->comment) &&
         rnamlequalLists(a->referenceIds, b->referenceIds, &rnamlTexts) &&
         rnamlequalLists(a->analysisIds, b->analysisIds, &rnamlTexts) &&
         rnamlequalLists(a->databaseIds, b->databaseIds, &rnamlTexts);
}

char *rnamlidsToString(const vortanLIST *ids)
{
  size_t size = 1;
  for (const vortanPAIR *link = rnamlfirstLink(ids); link; link = rnamlnextLink(link))
    size += strlen(rnamllinkValue(link)) + 1;
  char *joined = RNAML_ALLOCATE(size, sourceName);
  if (!joined) return NULL;
  char *end = joined;
  for (const vortanPAIR *link = rnamlfirstLink(ids); link; link = rnamlnextLink(link)) {
    if (end != joined) *end++ = ' ';
    size_t length = strlen(rnamllinkValue(link));
    memcpy(end, rnamllinkValue(link), length);
    end += length;
  }
  *end = '\0';
  return joined;
}

const char *rnamlgetObjectComment(const rnamlOBJECT *record)
{
  return rnamlisObject(record) ? record->comment : NULL;
}

void rnamlsetObjectComment(rnamlOBJECT *record, const char *comment)
{
  if (rnamlisObject(record)) rnamlstoreText(&record->comment, comment, sourceName);
}

static int addId(vortanLIST **ids, const char *id)
{
  char *copy = RNAML_COPY_TEXT(id, sourceName);
  if (!copy) return 0;
  if (idList(ids) && rnamlappend(*ids, copy) == 0) return 1;
  free(copy);
  RNAML_REPORT(RNAML_NO_MEMORY, sourceName);
  return 0;
}

/* The id list of a record, by the name its operations give it. Its getter
   makes an absent list, so that callers always see one. */
#define RNAML_ID_LIST(Ids, member)                                           \
  int rnamladdObject##Ids(rnamlOBJECT *record, const char *id)               \
  {                                                                          \
    return rnamlisObject(record) && id ? addId(&record->member, id) : 0;     \
  }                                                                          \
  vortanLIST *rnamlgetObject##Ids##s(const rnamlOBJECT *record)              \
  {                                                                          \
    return rnamlisObject(record) ? idList(&((rnamlOBJECT *)record)->member) : NULL; \
  }                                                                          \
  char *rnamlgetObject##Ids##sString(const rnamlOBJECT *record)              \
  {                                                                          \
    return rnamlisObject(record) ? rnamlidsToString(record->member) : NULL;  \
  }
RNAML_ID_LIST(ReferenceId, referenceIds)
RNAML_ID_LIST(AnalysisId, analysisIds)
RNAML_ID_LIST(DatabaseId, databaseIds)

/* Adds name="the joined ids" when there are ids. */
static int addIdsAttribute(vortanELEMENT *element, const char *name, const vortanLIST *ids)
{
  if (!rnamlfirstLink(ids)) return 0;
  char *joined = rnamlidsToString(ids);
  int added = joined && vortanaddAttribute(element, name, joined, 0);
  free(joined);
  return added ? 0 : -1;
}

int rnamltoXMLObjectAttributes(const rnamlOBJECT *record, vortanELEMENT *element)
{
  if (!rnamlisObject(record) || !element) return 0;
  if (record->comment && !vortanaddAttribute(element, "comment", record->comment, 0)) return -1;
  if (addIdsAttribute(element, "reference-ids", record->referenceIds) < 0 ||
      addIdsAttribute(element, "analysis-ids", record->analysisIds) < 0 ||
      addIdsAttribute(element, "database-ids", record->databaseIds) < 0)
    return -1;
  return 0;
}
