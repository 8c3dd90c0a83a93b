#include "vortanElement.h"

#include <string.h>

#include "vortanDTDRegistry.h"
#include "vortanList.h"
#include "vortanListBuilder.h"
#include "vortanMap.h"
#include "vortanObject.h"
#include "vortanRecord.h"
#include "vortanRecords.h"
#include "vortanString.h"

/* The field of a record known to be of its kind. */
static void *field(const void *record, int i)
{
  return ((const vortanRecord *)record)->field[i].p;
}

/* The attribute List of an Element, or null. */
static vortanLIST *attributesOf(const void *element)
{
  if (!vortanhasTag(element, vortanTagElement)) return NULL;
  vortanLIST *attributes = field(element, 1);
  return vortanhasTag(attributes, vortanTagList) ? attributes : NULL;
}

/* The content List of an Element, or null. */
static vortanLIST *contentOf(const void *element)
{
  if (!vortanhasTag(element, vortanTagElement)) return NULL;
  const void *content = field(element, 2);
  if (!vortanhasTag(content, vortanTagContent)) return NULL;
  vortanLIST *items = field(content, 0);
  return vortanhasTag(items, vortanTagList) ? items : NULL;
}

static int isAttributeNamed(const void *record, const vortanSTRING *name)
{
  return vortanhasTag(record, vortanTagAttribute) && vortanequals(field(record, 0), name);
}

vortanSTRING *vortangetElementAttributeByName(const vortanELEMENT *element,
                                              const vortanSTRING *name)
{
  const vortanLIST *attributes = attributesOf(element);
  if (!attributes) return NULL;
  vortanSTRING *value = NULL;
  for (const vortanPAIR *link = attributes->sentinel->tail; vortanisPair(link); link = link->tail)
    if (isAttributeNamed(link->head, name)) value = field(link->head, 1);
  return value;
}

/* A new Attribute of copies of name and value, in a Pair ready to link. */
static vortanPAIR *newAttributeLink(const char *name, const char *value)
{
  vortanSTRING *nameString = vortancopyString(name);
  vortanSTRING *valueString = nameString ? vortancopyString(value) : NULL;
  vortanATTRIBUTE *attribute = valueString ? vortannewAttribute(nameString, valueString) : NULL;
  vortanPAIR *link = attribute ? vortannewPair(attribute, NULL) : NULL;
  if (!link) {
    if (attribute) vortandelete(attribute);
    else {
      vortandelete(nameString);
      vortandelete(valueString);
    }
  }
  return link;
}

vortanELEMENT *vortancopyElementHead(const vortanELEMENT *element)
{
  if (!vortanhasTag(element, vortanTagElement)) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  vortanSTRING *name = vortanclone(field(element, 0));
  vortanLIST *attributes = vortanclone(field(element, 1));
  int copied = (name || !field(element, 0)) && (attributes || !field(element, 1));
  vortanLIST *items = copied ? vortannewList() : NULL;
  vortanCONTENT *content = items ? vortannewContent(items) : NULL;
  vortanELEMENT *copy = content ? vortannewElement(name, attributes, content) : NULL;
  if (copy) return copy;
  vortandelete(name);
  vortandelete(attributes);
  if (content) vortandelete(content);
  else vortandelete(items);
  return NULL;
}

/* An ID attribute changes from oldValue to newValue: the element-ID table
   follows, keeping the element as it is now under the new value. */
static void moveElementId(const vortanELEMENT *element, const vortanSTRING *oldValue,
                          const vortanSTRING *newValue)
{
  if (!vortanhasTag(EAITable, vortanTagMap)) return;
  vortandelete(vortanRemove(EAITable, oldValue));
  if (vortancontainsKey(EAITable, newValue)) return;
  void *copy = vortancopyElementHead(element);
  if (!copy) return;
  vortanput(EAITable, newValue, copy);
  if (!vortancontainsKey(EAITable, newValue)) vortandelete(copy);
}

vortanELEMENT *vortanaddAttribute(vortanELEMENT *element, const char *name, const char *value,
                                  int isId)
{
  vortanLIST *attributes = attributesOf(element);
  if (!attributes || !name || !value) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  vortanPAIR *added = newAttributeLink(name, value);
  if (!added) return NULL;
  vortanSTRING *addedName = field(added->head, 0);

  vortanPAIR *last = attributes->sentinel, *beforeOld = NULL;
  for (; vortanisPair(last->tail); last = last->tail)
    if (!beforeOld && isAttributeNamed(((vortanPAIR *)last->tail)->head, addedName))
      beforeOld = last;
  if (last->tail) { /* a dotted end stays an element */
    vortanPAIR *wrapped = vortannewPair(last->tail, NULL);
    if (!wrapped) {
      vortandelete(added);
      return NULL;
    }
    last->tail = wrapped;
    last = wrapped;
  }
  if (beforeOld) {
    vortanPAIR *old = beforeOld->tail;
    if (isId) moveElementId(element, field(old->head, 1), field(added->head, 1));
    beforeOld->tail = old->tail;
    if (last == old) last = beforeOld;
    vortandelete(old->head);
    vortanfreeRecord(old);
  }
  last->tail = added;
  return element;
}

vortanELEMENT *vortanaddContentElement(vortanELEMENT *element, void *child)
{
  vortanLIST *items = contentOf(element);
  vortanListBuilder builder;
  if (!items || !child) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  if (vortanstartListBuilder(&builder, items) < 0) return NULL;
  return vortanappendListBuilder(&builder, child) < 0 ? NULL : element;
}

vortanELEMENT *vortanaddContentPCData(vortanELEMENT *element, const char *text)
{
  vortanLIST *items = contentOf(element);
  vortanListBuilder builder;
  if (!items || !text) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  if (vortanstartListBuilder(&builder, items) < 0) return NULL;
  void *last = builder.last == items->sentinel ? NULL : builder.last->head;
  if (vortanhasTag(last, vortanTagCharData))
    return vortanconcatString(field(last, 0), text) ? element : NULL;
  vortanSTRING *string = vortancopyString(text);
  vortanCHARDATA *data = string ? vortannewCharData(string) : NULL;
  if (data && vortanappendListBuilder(&builder, data) == 0) return element;
  if (data) vortandelete(data);
  else vortandelete(string);
  return NULL;
}

vortanITERATOR *vortangetSpecificContent(const vortanELEMENT *element, const char *name)
{
  vortanLIST *items = contentOf(element);
  if (!items || !name) {
    VORTAN_REPORT_MISUSE();
    return NULL;
  }
  vortanITERATOR *iterator = vortannewIterator(items);
  if (iterator && !vortanhasnextElementType(iterator, name)) {
    vortandelete(iterator);
    iterator = NULL;
  }
  return iterator;
}
