/* The RNAML 1.1 document type, compiled into the program: the toolkit's
 * registry entry for "rnaml" version "1.1", built from the declarations
 * without any DTD file, so that documents can be checked with
 * vortanvalidate wherever they come from. */
#ifndef RNAML_DTD_H
#define RNAML_DTD_H

#include "vortanTags.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Registers the entry under "rnaml" and "1.1" unless the registry already
   holds "rnaml" in any version (after vortaninit). When memory runs out
   nothing is registered, and a later call tries again. */
void rnamlinit(void);

/* Fresh tables, owned by the caller; null when memory ran out (reported).
   The validator structure maps each of the 124 element names to
   Pair(content model, attribute Map), entered in the order of
   the declarations, so a walk of the Map meets them in reverse. The
   general-entity table holds quot, apos, gt, lt and amp; the
   unparsed-entity map is empty. */
vortanMAP *buildrnaml_1_1Ast(void);
vortanMAP *buildrnaml_1_1GERTable(void);
vortanMAP *buildrnaml_1_1UEM(void);

#ifdef __cplusplus
}
#endif

#endif
