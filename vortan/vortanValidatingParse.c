/* The whole-document walk checks an element's attributes, then its
 * content, then each child's subtree in turn. Read as a stream, an
 * element's content is known only at its end tag, after its children's
 * findings: each open element therefore remembers where its own content
 * finding belongs among the findings held, and the finding is moved there
 * when it comes. This state lives beside the parser's and, like it, serves
 * one parse at a time. */
#include "vortanValidatingParse.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vortanByteBuffer.h"
#include "vortanConstraints.h"
#include "vortanErrors.h"
#include "vortanObject.h"
#include "vortanRecord.h"
#include "vortanValidation.h"
#include "vortanValidator.h"

typedef struct OpenElement {
  const vortanPAIR *declaration; /* null: neither its content nor its subtree is checked */
  size_t findingsAt;             /* where its content's findings go among those held */
} OpenElement;

static struct {
  int on;     /* asked for by the caller */
  int active; /* the parse under way validates */
  const vortanPROLOG *prolog;
  vortanMAP *validator; /* the root's, a copy; null when none */
  int checking;         /* validation against it has started */
  vortanValidation validation;
  OpenElement *open;
  size_t depth, capacity;
  vortanByteBuffer findings;
} V;

void vortansetValidatingParse(int on)
{
  V.on = on != 0;
}

int vortangetValidatingParse(void)
{
  return V.on;
}

void vortanreleaseParseFindings(int write)
{
  if (write && V.findings.length) vortanwriteReport(V.findings.bytes, (char *)NULL);
  vortanfreeByteBuffer(&V.findings);
}

void vortanbeginValidatingParse(void)
{
  vortanfreeByteBuffer(&V.findings);
  V.active = V.on;
  V.prolog = NULL;
  V.depth = 0;
}

int vortanvalidatingParseUnderWay(void)
{
  return V.active;
}

void vortanvalidatingPrologRead(const vortanPROLOG *prolog)
{
  V.prolog = prolog;
}

/* At the root's start tag: what vortanvalidate does before its walk. */
static void startDocument(const vortanELEMENT *root)
{
  vortanconstraintsInit();
  vortancheckRootElementType(V.prolog, root);
  V.validator = vortanvalidatorOfRoot(root);
  V.checking = vortanstartValidation(&V.validation, V.validator) == 0;
}

static int push(void)
{
  if (V.depth < V.capacity) return 0;
  size_t capacity = V.capacity ? 2 * V.capacity : 64;
  OpenElement *open = VORTAN_ALLOCATE(capacity * sizeof *open);
  if (!open) return -1;
  if (V.depth) memcpy(open, V.open, V.depth * sizeof *open);
  free(V.open);
  V.open = open;
  V.capacity = capacity;
  return 0;
}

int vortanvalidatingStartTag(const vortanELEMENT *element)
{
  if (!V.active) return 0;
  if (push() < 0) return -1;
  vortanByteBuffer *outer = vortanholdReports(&V.findings);
  if (!V.depth) startDocument(element);
  const OpenElement *parent = V.depth ? &V.open[V.depth - 1] : NULL;
  OpenElement *entry = &V.open[V.depth++];
  entry->declaration = NULL;
  if (V.checking && (!parent || parent->declaration))
    entry->declaration = vortanvalidateElementHead(&V.validation, element);
  vortanholdReports(outer);
  entry->findingsAt = V.findings.length;
  return 0;
}

static void reverse(char *from, char *to)
{
  while (from < to - 1) {
    char c = *from;
    *from++ = *--to;
    *to = c;
  }
}

/* Moves the findings from `from` on to `at`, ahead of those in between. */
static void moveFindings(size_t at, size_t from)
{
  char *bytes = V.findings.bytes;
  size_t end = V.findings.length;
  if (from == end || at == from) return;
  reverse(bytes + at, bytes + from);
  reverse(bytes + from, bytes + end);
  reverse(bytes + at, bytes + end);
}

void vortanvalidatingEndTag(vortanELEMENT *element)
{
  if (!V.active || !V.depth) return;
  const OpenElement *entry = &V.open[--V.depth];
  if (entry->declaration) {
    size_t from = V.findings.length;
    vortanByteBuffer *outer = vortanholdReports(&V.findings);
    vortanvalidateElementContent(element, entry->declaration);
    vortanholdReports(outer);
    moveFindings(entry->findingsAt, from);
  }
  const vortanRecord *content = ((const vortanRecord *)element)->field[2].p;
  if (vortanhasTag(content, vortanTagContent)) vortanclear(content->field[0].p);
}

void vortanendValidatingParse(int accepted)
{
  if (!V.active) return;
  if (V.checking) vortanendValidation(&V.validation);
  vortandelete(V.validator);
  V.validator = NULL;
  V.checking = 0;
  if (accepted) {
    vortanByteBuffer *outer = vortanholdReports(&V.findings);
    vortanvalidityIDReferences();
    vortanholdReports(outer);
  } else {
    vortanfreeByteBuffer(&V.findings);
  }
  free(V.open);
  V.open = NULL;
  V.depth = V.capacity = 0;
  V.prolog = NULL;
  V.active = 0;
}
