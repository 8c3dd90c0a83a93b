/* Building and reading Elements: attributes and content. */
#ifndef VORTAN_ELEMENT_H
#define VORTAN_ELEMENT_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The value of the last Attribute whose name equals name; null when there
   is none and (silently) when element is not an Element. */
vortanSTRING *vortangetElementAttributeByName(const vortanELEMENT *element,
                                              const vortanSTRING *name);
/* Sets the attribute name to value (both copied) at the end of the
   attribute List, replacing the first attribute of that name. When isId is
   set and an attribute is replaced, the element-ID table (EAITable, when it
   exists) loses the entry under the old value and gains, under the new one
   unless present, a copy of the element's name and attributes as they were
   before the change (its content is not copied).
   Returns element; null after a report (nothing is changed then). */
vortanELEMENT *vortanaddAttribute(vortanELEMENT *element, const char *name, const char *value,
                                  int isId);
/* Appends child (a record the element takes over) to the content. The
   content List is walked: to add many children use the List builder on
   vortangetContentList(vortangetElementContent(element)). Returns element;
   null after a report, and the caller then keeps child. */
vortanELEMENT *vortanaddContentElement(vortanELEMENT *element, void *child);
/* Appends a copy of text to the content, merged into the last item when
   that is a CharData. Returns element; null after a report. */
vortanELEMENT *vortanaddContentPCData(vortanELEMENT *element, const char *text);
/* A new ListIterator at the start of the content List when that holds a
   child Element of that name; null otherwise. */
vortanITERATOR *vortangetSpecificContent(const vortanELEMENT *element, const char *name);

#ifdef __cplusplus
}
#endif

#endif
