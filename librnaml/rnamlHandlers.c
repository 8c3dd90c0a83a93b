/* The content handlers: small interpreters of the rows of
 * rnamlHandlerTables.c over one global state.
 *
 * The open records form a stack of frames. Each frame remembers the List
 * it last appended a child to, so that a model's thousands of bases are
 * appended in constant time each, not by a walk of the list.
 *
 * The text an element's end tag converts is the character data since the
 * last tag of an element of the tables, joined when it came in several
 * pieces (around a comment): every such start and end tag clears it, so
 * white space before an empty text element is never taken for its text.
 * The joined text is bound as any one text of the document is. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "rnamlElements.h"
#include "rnamlHandlerTables.h"
#include "rnamlHandlers.h"
#include "rnamlList.h"
#include "rnamlRecord.h"
#include "rnamlUnmarshaller.h"
#include "vortanAllocator.h"
#include "vortanByteBuffer.h"
#include "vortanList.h"
#include "vortanListBuilder.h"
#include "vortanMap.h"
#include "vortanObject.h"
#include "vortanParser.h"
#include "vortanRecord.h"
#include "vortanRecords.h"
#include "vortanScanner.h"

typedef struct Frame {
  rnamlOBJECT *record;
  vortanLIST *list; /* the List tail appends to, null before the first */
  vortanListBuilder tail;
  int placed; /* its coordinates were read */
  size_t text; /* bytes of text a revision holds */
} Frame;

static struct {
  rnamlOBJECT *root;
  int building; /* between the start of the document and its end or a stop */
  Frame *stack; /* the open records, innermost last */
  int depth, capacity;
  vortanByteBuffer pending;
  int hasPending;
  int outOfMemory;
  char reason[160];
  void *(*allocator)(size_t size); /* the one watched */
} rnamlHandlerState;

#define S rnamlHandlerState

/* --- state --------------------------------------------------------------- */

static void setReason(const char *format, const char *a, const char *b)
{
  /* Memory that ran out explains whatever went wrong after it. */
  if (S.outOfMemory) format = "out of memory";
  if (!S.reason[0]) snprintf(S.reason, sizeof S.reason, format, a, b);
}

static void clearPending(void)
{
  vortanresetByteBuffer(&S.pending);
  S.hasPending = 0;
}

static const char *pendingText(void)
{
  if (!S.hasPending || S.pending.failed) return NULL;
  return S.pending.bytes ? S.pending.bytes : "";
}

static Frame *top(void)
{
  return S.depth ? &S.stack[S.depth - 1] : NULL;
}

static int push(rnamlOBJECT *record)
{
  if (S.depth == S.capacity) {
    int capacity = S.capacity ? 2 * S.capacity : 64;
    Frame *stack = vortanAllocator((size_t)capacity * sizeof *stack);
    if (!stack) return 0;
    if (S.depth) memcpy(stack, S.stack, (size_t)S.depth * sizeof *stack);
    free(S.stack);
    S.stack = stack;
    S.capacity = capacity;
  }
  S.stack[S.depth++] = (Frame){record, NULL, {NULL, NULL}, 0, 0};
  return 1;
}

/* Deletes the open records, innermost first, each with what it holds. */
static void discardStack(void)
{
  while (S.depth) rnamldelete(S.stack[--S.depth].record);
  free(S.stack);
  S.stack = NULL;
  S.capacity = 0;
}

void rnamlStopHandlers(void)
{
  discardStack();
  clearPending();
  S.building = 0;
  vortansetCharDataContentHandler(NULL);
  vortansetDocumentContentHandler(NULL, NULL);
  vortansetElementContentHandler(NULL, NULL);
}

static void stopBuilding(const char *format, const char *a, const char *b)
{
  setReason(format, a, b);
  rnamlStopHandlers();
}

/* Ends each event: memory that ran out during it ends the building. */
static void afterEvent(void)
{
  if (S.outOfMemory && S.building) stopBuilding("out of memory", "", "");
}

/* The element's name in the reason. */
static const char *tagOf(const Frame *frame)
{
  const rnamlElementInfo *element = frame ? rnamlelementInfo(frame->record->code) : NULL;
  return element && element->tag ? element->tag : "?";
}

static void refuse(const char *name, const Frame *parent)
{
  if (parent) stopBuilding("'%s' may not stand in '%s'", name, tagOf(parent));
  else stopBuilding("'%s' may not stand outside an RNAML element%s", name, "");
}

/* Stops with a reason that begins with the line being read. */
static void stopAtLine(const char *format, const char *text)
{
  char line[24];
  snprintf(line, sizeof line, "%d", vortanLineNo);
  stopBuilding(format, line, text ? text : "");
}

/* Coordinates the conversion refused. */
static void refuseText(const char *text)
{
  stopAtLine("line %s: the coordinates \"%s\" are not a finite number for each axis", text);
}

/* --- attaching children -------------------------------------------------- */

static int appendTo(Frame *parent, vortanLIST *(*listOf)(const rnamlOBJECT *), rnamlOBJECT *child)
{
  vortanLIST *list = listOf(parent->record);
  if (parent->list != list) {
    if (vortanstartListBuilder(&parent->tail, list) < 0) return 0;
    parent->list = list;
  }
  return vortanappendListBuilder(&parent->tail, child) == 0;
}

/* 1 when parent took child. */
static int attach(Frame *parent, const rnamlAttach *rule, rnamlOBJECT *child)
{
  if (rule->list) return appendTo(parent, rule->list, child);
  int i = 0;
  while (i < 2 && rule->set[i + 1] && rule->held[i](parent->record)) ++i;
  return rule->set[i](parent->record, child);
}

static void attachOrDrop(Frame *parent, const rnamlAttach *rule, rnamlOBJECT *child,
                         const char *name)
{
  if (attach(parent, rule, child)) return;
  rnamldelete(child);
  if (!S.outOfMemory) stopBuilding("'%s' could not be attached to '%s'", name, tagOf(parent));
}

/* --- attributes ---------------------------------------------------------- */

static void addReferenceId(rnamlOBJECT *record, const char *id)
{
  rnamladdObjectReferenceId(record, id);
}

static void addAnalysisId(rnamlOBJECT *record, const char *id)
{
  rnamladdObjectAnalysisId(record, id);
}

static void addDatabaseId(rnamlOBJECT *record, const char *id)
{
  rnamladdObjectDatabaseId(record, id);
}

/* The attributes every record's header takes; an id list's value is one
   id, whatever blanks it holds. */
static const rnamlAttributeRule commonAttributes[] = {
  {"comment", {.conversion = rnamlAsText, .set = {{.text = rnamlsetObjectComment}}}},
  {"reference-ids", {.conversion = rnamlAsText, .set = {{.text = addReferenceId}}}},
  {"analysis-ids", {.conversion = rnamlAsText, .set = {{.text = addAnalysisId}}}},
  {"database-ids", {.conversion = rnamlAsText, .set = {{.text = addDatabaseId}}}},
  {NULL, {rnamlNoValue}},
};

/* Stores value as the rule of name in rules says; 0 when no rule has that
   name. An empty value is never read. */
static int storeAttribute(const rnamlAttributeRule *rules, rnamlOBJECT *record, const char *name,
                          const char *value)
{
  for (const rnamlAttributeRule *rule = rules; rule->name; ++rule) {
    if (strcmp(rule->name, name) != 0) continue;
    if (*value) rnamlconvert(&rule->value, value, record);
    return 1;
  }
  return 0;
}

void rnamladdObjectAttributes(rnamlOBJECT *record, vortanMAP *attributes)
{
  vortanITERATOR *entries = rnamlisObject(record) ? vortannewIterator(attributes) : NULL;
  while (entries && vortanhasNext(entries)) {
    vortanMAPENTRY *entry = vortannext(entries);
    const char *name = vortantextOf(vortangetKey(entry)), *value = vortangetValue(entry);
    if (name && value && storeAttribute(commonAttributes, record, name, value))
      free(vortansetValue(entry, NULL));
  }
  vortandelete(entries);
}

/* Frees the bare strings of an attribute Map, then the Map. */
static void deleteAttributeMap(vortanMAP *map)
{
  vortanITERATOR *entries = vortannewIterator(map);
  while (entries && vortanhasNext(entries)) free(vortansetValue(vortannext(entries), NULL));
  vortandelete(entries);
  vortandelete(map);
}

vortanMAP *rnamlmapAttributes(const vortanLIST *attributes)
{
  if (!vortanhasTag(attributes, vortanTagList)) return NULL;
  vortanMAP *map = vortannewMap();
  const vortanPAIR *link = rnamlfirstLink(attributes);
  for (; map && link; link = rnamlnextLink(link)) {
    const vortanATTRIBUTE *attribute = rnamllinkValue(link);
    vortanSTRING name = vortanborrowString(vortantextOf(vortangetAttributeName(attribute)));
    const char *text = vortantextOf(vortangetAttributeValue(attribute));
    char *value = text && name.str ? RNAML_COPY_TEXT(text, "unmarshaller") : NULL;
    vortanMAPENTRY *entry = value ? vortanfindEntry(map, &name) : NULL;
    if (entry) {
      free(vortansetValue(entry, value));
    } else if (!value || vortaninsertEntry(map, &name, value) < 0) {
      free(value);
      deleteAttributeMap(map);
      map = NULL;
    }
  }
  return map;
}

/* The record's attributes from the tag's Attribute List, without a Map:
   each name is looked up in the rule's lists. */
static void readAttributes(const rnamlStartRule *rule, rnamlOBJECT *record,
                           const vortanLIST *attributes)
{
  for (const vortanPAIR *link = rnamlfirstLink(attributes); link; link = rnamlnextLink(link)) {
    const vortanATTRIBUTE *attribute = rnamllinkValue(link);
    if (!vortanhasTag(attribute, vortanTagAttribute)) continue;
    const char *name = vortantextOf(vortangetAttributeName(attribute));
    const char *value = vortantextOf(vortangetAttributeValue(attribute));
    if (!name || !value) continue;
    if (!rule->common || !storeAttribute(commonAttributes, record, name, value))
      storeAttribute(rule->attributes, record, name, value);
  }
}

/* --- the handlers -------------------------------------------------------- */

void rnamlStartDocumentContentHandler(void)
{
  discardStack();
  clearPending();
  S.building = 1;
}

void rnamlEndDocumentContentHandler(void)
{
  discardStack();
  S.building = 0;
}

/* 1 when one element's text, of length bytes so far, may take n more.
   Pieces split by CDATA sections, comments or other elements make one
   text, bound as one: past the bound the parse stops, as for any text too
   long, and no later piece reaches a handler. */
static int textFits(size_t length, size_t n)
{
  if (vortanscanTextFits(length, n)) return 1;
  rnamlStopHandlers();
  return 0;
}

void rnamlCharDatContentHandler(const char *text, int start, int length)
{
  (void)start;
  (void)length;
  Frame *frame = top();
  if (!S.building || !text) return;
  size_t n = strlen(text);
  if (frame && rnamlisRevision(frame->record)) {
    /* A revision keeps its pieces apart, but they are its one text. */
    if (!textFits(frame->text, n)) return;
    frame->text += n;
    rnamlOBJECT *data = rnamlnewPcDataOf(text);
    if (data) attachOrDrop(frame, &(rnamlAttach){.list = rnamlgetRevisionChildren}, data, "text");
  } else {
    if (!textFits(S.pending.length, n)) return;
    vortanappendByteBuffer(&S.pending, text, n);
    S.hasPending = 1;
  }
  afterEvent();
}

static void openRecord(const rnamlStartRule *rule, const vortanLIST *attributes)
{
  rnamlOBJECT *record = rule->make();
  if (!record || !push(record)) {
    rnamldelete(record);
    return;
  }
  readAttributes(rule, record, attributes);
}

void rnamlStartElementContentHandler(void *unused1, void *unused2, const char *name,
                                     vortanLIST *attributes)
{
  (void)unused1;
  (void)unused2;
  const rnamlElementRules *rules = S.building ? rnamlrulesOf(name) : NULL;
  if (!rules) return;
  clearPending();
  if (rules->start) openRecord(rules->start, attributes);
  afterEvent();
}

static const rnamlParentRule *parentRule(const rnamlEndRule *rule, int32_t code)
{
  for (const rnamlParentRule *p = rule->parents; p->attach.list || p->attach.set[0]; ++p)
    if (p->parent == code) return p;
  return NULL;
}

static void closeRecord(const rnamlEndRule *rule, const char *name)
{
  if (!S.depth) {
    refuse(name, NULL);
    return;
  }
  const Frame closed = S.stack[--S.depth];
  rnamlOBJECT *record = closed.record;
  rnamlconvert(&rule->own, pendingText(), record);
  Frame *parent = top();
  const rnamlParentRule *joined = parent ? parentRule(rule, parent->record->code) : NULL;
  if (rule->root && !parent && S.root) {
    /* One document, one root: a second one beside the first (under an
       element outside the tables) rejects the document. */
    rnamldelete(record);
    rnamldelete(S.root);
    S.root = NULL;
    stopBuilding("a second '%s' element%s", name, "");
  } else if (rule->root && !parent) {
    S.root = record;
  } else if (joined && rule->placed && !closed.placed) {
    rnamldelete(record);
    stopAtLine("line %s: an '%s' without coordinates", name);
  } else if (joined) {
    attachOrDrop(parent, &joined->attach, record, name);
  } else {
    rnamldelete(record);
    refuse(name, parent);
  }
}

static const rnamlTextTarget *textTarget(const rnamlTextRule *rule, int32_t code)
{
  for (const rnamlTextTarget *t = rule->targets; t->value.conversion != rnamlNoValue; ++t)
    if (t->parent == code) return t;
  return NULL;
}

static void storeText(const rnamlTextRule *rule, const char *name)
{
  Frame *parent = top();
  const rnamlTextTarget *target = parent ? textTarget(rule, parent->record->code) : NULL;
  if (!target) {
    refuse(name, parent);
    return;
  }
  if (!target->make) {
    if (!rnamlconvert(&target->value, pendingText(), parent->record)) refuseText(pendingText());
    else if (target->value.conversion == rnamlAsFloats) parent->placed = 1;
    return;
  }
  rnamlOBJECT *record = target->make();
  if (!record) return;
  if (!rnamlconvert(&target->value, pendingText(), record)) {
    rnamldelete(record);
    refuseText(pendingText());
    return;
  }
  attachOrDrop(parent, &target->attach, record, name);
}

void rnamlEndElementContentHandler(void *unused1, void *unused2, const char *name)
{
  (void)unused1;
  (void)unused2;
  const rnamlElementRules *rules = S.building ? rnamlrulesOf(name) : NULL;
  if (!rules) return;
  if (rules->end) closeRecord(rules->end, name);
  else storeText(rules->text, name);
  clearPending();
  afterEvent();
}

void rnamlSetHandlers(void)
{
  vortansetCharDataContentHandler(rnamlCharDatContentHandler);
  vortansetDocumentContentHandler(rnamlStartDocumentContentHandler,
                                  rnamlEndDocumentContentHandler);
  vortansetElementContentHandler(rnamlStartElementContentHandler, rnamlEndElementContentHandler);
}

/* --- one read ------------------------------------------------------------ */

static void *watchedAllocator(size_t size)
{
  void *block = S.allocator(size);
  if (!block) S.outOfMemory = 1;
  return block;
}

void rnamlbeginReading(void)
{
  S.root = NULL;
  S.reason[0] = '\0';
  S.outOfMemory = 0;
  clearPending();
  S.allocator = vortanAllocator;
  vortanAllocator = watchedAllocator;
}

rnamlOBJECT *rnamlendReading(int parsed)
{
  if (S.building) {
    /* The parse ended before the document did. */
    discardStack();
    S.building = 0;
  }
  vortanfreeByteBuffer(&S.pending);
  S.hasPending = 0;
  vortanAllocator = S.allocator;
  /* Handlers left in their slots would build records for whatever the
     toolkit parses next, and leak them. */
  vortansetCharDataContentHandler(NULL);
  vortansetDocumentContentHandler(NULL, NULL);
  vortansetElementContentHandler(NULL, NULL);
  if (S.outOfMemory) setReason("out of memory", "", "");
  if (!parsed) setReason("not a well-formed XML document", "", "");
  /* Memory that ran out while the document was validated as it was read,
     after the root was complete, rejects it too: running out anywhere in
     a read gives no root. */
  if (!parsed || S.outOfMemory) {
    rnamldelete(S.root);
    S.root = NULL;
  }
  if (!S.root) setReason("no rnaml element at the top of the document", "", "");
  return S.root;
}

void rnamlfailReading(const char *reason)
{
  S.root = NULL;
  snprintf(S.reason, sizeof S.reason, "%s", reason);
}

rnamlOBJECT *rnamlgetRoot(void)
{
  return S.root;
}

const char *rnamlgetReason(void)
{
  return S.root ? "" : S.reason;
}
