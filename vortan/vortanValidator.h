/* Checking a Document against a validator structure (vortanDTDRegistry.h):
 * element types, content models, attribute values, required attributes,
 * IDs and ID references. Findings go to standard error and never stop
 * anything. Those marked "bit 1" are validity warnings printed only when
 * bit 1 of vortanUserOptions is set; the others are printed always. */
#ifndef VORTAN_VALIDATOR_H
#define VORTAN_VALIDATOR_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Empties the constraint lists, checks the root element type, validates
   the root element's tree against the validator structure registered
   under the root element's name and its "version" attribute (nothing when
   none is, or the root is null), then checks the ID references.
   Per element:
   - an element type that is not declared: "The element '%s' is not present
     in the dtd" (always, through vortanfatalError); its children are not
     visited;
   - an attribute that is not declared: "The attribute '%s' is not present
     in element '%s' dtd" (always, through vortanfatalError); a value that
     does not fit its declared type, a #REQUIRED attribute missing (bit 1);
     a second ID or NOTATION attribute, a NOTATION attribute on an EMPTY
     element (always);
   - content that does not match its model (bit 1).
   The document is not changed. A parse can make the same checks as it
   reads, without the whole tree (vortanValidatingParse.h). */
void vortanvalidate(const vortanDOCUMENT *document);

/* As vortanvalidate on an element tree and a validator structure of the
   caller's, without the root element type check. */
void vortanspecializedValidatorElement(const vortanELEMENT *element, const vortanMAP *validator);
/* The same, and the root element type of the parser's last Document is
   checked before the ID references. */
void vortanspecializedValidator(const vortanELEMENT *element, const vortanMAP *validator);

/* 0 when the Prolog has a document type declaration whose name differs
   from the root element's name, after "The root element does not have the
   same name as the document name \n" (bit 1); else 1. */
int vortanvalidityRootElementType(const vortanDOCUMENT *document);
/* For each recorded ID reference whose value no ID attribute carries: "No
   referenced for IDREF '%s' from element '%s'." (bit 1). */
void vortanvalidityIDReferences(void);

/* The content-model matcher. position is a ListIterator over the
   significant items of an element's content; particle a content
   model (a String names an element, PCData matches one CharData,
   and the Children kinds). The result is a new ListIterator after the
   match, which the caller deletes, or null when the particle does not
   match there; position itself never moves. A choice takes the first
   alternative that advances and never backtracks; a repetition stops when
   its particle matches without advancing. */
vortanITERATOR *vortanvalidityChildren(const vortanITERATOR *position, const void *particle);

#ifdef __cplusplus
}
#endif

#endif
