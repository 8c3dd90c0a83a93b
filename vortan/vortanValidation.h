/* Inside the toolkit: validation of a document's elements one at a time,
 * the steps that the tree walk of vortanvalidate and the validating parse
 * share. An element is checked in two steps: its declaration and
 * attributes (which record its IDs and ID references), then its content
 * against its declared model; the whole walk checks an element's content
 * before visiting its children. */
#ifndef VORTAN_VALIDATION_H
#define VORTAN_VALIDATION_H

#include "vortanListBuilder.h"
#include "vortanTags.h"
#include "vortanTextIndex.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vortanValidation {
  vortanTextIndex elementTypes; /* element name -> Pair(content model, attribute Map) */
  vortanTextIndex ids;          /* the texts of the declared-ID list */
  vortanListBuilder idList, referenceList;
} vortanValidation;

/* Starts checking elements against validator, appending to the declared-ID
   and ID-reference lists. 0; -1 when there is nothing to check against or
   memory ran out: the validation then checks nothing, but must still be
   ended. */
int vortanstartValidation(vortanValidation *validation, const vortanMAP *validator);
void vortanendValidation(vortanValidation *validation);

/* The element's declaration Pair(content model, attribute Map) after its
   attributes have been checked; null after "The element '%s' is not
   present in the dtd", when its subtree is not to be checked. */
const vortanPAIR *vortanvalidateElementHead(vortanValidation *validation,
                                            const vortanELEMENT *element);
/* Checks the element's content against the declaration found above. */
void vortanvalidateElementContent(const vortanELEMENT *element, const vortanPAIR *declaration);

/* The validator structure registered under the root element's name and
   its "version" attribute: a copy the caller deletes, or null. */
vortanMAP *vortanvalidatorOfRoot(const vortanELEMENT *root);
/* vortanvalidityRootElementType on a Prolog and a root element. */
int vortancheckRootElementType(const vortanPROLOG *prolog, const vortanELEMENT *root);

#ifdef __cplusplus
}
#endif

#endif
