#include "vortanWellFormedness.h"

#include <stdarg.h>
#include <stdlib.h>
#include <string.h>

#include "vortanDTDRegistry.h"
#include "vortanFormat.h"
#include "vortanMessages.h"
#include "vortanRecord.h"
#include "vortanTextIndex.h"

/* Writes the failure (when bit 2 asks for it) and answers 0. */
static int fails(const char *format, ...) VORTAN_PRINTF_LIKE(1, 2);
static int fails(const char *format, ...)
{
  if (!(vortanUserOptions & vortanOptionWellFormedness)) return 0;
  va_list args;
  va_start(args, format);
  char *text = vortanformatText(format, args);
  va_end(args);
  if (text) vortanwellFormedConstraintFailure(text);
  free(text);
  return 0;
}

static const char *orEmpty(const char *text)
{
  return text ? text : "";
}

int vortanwellFormednessElementTypeMatch(const char *start, const char *end)
{
  if (start == end || (start && end && strcmp(start, end) == 0)) return 1;
  return fails("The name in the element %s's end-tag does not match the element type in the "
               "start tag.",
               orEmpty(start));
}

/* The name of an Attribute, or null. */
static const char *attributeName(const void *record)
{
  if (!vortanhasTag(record, vortanTagAttribute)) return NULL;
  return vortantextOf(((const vortanRecord *)record)->field[0].p);
}

/* The first name met a second time in the attributes from link on, or
   null. A tag's attributes are few: they are compared pairwise, and only a
   long List is indexed. */
static const char *repeatedName(const vortanPAIR *first)
{
  enum { pairwiseUpTo = 32 };
  int count = 0;
  for (const vortanPAIR *link = first; vortanisPair(link) && count <= pairwiseUpTo; link = link->tail)
    ++count;
  vortanTextIndex seen;
  vortaninitTextIndex(&seen);
  const char *repeated = NULL;
  for (const vortanPAIR *link = first; vortanisPair(link) && !repeated; link = link->tail) {
    const char *name = attributeName(link->head);
    if (!name) continue;
    if (count > pairwiseUpTo) {
      if (vortanaddTextIndex(&seen, name, NULL) == 0) repeated = name;
      continue;
    }
    for (const vortanPAIR *before = first; before != link && !repeated; before = before->tail) {
      const char *earlier = attributeName(before->head);
      if (earlier && strcmp(earlier, name) == 0) repeated = name;
    }
  }
  vortanfreeTextIndex(&seen);
  return repeated;
}

int vortanwellFormednessUniqueAttSpec(const char *name, const vortanLIST *attributes)
{
  if (!vortanhasTag(attributes, vortanTagList)) return 1;
  const char *repeated = repeatedName(attributes->sentinel->tail);
  if (!repeated) return 1;
  return fails("Attribute '%s' appears more than once in the element '%s' dtd", repeated,
               orEmpty(name));
}

int vortanwellFormednessNoLessThanInAttributeValues(const vortanATTRIBUTE *attribute)
{
  if (!vortanhasTag(attribute, vortanTagAttribute)) return 1;
  const char *value = vortantextOf(((const vortanRecord *)attribute)->field[1].p);
  if (!value || !strchr(value, '<')) return 1;
  return fails("The attribute '%s' contains a < character.", orEmpty(attributeName(attribute)));
}

static int hasKey(const vortanMAP *table, const char *name)
{
  vortanSTRING key = vortanborrowString(name);
  return vortanhasTag(table, vortanTagMap) && vortanfindEntry(table, &key);
}

int vortanwellFormednessEntityDeclared(const char *name)
{
  if (name && hasKey(GERTable, name)) return 1;
  return fails("The entity '%s' must be declared.", orEmpty(name));
}

int vortanwellFormednessParsedEntity(const char *name)
{
  if (!name || !hasKey(UETable, name)) return 1;
  return fails("The entity reference '%s' contain the name of an unparsed entity.", name);
}

void vortanwellFormednessInDTD(const char *name)
{
  vortanreportf(vortanfatalError, "The parameter entity '%s' is refered in the DTD ", orEmpty(name));
}

/* The constraints this toolkit does not test, and the external-entity
   check, which has no record of external entities to consult: they are
   never entered in the general-entity table. */
#define HOLDS_ALWAYS(check) \
  int check(const char *name) { return (void)name, 1; }
HOLDS_ALWAYS(vortanwellFormednessNoExternalEntityReferences)
HOLDS_ALWAYS(vortanwellFormednessNoRecursion)
HOLDS_ALWAYS(vortanwellFormednessExternalSubset)
HOLDS_ALWAYS(vortanwellFormednessPEsinInternalSubset)
HOLDS_ALWAYS(vortanwellFormednessPEBetweenDeclarations)
