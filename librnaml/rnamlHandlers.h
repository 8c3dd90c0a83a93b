/* Inside the binding: one read of a document by the content handlers,
 * around the toolkit's parse. */
#ifndef RNAML_HANDLERS_H
#define RNAML_HANDLERS_H

#include "rnamlObject.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Clears the last root and reason and starts watching the toolkit's
   allocator, so that memory running out anywhere stops the building. */
void rnamlbeginReading(void);
/* Ends the read after the parse: records still open are deleted, the
   handler slots emptied, the allocator no longer watched. The root completed, or null (after
   deleting it) when parsed is 0; the reason is then set. */
rnamlOBJECT *rnamlendReading(int parsed);
/* A read that could not start: no root, and the reason. */
void rnamlfailReading(const char *reason);

#ifdef __cplusplus
}
#endif

#endif
