/* The content-model matcher. Positions are ListIterators over the
 * significant items of an element's content; every position a step makes
 * and then leaves behind is freed at once. */
#include "vortanValidator.h"

#include <string.h>

#include "vortanErrors.h"
#include "vortanList.h"
#include "vortanObject.h"
#include "vortanRecord.h"

static vortanITERATOR *copyPosition(const vortanITERATOR *position)
{
  return vortanclone(position);
}

/* 1 when after lies beyond before. */
static int advanced(const vortanITERATOR *before, const vortanITERATOR *after)
{
  return before->current != after->current;
}

/* The position after the next item when accepts says yes to it, else null. */
static vortanITERATOR *matchOne(const vortanITERATOR *position, const void *particle,
                                int (*accepts)(const void *item, const void *particle))
{
  if (!vortanhasNext(position)) return NULL;
  vortanITERATOR *after = copyPosition(position);
  if (after && accepts(vortannext(after), particle)) return after;
  vortandelete(after);
  return NULL;
}

static int isElementNamed(const void *item, const void *name)
{
  return vortanhasTag(item, vortanTagElement) &&
         vortanequals(((const vortanRecord *)item)->field[0].p, name);
}

static int isCharData(const void *item, const void *unused)
{
  (void)unused;
  return vortanhasTag(item, vortanTagCharData);
}

/* Repeats child from from (which it takes) while it matches and advances;
   the position after the last advance. */
static vortanITERATOR *repeat(vortanITERATOR *from, const void *child)
{
  while (from) {
    vortanITERATOR *next = vortanvalidityChildren(from, child);
    if (!next || !advanced(from, next)) {
      vortandelete(next);
      return from;
    }
    vortandelete(from);
    from = next;
  }
  return NULL;
}

static vortanITERATOR *matchSequence(const vortanITERATOR *position, const vortanLIST *children)
{
  vortanITERATOR *at = copyPosition(position);
  if (!vortanhasTag(children, vortanTagList)) return at;
  for (const vortanPAIR *link = children->sentinel->tail; at && vortanisPair(link); link = link->tail) {
    vortanITERATOR *next = vortanvalidityChildren(at, link->head);
    vortandelete(at);
    at = next;
  }
  return at;
}

/* The first alternative that advances; else the last one's result. */
static vortanITERATOR *matchChoice(const vortanITERATOR *position, const vortanLIST *children)
{
  vortanITERATOR *last = NULL;
  if (!vortanhasTag(children, vortanTagList)) return NULL;
  for (const vortanPAIR *link = children->sentinel->tail; vortanisPair(link); link = link->tail) {
    vortandelete(last);
    last = vortanvalidityChildren(position, link->head);
    if (last && advanced(position, last)) return last;
  }
  return last;
}

/* The one field of a particle kind: its child, or its List of children. */
static const void *childOf(const void *particle)
{
  return ((const vortanRecord *)particle)->field[0].p;
}

vortanITERATOR *vortanvalidityChildren(const vortanITERATOR *position, const void *particle)
{
  if (!vortanhasTag(position, vortanTagListIterator)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  switch (vortantagOf(particle)) {
  case vortanTagString: return matchOne(position, particle, isElementNamed);
  case vortanTagPCData: return matchOne(position, NULL, isCharData);
  case vortanTagChildrenOpt: {
    vortanITERATOR *after = vortanvalidityChildren(position, childOf(particle));
    return after ? after : copyPosition(position);
  }
  case vortanTagChildrenStar: return repeat(copyPosition(position), childOf(particle));
  case vortanTagChildrenPlus:
    return repeat(vortanvalidityChildren(position, childOf(particle)), childOf(particle));
  case vortanTagChildrenSeq: return matchSequence(position, childOf(particle));
  case vortanTagChildrenAlt: return matchChoice(position, childOf(particle));
  default: vortanfatalError("Invalid dtd in vortanvalidityChildren."); return NULL;
  }
}
