/* The toolkit's error reports. Neither stops the program: the caller goes on
 * with its documented failure result. */
#ifndef VORTAN_ERRORS_H
#define VORTAN_ERRORS_H

#include "vortanByteBuffer.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Writes ":file:line: message\n" on standard error. Misuse of a function
   (a null record or one of the wrong kind) reports an empty message, a
   failed allocation "Out of Memory". */
void vortaninternalError(const char *message, const char *file, int line);

/* Writes "message\n" on standard error. */
void vortanfatalError(const char *message);

/* Inside the toolkit: the reports of the functions above and of the
   validity messages made on this thread go into buffer instead of standard
   error until this is called again with null; a report that the buffer cannot take is written
   on standard error all the same. Returns the buffer that held reports
   before, for the caller to give back when it is done: holders nest. */
vortanByteBuffer *vortanholdReports(vortanByteBuffer *buffer);
/* Writes the texts given, up to a null, as one report where reports go
   now. */
void vortanwriteReport(const char *text, ...);

#ifdef __cplusplus
}
#endif

#endif
