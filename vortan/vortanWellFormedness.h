/* The well-formedness constraints the parser checks. Each check answers 1
 * when the constraint holds; otherwise it answers 0 after writing its
 * message through vortanwellFormedConstraintFailure (printed only under
 * bit 2 of vortanUserOptions), and the parse stops. */
#ifndef VORTAN_WELL_FORMEDNESS_H
#define VORTAN_WELL_FORMEDNESS_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The end tag's name equals the start tag's. "The name in the element %s's
   end-tag does not match the element type in the start tag." */
int vortanwellFormednessElementTypeMatch(const char *start, const char *end);
/* No attribute name occurs twice in the List of Attribute of element name.
   "Attribute '%s' appears more than once in the element '%s' dtd" */
int vortanwellFormednessUniqueAttSpec(const char *name, const vortanLIST *attributes);
/* The Attribute's value holds no '<'. "The attribute '%s' contains a <
   character." */
int vortanwellFormednessNoLessThanInAttributeValues(const vortanATTRIBUTE *attribute);
/* The general-entity table declares name. "The entity '%s' must be
   declared." */
int vortanwellFormednessEntityDeclared(const char *name);
/* Always 1: external general entities are never entered in the
   general-entity table, so nothing tells them apart from undeclared ones.
   Its message would be "The external entity '%s' is refered in an
   attribute value." */
int vortanwellFormednessNoExternalEntityReferences(const char *name);
/* The unparsed-entity map has no key name. "The entity reference '%s'
   contain the name of an unparsed entity." */
int vortanwellFormednessParsedEntity(const char *name);

/* Writes "The parameter entity '%s' is refered in the DTD " through
   vortanfatalError. */
void vortanwellFormednessInDTD(const char *name);

/* Constraints this toolkit does not test: they always answer 1. */
int vortanwellFormednessNoRecursion(const char *name);
int vortanwellFormednessExternalSubset(const char *name);
int vortanwellFormednessPEsinInternalSubset(const char *name);
int vortanwellFormednessPEBetweenDeclarations(const char *name);

#ifdef __cplusplus
}
#endif

#endif
