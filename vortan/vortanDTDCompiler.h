/* Compiling parsed declarations into the tables of the DTD registry. */
#ifndef VORTAN_DTD_COMPILER_H
#define VORTAN_DTD_COMPILER_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A new validator structure from a List of declarations, which is not
   changed: each ElementDecl with the AttDefs of every AttlistDecl of its
   name that follows it (for an attribute only the first definition
   counts). Entity and notation declarations, comments and processing
   instructions are skipped; an element type declared again is reported
   and the first declaration kept. Any other record (an AttlistDecl before
   its ElementDecl, a PEReference) fails: "Invalid dtd in
   groupElementsAndAttributes." through vortanfatalError, and null. */
vortanMAP *vortangenerateValidatorStructure(const vortanLIST *declarations);
/* A new Map from the name of each NotationDecl of the List to a copy of
   its identifier (the first declaration of a name counts). */
vortanMAP *vortangenerateUnparsedEntityStructure(const vortanLIST *declarations);

#ifdef __cplusplus
}
#endif

#endif
